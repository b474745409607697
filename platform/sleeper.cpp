#include "platform/sleeper.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "platform/termination.h"

namespace platform {

namespace {
CRealSleeper real_sleeper;
std::atomic<CSleeper*> installed{nullptr};
std::atomic<void*> responsive_thread{nullptr};
// Only ever touched on the responsive thread.
bool in_wait = false;

void responsive_wait(int milliseconds, CSleeper* sleeper) {
    in_wait = true;
    if (sleeper) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        sleeper->sleep(milliseconds);
    } else {
        QElapsedTimer clock;
        clock.start();
        // A timer may fire a millisecond early; the protocol's wait is never cut short.
        for (qint64 left = milliseconds; left > 0 && !exchanges_stopped();
             left = milliseconds - clock.elapsed()) {
            QEventLoop loop;
            QTimer::singleShot(int(left), Qt::PreciseTimer, &loop, &QEventLoop::quit);
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        }
    }
    in_wait = false;
}
}  // namespace

void CRealSleeper::sleep(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void sleep_ms(int milliseconds) {
    // No exchange follows once the program ends on the user's close: nothing to wait for.
    if (milliseconds <= 0 || exchanges_stopped()) return;
    CSleeper* sleeper = installed.load(std::memory_order_acquire);
    // A wait inside a wait's event loop blocks: its event processing must not nest further.
    if (responsive_thread.load(std::memory_order_acquire) == QThread::currentThread() && !in_wait &&
        QCoreApplication::instance()) {
        responsive_wait(milliseconds, sleeper);
        return;
    }
    (sleeper ? sleeper : &real_sleeper)->sleep(milliseconds);
}

CSleeper* install_sleeper(CSleeper* sleeper) {
    return installed.exchange(sleeper, std::memory_order_acq_rel);
}

CResponsiveWaits::CResponsiveWaits()
    : previous_(responsive_thread.exchange(QThread::currentThread(), std::memory_order_acq_rel)) {}

CResponsiveWaits::~CResponsiveWaits() {
    responsive_thread.store(previous_, std::memory_order_release);
}

bool in_responsive_wait() {
    return responsive_thread.load(std::memory_order_acquire) == QThread::currentThread() && in_wait;
}

}  // namespace platform
