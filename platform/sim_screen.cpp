#include "platform/sim_screen.h"

#include <algorithm>
#include <cmath>

namespace platform {

CSimScreen& CSimScreen::instance() {
    static CSimScreen screen;
    return screen;
}

void CSimScreen::show(const QByteArray& serial, const Signal& signal) {
    std::lock_guard lock(mutex_);
    const double top = double((1 << bits_) - 1);
    Signal drawn{};
    for (std::size_t c = 0; c < drawn.size(); ++c)
        drawn[c] = std::round(std::clamp(signal[c], 0.0, 1.0) * top) / top;
    shown_[serial] = drawn;
}

void CSimScreen::set_bits_per_channel(int bits) {
    std::lock_guard lock(mutex_);
    bits_ = std::clamp(bits, 1, 16);
}

int CSimScreen::bits_per_channel() const {
    std::lock_guard lock(mutex_);
    return bits_;
}

void CSimScreen::clear(const QByteArray& serial) {
    std::lock_guard lock(mutex_);
    shown_.erase(serial);
}

std::optional<CSimScreen::Signal> CSimScreen::shown(const QByteArray& serial) const {
    std::lock_guard lock(mutex_);
    const auto it = shown_.find(serial);
    if (it == shown_.end()) return std::nullopt;
    return it->second;
}

}  // namespace platform
