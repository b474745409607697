#pragma once

#include <memory>

#include "platform/access_library.h"
#include "platform/display_services.h"
#include "platform/sim_backend.h"
#include "platform/sim_display_services.h"
#include "sim/sim_config.h"

namespace testing_support {

// The simulator's monitors, and optionally its desktop, in place of the machine's for every
// controller made while this lives; the previous factories come back afterwards. `backend` is
// the simulated backend of the access object made last.
class CSimulatedMachine {
  public:
    enum Desktop { machines_desktop, simulated_desktop };

    CSimulatedMachine(sim::CSimConfig config, Desktop desktop) : config_(std::move(config)) {
        previous_library_ = platform::set_access_library_factory([this] {
            auto simulated = std::make_unique<platform::CSimBackend>(config_);
            backend = simulated.get();
            auto library = std::make_unique<platform::CAccessLibrary>();
            library->add_backend(std::move(simulated));
            return library;
        });
        if (desktop == simulated_desktop) {
            replaced_services_ = true;
            previous_services_ = platform::set_display_services_factory(
                [this] { return std::make_unique<platform::CSimDisplayServices>(config_); });
        }
    }
    ~CSimulatedMachine() {
        platform::set_access_library_factory(std::move(previous_library_));
        if (replaced_services_)
            platform::set_display_services_factory(std::move(previous_services_));
    }
    CSimulatedMachine(const CSimulatedMachine&) = delete;
    CSimulatedMachine& operator=(const CSimulatedMachine&) = delete;

    platform::CSimBackend* backend = nullptr;

  private:
    sim::CSimConfig config_;
    bool replaced_services_ = false;
    platform::AccessLibraryFactory previous_library_;
    platform::DisplayServicesFactory previous_services_;
};

}  // namespace testing_support
