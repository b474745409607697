#pragma once

#include "color/display_info.h"

class CDDCMonitor;

// The display being worked on: a copy of its record and the monitor object opened for it.
class CTargetDisplay {
  public:
    CTargetDisplay();
    virtual ~CTargetDisplay();
    CTargetDisplay(const CTargetDisplay&) = delete;
    CTargetDisplay& operator=(const CTargetDisplay&) = delete;

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
