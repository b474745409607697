#pragma once

#include "platform/display_services.h"
#include "sim/sim_config.h"

namespace platform {

// The simulator's desktop: one adapter per adapter name of the display list, in order of first
// appearance, each mirroring display as a pseudo-adapter of its own; every display a monitor
// with the rectangle, flags and stored EDID its configuration gives. The configuration is
// fixed for the object's life, so every snapshot is the same.
class CSimDisplayServices : public CDisplayServices {
  public:
    explicit CSimDisplayServices(sim::CSimConfig config);

    std::vector<CDisplayAdapterDevice> adapters() const override;
    bool monitor_at(const QPoint& point, CDesktopArea& area) const override;
    QByteArray monitor_edid(const QString& device_id) const override;
    bool driver_values(const QString& device_key, CMonitorDriverValues& values) const override;
    bool adapter_driver(const QString& adapter_device_id, QString& driver_key,
                        QString& driver_version) const override;
    // The colord device id of a simulated monitor: colord keeps its profiles only under this
    // id, never under the desktop's ids for an output or an EDID, which belong to real
    // monitors. "orvale-sim-<model>-<serial>" from the simulated EDID, else
    // "orvale-sim-<device name>".
    QString own_colord_device_id(const QString& device_id) const;

    const sim::CSimConfig& config() const { return config_; }

  private:
    QString device_id(std::size_t display) const;

    sim::CSimConfig config_;
};

}  // namespace platform
