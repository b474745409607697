// The display configuration dialog over the simulator's default desktop: its displays side by
// side, each matched to its monitor by the detection pass, the first one selected.
#include <memory>

#include "core/master_control.h"
#include "screenshot.h"
#include "ui/display_config/display_configuration_dialog.h"

namespace {

std::unique_ptr<MasterControl>& controller() {
    static std::unique_ptr<MasterControl> master;
    return master;
}

ORVALE_SCREENSHOT(
    "display_configuration",
    [] {
        controller() = std::make_unique<MasterControl>();
        CMultiMonitor& monitors = controller()->monitor_list();
        monitors.scan_interfaces();
        monitors.match_scanned();
        monitors.initialise_displays();
        return new TW_Display_Configuration_Dialog(monitors);
    },
    [](QWidget* window) {
        delete window;
        controller().reset();
    });

}  // namespace
