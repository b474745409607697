#include "core/config_file.h"

#include <QDataStream>
#include <QFile>

#include "color/error_codes.h"
#include "comm/multi_monitor.h"
#include "core/monitor_tracker.h"

int read_config_file(const QString& path, CMultiMonitor& monitors, CMonitorTracker& tracker,
                     QString& detail) {
    QFile file(path);
    detail = QStringLiteral("monitor configuration");
    if (!file.open(QIODevice::ReadOnly)) {
        detail = file.errorString();
        return ui_error::kFileOpenFailed;
    }
    QDataStream in(&file);
    in.setVersion(QDataStream::Qt_4_7);
    int result = monitors.read_config(in);
    if (result == 0) {
        result = tracker.read(in);
        detail = QStringLiteral("stored monitor records (%1 read)").arg(tracker.count());
    }
    return result;
}
