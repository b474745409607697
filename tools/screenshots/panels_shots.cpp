// The auxiliary pages of the main window against the default simulated monitors, with the
// first display (the KX271W) selected.
#include <QVBoxLayout>

#include "comm/ddc_monitor.h"
#include "comm/monitor_features.h"
#include "core/master_control.h"
#include "screenshot.h"
#include "ui/main_window/panel_pip_mode.h"
#include "ui/main_window/panel_settings.h"
#include "ui/main_window/panel_status.h"
#include "ui/main_window/panel_vision_emulation.h"

namespace {

constexpr int kPipOff = 1;
constexpr int kPictureInPicture = 2;

void set_pip_mode(MasterControl& master, int mode) {
    if (CDDCMonitor* monitor = master.current_display().monitor()) {
        int taken = mode;
        monitor->set_value(monitor_feature::pip_mode, taken);
    }
}

// A frame holding the page and the controller it reads the monitor through; the controller
// goes with the frame.
template <typename Page>
QWidget* page_shot(const char* title, int pip_mode = 0) {
    auto* master = new MasterControl();
    CMultiMonitor& monitors = master->monitor_list();
    monitors.scan_interfaces();
    monitors.match_scanned();
    monitors.initialise_displays();
    master->current_display().connect(monitors.display(0));
    if (pip_mode > 0) set_pip_mode(*master, pip_mode);
    auto* frame = new QWidget();
    master->setParent(frame);
    frame->setWindowTitle(QString::fromLatin1(title));
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(new Page(frame));
    frame->resize(frame->sizeHint().expandedTo(QSize(560, 0)));
    return frame;
}

}  // namespace

// With picture-in-picture on, so that every control of the page is in use; off again after.
ORVALE_SCREENSHOT(
    "pip", [] { return page_shot<panel_pip_mode>("PIP", kPictureInPicture); },
    [](QWidget* frame) {
        if (auto* master = frame->findChild<MasterControl*>()) set_pip_mode(*master, kPipOff);
        delete frame;
    });
ORVALE_SCREENSHOT("color_vision", [] { return page_shot<panel_vision_emulation>("Color Vision"); });
ORVALE_SCREENSHOT("settings", [] { return page_shot<panel_settings>("Settings"); });
ORVALE_SCREENSHOT("status", [] { return page_shot<panel_status>("Status"); });
