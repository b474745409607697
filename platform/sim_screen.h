#pragma once

#include <QByteArray>
#include <array>
#include <map>
#include <mutex>
#include <optional>

namespace platform {

// What the program shows on each simulated monitor's screen, by the monitor's serial: the
// simulated monitors have no real screen, so whatever draws a measuring patch on one says so
// here, and the simulated colorimeter placed on that screen reads it. Thread-safe.
class CSimScreen {
  public:
    using Signal = std::array<double, 3>;  // red, green, blue 0..1

    static CSimScreen& instance();

    // Keeps what a framebuffer of the screen's depth makes of `signal`: each channel rounded to
    // the nearest of its 2^bits levels, as the colorimeter on a real screen reads it.
    void show(const QByteArray& serial, const Signal& signal);
    void clear(const QByteArray& serial);
    // Nothing when the screen shows no patch.
    std::optional<Signal> shown(const QByteArray& serial) const;
    // Bits per channel of the simulated screens (8, as most desktops draw; 10 for a deep one).
    void set_bits_per_channel(int bits);
    int bits_per_channel() const;

  private:
    mutable std::mutex mutex_;
    std::map<QByteArray, Signal> shown_;
    int bits_ = 8;
};

}  // namespace platform
