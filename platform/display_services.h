#pragma once

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace platform {

// The desktop's display devices as the system describes them: graphics adapters, the monitors
// on them, their modes, desktop areas, stored EDIDs and driver values. Implemented over the
// kernel's DRM outputs and the toolkit's screens, and by the simulator's desktop.

struct CDisplayMode {
    bool valid = false;
    QPoint position;
    QSize size;
    int bits_per_pixel = 0;
    int frequency = 0;  // Hz
};

// Where a monitor sits on the desktop.
struct CDesktopArea {
    QRect rectangle;
    QRect work_area;      // without panels and docks
    quintptr handle = 0;  // stable while the desktop layout stays; 0 = none
};

// What the monitor's driver states about it; empty where the system knows nothing.
struct CMonitorDriverValues {
    QString driver_desc;
    QString provider_name;
    QString driver_version;
    QString inf_section;
    QString inf_path;
    QString icm_profile;
    int max_resolution_x = 0;
    int max_resolution_y = 0;
    // Frequency ranges of the first mode the driver lists (kHz horizontal, Hz vertical).
    float h_min = 0, h_max = 0, v_min = 0, v_max = 0;
};

struct CDisplayMonitorDevice {
    QString device_name;    // "card0-DP-1"
    QString description;    // the system's name for the monitor
    QString device_id;      // "MONITOR\KST6C11\card0-DP-1"; the model part names the EDID
    QString device_key;     // key of its driver values; empty when it has none
    bool active = false;    // shows part of the desktop
    bool attached = false;  // a monitor is plugged in
    CDisplayMode mode;      // the current mode, else the one stored for it
    QString ddc_bus;        // "i2c-5": the I2C bus reaching it, empty when unknown
};

struct CDisplayAdapterDevice {
    QString device_name;  // "card0"
    QString description;
    QString device_id;
    bool attached_to_desktop = false;
    bool primary = false;
    bool removable = false;
    bool mirroring = false;  // a pseudo-adapter that mirrors another output
    std::vector<CDisplayMonitorDevice> monitors;
};

class CDisplayServices {
  public:
    virtual ~CDisplayServices() = default;

    // A fresh snapshot of the adapters and their monitors, in the system's order.
    virtual std::vector<CDisplayAdapterDevice> adapters() const = 0;
    // The desktop area of the monitor showing `point`; false when none does.
    virtual bool monitor_at(const QPoint& point, CDesktopArea& area) const = 0;
    // The EDID the system keeps for a monitor, by its device identifier; empty when none.
    virtual QByteArray monitor_edid(const QString& device_id) const = 0;
    // The monitor driver's values by device key; false when the key is unknown.
    virtual bool driver_values(const QString& device_key, CMonitorDriverValues& values) const = 0;
    // The adapter's driver key and version by adapter device identifier; false when unknown.
    virtual bool adapter_driver(const QString& adapter_device_id, QString& driver_key,
                                QString& driver_version) const = 0;
};

// The display services the program uses; null while none are installed (then no display is
// found). MasterControl installs them at construction, on the GUI thread.
CDisplayServices* display_services();
void set_display_services(CDisplayServices* services);

// Builds the display services for this machine: the simulator's desktop when
// ORVALE_SIM_CONFIG names one, else the Linux ones. Must run on the GUI thread, where the
// toolkit's screens live. Tests replace the builder.
using DisplayServicesFactory = std::function<std::unique_ptr<CDisplayServices>()>;
std::unique_ptr<CDisplayServices> create_display_services();
DisplayServicesFactory set_display_services_factory(DisplayServicesFactory factory);

}  // namespace platform
