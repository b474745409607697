#include "core/monitor_tracker.h"

#include "core/file_errors.h"

CMonitorTracker::CMonitorTracker(QObject* parent) : QObject(parent) {
    Q_EMIT data_changed();
}

CMonitorTracker::~CMonitorTracker() = default;

int CMonitorTracker::read(QDataStream& in) {
    qint32 magic = 0, version = 0, count = 0;
    in >> magic;
    if (magic != kMagic) return kFileWrongMagic;
    in >> version;
    if (version != kVersion) return kFileUnsupportedVersion;
    in >> count;
    if (in.status() != QDataStream::Ok) return kFileReadError;
    // Per-monitor records need the adjustment record's stream format, which is not here yet.
    if (count != 0) return kFileReadError;
    count_ = 0;
    modified_ = false;
    Q_EMIT data_changed();
    return 0;
}

int CMonitorTracker::write(QDataStream& out) {
    out << kMagic << kVersion << qint32(count_);
    modified_ = false;
    return out.status() == QDataStream::Ok ? 0 : kFileWriteError;
}
