#include "sim/sim_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>
#include <algorithm>
#include <filesystem>

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

bool CSimStateStore::save(const std::vector<CSimMonitor*>& monitors, QString* error) {
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
