#include "sim/sim_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <algorithm>
#include <cerrno>
#include <filesystem>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "sim/sim_monitor.h"

namespace sim {

namespace {
const QString kMonitors = QStringLiteral("monitors");

QString entry_field(const QString& key, const QString& field) {
    QString path = QStringLiteral("monitors.\"%1\"").arg(key);
    if (!field.isEmpty()) path += QLatin1Char('.') + field;
    return path;
}
}  // namespace

CSimStateStore::CSimStateStore(QString path) : path_(std::move(path)) {}

CSimStateStore::~CSimStateStore() {
    if (lock_fd_ >= 0) ::close(lock_fd_);
}

void CSimStateStore::lock() {
    if (lock_depth_++ > 0) return;
    if (lock_fd_ < 0) {
        // The folder is locked rather than a file of its own, so that nothing is left beside
        // the state file (and the lock survives the file being replaced).
        const QString folder = QFileInfo(path_).absolutePath();
        QDir().mkpath(folder);
        lock_fd_ =
            ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    // Without the folder the store works as before, unguarded (and every save fails anyway).
    if (lock_fd_ < 0) return;
    while (::flock(lock_fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
}

void CSimStateStore::unlock() {
    if (lock_depth_ == 0 || --lock_depth_ > 0) return;
    if (lock_fd_ >= 0) ::flock(lock_fd_, LOCK_UN);
}

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

QString CSimStateStore::refused(const QString& field, const QString& why) const {
    return QStringLiteral("state file %1 refused: %2%3; it is kept as it is (fix or remove it)")
        .arg(path_, field.isEmpty() ? QString() : field + QStringLiteral(": "), why);
}

bool CSimStateStore::read(QJsonObject& entries, QString* error) const {
    entries = QJsonObject();
    QFile file(path_);
    if (!file.exists()) return true;
    auto fail = [&](const QString& text) {
        if (error) *error = text;
        return false;
    };
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1: %2").arg(path_, file.errorString()));
    const QByteArray text = file.readAll();
    QJsonParseError parse_error{};
    const QJsonDocument doc = QJsonDocument::fromJson(text, &parse_error);
    if (doc.isNull()) return fail(refused(QString(), json_error_text(text, parse_error)));
    if (!doc.isObject()) return fail(refused(QString(), QStringLiteral("not a JSON object")));
    const QJsonObject root = doc.object();
    const QJsonValue format = root.value(QStringLiteral("format"));
    if (format.isUndefined())
        return fail(refused(QStringLiteral("format"), QStringLiteral("missing")));
    if (!format.isDouble() || format.toDouble() != kFormat) {
        return fail(refused(QStringLiteral("format"),
                            QStringLiteral("%1 is not the format this simulator reads (%2)")
                                .arg(format.isDouble() ? QString::number(format.toDouble())
                                                       : QStringLiteral("a non-number"))
                                .arg(kFormat)));
    }
    const QJsonValue monitors = root.value(kMonitors);
    if (monitors.isUndefined()) return fail(refused(kMonitors, QStringLiteral("missing")));
    if (!monitors.isObject()) {
        return fail(refused(kMonitors, QStringLiteral("not an object of entries keyed by model "
                                                      "and serial")));
    }
    const QJsonObject all = monitors.toObject();
    for (auto it = all.constBegin(); it != all.constEnd(); ++it) {
        if (!it.value().isObject())
            return fail(refused(entry_field(it.key(), QString()), QStringLiteral("not an object")));
    }
    entries = all;
    return true;
}

int CSimStateStore::take_external_changes(const QJsonObject& entries,
                                          const std::vector<CSimMonitor*>& monitors, QString* error,
                                          QStringList* warnings) {
    // Every changed entry is read before any monitor takes one, so that a refused file leaves
    // all monitors as they were.
    std::vector<std::pair<CSimMonitor*, CSimMonitorState>> taken;
    QStringList ignored;
    for (CSimMonitor* m : monitors) {
        const QString key = m->key();
        const QJsonObject entry = entries.value(key).toObject();
        if (entry.isEmpty() || entry == known_[key]) continue;
        CSimMonitorState state = factory_state(m->model(), m->setup());
        CSimStateIssues issues;
        if (!state_from_json(m->model(), entry, state, &issues)) {
            if (error) *error = refused(QString(), entry_field(key, issues.refusal));
            return -1;
        }
        for (const QString& text : issues.ignored)
            ignored << QStringLiteral("state file %1: %2").arg(path_, entry_field(key, text));
        taken.emplace_back(m, std::move(state));
    }
    for (auto& [m, state] : taken) {
        m->state() = std::move(state);
        known_[m->key()] = entries.value(m->key()).toObject();
    }
    if (warnings) *warnings << ignored;
    return static_cast<int>(taken.size());
}

bool CSimStateStore::load(const std::vector<CSimMonitor*>& monitors, QString* error,
                          QStringList* warnings) {
    // A refused file is looked at again only when it changes.
    seen_ = stamp();
    QJsonObject entries;
    if (!read(entries, error)) return false;
    return take_external_changes(entries, monitors, error, warnings) >= 0;
}

int CSimStateStore::reload_if_changed(const std::vector<CSimMonitor*>& monitors,
                                      QStringList* warnings) {
    const Stamp now = stamp();
    if (now == seen_) return 0;
    seen_ = now;  // a refused file is looked at again only when it changes
    QJsonObject entries;
    QString error;
    int taken =
        read(entries, &error) ? take_external_changes(entries, monitors, &error, warnings) : -1;
    if (taken < 0 && warnings) *warnings << error;
    return std::max(0, taken);
}

bool CSimStateStore::save_if_changed(const std::vector<CSimMonitor*>& monitors, QString* error) {
    Lock hold(*this);
    if (!stamp().exists) return save(monitors, error);
    reload_if_changed(monitors);
    for (const CSimMonitor* m : monitors) {
        const auto it = known_.find(m->key());
        if (it == known_.end() || it->second != m->to_json()) return save(monitors, error);
    }
    return true;
}

bool CSimStateStore::save(const std::vector<CSimMonitor*>& monitors, QString* error) {
    Lock hold(*this);
    const Stamp before = stamp();
    // A file that cannot be read as a state file is somebody's data: it is not replaced.
    QJsonObject entries;
    if (!read(entries, error)) return false;
    if (take_external_changes(entries, monitors, error, nullptr) < 0) return false;
    for (CSimMonitor* m : monitors) {
        const QJsonObject entry = m->to_json();
        entries.insert(m->key(), entry);
        known_[m->key()] = entry;
    }
    QJsonObject root;
    root.insert(QStringLiteral("format"), kFormat);
    root.insert(kMonitors, entries);

    QDir().mkpath(QFileInfo(path_).absolutePath());
    // Written beside the file and renamed over it, so that a reader sees one version or the
    // other. Not synced to the disk: the backend writes after every change, and a simulator's
    // settings are not worth a disk flush each.
    const QString temporary =
        path_ + QStringLiteral(".%1.tmp").arg(QCoreApplication::applicationPid());
    QFile file(temporary);
    const QByteArray text = QJsonDocument(root).toJson(QJsonDocument::Indented);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size() ||
        !file.flush()) {
        if (error) *error = QStringLiteral("cannot write %1: %2").arg(path_, file.errorString());
        file.remove();
        return false;
    }
    file.close();
    {
        std::error_code renamed;
        std::filesystem::rename(temporary.toStdString(), path_.toStdString(), renamed);
        if (renamed) {
            if (error)
                *error = QStringLiteral("cannot write %1: %2")
                             .arg(path_, QString::fromStdString(renamed.message()));
            QFile::remove(temporary);
            return false;
        }
    }
    // The clock's granularity can give two quick versions the same time (and they may have the
    // same size): each version gets a later time than the one it replaced.
    namespace fs = std::filesystem;
    const fs::path p(path_.toStdString());
    std::error_code ec;
    const auto written = fs::last_write_time(p, ec);
    if (!ec && before.exists && written.time_since_epoch().count() <= before.modified) {
        const fs::file_time_type later{fs::file_time_type::duration(before.modified + 1)};
        fs::last_write_time(p, later, ec);
    }
    seen_ = stamp();
    return true;
}

}  // namespace sim
