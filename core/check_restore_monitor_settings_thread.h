#pragma once

#include <QMutex>
#include <QThread>
#include <QWaitCondition>
#include <atomic>
#include <cstdint>
#include <span>

#include "color/adjust_value.h"
#include "color/spline.h"
#include "comm/ddc_monitor.h"

class CTargetDisplay;

// Runs one long monitor operation off the GUI thread while the GUI thread sits in the modal
// progress dialog. The caller sets the monitor, the operation and its inputs, then starts the
// thread; `Finished(error)` reports the operation's result (0 = success). The inputs are the
// caller's objects and must outlive the operation. Destroying the object aborts and joins the
// thread.
class CheckRestoreMonitorSettingsThread : public QThread {
    Q_OBJECT

  public:
    enum Operation : int {
        ReadColorSettings = 0,  // the adjustment record and the capability string
        Write3dLut = 1,
        Write1dLuts = 3,
        Read1dLuts = 4,
        AdjustSettings = 5,
        RestoreSettings = 6,
    };
    // What operation 0 keeps of the capability string, terminator included.
    static constexpr int kCapabilityCopySize = CDDCMonitor::kCapabilitySize;

    explicit CheckRestoreMonitorSettingsThread(QObject* parent = nullptr);
    ~CheckRestoreMonitorSettingsThread() override;

    void set_monitor(CTargetDisplay* holder, CDDCMonitor* monitor);
    void set_operation(int operation);
    int operation() const;
    void set_adjust_record(CAdjustValue* record) { adjust_record_ = record; }
    void set_settings(CMonitorSettingList* settings) { settings_ = settings; }
    void set_curves(CSpline* red, CSpline* green, CSpline* blue);
    // `points` holds size * size * size nodes of three values (CDDCMonitor::write_lut).
    void set_lut(std::span<const std::int32_t> points, int size);

    CDDCMonitor* monitor() const { return monitor_; }
    CTargetDisplay* holder() const { return holder_; }

    // Starts the thread at low priority; a running thread runs the operation again instead.
    void start_operation();

    // Runs `operation` on the calling thread. 0 = success.
    int perform(int operation);

    // Operation 4's steps on the calling thread: the LUT read mode, the three 1D LUTs, the
    // normal mode again and its wait.
    static int read_curves(CDDCMonitor& monitor, CSpline& red, CSpline& green, CSpline& blue);

    // True while any worker is inside an operation: the monitor belongs to it, so nothing else
    // may talk to monitors (a rescan that arrives meanwhile has to wait).
    static bool monitor_in_use() { return busy_workers_.load() > 0; }

  Q_SIGNALS:
    void Finished(int error);

  protected:
    void run() override;

  private:
    int read_color_settings();
    int write_3d_lut();
    int write_1d_luts();
    int read_1d_luts();
    int apply_settings();

    mutable QMutex mutex_;
    QWaitCondition condition_;
    bool restart_requested_ = false;
    bool abort_requested_ = false;
    // Set with abort_requested_; the monitor model reads it while a long read runs.
    std::atomic<bool> interrupt_{false};
    int operation_ = ReadColorSettings;

    CTargetDisplay* holder_ = nullptr;
    CDDCMonitor* monitor_ = nullptr;
    CAdjustValue* adjust_record_ = nullptr;
    CMonitorSettingList* settings_ = nullptr;
    CSpline* red_ = nullptr;
    CSpline* green_ = nullptr;
    CSpline* blue_ = nullptr;
    std::span<const std::int32_t> lut_;
    int lut_size_ = 0;

    static std::atomic<int> busy_workers_;
};
