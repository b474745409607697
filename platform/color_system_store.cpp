#include "platform/color_system_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QStandardPaths>

namespace platform {

namespace {

// A list of objects rather than one object keyed by device, so that the order devices were
// first associated in survives a save.
constexpr char kDevices[] = "devices";
constexpr char kName[] = "name";
constexpr char kProfiles[] = "profiles";

Q_LOGGING_CATEGORY(store_log, "orvale.colorstore", QtInfoMsg)

QByteArray file_bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Keeps a damaged store beside it before the next save replaces it: the associations in it
// may still be read by hand. An older copy is not overwritten, and the same damage read again
// (every call reads the store) is kept once.
void keep_damaged_copy(const QString& path, const QString& why) {
    const QByteArray damaged = file_bytes(path);
    QString copy = path + QStringLiteral(".damaged");
    bool kept = false;
    for (int n = 2; QFileInfo::exists(copy); ++n) {
        if (file_bytes(copy) == damaged) {
            kept = true;
            break;
        }
        copy = path + QStringLiteral(".damaged-%1").arg(n);
    }
    if (!kept) kept = QFile::copy(path, copy);
    qCWarning(store_log).noquote()
        << QStringLiteral("%1 is damaged (%2): read as having no associations; %3")
               .arg(path, why,
                    kept ? QStringLiteral("a copy is kept as %1").arg(copy)
                         : QStringLiteral("no copy could be kept"));
}

}  // namespace

QString CColorAssociationStore::file_path() {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty()) return QString();
    return config + QStringLiteral("/orvale-color-system/associations.json");
}

CColorAssociationStore::CColorAssociationStore() {
    QFile file(file_path());
    if (!file.open(QIODevice::ReadOnly)) return;
    // A damaged store reads as one without associations rather than failing every query.
    QJsonParseError parsed{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parsed);
    file.close();
    if (parsed.error != QJsonParseError::NoError) {
        damaged_ = true;
        keep_damaged_copy(file.fileName(), parsed.errorString());
        return;
    }
    const QJsonValue list = document.object().value(QLatin1String(kDevices));
    if (!document.isObject() || !list.isArray()) {
        damaged_ = true;
        keep_damaged_copy(file.fileName(), QStringLiteral("no list of devices"));
        return;
    }
    const QJsonArray devices = list.toArray();
    for (const QJsonValue& value : devices) {
        const QJsonObject device = value.toObject();
        const QString name = device.value(QLatin1String(kName)).toString();
        if (name.isEmpty()) continue;
        QStringList names;
        for (const QJsonValue& profile : device.value(QLatin1String(kProfiles)).toArray())
            if (!profile.toString().isEmpty()) names.append(profile.toString());
        devices_.append({name, names});
    }
}

QStringList CColorAssociationStore::profiles(const QString& device) const {
    for (const auto& entry : devices_)
        if (entry.first == device) return entry.second;
    return QStringList();
}

void CColorAssociationStore::add(const QString& device, const QString& file_name) {
    for (auto& entry : devices_) {
        if (entry.first != device) continue;
        if (!entry.second.contains(file_name)) entry.second.append(file_name);
        return;
    }
    devices_.append({device, QStringList{file_name}});
}

bool CColorAssociationStore::remove(const QString& device, const QString& file_name) {
    for (auto& entry : devices_)
        if (entry.first == device) return entry.second.removeAll(file_name) > 0;
    return false;
}

void CColorAssociationStore::remove_everywhere(const QString& file_name) {
    for (auto& entry : devices_)
        entry.second.removeAll(file_name);
}

bool CColorAssociationStore::save() const {
    const QString path = file_path();
    if (path.isEmpty() || !QDir().mkpath(QFileInfo(path).absolutePath())) return false;
    QJsonArray devices;
    for (const auto& entry : devices_) {
        if (entry.second.isEmpty()) continue;
        QJsonObject device;
        device.insert(QLatin1String(kName), entry.first);
        device.insert(QLatin1String(kProfiles), QJsonArray::fromStringList(entry.second));
        devices.append(device);
    }
    QJsonObject root;
    root.insert(QLatin1String(kDevices), devices);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(QJsonDocument(root).toJson());
    return file.commit();
}

}  // namespace platform
