#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <memory>
#include <span>

#include "core/check_restore_monitor_settings_thread.h"
#include "core/monitor_token.h"

namespace Ui {
class TW_restore_monitor_settings_dialog;
}

// The modal progress dialog of a long monitor operation, run on a worker thread.
//
//   TW_restore_monitor_settings_dialog dialog(monitor, CheckRestoreMonitorSettingsThread::
//                                             ReadColorSettings, QString(), this);
//   dialog.set_adjust_record(&record);        // the operation's inputs, see below
//   const int error = dialog.exec();          // 0 = success, else the operation's code
//
// Inputs by operation: 0 set_adjust_record; 1 set_lut; 3 and 4 set_curves; 5 and 6
// set_settings; any other operation does nothing, finishes with 0 and shows a busy bar. The
// inputs are the caller's objects; they must outlive exec(). The worker starts when the dialog
// is shown, so the monitor is only touched while the caller sits in exec(); the caller must not
// use the monitor until exec() returns. `name` goes into the text; empty means the monitor's
// model name. Escape and the window manager cannot close the dialog: only the end of the
// operation does.
class TW_restore_monitor_settings_dialog : public QDialog {
    Q_OBJECT

  public:
    TW_restore_monitor_settings_dialog(CDDCMonitor* monitor, int operation,
                                       const QString& name = QString(), QWidget* parent = nullptr);
    ~TW_restore_monitor_settings_dialog() override;

    void set_holder(CTargetDisplay* holder);
    void set_adjust_record(CAdjustValue* record);
    void set_settings(CMonitorSettingList* settings);
    void set_curves(CSpline* red, CSpline* green, CSpline* blue);
    void set_lut(std::span<const std::int32_t> points, int size);

    int operation() const { return operation_; }
    CheckRestoreMonitorSettingsThread* worker() const { return worker_; }
    // The text shown for an operation (%1 filled with `name`).
    static QString operation_text(int operation, const QString& name);

  public Q_SLOTS:
    void Broadcast_MessageIn(uint message, uint value);
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void operation_finished(int error);
    void show_percentage();

    // The worker talks on the dialog's behalf: GUI-thread timers and rescans wait for it.
    CMonitorUse in_use_;
    std::unique_ptr<Ui::TW_restore_monitor_settings_dialog> ui_;
    CheckRestoreMonitorSettingsThread* worker_;
    int operation_;
    bool started_ = false;
};
