#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

#include "platform/display_services.h"

// One monitor of the desktop as the system lists it, with what the system stores about it.
struct CDisplayEntry {
    int display_number = 0;  // running count from 1 over every monitor seen
    QString monitor_description;
    QString adapter_description;
    QString monitor_device_name;
    QString adapter_device_name;
    QString monitor_device_id;
    QString adapter_device_id;
    bool monitor_active = false;
    bool monitor_attached = false;
    bool adapter_on_desktop = false;
    bool adapter_primary = false;
    bool adapter_removable = false;

    platform::CDisplayMode mode;
    // When the adapter is attached to the desktop.
    QRect desktop_rectangle;
    QRect work_area;
    quintptr monitor_handle = 0;

    std::array<std::uint8_t, 256> edid{};  // as the system stores it; zero when none
    bool id_names_monitor = false;         // the device identifier has the monitor form

    platform::CMonitorDriverValues driver;
    QString adapter_driver_key;
    QString adapter_driver_version;

    int desktop_index = 0;  // 1, 2, ... over the active and attached monitors; 0 otherwise

    bool has_edid() const;
};

// Lists the desktop's displays from the display services.
class MyEnumMonitors {
  public:
    MyEnumMonitors() = default;
    virtual ~MyEnumMonitors() = default;
    MyEnumMonitors(const MyEnumMonitors&) = default;
    MyEnumMonitors& operator=(const MyEnumMonitors&) = default;

    // Fills the list (every monitor seen, or only those active and attached); its size.
    int enumerate_displays(bool active_only);
    int display_count() const { return static_cast<int>(entries_.size()); }
    // Copies entry i; -1 when out of range.
    int display_entry(int i, CDisplayEntry& out) const;

    // The system's stores, reached by the identifiers and keys of an entry.
    // -1 when the identifier is not of the monitor form, else 0 (buffer zero without EDID).
    int read_monitor_edid(const QString& device_id, std::array<std::uint8_t, 256>& buffer);
    // -1 when the key is missing or unknown.
    int read_driver_values(const QString& device_key, CDisplayEntry& entry);
    int read_monitor_modes(const QString& device_key, CDisplayEntry& entry);
    int read_adapter_driver(const QString& adapter_device_id, CDisplayEntry& entry);

  private:
    std::vector<CDisplayEntry> entries_;
};
