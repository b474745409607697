#include "platform/access_library.h"
#include "platform/sim_backend.h"

namespace platform {

std::unique_ptr<CAccessLibrary> build_configured_access_library() {
    auto library = std::make_unique<CAccessLibrary>();
    // The simulated monitors come first when ORVALE_SIM_CONFIG asks for them; the machine's
    // I2C buses follow once they have a backend.
    if (auto simulator = create_sim_backend_from_environment())
        library->add_backend(std::move(simulator));
    return library;
}

}  // namespace platform
