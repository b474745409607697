#pragma once

#include <utility>

#include "platform/display_services.h"
#include "platform/sim_display_services.h"

namespace testing_support {

// The simulator's desktop standing in for a real one: the same displays and EDIDs, but not
// known as simulated, so the colour system names them as the desktop's colour plugins do. For
// tests of that naming; simulated monitors themselves get ids of their own.
class CDesktopDisplayServices : public platform::CDisplayServices {
  public:
    explicit CDesktopDisplayServices(sim::CSimConfig config) : sim_(std::move(config)) {}

    std::vector<platform::CDisplayAdapterDevice> adapters() const override {
        return sim_.adapters();
    }
    bool monitor_at(const QPoint& point, platform::CDesktopArea& area) const override {
        return sim_.monitor_at(point, area);
    }
    QByteArray monitor_edid(const QString& device_id) const override {
        return sim_.monitor_edid(device_id);
    }
    bool driver_values(const QString& device_key,
                       platform::CMonitorDriverValues& values) const override {
        return sim_.driver_values(device_key, values);
    }
    bool adapter_driver(const QString& adapter_device_id, QString& driver_key,
                        QString& driver_version) const override {
        return sim_.adapter_driver(adapter_device_id, driver_key, driver_version);
    }

  private:
    platform::CSimDisplayServices sim_;
};

}  // namespace testing_support
