#include "sim/sim_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>
#include <filesystem>

#include "sim/sim_monitor.h"

namespace sim {

namespace {
constexpr int kFormat = 1;
const QString kMonitors = QStringLiteral("monitors");
}  // namespace

CSimStateStore::CSimStateStore(QString path) : path_(std::move(path)) {}

CSimStateStore::Stamp CSimStateStore::stamp() const {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path p(path_.toStdString());
    Stamp s;
    const auto modified = fs::last_write_time(p, ec);
    if (ec) return s;
    const auto size = fs::file_size(p, ec);
    if (ec) return s;
    s.exists = true;
    s.modified = modified.time_since_epoch().count();
    s.size = static_cast<std::int64_t>(size);
    return s;
}

bool CSimStateStore::changed_on_disk() const {
    return !(stamp() == seen_);
}

bool CSimStateStore::read(QJsonObject& entries, QString* error) const {
    entries = QJsonObject();
    QFile file(path_);
    if (!file.exists()) return true;
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("cannot read %1: %2").arg(path_, file.errorString());
        return false;
    }
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll());
    if (!doc.isObject()) {
        if (error) *error = QStringLiteral("%1 is not a state file").arg(path_);
        return false;
    }
    entries = doc.object().value(kMonitors).toObject();
    return true;
}

int CSimStateStore::take_external_changes(const QJsonObject& entries,
                                          const std::vector<CSimMonitor*>& monitors) {
    int taken = 0;
    for (CSimMonitor* m : monitors) {
        const QString key = m->key();
        const QJsonObject entry = entries.value(key).toObject();
        if (entry.isEmpty() || entry == known_[key]) continue;
        if (m->restore(entry)) ++taken;
        known_[key] = entry;
    }
    return taken;
}

bool CSimStateStore::load(const std::vector<CSimMonitor*>& monitors, QString* error) {
    const Stamp before = stamp();
    QJsonObject entries;
    if (!read(entries, error)) return false;
    seen_ = before;
    take_external_changes(entries, monitors);
    return true;
}

int CSimStateStore::reload_if_changed(const std::vector<CSimMonitor*>& monitors) {
    const Stamp now = stamp();
    if (now == seen_) return 0;
    QJsonObject entries;
    if (!read(entries, nullptr))
        return 0;  // a half-written file cannot occur; a broken one is left alone
    seen_ = now;
    return take_external_changes(entries, monitors);
}

bool CSimStateStore::save(const std::vector<CSimMonitor*>& monitors, QString* error) {
    QJsonObject entries;
    read(entries, nullptr);  // an unreadable file is replaced
    take_external_changes(entries, monitors);
    for (CSimMonitor* m : monitors) {
        const QJsonObject entry = m->to_json();
        entries.insert(m->key(), entry);
        known_[m->key()] = entry;
    }
    QJsonObject root;
    root.insert(QStringLiteral("format"), kFormat);
    root.insert(kMonitors, entries);

    QDir().mkpath(QFileInfo(path_).absolutePath());
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = QStringLiteral("cannot write %1: %2").arg(path_, file.errorString());
        return false;
    }
    file.write(QJsonDocument(root).toJson(QJsonDocument::Indented));
    if (!file.commit()) {
        if (error) *error = QStringLiteral("cannot write %1: %2").arg(path_, file.errorString());
        return false;
    }
    seen_ = stamp();
    return true;
}

}  // namespace sim
