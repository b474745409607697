#include "ui/wizard/color_wizard_brightness.h"

#include <QSignalBlocker>
#include <QToolTip>
#include <algorithm>

#include "comm/ddc_monitor.h"
#include "core/operation_running.h"
#include "core/string_table.h"
#include "ui/wizard/brightness_rules.h"
#include "ui/wizard/wizard_monitor.h"

using namespace wizard_monitor;
using namespace brightness_rules;

namespace {

const QString kBlankIndicator =
    QStringLiteral(" <img src=\":/images/Resources/blank_12x11.png\">&nbsp;");

constexpr int kTooHighText = 807;
constexpr int kReducedContrastText = 808;
constexpr int kReducedContrastTip = 809;
constexpr int kTooHighTip = 810;
constexpr int kTooLowText = 811;
constexpr int kTooLowTip = 812;
constexpr int kUniformityText = 813;
constexpr int kUniformityTip = 814;

void show_indicator(QLabel* label, const QString& text, const QString& tip) {
    label->setText(text);
    label->setToolTip(tip);
}

}  // namespace

color_wizard_brightness::color_wizard_brightness(QWidget* parent) : QWidget(parent) {
    ui.setupUi(this);
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, this, &color_wizard_brightness::timer_timeout);
    limit_timer.setInterval(kLimitCheckInterval);
    connect(&limit_timer, &QTimer::timeout, this,
            &color_wizard_brightness::check_brightness_limit_timer_timeout);
    connect(ui.brightness_spinBox, &QDoubleSpinBox::valueChanged, this,
            &color_wizard_brightness::brightness_spinBox_valuechanged);
    connect(ui.black_level_spinBox, &QDoubleSpinBox::valueChanged, this,
            &color_wizard_brightness::black_level_spinBox_valuechanged);
    apply_spin_box_format();
}

color_wizard_brightness::~color_wizard_brightness() = default;

void color_wizard_brightness::set_percent_mode(bool percent) {
    percent_display = percent;
    apply_spin_box_format();
}

void color_wizard_brightness::apply_spin_box_format() {
    const QSignalBlocker block_brightness(ui.brightness_spinBox);
    const QSignalBlocker block_black(ui.black_level_spinBox);
    if (percent_display) {
        const auto step = [](const QSlider* slider) {
            const int range = slider->maximum() - slider->minimum();
            return range > 0 ? std::max(0.1, 100.0 / range) : 0.1;
        };
        ui.brightness_spinBox->setSuffix(QStringLiteral(" %"));
        ui.black_level_spinBox->setSuffix(QStringLiteral(" %"));
        ui.brightness_spinBox->setDecimals(1);
        ui.black_level_spinBox->setDecimals(0);
        ui.brightness_spinBox->setSingleStep(step(ui.brightness_verticalSlider));
        ui.black_level_spinBox->setSingleStep(step(ui.black_level_verticalSlider));
    } else {
        const QString suffix = QStringLiteral(" ") + luminance_unit();
        ui.brightness_spinBox->setSuffix(suffix);
        ui.black_level_spinBox->setSuffix(suffix);
        ui.brightness_spinBox->setDecimals(0);
        ui.brightness_spinBox->setSingleStep(1.0);
        ui.black_level_spinBox->setDecimals(1);
        ui.black_level_spinBox->setSingleStep(0.1);
    }
    // The range each control covers, in the unit shown.
    const auto range_text = [this](double low, double high, int decimals) {
        const QString unit = percent_display ? QStringLiteral("%") : luminance_unit();
        return tr("%1 to %2 %3").arg(low, 0, 'f', decimals).arg(high, 0, 'f', decimals).arg(unit);
    };
    ui.brightness_units_label->setText(range_text(ui.brightness_spinBox->minimum(),
                                                  ui.brightness_spinBox->maximum(),
                                                  ui.brightness_spinBox->decimals()));
    ui.black_level_units_label->setText(range_text(ui.black_level_spinBox->minimum(),
                                                   ui.black_level_spinBox->maximum(),
                                                   ui.black_level_spinBox->decimals()));
}

void color_wizard_brightness::set_brightness_enabled(bool enabled) {
    ui.brightness_verticalSlider->setEnabled(enabled);
    ui.brightness_spinBox->setEnabled(enabled);
}

void color_wizard_brightness::set_black_level_enabled(bool enabled) {
    ui.black_level_verticalSlider->setEnabled(enabled);
    ui.black_level_spinBox->setEnabled(enabled);
}

void color_wizard_brightness::read_all_values() {
    timer.stop();
    brightness_dirty = black_level_dirty = false;
    uniformity_limit_value = contrast_limit_value = black_floor_value = -1;
    // Decimals first, so that the values read are not rounded to the previous mode's.
    apply_spin_box_format();
    bool failed = false;
    {
        const QSignalBlocker b1(ui.brightness_verticalSlider);
        const QSignalBlocker b2(ui.brightness_spinBox);
        const QSignalBlocker b3(ui.black_level_verticalSlider);
        const QSignalBlocker b4(ui.black_level_spinBox);
        CDDCMonitor* monitor = current_monitor();
        if (!monitor) {
            set_brightness_enabled(false);
            set_black_level_enabled(false);
            ui.brightness_verticalSlider->setValue(0);
            ui.black_level_verticalSlider->setValue(0);
            set_brightness_value_indicator(-1);
            set_black_level_value_indicator(-1);
            return;
        }
        set_brightness_enabled(false);
        set_black_level_enabled(false);
        // The first failure ends the read: what follows it is not trusted to answer either.
        int floor = 0, black = 0, black_max = 0, uniformity = 0, contrast = 0;
        int brightness = 0, brightness_max = 0;
        if (monitor->get_value(wizard_feature::black_floor, floor) != 0) {
            failed = true;
        } else {
            black_floor_value = floor;
            if (monitor->get_value_max(wizard_feature::black_level, black, black_max) != 0) {
                failed = true;
            } else {
                ui.black_level_verticalSlider->setRange(0, black_max);
                ui.black_level_verticalSlider->setValue(black);
                if (percent_display) {
                    ui.black_level_spinBox->setRange(0.0, 100.0);
                } else {
                    ui.black_level_spinBox->setRange(0.0, black_max / 10.0);
                }
                ui.black_level_spinBox->setValue(black_level_shown(black, percent_display));
                set_black_level_enabled(true);
                if (monitor->get_value(wizard_feature::uniformity_limit, uniformity) != 0 ||
                    monitor->get_value(wizard_feature::contrast_limit, contrast) != 0) {
                    failed = true;
                } else {
                    uniformity_limit_value = uniformity;
                    contrast_limit_value = contrast;
                    if (monitor->get_value_max(wizard_feature::brightness, brightness,
                                               brightness_max) != 0) {
                        failed = true;
                    } else {
                        int minimum = 0;
                        if (monitor->get_value(wizard_feature::brightness_floor, minimum) != 0)
                            minimum = 0;
                        ui.brightness_verticalSlider->setRange(minimum, brightness_max);
                        ui.brightness_verticalSlider->setValue(brightness);
                        if (percent_display) {
                            ui.brightness_spinBox->setRange(0.0, 100.0);
                        } else {
                            ui.brightness_spinBox->setRange(minimum, brightness_max);
                        }
                        ui.brightness_spinBox->setValue(
                            brightness_shown(brightness, minimum, brightness_max, percent_display));
                        set_brightness_enabled(true);
                    }
                }
            }
        }
        set_brightness_value_indicator(
            ui.brightness_verticalSlider->isEnabled() ? ui.brightness_verticalSlider->value() : -1);
        set_black_level_value_indicator(ui.black_level_verticalSlider->isEnabled()
                                            ? ui.black_level_verticalSlider->value()
                                            : -1);
    }
    apply_spin_box_format();
    if (failed) show_communication_error(this);
}

void color_wizard_brightness::on_brightness_verticalSlider_valueChanged(int value) {
    if (!brightness_from_spin) {
        const QSignalBlocker blocker(ui.brightness_spinBox);
        ui.brightness_spinBox->setValue(
            brightness_shown(value, ui.brightness_verticalSlider->minimum(),
                             ui.brightness_verticalSlider->maximum(), percent_display));
    }
    set_brightness_value_indicator(value);
    brightness_dirty = true;
    timer.start(kWriteDelay);
}

void color_wizard_brightness::on_black_level_verticalSlider_valueChanged(int value) {
    if (!black_level_from_spin) {
        const QSignalBlocker blocker(ui.black_level_spinBox);
        ui.black_level_spinBox->setValue(black_level_shown(value, percent_display));
    }
    set_black_level_value_indicator(value);
    black_level_dirty = true;
    timer.start(kWriteDelay);
}

void color_wizard_brightness::brightness_spinBox_valuechanged(double value) {
    brightness_from_spin = true;
    ui.brightness_verticalSlider->setValue(
        brightness_position(value, ui.brightness_verticalSlider->minimum(),
                            ui.brightness_verticalSlider->maximum(), percent_display));
    brightness_from_spin = false;
}

void color_wizard_brightness::black_level_spinBox_valuechanged(double value) {
    black_level_from_spin = true;
    ui.black_level_verticalSlider->setValue(
        black_level_position(value, ui.black_level_verticalSlider->maximum(), percent_display));
    black_level_from_spin = false;
}

void color_wizard_brightness::set_brightness_value_indicator(int value) {
    QLabel* label = ui.brightness_value_label;
    if (value < 0) {
        show_indicator(label, QStringLiteral("-"), QString());
    } else if (uniformity_limit_value > 0 && value > uniformity_limit_value) {
        show_indicator(label, string(kUniformityText), string(kUniformityTip));
    } else if (contrast_limit_value > 0 && value < contrast_limit_value) {
        show_indicator(label, string(kReducedContrastText), string(kReducedContrastTip));
    } else {
        show_indicator(label, kBlankIndicator, QString());
    }
}

void color_wizard_brightness::set_black_level_value_indicator(int value) {
    QLabel* label = ui.black_level_label;
    if (value < 0) {
        show_indicator(label, QStringLiteral("-"), QString());
    } else if (value == 0) {
        show_indicator(label, QString(), QString());
    } else if (black_floor_value > 0 && value < black_floor_value) {
        show_indicator(label, string(kTooLowText), string(kTooLowTip));
    } else {
        show_indicator(label, kBlankIndicator, QString());
    }
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
        write(brightness_dirty, wizard_feature::brightness, ui.brightness_verticalSlider->value());
        write(black_level_dirty, wizard_feature::black_level,
              ui.black_level_verticalSlider->value());
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
    int gains[3] = {}, maxima[3] = {};
    int luminance = 0;
    const int codes[3] = {wizard_feature::red_gain, wizard_feature::green_gain,
                          wizard_feature::blue_gain};
    bool read = true;
    for (int i = 0; i < 3 && read; ++i)
        read = monitor->get_value_max(codes[i], gains[i], maxima[i]) == 0;
    if (read) read = monitor->get_value(wizard_feature::max_luminance, luminance) == 0;
    const int brightness = ui.brightness_verticalSlider->value();
    const bool gain_at_maximum =
        gains[0] == maxima[0] || gains[1] == maxima[1] || gains[2] == maxima[2];
    if (read && ui.brightness_verticalSlider->isEnabled() && gain_at_maximum &&
        brightness * kLimitMargin > luminance) {
        QLabel* label = ui.brightness_value_label;
        const QString tip = string(kTooHighTip);
        const bool tip_shown = label->toolTip() == tip;
        show_indicator(label, string(kTooHighText), tip);
        if (!tip_shown && label->isVisible())
            QToolTip::showText(label->mapToGlobal(QPoint(0, label->height())), tip, label);
    } else {
        set_brightness_value_indicator(ui.brightness_verticalSlider->isEnabled() ? brightness : -1);
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
