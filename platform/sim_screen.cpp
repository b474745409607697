#include "platform/sim_screen.h"

namespace platform {

CSimScreen& CSimScreen::instance() {
    static CSimScreen screen;
    return screen;
}

void CSimScreen::show(const QByteArray& serial, const Signal& signal) {
    std::lock_guard lock(mutex_);
    shown_[serial] = signal;
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
