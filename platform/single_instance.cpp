#include "platform/single_instance.h"

#include <QDir>
#include <QStandardPaths>

namespace platform {

namespace {
QString lock_folder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    QDir().mkpath(folder);
    return folder;
}
}  // namespace

CSingleInstanceGuard::CSingleInstanceGuard(const QString& name)
    : path_(lock_folder() + QLatin1Char('/') + name + QStringLiteral(".lock")),
      lock_(std::make_unique<QLockFile>(path_)) {
    // The program runs for days: a lock must never turn stale by age while its owner lives.
    // A crashed owner is still detected, by its process id.
    lock_->setStaleLockTime(0);
}

CSingleInstanceGuard::~CSingleInstanceGuard() {
    if (held_) lock_->unlock();
}

bool CSingleInstanceGuard::acquire() {
    if (held_) return true;
    // tryLock removes a lock whose owning process is gone before it tries.
    held_ = lock_->tryLock(0);
    return held_;
}

}  // namespace platform
