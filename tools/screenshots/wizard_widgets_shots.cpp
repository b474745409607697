// The four adjustment widgets of the colour wizard, each alone in a small window, against the
// first simulated monitor.
#include <QVBoxLayout>

#include "color/curve_builders.h"
#include "comm/ddc_monitor.h"
#include "comm/monitor_features.h"
#include "core/master_control.h"
#include "screenshot.h"
#include "ui/wizard/color_wizard_brightness.h"
#include "ui/wizard/color_wizard_color_gamut.h"
#include "ui/wizard/color_wizard_custom_gamma.h"
#include "ui/wizard/color_wizard_white_point.h"

namespace {

// A controller whose current display is the first simulated monitor, owned by the window.
MasterControl* controller_for(QWidget* window) {
    auto* master = new MasterControl;
    DisplayInfo info;
    info.index = 0;
    info.monitorId = -1;
    info.ddcCapable = 1;
    master->current_display().connect(info);
    master->setParent(window);
    return master;
}

template <typename Widget, typename Prepare>
QWidget* window_with(const QString& title, Prepare prepare) {
    auto* window = new QWidget;
    window->setWindowTitle(title);
    controller_for(window);
    auto* widget = new Widget;
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(widget);
    prepare(*widget);
    window->show();
    return window;
}

void close_window(QWidget* window) {
    // The widgets write what is pending when they are hidden: the controller must outlive them.
    auto* master = window->findChild<MasterControl*>();
    if (master) master->setParent(nullptr);
    delete window;
    delete master;
}

ORVALE_SCREENSHOT(
    "wizard_widget_gamut",
    [] {
        return window_with<color_wizard_color_gamut>(
            QStringLiteral("Color Gamut"), [](color_wizard_color_gamut& w) {
                CCIEYxy native[3] = {CCIEYxy(1, 0.690, 0.305), CCIEYxy(1, 0.170, 0.740),
                                     CCIEYxy(1, 0.150, 0.045)};
                w.SetMonitorNativeGamutData(true, native);
                w.read_current_gamut();
            });
    },
    close_window);

ORVALE_SCREENSHOT(
    "wizard_widget_white_point",
    [] {
        return window_with<color_wizard_white_point>(
            QStringLiteral("White Point"),
            [](color_wizard_white_point& w) { w.read_current_white_point(); });
    },
    close_window);

ORVALE_SCREENSHOT(
    "wizard_widget_gamma",
    [] {
        return window_with<color_wizard_custom_gamma>(
            QStringLiteral("Gamma"), [](color_wizard_custom_gamma& w) { w.update_ui(); });
    },
    close_window);

// The monitor in Programmable 1 with its tables chosen, as the wizard leaves it after writing
// them; the mode goes back to sRGB afterwards for the shots that follow.
void set_feature(int code, int value) {
    if (CDDCMonitor* monitor = master_control_instance->current_display().monitor()) {
        int taken = value;
        monitor->set_value(code, taken);
    }
}

ORVALE_SCREENSHOT(
    "wizard_widget_gamma_programmable",
    [] {
        return window_with<color_wizard_custom_gamma>(
            QStringLiteral("Gamma"), [](color_wizard_custom_gamma& w) {
                set_feature(monitor_feature::preset, monitor_preset::programmable_mode(1));
                set_feature(monitor_feature::gamma_type, monitor_feature::gamma_type_programmable);
                CSpline r, g, b;
                make_gamma_curve(r, 2.0);
                make_gamma_curve(g, 2.2);
                make_gamma_curve(b, 2.4);
                r.valid = g.valid = b.valid = true;
                w.SetProgrammableGammaSplines(r, g, b);
                w.update_ui();
            });
    },
    [](QWidget* window) {
        set_feature(monitor_feature::preset, monitor_preset::kSrgb);
        close_window(window);
    });

ORVALE_SCREENSHOT(
    "wizard_widget_brightness",
    [] {
        return window_with<color_wizard_brightness>(
            QStringLiteral("Brightness"), [](color_wizard_brightness& w) {
                CDDCMonitor* monitor = master_control_instance->current_display().monitor();
                w.set_percent_mode(monitor && monitor->uses_percent_brightness());
                w.read_all_values();
            });
    },
    close_window);

}  // namespace
