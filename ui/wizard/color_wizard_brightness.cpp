#include "ui/wizard/color_wizard_brightness.h"

#include "ui_color_wizard_brightness.h"

#include <QApplication>
#include <QPointer>
#include <QSignalBlocker>
#include <QToolTip>
#include <array>

#include "comm/ddc_monitor.h"
#include "comm/monitor_features.h"
#include "comm/monitor_timing.h"
#include "core/master_control.h"
#include "core/operation_running.h"
#include "core/picture_mode_rules.h"
#include "ui/progress/wait_cursor.h"
#include "ui/wizard/wizard_monitor.h"

namespace mf = monitor_feature;

using namespace wizard_monitor;

namespace {

void show_indicator(QLabel* label, const picture_mode::Indicator& indicator) {
    label->setText(indicator.text);
    label->setToolTip(indicator.tool_tip);
}

// Setting a spin box rewrites its text: a box the user is typing in keeps its text while the
// value read back is the one it already holds.
void show_read_value(QDoubleSpinBox* spin, double value) {
    if (spin->hasFocus() && spin->textFromValue(value) == spin->textFromValue(spin->value()))
        return;
    spin->setValue(value);
}

void set_range(QDoubleSpinBox* spin, double minimum, double maximum) {
    if (spin->minimum() != minimum || spin->maximum() != maximum) spin->setRange(minimum, maximum);
}

}  // namespace

picture_mode::BrightnessScale color_wizard_brightness::brightness_scale() const {
    return {ui->brightness_verticalSlider->minimum(), ui->brightness_verticalSlider->maximum(),
            percent_display};
}

picture_mode::BlackLevelScale color_wizard_brightness::black_level_scale() const {
    return {ui->black_level_verticalSlider->maximum(), percent_display};
}

color_wizard_brightness::color_wizard_brightness(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::color_wizard_brightnessClass>()) {
    ui->setupUi(this);
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, this, &color_wizard_brightness::timer_timeout);
    limit_timer.setInterval(monitor_timing::kLimitCheckMs);
    connect(&limit_timer, &QTimer::timeout, this,
            &color_wizard_brightness::check_brightness_limit_timer_timeout);
    connect(ui->brightness_spinBox, &QDoubleSpinBox::valueChanged, this,
            &color_wizard_brightness::brightness_spinBox_valuechanged);
    connect(ui->black_level_spinBox, &QDoubleSpinBox::valueChanged, this,
            &color_wizard_brightness::black_level_spinBox_valuechanged);
    commit_on_return(ui->brightness_spinBox);
    commit_on_return(ui->black_level_spinBox);
    apply_spin_box_format();
}

color_wizard_brightness::~color_wizard_brightness() {
    // A page deleted while shown gets no hide event of its own: the last edit goes out here.
    if (timer.isActive() && current_monitor()) timer_timeout();
}

void color_wizard_brightness::set_percent_mode(bool percent) {
    percent_display = percent;
    apply_spin_box_format();
}

void color_wizard_brightness::apply_spin_box_format() {
    const QSignalBlocker block_brightness(ui->brightness_spinBox);
    const QSignalBlocker block_black(ui->black_level_spinBox);
    const picture_mode::BrightnessScale brightness = brightness_scale();
    const picture_mode::BlackLevelScale black = black_level_scale();
    const QString suffix = picture_mode::unit_suffix(percent_display);
    // Each of these rewrites the text of the box, even unchanged: only what changes is set, so
    // that a read-back does not wipe what the user is typing.
    for (auto [spin, decimals] : {std::pair{ui->brightness_spinBox, brightness.decimals()},
                                  std::pair{ui->black_level_spinBox, black.decimals()}}) {
        if (spin->suffix() != suffix) spin->setSuffix(suffix);
        if (spin->decimals() != decimals) spin->setDecimals(decimals);
    }
    for (auto [spin, step] : {std::pair{ui->brightness_spinBox, brightness.step()},
                              std::pair{ui->black_level_spinBox, black.step()}}) {
        if (spin->singleStep() != step) spin->setSingleStep(step);
    }
    // The range each control covers, in the unit shown.
    const auto range_text = [this](double low, double high, int decimals) {
        return tr("%1 to %2%3")
            .arg(low, 0, 'f', decimals)
            .arg(high, 0, 'f', decimals)
            .arg(picture_mode::unit_suffix(percent_display));
    };
    ui->brightness_units_label->setText(range_text(ui->brightness_spinBox->minimum(),
                                                   ui->brightness_spinBox->maximum(),
                                                   ui->brightness_spinBox->decimals()));
    ui->black_level_units_label->setText(range_text(ui->black_level_spinBox->minimum(),
                                                    ui->black_level_spinBox->maximum(),
                                                    ui->black_level_spinBox->decimals()));
}

void color_wizard_brightness::set_brightness_enabled(bool enabled) {
    ui->brightness_verticalSlider->setEnabled(enabled);
    ui->brightness_spinBox->setEnabled(enabled);
}

void color_wizard_brightness::set_black_level_enabled(bool enabled) {
    ui->black_level_verticalSlider->setEnabled(enabled);
    ui->black_level_spinBox->setEnabled(enabled);
}

void color_wizard_brightness::read_all_values() {
    timer.stop();
    brightness_dirty = black_level_dirty = false;
    uniformity_limit_value = contrast_limit_value = black_floor_value = -1;
    // The controls are disabled while the monitor is read back after each write; the one the
    // user works in must keep the focus, or the next Return would press a wizard button.
    const QPointer<QWidget> focused =
        isAncestorOf(QApplication::focusWidget()) ? QApplication::focusWidget() : nullptr;
    // Decimals first, so that the values read are not rounded to the previous mode's.
    apply_spin_box_format();
    bool failed = false;
    {
        const QSignalBlocker b1(ui->brightness_verticalSlider);
        const QSignalBlocker b2(ui->brightness_spinBox);
        const QSignalBlocker b3(ui->black_level_verticalSlider);
        const QSignalBlocker b4(ui->black_level_spinBox);
        CDDCMonitor* monitor = current_monitor();
        if (!monitor) {
            set_brightness_enabled(false);
            set_black_level_enabled(false);
            ui->brightness_verticalSlider->setValue(0);
            ui->black_level_verticalSlider->setValue(0);
            set_brightness_value_indicator(-1);
            set_black_level_value_indicator(-1);
            return;
        }
        // The controls stay enabled while they are read, so that the focus and what the user
        // is typing stay where they are; only a failed read disables them.
        bool black_read = false;
        bool brightness_read = false;
        // The first failure ends the read: what follows it is not trusted to answer either.
        int floor = 0, black = 0, black_max = 0, uniformity = 0, contrast = 0;
        int brightness = 0, brightness_max = 0;
        if (monitor->get_value(mf::black_level_minimum, floor) != 0) {
            failed = true;
        } else {
            black_floor_value = floor;
            if (monitor->get_value_max(mf::black_level, black, black_max) != 0) {
                failed = true;
            } else {
                ui->black_level_verticalSlider->setRange(0, black_max);
                ui->black_level_verticalSlider->setValue(black);
                const picture_mode::BlackLevelScale scale = black_level_scale();
                set_range(ui->black_level_spinBox, scale.spin_minimum(), scale.spin_maximum());
                show_read_value(ui->black_level_spinBox, scale.to_spin(black));
                black_read = true;
                if (monitor->get_value(mf::uniformity_limit, uniformity) != 0 ||
                    monitor->get_value(mf::contrast_limit, contrast) != 0) {
                    failed = true;
                } else {
                    uniformity_limit_value = uniformity;
                    contrast_limit_value = contrast;
                    if (monitor->get_value_max(mf::luminance, brightness, brightness_max) != 0) {
                        failed = true;
                    } else {
                        int minimum = 0;
                        if (monitor->get_value(mf::luminance_minimum, minimum) != 0) minimum = 0;
                        ui->brightness_verticalSlider->setRange(minimum, brightness_max);
                        ui->brightness_verticalSlider->setValue(brightness);
                        const picture_mode::BrightnessScale scale = brightness_scale();
                        set_range(ui->brightness_spinBox, scale.spin_minimum(),
                                  scale.spin_maximum());
                        show_read_value(ui->brightness_spinBox, scale.to_spin(brightness));
                        brightness_read = true;
                    }
                }
            }
        }
        set_black_level_enabled(black_read);
        set_brightness_enabled(brightness_read);
        set_brightness_value_indicator(ui->brightness_verticalSlider->isEnabled()
                                           ? ui->brightness_verticalSlider->value()
                                           : -1);
        set_black_level_value_indicator(ui->black_level_verticalSlider->isEnabled()
                                            ? ui->black_level_verticalSlider->value()
                                            : -1);
    }
    apply_spin_box_format();
    if (focused && focused->isEnabled()) focused->setFocus();
    if (failed) show_communication_error(this);
}

void color_wizard_brightness::on_brightness_verticalSlider_valueChanged(int value) {
    if (!brightness_from_spin) {
        const QSignalBlocker blocker(ui->brightness_spinBox);
        ui->brightness_spinBox->setValue(brightness_scale().to_spin(value));
    }
    set_brightness_value_indicator(value);
    brightness_dirty = true;
    timer.start(monitor_timing::kWriteDelayMs);
}

void color_wizard_brightness::on_black_level_verticalSlider_valueChanged(int value) {
    if (!black_level_from_spin) {
        const QSignalBlocker blocker(ui->black_level_spinBox);
        ui->black_level_spinBox->setValue(black_level_scale().to_spin(value));
    }
    set_black_level_value_indicator(value);
    black_level_dirty = true;
    timer.start(monitor_timing::kWriteDelayMs);
}

void color_wizard_brightness::brightness_spinBox_valuechanged(double value) {
    brightness_from_spin = true;
    ui->brightness_verticalSlider->setValue(brightness_scale().from_spin(value));
    brightness_from_spin = false;
}

void color_wizard_brightness::black_level_spinBox_valuechanged(double value) {
    black_level_from_spin = true;
    ui->black_level_verticalSlider->setValue(black_level_scale().from_spin(value));
    black_level_from_spin = false;
}

void color_wizard_brightness::set_brightness_value_indicator(int value) {
    show_indicator(
        ui->brightness_value_label,
        picture_mode::brightness_indicator(value, uniformity_limit_value, contrast_limit_value));
}

void color_wizard_brightness::set_black_level_value_indicator(int value) {
    show_indicator(ui->black_level_label,
                   picture_mode::black_level_indicator(value, black_floor_value));
}

void color_wizard_brightness::timer_timeout() {
    timer.stop();
    CDDCMonitor* monitor = current_monitor();
    int error = 0;
    {
        const CWaitCursor wait;
        const auto write = [&](bool& dirty, int feature, int value) {
            if (!dirty) return;
            dirty = false;
            const int result =
                monitor ? monitor->set_value(feature, value) : CDDCMonitor::kNotConnected;
            if (result != 0) error = result;
        };
        write(brightness_dirty, mf::luminance, ui->brightness_verticalSlider->value());
        write(black_level_dirty, mf::black_level, ui->black_level_verticalSlider->value());
    }
    if (error != 0) {
        // The user's values stay on screen; reading back would replace them.
        show_communication_error(this);
        return;
    }
    read_all_values();
}

void color_wizard_brightness::check_brightness_limit_timer_timeout() {
    CDDCMonitor* monitor = current_monitor();
    if (percent_display || !monitor || operation_running) return;
    std::array<picture_mode::Gain, 3> gains{};
    int luminance = 0;
    bool read = true;
    for (std::size_t i = 0; i < gains.size() && read; ++i) {
        read = monitor->get_value_max(mf::mode_gains[i], gains[i].value, gains[i].maximum) == 0;
    }
    if (read) read = monitor->get_value(mf::luminance_maximum, luminance) == 0;
    const int brightness = ui->brightness_verticalSlider->value();
    if (read && ui->brightness_verticalSlider->isEnabled() &&
        picture_mode::brightness_too_high(gains, brightness, luminance)) {
        QLabel* label = ui->brightness_value_label;
        const picture_mode::Indicator too_high = picture_mode::brightness_too_high_indicator();
        const bool tip_shown = label->toolTip() == too_high.tool_tip;
        show_indicator(label, too_high);
        if (!tip_shown && label->isVisible()) {
            QToolTip::showText(label->mapToGlobal(QPoint(0, label->height())), too_high.tool_tip,
                               label);
        }
    } else {
        set_brightness_value_indicator(ui->brightness_verticalSlider->isEnabled() ? brightness
                                                                                  : -1);
    }
}

void color_wizard_brightness::flush_pending_writes() {
    if (timer.isActive()) timer_timeout();
}

void color_wizard_brightness::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!limit_timer.isActive()) limit_timer.start();
    apply_spin_box_format();
}

void color_wizard_brightness::hideEvent(QHideEvent* event) {
    // Next, Back or Finish within the debounce pause must not lose the last edit.
    flush_pending_writes();
    limit_timer.stop();
    QWidget::hideEvent(event);
}
