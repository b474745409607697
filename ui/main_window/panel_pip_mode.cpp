#include "ui/main_window/panel_pip_mode.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QSignalBlocker>

#include "comm/ddc_monitor.h"
#include "comm/monitor_features.h"
#include "comm/monitor_timing.h"
#include "core/master_control.h"
#include "core/monitor_token.h"
#include "core/picture_mode_controller.h"
#include "ui/main_window/panel_common.h"
#include "ui/progress/wait_cursor.h"
#include "ui_panel_pip_mode.h"

namespace mf = monitor_feature;

using namespace panel_common;

panel_pip_mode::panel_pip_mode(QWidget* parent)
    : QWidget(parent),
      ui(std::make_unique<Ui::panel_pip_modeClass>()),
      mode_group_(new QButtonGroup(this)),
      color_vision_group_(new QButtonGroup(this)) {
    ui->setupUi(this);
    setObjectName(QStringLiteral("panel_pip_mode"));
    mode_group_->addButton(ui->pip_off_radioButton, 1);
    mode_group_->addButton(ui->pip_pip_radioButton, 2);
    mode_group_->addButton(ui->pip_pbp_aspect_radioButton, 3);
    mode_group_->addButton(ui->pip_pbp_full_radioButton, 4);
    color_vision_group_->addButton(ui->pip_color_vision_emulation_off_radioButton, 1);
    color_vision_group_->addButton(ui->pip_color_vision_emulation_P_radioButton, 2);
    color_vision_group_->addButton(ui->pip_color_vision_emulation_D_radioButton, 3);
    color_vision_group_->addButton(ui->pip_color_vision_emulation_T_radioButton, 4);
    color_vision_group_->addButton(ui->pip_color_vision_emulation_grayscale_radioButton, 5);
    connect(mode_group_, &QButtonGroup::idClicked, this,
            &panel_pip_mode::onPIPModeSelectionChanged);
    connect(color_vision_group_, &QButtonGroup::idClicked, this,
            &panel_pip_mode::pip_color_vision_emulation_buttonClicked);
    // Only the user's choices write the monitor, not the page filling its lists.
    connect(ui->pip_input_comboBox, &QComboBox::activated, this,
            &panel_pip_mode::onPIPInputSelectionChanged);
    connect(ui->pip_picture_mode_number_comboBox, &QComboBox::activated, this,
            &panel_pip_mode::onPIPPicturePresetSelectionChanged);
    connect(ui->pip_size_comboBox, &QComboBox::activated, this, &panel_pip_mode::onPIPSizeChanged);
    save_timer_.setSingleShot(true);
    save_timer_.setInterval(monitor_timing::kSaveDelayMs);
    connect(&save_timer_, &QTimer::timeout, this, &panel_pip_mode::save_timer_timeout);
}

panel_pip_mode::~panel_pip_mode() = default;

void panel_pip_mode::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    update_ui();
}

bool panel_pip_mode::write(int code, int value, bool process_events, bool settle_after) {
    const CMonitorUse in_use;
    CDDCMonitor* monitor = current_monitor();
    if (!monitor) return false;
    int result = 0;
    {
        CWaitCursor busy;
        if (process_events) process_pending_events();
        result = monitor->set_value(code, value);
        if (result >= 0 && settle_after) settle(monitor_timing::kPageSettleWaitMs);
    }
    if (result < 0) {
        show_communication_error(this);
        return false;
    }
    return true;
}

void panel_pip_mode::onPIPInputSelectionChanged(int value) {
    const QVariant data = ui->pip_input_comboBox->itemData(value);
    if (!data.isValid()) return;
    const CMonitorUse in_use;
    if (!write(mf::pip_sub_input, data.toInt(), true, true)) return;
    save_timer_.start(monitor_timing::kSaveDelayMs);
    update_ui();
}

void panel_pip_mode::onPIPPicturePresetSelectionChanged(int index) {
    const QVariant data = ui->pip_picture_mode_number_comboBox->itemData(index);
    if (!data.isValid()) return;
    const CMonitorUse in_use;
    if (!write(mf::pip_sub_memory, data.toInt(), true, true)) return;
    save_timer_.start(monitor_timing::kSaveDelayMs);
    update_ui();
}

void panel_pip_mode::onPIPModeSelectionChanged(int id) {
    const CMonitorUse in_use;
    if (!write(mf::pip_mode, id, true, true)) return;
    save_timer_.start(monitor_timing::kSaveDelayMs);
    update_ui();
}

void panel_pip_mode::onPIPSizeChanged(int index) {
    const QVariant data = ui->pip_size_comboBox->itemData(index);
    if (!data.isValid()) return;
    if (!write(mf::pip_sub_size, data.toInt(), true, false)) return;
    save_timer_.start(monitor_timing::kSaveDelayMs);
}

void panel_pip_mode::pip_color_vision_emulation_buttonClicked(int id) {
    if (!write(mf::pip_sub_color_vision, id, true, true)) return;
    save_timer_.start(monitor_timing::kSaveDelayMs);
}

void panel_pip_mode::on_pip_h_pos_horizontalSlider_valueChanged(int in_value) {
    // No event processing: a dragged slider would deliver its next value in the middle.
    if (!write(mf::pip_sub_horizontal, in_value, false, false)) return;
    save_timer_.start(monitor_timing::kSaveDelayMs);
}

void panel_pip_mode::on_pip_v_pos_horizontalSlider_valueChanged(int in_value) {
    if (!write(mf::pip_sub_vertical, in_value, false, false)) return;
    save_timer_.start(monitor_timing::kSaveDelayMs);
}

void panel_pip_mode::save_timer_timeout() {
    // The settings are not lost when another conversation owns the monitor: saved later.
    if (monitor_token::busy()) {
        save_timer_.start(monitor_timing::kSaveDelayMs);
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
    if (result < 0) show_communication_error(this);
}

void panel_pip_mode::check_button(QButtonGroup* group, int id) {
    const QSignalBlocker blocker(group);
    if (QAbstractButton* button = group->button(id)) {
        button->setChecked(true);
    } else {
        // A value the page has no button for: show none checked rather than a wrong one.
        group->setExclusive(false);
        for (QAbstractButton* b : group->buttons())
            b->setChecked(false);
        group->setExclusive(true);
    }
}

void panel_pip_mode::fill_input() {
    QComboBox* combo = ui->pip_input_comboBox;
    const QSignalBlocker blocker(combo);
    combo->clear();
    CDDCMonitor* monitor = current_monitor();
    int main_input = 0;
    int maximum = 0;
    const bool main_known = monitor->get_value_max(mf::input_source, main_input, maximum) >= 0;
    combo->addItem(tr("DisplayPort"), 1);
    combo->addItem(tr("DVI-I"), 2);
    if (main_known && main_input == 15) combo->setItemIcon(0, main_picture_icon());
    if (main_known && main_input == 3) combo->setItemIcon(1, main_picture_icon());
    int sub_input = 0;
    maximum = 0;
    if (monitor->get_value_max(mf::pip_sub_input, sub_input, maximum) >= 0 && maximum != 0) {
        combo->setCurrentIndex(combo->findData(sub_input));
        combo->setEnabled(true);
    } else {
        combo->setEnabled(false);
    }
}

void panel_pip_mode::fill_size() {
    QComboBox* combo = ui->pip_size_comboBox;
    const QSignalBlocker blocker(combo);
    combo->clear();
    combo->addItem(tr("Small"), 1);
    combo->addItem(tr("Medium"), 2);
    combo->addItem(tr("Large"), 3);
    int size = 0;
    int maximum = 0;
    if (current_monitor()->get_value_max(mf::pip_sub_size, size, maximum) >= 0) {
        combo->setCurrentIndex(combo->findData(size));
        combo->setEnabled(true);
    } else {
        combo->setEnabled(false);
    }
}

void panel_pip_mode::fill_picture_modes() {
    QComboBox* combo = ui->pip_picture_mode_number_comboBox;
    const QSignalBlocker blocker(combo);
    combo->clear();
    CDDCMonitor* monitor = current_monitor();
    int memory = 0;
    int count = 0;
    if (monitor->get_value_max(mf::pip_sub_memory, memory, count) < 0) {
        combo->setEnabled(false);
        return;
    }
    int main_memory = 0;
    int main_count = 0;
    if (monitor->get_value_max(mf::memory_select, main_memory, main_count) < 0) main_memory = 0;
    // Named as the Picture Mode page names its buttons; only the fallback is the page's own.
    const QStringList named =
        CPictureModeController(CPictureModeController::current_display).record_labels(count);
    for (int m = 1; m <= count; ++m) {
        QString label = named[m - 1];
        if (label.isEmpty()) label = tr("Picture Mode %1").arg(m);
        combo->addItem(label, m);
        if (m == main_memory) combo->setItemIcon(combo->count() - 1, main_picture_icon());
    }
    combo->setCurrentIndex(combo->findData(memory));
    combo->setEnabled(true);
}

void panel_pip_mode::read_slider(int code, QSlider* slider) {
    const QSignalBlocker blocker(slider);
    int value = 0;
    int maximum = 0;
    const int result = current_monitor()->get_value_max(code, value, maximum);
    if (result >= 0) {
        slider->setRange(0, maximum);
        slider->setValue(value);
        slider->setEnabled(true);
    } else {
        slider->setEnabled(false);
    }
    if (code == mf::pip_sub_vertical && is_failure(result)) show_communication_error(this);
}

void panel_pip_mode::update_ui() {
    const CMonitorUse in_use;
    CDDCMonitor* monitor = current_monitor();
    setEnabled(monitor != nullptr);
    if (!monitor) return;
    CWaitCursor busy;
    fill_input();
    fill_size();
    fill_picture_modes();

    int value = 0;
    int maximum = 0;
    const bool pbp_blocked =
        monitor->get_value_max(mf::pip_pbp_blocked, value, maximum) >= 0 && value == 2;
    ui->pip_pbp_aspect_radioButton->setEnabled(!pbp_blocked);
    ui->pip_pbp_full_radioButton->setEnabled(!pbp_blocked);

    int mode = 0;
    if (monitor->get_value_max(mf::pip_mode, mode, maximum) >= 0) {
        check_button(mode_group_, mode);
        ui->pip_mode_groupBox->setEnabled(true);
    } else {
        mode = 0;
        ui->pip_mode_groupBox->setEnabled(false);
    }
    if (monitor->get_value_max(mf::pip_sub_color_vision, value, maximum) >= 0) {
        check_button(color_vision_group_, value);
        ui->pip_color_vision_groupBox->setEnabled(true);
    } else {
        ui->pip_color_vision_groupBox->setEnabled(false);
    }
    read_slider(mf::pip_sub_horizontal, ui->pip_h_pos_horizontalSlider);
    read_slider(mf::pip_sub_vertical, ui->pip_v_pos_horizontalSlider);

    if (mode == 1) {
        ui->pip_color_vision_groupBox->setEnabled(false);
        ui->pip_picture_mode_number_comboBox->setEnabled(false);
    }
    if (mode == 1 || mode == 3 || mode == 4) {
        ui->pip_h_pos_horizontalSlider->setEnabled(false);
        ui->pip_v_pos_horizontalSlider->setEnabled(false);
        ui->pip_size_comboBox->setEnabled(false);
    }
    // A label stays black beside a greyed control unless it follows it.
    for (QLabel* label : {ui->pip_input_label, ui->pip_size_label, ui->pip_picture_mode_label,
                          ui->pip_h_pos_label, ui->pip_v_pos_label}) {
        label->setEnabled(label->buddy() && label->buddy()->isEnabled());
    }
}
