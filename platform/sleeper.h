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
