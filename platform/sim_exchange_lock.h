#pragma once

#include <QString>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace platform {

// Holds one simulated monitor for a whole DDC/CI exchange (request, wait, reply), against the
// other threads of this process and against other processes (the program beside orvale-ctl),
// as the advisory lock on an I2C bus device does for real monitors. Without a lock file only
// the threads of this process are kept apart. A thread that holds the monitor may take it
// again (a nested transaction joins the open one).
class CSimExchangeLock {
  public:
    // `lock_file` empty: no other process shares the monitor.
    explicit CSimExchangeLock(QString lock_file);
    ~CSimExchangeLock();
    CSimExchangeLock(const CSimExchangeLock&) = delete;
    CSimExchangeLock& operator=(const CSimExchangeLock&) = delete;

    // 0, or the access library's busy result when another party kept the monitor for longer
    // than one exchange can take.
    int acquire();
    void release();

  private:
    int lock_across_processes();

    const QString lock_file_;
    mutable std::mutex mutex_;
    std::condition_variable free_;
    std::thread::id owner_;
    int depth_ = 0;
    int fd_ = -1;
};

}  // namespace platform
