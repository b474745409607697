#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/sleeper.h"

namespace platform {

// A virtual clock for tests and benchmarks: records every wait in order and advances its clock
// by it instead of blocking. Safe to use from several threads.
class CFakeSleeper final : public CSleeper {
  public:
    void sleep(int milliseconds) override;

    std::vector<int> waits() const;
    std::int64_t now_ms() const;
    std::int64_t total_ms() const { return now_ms(); }
    void clear();

  private:
    mutable std::mutex mutex_;
    std::vector<int> waits_;
    std::int64_t clock_ms_ = 0;
};

}  // namespace platform
