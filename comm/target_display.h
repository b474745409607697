#pragma once

#include "color/display_info.h"

class CDDCMonitor;

// The display being worked on: a copy of its record and the monitor object opened for it.
class CTargetDisplay {
  public:
    static constexpr int kUnsupportedMonitor = -1;
    static constexpr int kNoAccessLibrary = -2;
    static constexpr int kNoInterfaceInfo = -3;

    CTargetDisplay();
    virtual ~CTargetDisplay();
    CTargetDisplay(const CTargetDisplay&) = delete;
    CTargetDisplay& operator=(const CTargetDisplay&) = delete;

    // Takes the record over and opens the monitor behind it: 0 (also for a display without a
    // DDC/CI monitor), or one of the codes above, or the monitor's own open result. The
    // monitor object is held from the identity check on, connected or not.
    int connect(const DisplayInfo& info);

    CDDCMonitor* monitor() const { return monitor_; }
    // True when a monitor is held and it is reached over its USB link.
    bool monitor_is_usb() const;
    const DisplayInfo& info() const { return info_; }
    int status() const { return status_; }

  private:
    CDDCMonitor* monitor_ = nullptr;
    DisplayInfo info_;
    int reserved_ = 1;
    int status_ = -1;
};
