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

    void show(const QByteArray& serial, const Signal& signal);
    void clear(const QByteArray& serial);
    // Nothing when the screen shows no patch.
    std::optional<Signal> shown(const QByteArray& serial) const;

  private:
    mutable std::mutex mutex_;
    std::map<QByteArray, Signal> shown_;
};

}  // namespace platform
