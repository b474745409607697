#include "platform/access_library.h"

namespace platform {

std::unique_ptr<CAccessLibrary> build_configured_access_library() {
    auto library = std::make_unique<CAccessLibrary>();
    // Backends are added here as they exist: the simulator when configured, then the
    // machine's I2C buses.
    return library;
}

}  // namespace platform
