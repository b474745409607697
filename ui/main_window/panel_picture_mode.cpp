#include "ui/main_window/panel_picture_mode.h"

#include <QApplication>
#include <QButtonGroup>
#include <QHideEvent>
#include <QMessageBox>
#include <QPointer>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QToolTip>

#include "color/error_codes.h"
#include "comm/ddc_monitor.h"
#include "comm/monitor_features.h"
#include "comm/monitor_timing.h"
#include "comm/monitor_undo.h"
#include "core/error_box.h"
#include "core/master_control.h"
#include "core/monitor_token.h"
#include "core/string_table.h"
#include "ui/progress/TW_restore_monitor_settings_dialog.h"
#include "ui/progress/wait_cursor.h"
#include "ui/verify/verify_dialog.h"
#include "ui/wizard/color_wizard.h"
#include "ui_panel_picture_mode.h"

namespace mf = monitor_feature;

using namespace picture_mode;

namespace {

constexpr int kModeCount = 5;

panel_picture_mode::WizardFactory& wizard_factory() {
    static panel_picture_mode::WizardFactory factory = [](QWidget* parent) -> QDialog* {
        return new color_wizard(parent);
    };
    return factory;
}

// Operation 4 in the progress dialog: the monitor's three 1D LUTs into `curves`.
int read_curves_in_progress_dialog(QWidget* parent, CCurveSet& curves) {
    CDDCMonitor* monitor =
        master_control_instance ? master_control_instance->current_display().monitor() : nullptr;
    if (!monitor) return CDDCMonitor::kNotConnected;
    TW_restore_monitor_settings_dialog dialog(
        monitor, CheckRestoreMonitorSettingsThread::Read1dLuts, QString(), parent);
    dialog.set_holder(&master_control_instance->current_display());
    dialog.set_curves(&curves.red, &curves.green, &curves.blue);
    return dialog.exec();
}

panel_picture_mode::CurveReader& curve_reader() {
    static panel_picture_mode::CurveReader reader = read_curves_in_progress_dialog;
    return reader;
}

// A level the monitor reported, on its slider and in its spin box (in the scale's units).
template <typename Scale>
void show_level(QSlider* slider, QDoubleSpinBox* spin, const Scale& scale, int minimum,
                const CPictureModeController::Level& level, bool percent) {
    slider->setRange(minimum, level.maximum);
    slider->setValue(level.value);
    spin->setDecimals(scale.decimals());
    spin->setRange(scale.spin_minimum(), scale.spin_maximum());
    spin->setSingleStep(scale.step());
    spin->setSuffix(unit_suffix(percent));
    spin->setValue(scale.to_spin(level.value));
    slider->setEnabled(true);
    spin->setEnabled(true);
}

void process_pending_events() {
    QCoreApplication::processEvents(QEventLoop::AllEvents, monitor_timing::kEventProcessingMs);
}

}  // namespace

void panel_picture_mode::set_wizard_factory(WizardFactory factory) {
    wizard_factory() = std::move(factory);
}

void panel_picture_mode::set_curve_reader(CurveReader reader) {
    curve_reader() = std::move(reader);
}

panel_picture_mode::panel_picture_mode(QWidget* parent)
    : QWidget(parent),
      ui(std::make_unique<Ui::panel_picture_modeClass>()),
      controller(CPictureModeController::current_display,
                 {process_pending_events, [this] { update_ui(); },
                  [this](CCurveSet& curves) {
                      return curve_reader() ? curve_reader()(this, curves)
                                            : CDDCMonitor::kNotConnected;
                  },
                  [this](const QString& native_path) {
                      return QMessageBox::question(this, string(1), string(132).arg(native_path),
                                                   QMessageBox::Retry | QMessageBox::Ignore,
                                                   QMessageBox::Retry) == QMessageBox::Retry;
                  }}) {
    ui->setupUi(this);
    setObjectName(QStringLiteral("panel_picture_mode"));

    picture_mode_group = new QButtonGroup(this);
    picture_mode_group->setExclusive(true);
    QPushButton* buttons[kModeCount] = {ui->picture_mode1_pushButton, ui->picture_mode2_pushButton,
                                        ui->picture_mode3_pushButton, ui->picture_mode4_pushButton,
                                        ui->picture_mode5_pushButton};
    for (int i = 0; i < kModeCount; ++i)
        picture_mode_group->addButton(buttons[i], i + 1);
    connect(picture_mode_group, &QButtonGroup::idClicked, this,
            &panel_picture_mode::picture_mode_buttonClicked);
    connect(ui->brightness_spinBox, &QDoubleSpinBox::valueChanged, this,
            &panel_picture_mode::brightness_spinBox_valuechanged);
    connect(ui->black_level_spinBox, &QDoubleSpinBox::valueChanged, this,
            &panel_picture_mode::black_level_spinBox_valuechanged);
    ui->status_label->setTextFormat(Qt::PlainText);

    write_timer.setSingleShot(true);
    write_timer.setInterval(monitor_timing::kWriteDelayMs);
    save_timer.setSingleShot(true);
    save_timer.setInterval(monitor_timing::kSaveDelayMs);
    status_timer.setSingleShot(true);
    status_timer.setInterval(monitor_timing::kStatusClearMs);
    limit_timer.setSingleShot(false);
    limit_timer.setInterval(monitor_timing::kLimitCheckMs);
    connect(&write_timer, &QTimer::timeout, this, &panel_picture_mode::timer_timeout);
    connect(&save_timer, &QTimer::timeout, this, &panel_picture_mode::save_timer_timeout);
    connect(&status_timer, &QTimer::timeout, this,
            &panel_picture_mode::profile_changed_timer_timeout);
    connect(&limit_timer, &QTimer::timeout, this,
            &panel_picture_mode::check_brightness_limit_timer_timeout);
    disable_controls();
}

panel_picture_mode::~panel_picture_mode() = default;

QString panel_picture_mode::status_text() const {
    return ui->status_label->text();
}

void panel_picture_mode::show_communication_error() {
    show_error(this, ui_error::kCommunicationError, true);
}

void panel_picture_mode::show_status(const QString& text) {
    ui->status_label->setText(text);
    status_timer.start();
}

void panel_picture_mode::disable_controls() {
    for (QAbstractButton* b : picture_mode_group->buttons())
        b->setEnabled(false);
    for (QWidget* w : std::initializer_list<QWidget*>{
             ui->brightness_verticalSlider, ui->brightness_spinBox, ui->black_level_verticalSlider,
             ui->black_level_spinBox, ui->response_improve_checkBox, ui->metamerism_checkBox}) {
        w->setEnabled(false);
    }
}

void panel_picture_mode::update_ui() {
    const CMonitorUse in_use;
    CWaitCursor busy;
    process_pending_events();
    CDDCMonitor* m = monitor();
    percent_mode_ = m && m->uses_percent_brightness();
    disable_controls();
    refresh_brightness_black_level();

    const QString unit = unit_suffix(percent_mode_);
    ui->brightness_units_label->setText(unit.trimmed());
    ui->black_level_units_label->setText(unit.trimmed());
    ui->edit_picture_mode_pushButton->setEnabled(m != nullptr);
    ui->reset_picture_mode_pushButton->setEnabled(m != nullptr);
    ui->verify_picture_mode_pushButton->setEnabled(m != nullptr);

    int memory = 0;
    if (m) {
        const CPictureModeController::ModeState state = controller.read_mode_state();
        for (auto [box, on] : {std::pair{ui->response_improve_checkBox, state.response_improve},
                               std::pair{ui->metamerism_checkBox, state.metamerism}}) {
            if (on) {
                const QSignalBlocker block(box);
                box->setChecked(*on);
                box->setEnabled(true);
            }
        }
        if (state.memory) {
            memory = *state.memory;
            for (QAbstractButton* b : picture_mode_group->buttons()) {
                // A monitor with fewer memories offers only those.
                b->setEnabled(state.memories <= 0 || picture_mode_group->id(b) <= state.memories);
            }
            if (QAbstractButton* active = picture_mode_group->button(memory)) {
                const QSignalBlocker block(picture_mode_group);
                active->click();
            }
        }
    }

    const QStringList labels = controller.memory_labels(memory, kModeCount);
    for (int i = 1; i <= kModeCount; ++i)
        picture_mode_group->button(i)->setText(labels[i - 1]);
    if (!limit_timer.isActive()) limit_timer.start();
}

void panel_picture_mode::refresh_brightness_black_level() {
    const QSignalBlocker b1(ui->brightness_verticalSlider);
    const QSignalBlocker b2(ui->brightness_spinBox);
    const QSignalBlocker b3(ui->black_level_verticalSlider);
    const QSignalBlocker b4(ui->black_level_spinBox);
    uniformity_limit = contrast_limit = black_limit = -1;

    CDDCMonitor* m = monitor();
    auto disable_brightness = [&] {
        ui->brightness_verticalSlider->setEnabled(false);
        ui->brightness_spinBox->setEnabled(false);
    };
    auto disable_black_level = [&] {
        ui->black_level_verticalSlider->setEnabled(false);
        ui->black_level_spinBox->setEnabled(false);
    };
    if (!m) {
        disable_brightness();
        disable_black_level();
        ui->brightness_verticalSlider->setValue(0);
        ui->black_level_verticalSlider->setValue(0);
        ui->brightness_value_label->setText(QStringLiteral("-"));
        ui->brightness_value_label->setToolTip(QString());
        ui->black_level_label->setText(QStringLiteral("-"));
        ui->black_level_label->setToolTip(QString());
        return;
    }

    const CPictureModeController::Levels levels = controller.read_levels();
    black_limit = levels.black_limit;
    uniformity_limit = levels.uniformity_limit;
    contrast_limit = levels.contrast_limit;
    int black = -1;
    if (const auto& level = levels.black_level) {
        black = level->value;
        black_level_scale = {level->maximum, percent_mode_};
        show_level(ui->black_level_verticalSlider, ui->black_level_spinBox, black_level_scale, 0,
                   *level, percent_mode_);
    } else if (levels.failed_feature == mf::black_level) {
        disable_black_level();
    }
    int brightness = -1;
    if (const auto& level = levels.brightness) {
        brightness = level->value;
        brightness_scale = {level->minimum, level->maximum, percent_mode_};
        show_level(ui->brightness_verticalSlider, ui->brightness_spinBox, brightness_scale,
                   level->minimum, *level, percent_mode_);
    } else {
        disable_brightness();
    }
    if (!ui->black_level_verticalSlider->isEnabled()) black = -1;
    set_brightness_value_indicator(brightness);
    set_black_level_value_indicator(black);
    if (levels.failed_feature != 0) show_communication_error();
}

void panel_picture_mode::brightness_spinBox_valuechanged(double value) {
    brightness_guard = true;
    ui->brightness_verticalSlider->setValue(brightness_scale.from_spin(value));
    brightness_guard = false;
}

void panel_picture_mode::black_level_spinBox_valuechanged(double value) {
    black_level_guard = true;
    ui->black_level_verticalSlider->setValue(black_level_scale.from_spin(value));
    black_level_guard = false;
}

void panel_picture_mode::on_brightness_verticalSlider_valueChanged(int value) {
    if (!brightness_guard) {
        // The spin box rounds to its decimals; its own signal would move the slider again.
        const QSignalBlocker block(ui->brightness_spinBox);
        ui->brightness_spinBox->setValue(brightness_scale.to_spin(value));
    }
    set_brightness_value_indicator(value);
    brightness_dirty = true;
    write_timer.start(monitor_timing::kWriteDelayMs);
    save_timer.stop();
    limit_timer.stop();
}

void panel_picture_mode::on_black_level_verticalSlider_valueChanged(int value) {
    if (!black_level_guard) {
        const QSignalBlocker block(ui->black_level_spinBox);
        ui->black_level_spinBox->setValue(black_level_scale.to_spin(value));
    }
    set_black_level_value_indicator(value);
    black_level_dirty = true;
    write_timer.start(monitor_timing::kWriteDelayMs);
    save_timer.stop();
}

void panel_picture_mode::set_brightness_value_indicator(int value) {
    const Indicator shown = brightness_indicator(value, uniformity_limit, contrast_limit);
    ui->brightness_value_label->setText(shown.text);
    ui->brightness_value_label->setToolTip(shown.tool_tip);
}

void panel_picture_mode::set_black_level_value_indicator(int value) {
    const Indicator shown = black_level_indicator(value, black_limit);
    ui->black_level_label->setText(shown.text);
    ui->black_level_label->setToolTip(shown.tool_tip);
}

void panel_picture_mode::timer_timeout() {
    CDDCMonitor* m = monitor();
    if (!CPictureModeController::monitor_free()) {
        // The moved value is not lost: it is written once the operation is over.
        if (brightness_dirty || black_level_dirty) write_timer.start(monitor_timing::kWriteDelayMs);
        return;
    }
    if (!m) return;
    const CMonitorUse in_use;
    CWaitCursor busy;
    const auto written = controller.write_levels(
        brightness_dirty ? std::optional(ui->brightness_verticalSlider->value()) : std::nullopt,
        black_level_dirty ? std::optional(ui->black_level_verticalSlider->value()) : std::nullopt);
    brightness_dirty = black_level_dirty = false;
    if (written.result != 0) show_communication_error();
    refresh_brightness_black_level();
    if (written.written && written.result == 0) save_timer.start(monitor_timing::kSaveDelayMs);
    if (!limit_timer.isActive()) limit_timer.start();
}

void panel_picture_mode::save_timer_timeout() {
    if (!CPictureModeController::monitor_free()) {
        if (controller.settings_unsaved()) save_timer.start(monitor_timing::kSaveDelayMs);
        return;
    }
    if (!monitor()) return;
    CWaitCursor busy;
    if (controller.save_settings() != 0) show_communication_error();
}

void panel_picture_mode::profile_changed_timer_timeout() {
    ui->status_label->clear();
}

void panel_picture_mode::check_brightness_limit_timer_timeout() {
    CDDCMonitor* m = monitor();
    // Another conversation (a worker reading LUTs, a handler in its event processing) owns
    // the monitor: the repeating timer looks again on its next tick.
    if (!limit_check_applies(QApplication::activeWindow() != nullptr,
                             !CPictureModeController::monitor_free(), m != nullptr,
                             percent_mode_)) {
        return;
    }
    const int brightness = ui->brightness_verticalSlider->value();
    const std::optional<bool> too_high = controller.brightness_out_of_reach(brightness);
    if (!too_high) {
        limit_timer.stop();
        return;
    }
    if (*too_high) {
        const Indicator shown = brightness_too_high_indicator();
        QLabel* label = ui->brightness_value_label;
        label->setText(shown.text);
        label->setToolTip(shown.tool_tip);
        if (limit_tool_tip != shown.tool_tip && label->isVisible())
            QToolTip::showText(label->mapToGlobal(QPoint(0, 0)), shown.tool_tip, label);
        limit_tool_tip = shown.tool_tip;
    } else {
        limit_tool_tip.clear();
        set_brightness_value_indicator(brightness);
    }
}

void panel_picture_mode::picture_mode_buttonClicked(int value) {
    const CMonitorUse in_use;
    CWaitCursor busy;
    if (!monitor()) return;
    const MemorySelection done = controller.select_memory(value);
    if (done.select != 0) {
        // The monitor did not take the memory: nothing may be saved or profiled for it.
        show_communication_error();
        update_ui();
        return;
    }
    generate_new_icc_profile();
    if (done.save != 0) show_communication_error();
}

void panel_picture_mode::on_reset_picture_mode_pushButton_clicked() {
    const auto answer = QMessageBox::question(this, string(1), string(176),
                                              QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    const CMonitorUse in_use;
    if (answer != QMessageBox::Yes || !monitor()) return;
    CWaitCursor busy;
    if (controller.reset_mode() != 0) {
        show_communication_error();
        update_ui();
        return;
    }
    update_ui();
    if (controller.refresh_record_item() == 0) generate_new_icc_profile();
    if (controller.prepare_adjustment(CPictureModeController::Preparation::after_reset) != 0)
        show_communication_error();
}

bool panel_picture_mode::write_switch(int code, bool on) {
    const CMonitorUse in_use;
    CWaitCursor busy;
    process_pending_events();
    if (!monitor()) return false;
    if (controller.write_switch(code, on) != 0) {
        show_communication_error();
        return false;
    }
    return true;
}

void panel_picture_mode::on_metamerism_checkBox_stateChanged(int state) {
    const CMonitorUse in_use;
    if (!write_switch(mf::metamerism, state == Qt::Checked)) return;
    if (controller.refresh_record_item() == 0) generate_new_icc_profile();
}

void panel_picture_mode::on_response_improve_checkBox_stateChanged(int state) {
    write_switch(mf::response_improve, state == Qt::Checked);
}

void panel_picture_mode::on_edit_picture_mode_pushButton_clicked() {
    // The wizard's conversations join this one: nothing else talks to the monitor meanwhile.
    const CMonitorUse in_use;
    limit_timer.stop();
    QPointer<QDialog> wizard = wizard_factory() ? wizard_factory()(this) : nullptr;
    CDDCMonitor* const edited = monitor();
    if (!edited) {
        delete wizard;
        return;
    }
    Q_EMIT block_unblock_usb_update(true);
    const CPictureModeController::ModeBeforeWizard before = controller.remember_mode();
    // Cancel puts back whatever the wizard wrote, in every memory, and the record as it was.
    CMonitorUndo undo;
    const bool journal = undo.begin(*edited) == 0;
    if (journal) edited->set_undo(&undo);
    CMonitorEntry record;
    const bool had_record =
        master_control_instance && master_control_instance->monitor_tracker().lookup(
                                       edited->model_name(), edited->serial_number(), record) >= 0;
    // Without a wizard nothing runs, and nothing has changed.
    const int result = wizard ? wizard->exec() : QDialog::Rejected;
    const bool changed = wizard && wizard->property("monitor_changed").toBool();
    delete wizard;
    // The monitor object outlives the wizard (the token keeps rescans and selections away).
    if (monitor() == edited) edited->set_undo(nullptr);
    if (monitor() && result == QDialog::Accepted) {
        controller.wizard_accepted(before);
        update_ui();
        generate_new_icc_profile();
    } else if (monitor() == edited) {
        cancel_wizard(undo, journal, before, changed);
        if (had_record) master_control_instance->monitor_tracker().store(record);
        update_ui();
    }
    Q_EMIT block_unblock_usb_update(false);
}

void panel_picture_mode::cancel_wizard(CMonitorUndo& undo, bool journal,
                                       const CPictureModeController::ModeBeforeWizard& before,
                                       bool changed) {
    // A wizard that says it changed the monitor where the journal saw nothing (it was not
    // kept, or the change did not go through this monitor object): its memory comes back.
    if (!journal || !undo.changed()) {
        if (controller.wizard_cancelled(before, changed) != 0) show_communication_error();
        return;
    }
    const CWaitCursor busy;
    QStringList failures;
    if (undo.restore(*monitor(), &failures) == 0) return;
    show_message(this,
                 tr("The monitor could not be put back as it was before the wizard. Not "
                    "restored: %1.")
                     .arg(failures.join(QStringLiteral(", "))),
                 QMessageBox::Warning);
}

void panel_picture_mode::on_verify_picture_mode_pushButton_clicked() {
    // The dialog keeps the monitor for its whole run: no rescan may free it meanwhile.
    const CMonitorUse in_use;
    CDDCMonitor* m = monitor();
    if (!m || !master_control_instance) return;
    limit_timer.stop();
    // The dialog only reads the monitor; the page's own timers keep away meanwhile.
    Q_EMIT block_unblock_usb_update(true);
    verify_dialog dialog(m, master_control_instance->current_display().info(), this);
    dialog.exec();
    Q_EMIT block_unblock_usb_update(false);
    update_ui();
}

void panel_picture_mode::generate_new_icc_profile() {
    const CMonitorUse in_use;
    CDDCMonitor* m = monitor();
    if (!m || !master_control_instance ||
        !master_control_instance->preferences().auto_manage_icc_profiles()) {
        return;
    }
    const CPictureModeController::ActiveModeProfile made =
        controller.profile_active_mode({ui->brightness_verticalSlider->value(),
                                        ui->black_level_verticalSlider->value(), black_limit});
    if (made.step != CPictureModeController::ProfileStep::made) return;
    switch (made.result.outcome) {
        case ProfileOutcome::calibrated_missing:
        case ProfileOutcome::calibrated_selected:
        case ProfileOutcome::updated:
            show_status(outcome_text(made.result.outcome));
            break;
        case ProfileOutcome::not_possible:
            // Whatever the label said belongs to another mode.
            ui->status_label->clear();
            break;
        case ProfileOutcome::write_failed:
        case ProfileOutcome::associate_failed:
            show_error(this, outcome_error(made.result));
            break;
        case ProfileOutcome::unchanged:
        case ProfileOutcome::ignored:
            break;
    }
}

void panel_picture_mode::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The main window hides and shows the page to have it read the monitor again.
    update_ui();
}

void panel_picture_mode::hideEvent(QHideEvent* event) {
    limit_timer.stop();
    limit_tool_tip.clear();
    QWidget::hideEvent(event);
}
