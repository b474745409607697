#include "ui/main_window/panel_settings.h"

#include <QButtonGroup>
#include <QSignalBlocker>
#include <QToolTip>

#include "comm/ddc_monitor.h"
#include "comm/monitor_features.h"
#include "comm/monitor_timing.h"
#include "core/master_control.h"
#include "core/monitor_token.h"
#include "core/picture_mode_rules.h"
#include "core/string_table.h"
#include "ui/main_window/panel_common.h"
#include "ui/patterns/test_pattern_drawing.h"
#include "ui/patterns/tw_test_pattern_dialog.h"
#include "ui/patterns/tw_test_pattern_widget.h"
#include "ui/progress/wait_cursor.h"
#include "ui_panel_settings.h"

namespace mf = monitor_feature;

using namespace panel_common;

panel_settings::panel_settings(QWidget* parent)
    : QWidget(parent),
      ui(std::make_unique<Ui::panel_settingsClass>()),
      storage_group_(new QButtonGroup(this)) {
    ui->setupUi(this);
    setObjectName(QStringLiteral("panel_settings"));
    storage_group_->addButton(ui->preferences_ProfileStorageLocation_PerUser_radioButton, 0);
    storage_group_->addButton(ui->preferences_ProfileStorageLocation_AllUsers_radioButton, 1);
    connect(storage_group_, &QButtonGroup::idClicked, this,
            &panel_settings::storageLocationButtonGroup_buttonClicked);
    // Profiles are written to one place whatever the choice, so the choice is not offered;
    // the stored preference keeps its value.
    ui->preferences_ProfileStorageLocation_label->hide();
    ui->preferences_ProfileStorageLocation_PerUser_radioButton->hide();
    ui->preferences_ProfileStorageLocation_AllUsers_radioButton->hide();
    ui->brightness_warning_label->setText(blank_warning());
    save_timer_.setSingleShot(true);
    save_timer_.setInterval(monitor_timing::kSettingsSaveDelayMs);
    connect(&save_timer_, &QTimer::timeout, this, &panel_settings::timer_timeout);
    // Connected once here rather than on every showing, so that however the pattern goes
    // away (its close button, Escape, another caller) the box follows it.
    if (test_pattern_dialog_class* dialog = pattern_dialog()) {
        connect(dialog, &test_pattern_dialog_class::hidden, this,
                &panel_settings::test_pattern_hidden, Qt::UniqueConnection);
    }
}

panel_settings::~panel_settings() = default;

QString panel_settings::blank_warning() {
    return picture_mode::blank_indicator();
}

test_pattern_dialog_class* panel_settings::pattern_dialog() {
    return qobject_cast<test_pattern_dialog_class*>(::tw_test_pattern_dialog);
}

void panel_settings::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    update_ui();
    if (master_control_instance) {
        const Preferences& preferences = master_control_instance->preferences();
        const QSignalBlocker icc(ui->manage_icc_profiles_checkBox);
        ui->manage_icc_profiles_checkBox->setChecked(preferences.auto_manage_icc_profiles());
        const QSignalBlocker storage(storage_group_);
        if (QAbstractButton* button =
                storage_group_->button(preferences.profile_storage_location()))
            button->setChecked(true);
    }
    test_pattern_dialog_class* dialog = pattern_dialog();
    {
        const QSignalBlocker white(ui->white_screen_background_checkBox);
        ui->white_screen_background_checkBox->setChecked(dialog && dialog->isVisible() &&
                                                         !dialog->controls_enabled());
    }
    if (dialog) {
        connect(dialog, &test_pattern_dialog_class::hidden, this,
                &panel_settings::test_pattern_hidden, Qt::UniqueConnection);
    }
}

void panel_settings::update_ui() {
    const CMonitorUse in_use;
    CWaitCursor busy;
    led_available_ = false;
    uniformity_available_ = false;
    // Off while the monitor is asked: the reads process events, and a control the previous
    // monitor had must not be usable for one that may lack it.
    ui->monitor_settings_LED_groupBox->setEnabled(false);
    ui->monitor_settings_colorcomp_level_horizontalSlider->setEnabled(false);
    ui->monitor_settings_colorcomp_level_label->setEnabled(false);
    reload_monitor();
    ui->monitor_settings_LED_groupBox->setEnabled(led_available_);
    ui->monitor_settings_colorcomp_level_horizontalSlider->setEnabled(uniformity_available_);
    ui->monitor_settings_colorcomp_level_label->setEnabled(uniformity_available_);
    update_warning();
}

void panel_settings::reload_monitor() {
    CDDCMonitor* monitor = current_monitor();
    if (!monitor) return;
    int value = 0;
    int maximum = 0;
    if (monitor->get_power_led_brightness(value, maximum) >= 0) {
        QSlider* slider = ui->monitor_settings_LED_brightness_horizontalSlider;
        const QSignalBlocker blocker(slider);
        slider->setRange(1, std::max(maximum, 1));
        slider->setValue(value);
        last_led_ = value;
        led_available_ = true;
    }
    value = 0;
    maximum = 0;
    const int uniformity = monitor->get_uniformity_level(value, maximum);
    if (uniformity >= 0) {
        QSlider* slider = ui->monitor_settings_colorcomp_level_horizontalSlider;
        const QSignalBlocker blocker(slider);
        slider->setRange(0, maximum);
        slider->setValue(value);
        last_uniformity_ = value;
        uniformity_available_ = true;
    } else if (is_failure(uniformity)) {
        show_communication_error(this);
    }
}

void panel_settings::update_warning() {
    QLabel* label = ui->brightness_warning_label;
    CDDCMonitor* monitor = current_monitor();
    int limit = 0;
    int brightness = 0;
    int maximum = 0;
    bool warn = false;
    if (monitor && uniformity_available_ &&
        monitor->get_value_max(mf::uniformity_limit, limit, maximum) >= 0 &&
        monitor->get_value_max(mf::luminance, brightness, maximum) >= 0) {
        warn = limit != 0 && limit < brightness;
    }
    if (!warn) {
        label->setText(blank_warning());
        label->setToolTip(QString());
        return;
    }
    label->setText(string(815));
    const QString tip = string(816).arg(limit).arg(string(kLuminanceUnitString));
    label->setToolTip(tip);
    if (label->isVisible()) {
        QToolTip::showText(label->mapToGlobal(label->rect().center()), tip, label);
    }
}

void panel_settings::on_monitor_settings_LED_brightness_horizontalSlider_valueChanged(int value) {
    const CMonitorUse in_use;
    CDDCMonitor* monitor = current_monitor();
    if (!monitor || !led_available_ || value == last_led_) return;
    int result = 0;
    {
        CWaitCursor busy;
        int written = value;
        result = monitor->set_power_led_brightness(written);
    }
    if (result < 0) {
        show_communication_error(this);
        return;
    }
    last_led_ = value;
    save_timer_.start(monitor_timing::kSettingsSaveDelayMs);
}

void panel_settings::on_monitor_settings_colorcomp_level_horizontalSlider_valueChanged(int value) {
    const CMonitorUse in_use;
    CDDCMonitor* monitor = current_monitor();
    if (!monitor || !uniformity_available_ || value == last_uniformity_) return;
    int result = 0;
    {
        CWaitCursor busy;
        int written = value;
        result = monitor->set_uniformity_level(written);
    }
    if (result < 0) {
        show_communication_error(this);
        return;
    }
    last_uniformity_ = value;
    save_timer_.start(monitor_timing::kSettingsSaveDelayMs);
}

void panel_settings::timer_timeout() {
    if (monitor_token::busy()) {
        save_timer_.start(monitor_timing::kSettingsSaveDelayMs);
        return;
    }
    const CMonitorUse in_use;
    CDDCMonitor* monitor = current_monitor();
    if (!monitor) return;
    int result = 0;
    {
        CWaitCursor busy;
        result = monitor->save_settings();
    }
    if (result < 0) {
        show_communication_error(this);
        return;
    }
    update_warning();
}

void panel_settings::on_white_screen_background_checkBox_stateChanged(int state) {
    test_pattern_dialog_class* dialog = pattern_dialog();
    if (!dialog) return;
    if (state != Qt::Checked) {
        dialog->hide();
        return;
    }
    // A display that is not on the desktop has nowhere to put the screen; a window of no size
    // somewhere else would leave the box checked over nothing.
    if (!dialog->show_over(selected_display_area(), test_patterns::kWhitePattern, false)) {
        const QSignalBlocker blocker(ui->white_screen_background_checkBox);
        ui->white_screen_background_checkBox->setChecked(false);
    }
}

QRect panel_settings::selected_display_area() {
    if (!master_control_instance) return QRect();
    const DisplayInfo& info = master_control_instance->current_display().info();
    return QRect(QPoint(info.desktop_left, info.desktop_top),
                 QPoint(info.desktop_right, info.desktop_bottom));
}

void panel_settings::on_test_patterns_pushButton_clicked() {
    test_pattern_dialog_class* dialog = pattern_dialog();
    if (!dialog) return;
    {
        const QSignalBlocker blocker(ui->white_screen_background_checkBox);
        ui->white_screen_background_checkBox->setChecked(false);
    }
    // Opens where the user left off, but never on the white screen the box stands for.
    const int pattern = dialog->controls_enabled() ? dialog->pattern_widget()->pattern() : 0;
    dialog->show_over(selected_display_area(), pattern, true);
}

void panel_settings::test_pattern_hidden() {
    const QSignalBlocker blocker(ui->white_screen_background_checkBox);
    ui->white_screen_background_checkBox->setChecked(false);
}

void panel_settings::on_manage_icc_profiles_checkBox_stateChanged(int state) {
    if (!master_control_instance) return;
    master_control_instance->preferences().set_auto_manage_icc_profiles(state == Qt::Checked);
}

void panel_settings::storageLocationButtonGroup_buttonClicked(int value) {
    if (!master_control_instance) return;
    master_control_instance->preferences().set_profile_storage_location(
        static_cast<std::int8_t>(value));
}
