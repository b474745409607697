#include "platform/sim_display_services.h"

#include "platform/edid_identity.h"

namespace platform {

namespace {

constexpr int kSimDepth = 32;
constexpr int kSimFrequency = 60;
// A panel strip along the bottom of the primary display, so work areas differ from the
// display rectangles as they do on a real desktop.
constexpr int kSimPanelHeight = 32;

QString monitor_device_name(const sim::CSimDisplay& d) {
    return d.adapter + QLatin1Char('-') + d.connector;
}

bool on_desktop(const sim::CSimDisplay& d) {
    return d.active && d.attached && !d.mirroring;
}

}  // namespace

CSimDisplayServices::CSimDisplayServices(sim::CSimConfig config) : config_(std::move(config)) {}

QString CSimDisplayServices::device_id(std::size_t display) const {
    const sim::CSimDisplay& d = config_.displays[display];
    const QString model =
        d.edid.isEmpty() ? QStringLiteral("Default_Monitor") : edid_identifier(d.edid);
    return QStringLiteral("MONITOR\\") + model + QLatin1Char('\\') + monitor_device_name(d);
}

std::vector<CDisplayAdapterDevice> CSimDisplayServices::adapters() const {
    std::vector<CDisplayAdapterDevice> list;
    for (std::size_t i = 0; i < config_.displays.size(); ++i) {
        const sim::CSimDisplay& d = config_.displays[i];
        CDisplayAdapterDevice* adapter = nullptr;
        if (!d.mirroring) {
            for (CDisplayAdapterDevice& a : list) {
                if (a.device_name == d.adapter && !a.mirroring) adapter = &a;
            }
        }
        if (!adapter) {
            CDisplayAdapterDevice a;
            a.device_name = d.adapter;
            a.description = d.adapter_description;
            a.device_id = QStringLiteral("SIM\\") + d.adapter;
            a.mirroring = d.mirroring;
            list.push_back(a);
            adapter = &list.back();
        }
        CDisplayMonitorDevice m;
        m.device_name = monitor_device_name(d);
        m.description = d.description;
        m.device_id = device_id(i);
        m.device_key = m.device_name;
        m.active = d.active;
        m.attached = d.attached;
        m.mode.valid = true;
        m.mode.position = d.geometry.topLeft();
        m.mode.size = d.geometry.size();
        m.mode.bits_per_pixel = kSimDepth;
        m.mode.frequency = kSimFrequency;
        adapter->attached_to_desktop = adapter->attached_to_desktop || on_desktop(d);
        adapter->primary = adapter->primary || (d.primary && on_desktop(d));
        adapter->monitors.push_back(m);
    }
    return list;
}

bool CSimDisplayServices::monitor_at(const QPoint& point, CDesktopArea& area) const {
    for (std::size_t i = 0; i < config_.displays.size(); ++i) {
        const sim::CSimDisplay& d = config_.displays[i];
        if (!on_desktop(d) || !d.geometry.contains(point)) continue;
        area.rectangle = d.geometry;
        area.work_area = d.primary ? d.geometry.adjusted(0, 0, 0, -kSimPanelHeight) : d.geometry;
        area.handle = static_cast<quintptr>(i + 1);
        return true;
    }
    return false;
}

QByteArray CSimDisplayServices::monitor_edid(const QString& id) const {
    for (std::size_t i = 0; i < config_.displays.size(); ++i) {
        if (device_id(i).compare(id, Qt::CaseInsensitive) == 0) return config_.displays[i].edid;
    }
    return QByteArray();
}

QString CSimDisplayServices::own_colord_device_id(const QString& id) const {
    static const QString kPrefix = QStringLiteral("orvale-sim-");
    for (std::size_t i = 0; i < config_.displays.size(); ++i) {
        if (device_id(i).compare(id, Qt::CaseInsensitive) != 0) continue;
        const sim::CSimDisplay& d = config_.displays[i];
        const QString model = edid_descriptor_text(d.edid, kEdidNameTag);
        const QString serial = edid_descriptor_text(d.edid, kEdidSerialTag);
        if (!model.isEmpty() && !serial.isEmpty())
            return kPrefix + model + QLatin1Char('-') + serial;
        return kPrefix + monitor_device_name(d);
    }
    // A name the simulator never gave still must not reach a desktop device.
    QString name = id.section(QLatin1Char('\\'), -1);
    return kPrefix + (name.isEmpty() ? QStringLiteral("unknown") : name);
}

bool CSimDisplayServices::driver_values(const QString& device_key,
                                        CMonitorDriverValues& values) const {
    for (const sim::CSimDisplay& d : config_.displays) {
        if (monitor_device_name(d) != device_key) continue;
        values = CMonitorDriverValues();
        values.driver_desc = d.description;
        values.provider_name = QStringLiteral("Orvale simulator");
        return true;
    }
    return false;
}

bool CSimDisplayServices::adapter_driver(const QString& adapter_device_id, QString& driver_key,
                                         QString& driver_version) const {
    for (const sim::CSimDisplay& d : config_.displays) {
        if (QStringLiteral("SIM\\") + d.adapter != adapter_device_id) continue;
        driver_key = QStringLiteral("sim\\") + d.adapter;
        driver_version = QStringLiteral("1.0");
        return true;
    }
    return false;
}

}  // namespace platform
