#pragma once

namespace platform {

// False where a client cannot place its windows (a Wayland session: the compositor places
// them, and a window's position reads as 0,0). There a stored position is neither applied nor
// overwritten, and full-screen windows are put on an output by choosing its screen.
bool clients_place_windows();

}  // namespace platform
