#include "ui/wizard/color_wizard_custom_gamma.h"

#include "ui_color_wizard_custom_gamma.h"

#include <QSignalBlocker>
#include <cmath>

#include "color/curve_builders.h"
#include "comm/ddc_monitor.h"
#include "comm/monitor_features.h"
#include "comm/monitor_timing.h"
#include "core/color_wizard_rules.h"
#include "core/master_control.h"
#include "ui/progress/wait_cursor.h"
#include "ui/wizard/wizard_monitor.h"

namespace mf = monitor_feature;

using namespace wizard_monitor;

namespace {}  // namespace

color_wizard_custom_gamma::color_wizard_custom_gamma(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::color_wizard_custom_gammaClass>()) {
    ui->setupUi(this);
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, this, &color_wizard_custom_gamma::timer_timeout);

    gamma_buttons.addButton(ui->gamma_value_radioButton, mf::gamma_type_value);
    gamma_buttons.addButton(ui->gamma_dicom_radioButton, mf::gamma_type_dicom);
    gamma_buttons.addButton(ui->gamma_Lstar_radioButton, mf::gamma_type_lstar);
    gamma_buttons.addButton(ui->gamma_sRGB_radioButton, mf::gamma_type_srgb);
    gamma_buttons.addButton(ui->gamma_programmable_radioButton, mf::gamma_type_programmable);
    connect(&gamma_buttons, &QButtonGroup::idClicked, this,
            &color_wizard_custom_gamma::gamma_mode_changed);
    connect(ui->gamma_value_doubleSpinBox, &QDoubleSpinBox::valueChanged, this,
            &color_wizard_custom_gamma::gamma_value_changed);
    commit_on_return(ui->gamma_value_doubleSpinBox);
    ui->widget_Color_Custom_Curve_Graph->setXAxisTitle(tr("Input Level"));
    ui->widget_Color_Custom_Curve_Graph->setYAxisTitle(tr("Output Luminance"));
    ui->widget_Color_Custom_Curve_Graph->setShowAxisTitles(true);
}

color_wizard_custom_gamma::~color_wizard_custom_gamma() {
    // A page deleted while shown gets no hide event of its own: the last edit goes out here.
    if (timer.isActive() && current_monitor()) timer_timeout();
}

int color_wizard_custom_gamma::gamma_code(double gamma) {
    return color_wizard_rules::gamma_code(gamma);
}

double color_wizard_custom_gamma::gamma_from_code(int code) {
    return color_wizard_rules::gamma_from_code(code);
}

void color_wizard_custom_gamma::SetProgrammableGammaSplines(CSpline r, CSpline g, CSpline b) {
    red = r;
    green = g;
    blue = b;
}

void color_wizard_custom_gamma::update_ui() {
    timer.stop();
    value_dirty = false;
    bool failed = false;
    {
        const QSignalBlocker block_group(gamma_buttons);
        const QSignalBlocker block_value(ui->gamma_value_doubleSpinBox);
        ui->gamma_programmable_radioButton->setEnabled(true);
        CDDCMonitor* monitor = current_monitor();
        int type = 0;
        int code = 0;
        int preset = 0;
        if (!monitor || monitor->get_value(mf::gamma_type, type) != 0) {
            failed = true;
        } else {
            if (QAbstractButton* button = gamma_buttons.button(type)) {
                button->setChecked(true);
            } else {
                // A type this page does not offer (the panel's native response): no choice.
                gamma_buttons.setExclusive(false);
                for (QAbstractButton* b : gamma_buttons.buttons())
                    b->setChecked(false);
                gamma_buttons.setExclusive(true);
            }
            ui->gamma_value_doubleSpinBox->setEnabled(type == mf::gamma_type_value);
            if (monitor->get_value(mf::gamma_value, code) != 0) {
                failed = true;
                ui->gamma_value_doubleSpinBox->setEnabled(false);
            } else {
                ui->gamma_value_doubleSpinBox->setValue(gamma_from_code(code));
                update_gamma_graphs(static_cast<uint>(type),
                                    ui->gamma_value_doubleSpinBox->value());
                if (monitor->get_value(mf::preset, preset) != 0) failed = true;
            }
        }
        // The tables can be chosen only in a programmable mode that has them; the fixed presets
        // (sRGB to DICOM) never use them.
        const bool fixed_preset =
            preset >= monitor_preset::kSrgb && preset <= monitor_preset::kDicom;
        if (failed || fixed_preset || !red.valid)
            ui->gamma_programmable_radioButton->setEnabled(false);
    }
    if (failed) show_communication_error(this);
}

void color_wizard_custom_gamma::gamma_mode_changed(int id) {
    // An exponent still waiting belongs to the type it was chosen for.
    flush_pending_writes();
    CDDCMonitor* monitor = current_monitor();
    int error = 0;
    {
        const CWaitCursor wait;
        int type = id;
        // The model's own write keeps the monitor's settle wait before 0x2E8 is asked for.
        error = monitor ? monitor->set_mode_0268(type) : CDDCMonitor::kNotConnected;
        if (error == 0) {
            ui->gamma_value_doubleSpinBox->setEnabled(id == mf::gamma_type_value);
            if (id == mf::gamma_type_value) {
                int code = 0;
                error = monitor->get_value(mf::gamma_value, code);
                if (error == 0) {
                    const QSignalBlocker blocker(ui->gamma_value_doubleSpinBox);
                    ui->gamma_value_doubleSpinBox->setValue(gamma_from_code(code));
                } else {
                    ui->gamma_value_doubleSpinBox->setEnabled(false);
                }
            }
            update_gamma_graphs(static_cast<uint>(id), ui->gamma_value_doubleSpinBox->value());
        }
    }
    if (error != 0) show_communication_error(this);
}

void color_wizard_custom_gamma::gamma_value_changed(double value) {
    update_gamma_graphs(mf::gamma_type_value, value);
    value_dirty = true;
    timer.start(monitor_timing::kWriteDelayMs);
}

void color_wizard_custom_gamma::timer_timeout() {
    timer.stop();
    if (!value_dirty) return;
    value_dirty = false;
    CDDCMonitor* monitor = current_monitor();
    int error = 0;
    {
        const CWaitCursor wait;
        int code = gamma_code(ui->gamma_value_doubleSpinBox->value());
        error = monitor ? monitor->set_value(mf::gamma_value, code) : CDDCMonitor::kNotConnected;
        if (error == 0)
            update_gamma_graphs(mf::gamma_type_value, ui->gamma_value_doubleSpinBox->value());
        if (monitor) monitor->wait(monitor_timing::kPageSettleWaitMs);
    }
    if (error != 0) show_communication_error(this);
}

void color_wizard_custom_gamma::update_gamma_graphs(uint current_gamma_mode, double gamma_value) {
    curves.clear();
    CSpline curve;
    switch (current_gamma_mode) {
        case mf::gamma_type_value:
            make_gamma_curve(curve, gamma_value);
            curves.append(curve);
            break;
        case mf::gamma_type_srgb:
            make_srgb_curve(curve);
            curves.append(curve);
            break;
        case mf::gamma_type_lstar:
            make_lstar_curve(curve);
            curves.append(curve);
            break;
        case mf::gamma_type_dicom: {
            CDDCMonitor* monitor = current_monitor();
            int white = 0, black = 0, floor = 0;
            if (monitor && monitor->get_value(mf::luminance, white) == 0 &&
                monitor->get_value(mf::black_level, black) == 0 &&
                monitor->get_value(mf::black_level_minimum, floor) == 0) {
                make_dicom_curve(curve, dicom_black_luminance(black, floor),
                                 static_cast<float>(white));
                curves.append(curve);
            }
            break;
        }
        case mf::gamma_type_programmable:
            curves = {red, green, blue};
            break;
        default:
            break;
    }
    show_curves();
}

void color_wizard_custom_gamma::show_curves() {
    QList<QPen> pens;
    if (curves.size() == 3) {
        pens = {QPen(QColor(255, 0, 0), 2), QPen(QColor(0, 255, 0), 2), QPen(QColor(0, 0, 255), 2)};
    } else {
        pens = {QPen(QColor(0, 0, 0), 2)};
    }
    ui->widget_Color_Custom_Curve_Graph->setCurves(curves, pens);
}

void color_wizard_custom_gamma::flush_pending_writes() {
    if (timer.isActive()) timer_timeout();
}

void color_wizard_custom_gamma::hideEvent(QHideEvent* event) {
    // Next or Cancel within the debounce pause must not lose the last edit.
    flush_pending_writes();
    QWidget::hideEvent(event);
}
