#include "platform/fake_sleeper.h"

namespace platform {

void CFakeSleeper::sleep(int milliseconds) {
    std::lock_guard lock(mutex_);
    waits_.push_back(milliseconds);
    clock_ms_ += milliseconds;
}

std::vector<int> CFakeSleeper::waits() const {
    std::lock_guard lock(mutex_);
    return waits_;
}

std::int64_t CFakeSleeper::now_ms() const {
    std::lock_guard lock(mutex_);
    return clock_ms_;
}

void CFakeSleeper::clear() {
    std::lock_guard lock(mutex_);
    waits_.clear();
    clock_ms_ = 0;
}

}  // namespace platform
