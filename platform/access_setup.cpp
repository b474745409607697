#include "platform/access_library.h"
#include "platform/i2c_backend.h"
#include "platform/sim_backend.h"

namespace platform {

std::unique_ptr<CAccessLibrary> build_configured_access_library() {
    auto library = std::make_unique<CAccessLibrary>();
    // The simulated monitors come first when ORVALE_SIM_CONFIG asks for them, so that their
    // numbers do not depend on the machine; the machine's own I2C buses follow.
    if (auto simulator = create_sim_backend_from_environment())
        library->add_backend(std::move(simulator));
    library->add_backend(std::make_unique<CI2cBackend>());
    return library;
}

}  // namespace platform
