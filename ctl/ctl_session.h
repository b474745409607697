#pragma once

#include <QString>
#include <memory>

#include "color/display_info.h"
#include "comm/multi_monitor.h"
#include "comm/target_display.h"
#include "core/monitor_tracker.h"

namespace platform {
class CAccessLibrary;
class CDisplayServices;
}  // namespace platform

namespace ctl {

// What a command works on: the access object (the simulator when ORVALE_SIM_CONFIG names one,
// then the machine's I2C buses, each exchange under the bus's advisory lock), the desktop's
// displays, the display assignments and stored records of the program's "config.dat" (read,
// never written: the program owns that file) and the display records as the main window's
// selector lists them.
class CSession {
  public:
    // `probe`: ask every supported monitor whether it answers (list), or leave that to the
    // command's own exchange (everything else, so that no other monitor is talked to).
    explicit CSession(bool probe);
    ~CSession();
    CSession(const CSession&) = delete;
    CSession& operator=(const CSession&) = delete;

    int display_count() const { return monitors_.display_count(); }
    DisplayInfo display(int number) const { return monitors_.display(number - 1); }
    const CMultiMonitor& monitors() const { return monitors_; }
    // The program's stored records; the tool keeps what it adds or changes for this run only.
    CMonitorTracker& records() { return tracker_; }

    // Why a display's monitor cannot be controlled, or an empty text when it can (or, without
    // the probe, may be).
    QString obstacle(const DisplayInfo& info) const;
    // The selector's text: "Display N - name" and the suffix of an unsupported or silent
    // monitor.
    static QString selector_text(int number, const DisplayInfo& info);

    // Opens the monitor of display `number` (1-based); 0, or a negative code with `why` set.
    int open(int number, QString& why);
    CDDCMonitor* monitor() const { return target_.monitor(); }
    const DisplayInfo& opened() const { return target_.info(); }

  private:
    bool probed_;
    std::unique_ptr<platform::CAccessLibrary> library_;
    std::unique_ptr<platform::CDisplayServices> services_;
    CMultiMonitor monitors_;
    CMonitorTracker tracker_;
    CTargetDisplay target_;
};

}  // namespace ctl
