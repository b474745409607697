#include "core/check_restore_monitor_settings_thread.h"

#include <QMutexLocker>
#include <array>

#include "comm/monitor_features.h"

namespace mf = monitor_feature;

std::atomic<int> CheckRestoreMonitorSettingsThread::busy_workers_{0};

namespace {
constexpr int kMissing = -1;
constexpr int kNoFeatureList = -1;  // a capability string without a vcp( group still counts

// Counts a worker as owning the monitor for the life of one operation.
struct CWorkerClaim {
    explicit CWorkerClaim(std::atomic<int>& counter) : counter_(counter) { ++counter_; }
    ~CWorkerClaim() { --counter_; }
    CWorkerClaim(const CWorkerClaim&) = delete;
    CWorkerClaim& operator=(const CWorkerClaim&) = delete;
    std::atomic<int>& counter_;
};
}  // namespace

CheckRestoreMonitorSettingsThread::CheckRestoreMonitorSettingsThread(QObject* parent)
    : QThread(parent) {}

CheckRestoreMonitorSettingsThread::~CheckRestoreMonitorSettingsThread() {
    {
        QMutexLocker lock(&mutex_);
        abort_requested_ = true;
        interrupt_ = true;
        condition_.wakeOne();
    }
    wait();
}

void CheckRestoreMonitorSettingsThread::set_monitor(CTargetDisplay* holder, CDDCMonitor* monitor) {
    holder_ = holder;
    monitor_ = monitor;
}

void CheckRestoreMonitorSettingsThread::set_operation(int operation) {
    QMutexLocker lock(&mutex_);
    operation_ = operation;
}

int CheckRestoreMonitorSettingsThread::operation() const {
    QMutexLocker lock(&mutex_);
    return operation_;
}

void CheckRestoreMonitorSettingsThread::set_curves(CSpline* red, CSpline* green, CSpline* blue) {
    red_ = red;
    green_ = green;
    blue_ = blue;
}

void CheckRestoreMonitorSettingsThread::set_lut(std::span<const std::int32_t> points, int size) {
    lut_ = points;
    lut_size_ = size;
}

void CheckRestoreMonitorSettingsThread::start_operation() {
    QMutexLocker lock(&mutex_);
    if (!isRunning()) {
        restart_requested_ = false;
        abort_requested_ = false;
        interrupt_ = false;
        start(LowPriority);
    } else {
        restart_requested_ = true;
        condition_.wakeOne();
    }
}

void CheckRestoreMonitorSettingsThread::run() {
    for (;;) {
        int operation = 0;
        {
            QMutexLocker lock(&mutex_);
            if (abort_requested_) return;
            operation = operation_;
        }
        const int result = perform(operation);
        Q_EMIT Finished(result);

        QMutexLocker lock(&mutex_);
        while (!restart_requested_ && !abort_requested_)
            condition_.wait(&mutex_);
        if (abort_requested_) return;
        restart_requested_ = false;
    }
}

int CheckRestoreMonitorSettingsThread::perform(int operation) {
    CWorkerClaim mark(busy_workers_);
    switch (operation) {
        case ReadColorSettings:
            return read_color_settings();
        case Write3dLut:
            return write_3d_lut();
        case Write1dLuts:
            return write_1d_luts();
        case Read1dLuts:
            return read_1d_luts();
        case AdjustSettings:
        case RestoreSettings:
            return apply_settings();
        default:
            return 0;
    }
}

int CheckRestoreMonitorSettingsThread::read_color_settings() {
    if (!monitor_ || !adjust_record_) return kMissing;
    // Only this read may be cut short when the dialog goes away (the program ends): it takes
    // half a minute, and the monitor model leaves the monitor as it found it. Writes always
    // run to their end.
    // The caller's record takes a complete read only: one that failed or was cut short would
    // leave it with some memories and no slot names, and that record is what gets stored.
    CAdjustValue read = *adjust_record_;
    monitor_->set_interrupt_flag(&interrupt_);
    const int result = monitor_->read_picture_memories(read);
    monitor_->set_interrupt_flag(nullptr);
    if (result != 0) return result;
    if (interrupt_) return CDDCMonitor::kInterrupted;
    const int parsed = monitor_->read_capabilities();
    if (parsed < 0 && parsed != kNoFeatureList) return parsed;
    // The monitor copies as far as the buffer goes; a string that fills it arrives without
    // its terminator, so the last byte is forced to one.
    std::array<char, kCapabilityCopySize> copy{};
    monitor_->copy_capabilities(copy.data(), kCapabilityCopySize);
    copy.back() = '\0';
    read.extra = QByteArray(copy.data());
    *adjust_record_ = std::move(read);
    return 0;
}

int CheckRestoreMonitorSettingsThread::write_3d_lut() {
    if (!monitor_ || lut_size_ <= 0) return kMissing;
    if (const int result = monitor_->write_lut(lut_, lut_size_); result != 0) return result;
    int value = mf::lut_use_3d;
    if (const int result = monitor_->set_value(mf::lut_use, value); result != 0) return result;
    monitor_->wait(CDDCMonitor::settle_wait(mf::lut_use, mf::lut_use_3d));
    return 0;
}

int CheckRestoreMonitorSettingsThread::write_1d_luts() {
    if (!monitor_) return kMissing;
    if (!red_ || !green_ || !blue_) return 0;
    const CSpline red = *red_, green = *green_, blue = *blue_;
    return monitor_->write_gamma_from_curves(red, green, blue);
}

int CheckRestoreMonitorSettingsThread::read_1d_luts() {
    if (!monitor_) return kMissing;
    if (!red_ || !green_ || !blue_) return 0;
    return read_curves(*monitor_, *red_, *green_, *blue_);
}

int CheckRestoreMonitorSettingsThread::read_curves(CDDCMonitor& monitor, CSpline& red,
                                                   CSpline& green, CSpline& blue) {
    int value = mf::lut_mode_access;
    if (const int result = monitor.set_value(mf::lut_mode, value); result != 0) return result;
    const int read = monitor.read_gamma_tables(red, green, blue);
    // The normal mode goes back even after a failed read, or the monitor stays in read mode.
    value = mf::lut_mode_normal;
    const int restored = monitor.set_value(mf::lut_mode, value);
    monitor.wait(CDDCMonitor::settle_wait(mf::lut_mode, mf::lut_mode_normal));
    return read != 0 ? read : restored;
}

int CheckRestoreMonitorSettingsThread::apply_settings() {
    if (!monitor_ || !settings_) return kMissing;
    return monitor_->apply_settings(*settings_);
}
