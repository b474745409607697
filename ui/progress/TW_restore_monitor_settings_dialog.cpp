#include "ui/progress/TW_restore_monitor_settings_dialog.h"

#include <QLayout>
#include <QShowEvent>

#include "core/string_table.h"
#include "ui_TW_restore_monitor_settings_dialog.h"

namespace {
int text_id(int operation) {
    switch (operation) {
        case CheckRestoreMonitorSettingsThread::ReadColorSettings:
        case CheckRestoreMonitorSettingsThread::Read1dLuts:
            return 701;
        case CheckRestoreMonitorSettingsThread::Write3dLut:
            return 708;
        case CheckRestoreMonitorSettingsThread::Write1dLuts:
            return 706;
        case CheckRestoreMonitorSettingsThread::AdjustSettings:
            return 709;
        case CheckRestoreMonitorSettingsThread::RestoreSettings:
            return 710;
        default:
            return 0;
    }
}
}  // namespace

TW_restore_monitor_settings_dialog::TW_restore_monitor_settings_dialog(CDDCMonitor* monitor,
                                                                       int operation,
                                                                       const QString& name,
                                                                       QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui_(std::make_unique<Ui::TW_restore_monitor_settings_dialog>()),
      worker_(new CheckRestoreMonitorSettingsThread(this)),
      operation_(operation) {
    ui_->setupUi(this);
    setWindowTitle(string(1));
    setModal(true);
    worker_->set_monitor(nullptr, monitor);
    worker_->set_operation(operation);
    if (monitor) {
        connect(monitor, &CDDCMonitor::Broadcast_MessageOut, this,
                &TW_restore_monitor_settings_dialog::Broadcast_MessageIn, Qt::QueuedConnection);
    }
    connect(worker_, &CheckRestoreMonitorSettingsThread::Finished, this,
            &TW_restore_monitor_settings_dialog::operation_finished, Qt::QueuedConnection);

    const QString shown = name.isEmpty() && monitor ? monitor->model_name() : name;
    const QString text = operation_text(operation, shown);
    ui_->restore_settings_progress_text_label->setText(text);
    if (text_id(operation) == 0) ui_->restore_settings_progressBar->setMaximum(0);
    show_percentage();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

// The worker is a child: its destructor aborts and joins the thread before the inputs go.
TW_restore_monitor_settings_dialog::~TW_restore_monitor_settings_dialog() {
    delete worker_;
}

QString TW_restore_monitor_settings_dialog::operation_text(int operation, const QString& name) {
    const int id = text_id(operation);
    return id == 0 ? QString() : string(id).arg(name);
}

void TW_restore_monitor_settings_dialog::set_holder(CTargetDisplay* holder) {
    worker_->set_monitor(holder, worker_->monitor());
}
void TW_restore_monitor_settings_dialog::set_adjust_record(CAdjustValue* record) {
    worker_->set_adjust_record(record);
}
void TW_restore_monitor_settings_dialog::set_settings(CMonitorSettingList* settings) {
    worker_->set_settings(settings);
}
void TW_restore_monitor_settings_dialog::set_curves(CSpline* red, CSpline* green, CSpline* blue) {
    worker_->set_curves(red, green, blue);
}
void TW_restore_monitor_settings_dialog::set_lut(std::span<const std::int32_t> points, int size) {
    worker_->set_lut(points, size);
}

void TW_restore_monitor_settings_dialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!started_) {
        started_ = true;
        worker_->start_operation();
    }
}

void TW_restore_monitor_settings_dialog::Broadcast_MessageIn(uint message, uint value) {
    QProgressBar* bar = ui_->restore_settings_progressBar;
    if (message == CDDCMonitor::kProgressStep) {
        bar->setValue(bar->value() + 1);
    } else if (message == CDDCMonitor::kProgressTotal) {
        bar->setValue(0);
        bar->setMaximum(static_cast<int>(value));
    } else {
        return;
    }
    show_percentage();
}

void TW_restore_monitor_settings_dialog::show_percentage() {
    const QProgressBar* bar = ui_->restore_settings_progressBar;
    const int span = bar->maximum() - bar->minimum();
    if (span <= 0) {
        ui_->restore_settings_progress_text_percentage_label->clear();
        return;
    }
    const int percent = (bar->value() - bar->minimum()) * 100 / span;
    ui_->restore_settings_progress_text_percentage_label->setText(
        QStringLiteral("%1 %").arg(percent));
}

// Some operations announce more steps than they report; a finished one shows a full bar.
void TW_restore_monitor_settings_dialog::operation_finished(int error) {
    QProgressBar* bar = ui_->restore_settings_progressBar;
    if (error == 0 && bar->maximum() > 0) {
        bar->setValue(bar->maximum());
        show_percentage();
    }
    done(error);
    // The window manager hands the focus back to the owner, but when the box goes right after
    // another one the toolkit may miss that and leave no window active: the owner then takes
    // keys without its mnemonics or default button. Asking for it again settles both.
    if (QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
        owner && owner->isVisible()) {
        owner->activateWindow();
    }
}

// Closing before the operation ends would leave the monitor half written.
void TW_restore_monitor_settings_dialog::reject() {}
