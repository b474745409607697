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

    const sim::CSimConfig& config() const { return config_; }

  private:
    QString device_id(std::size_t display) const;

    sim::CSimConfig config_;
};

}  // namespace platform
