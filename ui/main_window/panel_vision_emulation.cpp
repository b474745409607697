#include "ui/main_window/panel_vision_emulation.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QPointer>
#include <QSignalBlocker>

#include "comm/ddc_monitor.h"
#include "comm/monitor_features.h"
#include "comm/monitor_timing.h"
#include "core/master_control.h"
#include "core/monitor_token.h"
#include "ui/main_window/panel_common.h"
#include "ui/progress/wait_cursor.h"
#include "ui_panel_vision_emulation.h"

namespace mf = monitor_feature;

using namespace panel_common;

panel_vision_emulation::panel_vision_emulation(QWidget* parent)
    : QWidget(parent),
      ui(std::make_unique<Ui::panel_vision_emulationClass>()),
      group_(new QButtonGroup(this)) {
    ui->setupUi(this);
    setObjectName(QStringLiteral("panel_vision_emulation"));
    group_->addButton(ui->color_vision_emulation_off_radioButton, 1);
    group_->addButton(ui->color_vision_emulation_P_radioButton, 2);
    group_->addButton(ui->color_vision_emulation_D_radioButton, 3);
    group_->addButton(ui->color_vision_emulation_T_radioButton, 4);
    group_->addButton(ui->color_vision_emulation_grayscale_radioButton, 5);
    connect(group_, &QButtonGroup::idClicked, this,
            &panel_vision_emulation::color_vision_emulation_buttonClicked);
}

panel_vision_emulation::~panel_vision_emulation() = default;

void panel_vision_emulation::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    update_ui();
}

void panel_vision_emulation::color_vision_emulation_buttonClicked(int value) {
    requested_ = value;
    // Written by the click whose write is under way, once that is over: written here, inside
    // it, the earlier choice would reach the monitor last.
    if (writing_) return;
    const QPointer<panel_vision_emulation> alive(this);
    writing_ = true;
    int written = 0;
    int result = 0;
    while (result >= 0 && requested_ != written) {
        written = requested_;
        result = write_choice(written);
        if (!alive) return;
    }
    writing_ = false;
    if (result < 0) show_communication_error(this);
}

int panel_vision_emulation::write_choice(int value) {
    const CMonitorUse in_use;
    CDDCMonitor* monitor = current_monitor();
    if (!monitor) return 0;
    CWaitCursor busy;
    process_pending_events();
    int result = monitor->set_value(mf::color_vision, value);
    if (result >= 0) {
        settle(monitor_timing::kPageSettleWaitMs);
        result = monitor->save_settings();
    }
    return result;
}

void panel_vision_emulation::update_ui() {
    const CMonitorUse in_use;
    CDDCMonitor* monitor = current_monitor();
    setEnabled(monitor != nullptr);
    if (!monitor) return;
    int value = 0;
    int maximum = 0;
    int result = 0;
    {
        CWaitCursor busy;
        result = monitor->get_value_max(mf::color_vision, value, maximum);
    }
    const QSignalBlocker blocker(group_);
    if (result >= 0 && group_->button(value)) {
        group_->button(value)->setChecked(true);
    }
    ui->color_vision_emulation_groupBox->setEnabled(result >= 0);
    if (is_failure(result)) show_communication_error(this);
}
