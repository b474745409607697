#include "comm/display_enumeration.h"

#include <algorithm>

bool CDisplayEntry::has_edid() const {
    return std::any_of(edid.begin(), edid.end(), [](std::uint8_t b) { return b != 0; });
}

int MyEnumMonitors::display_entry(int i, CDisplayEntry& out) const {
    if (i < 0 || i >= display_count()) return -1;
    out = entries_[static_cast<std::size_t>(i)];
    return 0;
}

int MyEnumMonitors::enumerate_displays(bool active_only) {
    entries_.clear();
    const platform::CDisplayServices* services = platform::display_services();
    if (!services) return 0;
    int display_number = 1;
    int desktop_index = 1;
    for (const platform::CDisplayAdapterDevice& adapter : services->adapters()) {
        // A mirroring pseudo-adapter repeats another output; it is no display of its own.
        if (adapter.mirroring) continue;
        for (const platform::CDisplayMonitorDevice& monitor : adapter.monitors) {
            CDisplayEntry entry;
            entry.display_number = display_number++;
            entry.monitor_description = monitor.description;
            entry.adapter_description = adapter.description;
            entry.monitor_device_name = monitor.device_name;
            entry.adapter_device_name = adapter.device_name;
            entry.monitor_device_id = monitor.device_id;
            entry.adapter_device_id = adapter.device_id;
            entry.monitor_active = monitor.active;
            entry.monitor_attached = monitor.attached;
            entry.adapter_on_desktop = adapter.attached_to_desktop;
            entry.adapter_primary = adapter.primary;
            entry.adapter_removable = adapter.removable;
            entry.mode = monitor.mode;
            if (adapter.attached_to_desktop && entry.mode.valid) {
                platform::CDesktopArea area;
                if (services->monitor_at(entry.mode.position, area)) {
                    entry.desktop_rectangle = area.rectangle;
                    entry.work_area = area.work_area;
                    entry.monitor_handle = area.handle;
                }
            }
            read_adapter_driver(adapter.device_id, entry);
            entry.id_names_monitor = read_monitor_edid(monitor.device_id, entry.edid) == 0;
            read_driver_values(monitor.device_key, entry);
            read_monitor_modes(monitor.device_key, entry);
            const bool on_desktop = monitor.active && monitor.attached;
            entry.desktop_index = on_desktop ? desktop_index++ : 0;
            if (!active_only || on_desktop) entries_.push_back(entry);
        }
    }
    return display_count();
}

int MyEnumMonitors::read_monitor_edid(const QString& device_id,
                                      std::array<std::uint8_t, 256>& buffer) {
    buffer.fill(0);
    static const QString prefix = QStringLiteral("MONITOR\\");
    const QString upper = device_id.toUpper();
    if (!upper.startsWith(prefix)) return -1;
    const int end = upper.indexOf(QLatin1Char('\\'), prefix.size());
    if (end <= prefix.size()) return -1;
    const platform::CDisplayServices* services = platform::display_services();
    if (!services) return 0;
    const QByteArray edid = services->monitor_edid(device_id);
    const int n = std::min<int>(static_cast<int>(edid.size()), static_cast<int>(buffer.size()));
    std::copy_n(reinterpret_cast<const std::uint8_t*>(edid.constData()), n, buffer.begin());
    return 0;
}

int MyEnumMonitors::read_driver_values(const QString& device_key, CDisplayEntry& entry) {
    const platform::CDisplayServices* services = platform::display_services();
    if (device_key.isEmpty() || !services) return -1;
    platform::CMonitorDriverValues values;
    if (!services->driver_values(device_key, values)) return -1;
    // The frequency ranges are the modes' business (read_monitor_modes).
    values.h_min = entry.driver.h_min;
    values.h_max = entry.driver.h_max;
    values.v_min = entry.driver.v_min;
    values.v_max = entry.driver.v_max;
    entry.driver = values;
    return 0;
}

int MyEnumMonitors::read_monitor_modes(const QString& device_key, CDisplayEntry& entry) {
    const platform::CDisplayServices* services = platform::display_services();
    if (device_key.isEmpty() || !services) return -1;
    platform::CMonitorDriverValues values;
    if (!services->driver_values(device_key, values)) return -1;
    entry.driver.h_min = values.h_min;
    entry.driver.h_max = values.h_max;
    entry.driver.v_min = values.v_min;
    entry.driver.v_max = values.v_max;
    return 0;
}

int MyEnumMonitors::read_adapter_driver(const QString& adapter_device_id, CDisplayEntry& entry) {
    const platform::CDisplayServices* services = platform::display_services();
    if (adapter_device_id.isEmpty() || !services) return -1;
    return services->adapter_driver(adapter_device_id, entry.adapter_driver_key,
                                    entry.adapter_driver_version)
               ? 0
               : -1;
}
