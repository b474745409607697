#include "comm/target_display.h"

CTargetDisplay::CTargetDisplay() = default;

CTargetDisplay::~CTargetDisplay() = default;

bool CTargetDisplay::monitor_is_usb() const {
    // No monitor object can be held until the monitor model exists.
    return false;
}

int CTargetDisplay::connect(const DisplayInfo& info) {
    info_ = info;
    status_ = 0;
    if (info_.index < 0 || !info_.ddcCapable) return 0;
    // Opening the monitor comes with the monitor model.
    status_ = -1;
    return -1;
}
