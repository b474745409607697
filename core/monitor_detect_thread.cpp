#include "core/monitor_detect_thread.h"

#include <QMutexLocker>

#include "comm/multi_monitor.h"
#include "platform/access_library.h"

MonitorDetectThread::MonitorDetectThread(CMultiMonitor& monitors) : monitors_(monitors) {}

MonitorDetectThread::~MonitorDetectThread() {
    {
        QMutexLocker lock(&mutex_);
        abort_requested_ = true;
        condition_.wakeOne();
    }
    wait();
}

void MonitorDetectThread::request(bool full_detection) {
    QMutexLocker lock(&mutex_);
    full_detection_ = full_detection;
    if (isRunning()) {
        restart_requested_ = true;
        condition_.wakeOne();
    } else {
        start(QThread::LowPriority);
    }
}

bool MonitorDetectThread::restart_requested() const {
    QMutexLocker lock(&mutex_);
    return restart_requested_;
}

bool MonitorDetectThread::abort_requested() const {
    QMutexLocker lock(&mutex_);
    return abort_requested_;
}

bool MonitorDetectThread::full_detection() const {
    QMutexLocker lock(&mutex_);
    return full_detection_;
}

void MonitorDetectThread::run() {
    for (;;) {
        bool full = false;
        {
            QMutexLocker lock(&mutex_);
            if (abort_requested_) return;
            full = full_detection_;
            restart_requested_ = false;
        }
        detection_pass(full);
        // A request that came in during the pass gets a pass of its own, so that its
        // full-detection choice is not lost.
        QMutexLocker lock(&mutex_);
        if (!restart_requested_ || abort_requested_) return;
    }
}

void MonitorDetectThread::detection_pass(bool full_detection) {
    if (platform::CAccessLibrary* library = platform::access_library()) {
        library->EnumerateInterfaces(1, 0);
    }
    if (aborted()) return;
    monitors_.scan_interfaces();
    if (aborted()) return;
    // The full matching works on the lists the scan has just built, so that monitors are not
    // asked twice in one pass.
    if (full_detection) monitors_.match_scanned();
    if (aborted()) return;
    monitors_.initialise_displays();
}
