#include "platform/sim_exchange_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <QElapsedTimer>
#include <cerrno>
#include <chrono>

#include "platform/access_library.h"
#include "platform/platform_timing.h"
#include "platform/sleeper.h"

namespace platform {

CSimExchangeLock::CSimExchangeLock(QString lock_file) : lock_file_(std::move(lock_file)) {}

CSimExchangeLock::~CSimExchangeLock() {
    if (fd_ >= 0) ::close(fd_);
}

int CSimExchangeLock::acquire() {
    const auto me = std::this_thread::get_id();
    {
        std::unique_lock lock(mutex_);
        if (depth_ > 0 && owner_ == me) {
            ++depth_;
            return 0;
        }
        // Another thread's exchange lasts a request, its wait and a reply at most.
        const bool got =
            free_.wait_for(lock, std::chrono::milliseconds(platform_timing::kBusLockWaitMs),
                           [this] { return depth_ == 0; });
        if (!got) return kAccessBusy;
        owner_ = me;
        depth_ = 1;
    }
    const int result = lock_across_processes();
    if (result != 0) release();
    return result;
}

void CSimExchangeLock::release() {
    {
        std::lock_guard lock(mutex_);
        if (depth_ == 0 || owner_ != std::this_thread::get_id()) return;
        if (--depth_ > 0) return;
        owner_ = {};
        if (fd_ >= 0) {
            ::flock(fd_, LOCK_UN);
            ::close(fd_);
            fd_ = -1;
        }
    }
    free_.notify_one();
}

int CSimExchangeLock::lock_across_processes() {
    if (lock_file_.isEmpty()) return 0;
    const int fd = ::open(lock_file_.toLocal8Bit().constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    // A state folder we cannot write to keeps the monitor to this process, as before.
    if (fd < 0) return 0;
    // Bounded by real time: under the tests' virtual clock the polls do not wait.
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) break;
        const int error = errno;
        if (error != EWOULDBLOCK || waited.elapsed() >= platform_timing::kBusLockWaitMs) {
            ::close(fd);
            return error == EWOULDBLOCK ? kAccessBusy : 0;
        }
        sleep_ms(platform_timing::kBusLockPollMs);
    }
    std::lock_guard lock(mutex_);
    fd_ = fd;
    return 0;
}

}  // namespace platform
