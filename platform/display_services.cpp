#include "platform/display_services.h"

#include <atomic>

#include "platform/linux_display_services.h"
#include "platform/sim_display_services.h"

namespace platform {

namespace {
std::atomic<CDisplayServices*> global_services{nullptr};
DisplayServicesFactory& factory_slot() {
    static DisplayServicesFactory factory;
    return factory;
}
}  // namespace

CDisplayServices* display_services() {
    return global_services.load(std::memory_order_acquire);
}

void set_display_services(CDisplayServices* services) {
    global_services.store(services, std::memory_order_release);
}

DisplayServicesFactory set_display_services_factory(DisplayServicesFactory factory) {
    DisplayServicesFactory previous = std::move(factory_slot());
    factory_slot() = std::move(factory);
    return previous;
}

std::unique_ptr<CDisplayServices> create_display_services() {
    if (factory_slot()) return factory_slot()();
    sim::CSimConfig config;
    QString error;
    if (sim::CSimConfig::from_environment(config, &error))
        return std::make_unique<CSimDisplayServices>(std::move(config));
    // A broken simulator configuration is reported by the simulated access backend; the
    // desktop is then the real one.
    return std::make_unique<CLinuxDisplayServices>();
}

}  // namespace platform
