#pragma once

namespace platform {

// Every protocol and settle wait of the program goes through one process-wide sleeper, so that
// tests can replace real time with a virtual clock and assert the waits the protocol fixes.
class CSleeper {
  public:
    virtual ~CSleeper() = default;
    virtual void sleep(int milliseconds) = 0;
};

// Sleeps the calling thread.
class CRealSleeper final : public CSleeper {
  public:
    void sleep(int milliseconds) override;
};

// Blocks the calling thread for `milliseconds` through the installed sleeper (the real one
// unless another was installed). Non-positive values return at once.
void sleep_ms(int milliseconds);

// Installs `sleeper` for the whole process and returns the previous one (null = the real one).
// The caller keeps ownership and must keep it alive while installed.
CSleeper* install_sleeper(CSleeper* sleeper);

// Waits on the GUI thread keep the window alive: while a CResponsiveWaits lives, sleep_ms on
// the thread that made it runs an event loop that takes no user input (the window system's
// liveness pings are answered and the window repaints) until the wait is over; with a fake
// sleeper installed, pending events are processed once and the fake records the wait as
// always. Whatever runs inside must not start a monitor conversation: in_responsive_wait()
// tells it so.
class CResponsiveWaits {
  public:
    CResponsiveWaits();
    ~CResponsiveWaits();
    CResponsiveWaits(const CResponsiveWaits&) = delete;
    CResponsiveWaits& operator=(const CResponsiveWaits&) = delete;

  private:
    void* previous_;
};

// True while the GUI thread is inside such a wait.
bool in_responsive_wait();

// Installs a sleeper for the lifetime of the guard and restores the previous one afterwards.
class CScopedSleeper {
  public:
    explicit CScopedSleeper(CSleeper& sleeper) : previous_(install_sleeper(&sleeper)) {}
    ~CScopedSleeper() { install_sleeper(previous_); }
    CScopedSleeper(const CScopedSleeper&) = delete;
    CScopedSleeper& operator=(const CScopedSleeper&) = delete;

  private:
    CSleeper* previous_;
};

}  // namespace platform
