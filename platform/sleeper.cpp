#include "platform/sleeper.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace platform {

namespace {
CRealSleeper real_sleeper;
std::atomic<CSleeper*> installed{nullptr};
}  // namespace

void CRealSleeper::sleep(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void sleep_ms(int milliseconds) {
    if (milliseconds <= 0) return;
    CSleeper* sleeper = installed.load(std::memory_order_acquire);
    (sleeper ? sleeper : &real_sleeper)->sleep(milliseconds);
}

CSleeper* install_sleeper(CSleeper* sleeper) {
    return installed.exchange(sleeper, std::memory_order_acq_rel);
}

}  // namespace platform
