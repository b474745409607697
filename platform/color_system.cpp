#include "platform/color_system.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include "platform/color_system_store.h"

namespace platform {

namespace {

constexpr std::uint32_t kDisplayDeviceClass = 0x6D6E7472;  // 'mntr'

// The installed file of a profile given by name or by a path inside the colour directory.
QString installed_path(const QString& profile) {
    const QString folder = color_directory();
    if (folder.isEmpty() || profile.isEmpty()) return QString();
    const QFileInfo info(profile);
    if (info.fileName().isEmpty()) return QString();
    if (profile.contains(QLatin1Char('/')) &&
        QDir(info.absolutePath()).canonicalPath() != QDir(folder).canonicalPath())
        return QString();
    const QString path = folder + QLatin1Char('/') + info.fileName();
    return QFileInfo(path).isFile() ? path : QString();
}

// The class signature in a profile's header, 0 when the file is too short to have one.
std::uint32_t header_class(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(12)) return 0;
    const QByteArray b = file.read(4);
    if (b.size() != 4) return 0;
    return (std::uint32_t(std::uint8_t(b[0])) << 24) | (std::uint32_t(std::uint8_t(b[1])) << 16) |
           (std::uint32_t(std::uint8_t(b[2])) << 8) | std::uint32_t(std::uint8_t(b[3]));
}

}  // namespace

QString color_directory() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty()) return QString();
    // The system's colour directory always exists; a fresh account has no icc folder yet,
    // and profiles written straight into it would fail.
    const QString folder = data + QStringLiteral("/icc");
    QDir().mkpath(folder);
    return folder;
}

bool install_color_profile(const QString& path) {
    const QString folder = color_directory();
    const QFileInfo source(path);
    if (folder.isEmpty() || !source.isFile() || !QDir().mkpath(folder)) return false;
    const QString target = folder + QLatin1Char('/') + source.fileName();
    if (QFileInfo(target).canonicalFilePath() == source.canonicalFilePath()) return true;

    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) return false;
    // The installed copy appears whole or not at all.
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly)) return false;
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError || out.write(bytes) != bytes.size()) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

bool uninstall_color_profile(const QString& profile, bool delete_file) {
    const QString path = installed_path(profile);
    if (path.isEmpty()) return false;
    if (delete_file && !QFile::remove(path)) return false;
    CColorAssociationStore store;
    store.remove_everywhere(QFileInfo(path).fileName());
    return store.save();
}

bool associate_color_profile(const QString& device, const QString& file_name) {
    if (device.isEmpty() || file_name.contains(QLatin1Char('/'))) return false;
    if (installed_path(file_name).isEmpty()) return false;
    CColorAssociationStore store;
    store.add(device, file_name);
    return store.save();
}

bool disassociate_color_profile(const QString& device, const QString& file_name) {
    CColorAssociationStore store;
    if (!store.remove(device, file_name)) return false;
    return store.save();
}

QStringList enum_color_profiles(const CColorProfileQuery& query) {
    QStringList names;
    if (!(query.fields & CColorProfileQuery::kDeviceName)) return names;
    // Every device this colour system knows is a display.
    if ((query.fields & CColorProfileQuery::kDeviceClass) &&
        query.device_class != kDisplayDeviceClass)
        return names;
    const CColorAssociationStore store;
    for (const QString& name : store.profiles(query.device_name)) {
        const QString path = installed_path(name);
        if (path.isEmpty()) continue;
        if ((query.fields & CColorProfileQuery::kProfileClass) &&
            header_class(path) != query.profile_class)
            continue;
        names.append(name);
    }
    return names;
}

}  // namespace platform
