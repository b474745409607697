#include "platform/color_system.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QStandardPaths>
#include <optional>

#include "platform/color_system_store.h"
#include "platform/colord_client.h"
#include "platform/colord_display.h"

namespace platform {

namespace {

Q_LOGGING_CATEGORY(colord_log, "orvale.colord", QtInfoMsg)

// Most profiles are found at the first question; a file registered twice (by us and by the
// desktop's watch on the folder) takes a second.
constexpr int kMostProfilesPerFile = 8;

enum class Route { colord, store, refused };

// Who keeps the associations: colord when it answers, else our own store. One line says which
// whenever that changes (so once for most runs); a colord that is there but does not answer is
// no reason to fall back, since the desktop would never see what the store records.
Route route(CColordClient& client) {
    static std::optional<Route> last;
    const CColordClient::Presence presence = client.presence();
    const Route now = presence == CColordClient::Presence::present  ? Route::colord
                      : presence == CColordClient::Presence::absent ? Route::store
                                                                    : Route::refused;
    if (now == Route::refused) {
        qCWarning(colord_log).noquote() << "colord does not answer:" << client.error();
        return now;
    }
    if (last != now) {
        if (now == Route::colord)
            qCInfo(colord_log).noquote()
                << "Display profiles are associated through colord" << client.daemon_version();
        else
            qCInfo(colord_log).noquote()
                << "colord does not answer on the system bus (" + client.error() +
                       "); display profiles are associated in"
                << CColorAssociationStore::file_path();
    }
    last = now;
    return now;
}

// The desktop's device for the display, created when the session has none.
QString colord_device(CColordClient& client, const QString& device, bool create) {
    const CColordDisplay display = colord_display_for_device(device);
    QString path = client.find_device(display);
    if (path.isEmpty() && client.error().isEmpty() && create) path = client.create_device(display);
    if (path.isEmpty() && !client.error().isEmpty())
        qCWarning(colord_log).noquote() << "colord has no device for" << device
                                        << "(" + display.device_id + "):" << client.error();
    return path;
}

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

QStringList profile_search_folders() {
    QStringList folders;
    const auto add = [&folders](const QString& folder) {
        const QString clean = QDir::cleanPath(folder);
        if (!folder.isEmpty() && !folders.contains(clean)) folders.append(clean);
    };
    add(color_directory());
    add(QDir::homePath() + QStringLiteral("/.color/icc"));
    QString data_dirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (data_dirs.isEmpty()) data_dirs = QStringLiteral("/usr/local/share:/usr/share");
    for (const QString& data : data_dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(data)) add(data + QStringLiteral("/color/icc"));
    return folders;
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
    CColordClient client;
    if (route(client) == Route::colord) {
        // colord forgets the file; a failure here costs nothing but a stale entry in colord.
        for (int i = 0; i < kMostProfilesPerFile; ++i) {
            const QString registered = client.find_profile_by_filename(path);
            if (registered.isEmpty() || !client.delete_profile(registered)) break;
        }
        if (!client.error().isEmpty())
            qCWarning(colord_log).noquote()
                << "colord keeps" << path << "registered:" << client.error();
    }
    if (delete_file && !QFile::remove(path)) return false;
    CColorAssociationStore store;
    store.remove_everywhere(QFileInfo(path).fileName());
    return store.save();
}

bool associate_color_profile(const QString& device, const QString& file_name) {
    if (device.isEmpty() || file_name.contains(QLatin1Char('/'))) return false;
    const QString path = installed_path(file_name);
    if (path.isEmpty()) return false;
    CColordClient client;
    switch (route(client)) {
        case Route::refused:
            return false;
        case Route::store:
            break;
        case Route::colord: {
            const QString colord = colord_device(client, device, true);
            if (colord.isEmpty()) return false;
            const QString registered = client.profile_for_file(path);
            if (registered.isEmpty() || !client.add_profile(colord, registered) ||
                !client.make_profile_default(colord, registered)) {
                qCWarning(colord_log).noquote()
                    << "colord does not take" << path << "for" << device << ":" << client.error();
                return false;
            }
            return true;
        }
    }
    CColorAssociationStore store;
    store.add(device, file_name);
    return store.save();
}

bool disassociate_color_profile(const QString& device, const QString& file_name) {
    CColordClient client;
    switch (route(client)) {
        case Route::refused:
            return false;
        case Route::store:
            break;
        case Route::colord: {
            const QString colord = colord_device(client, device, false);
            QStringList profiles;
            if (colord.isEmpty() || !client.device_profiles(colord, profiles)) return false;
            bool removed = false;
            for (const QString& profile : profiles) {
                if (QFileInfo(client.profile_filename(profile)).fileName() != file_name) continue;
                if (client.remove_profile(colord, profile)) {
                    removed = true;
                } else {
                    qCWarning(colord_log).noquote()
                        << "colord keeps" << file_name << "for" << device << ":" << client.error();
                }
            }
            return removed;
        }
    }
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
    CColordClient client;
    switch (route(client)) {
        case Route::refused:
            return names;
        case Route::store:
            break;
        case Route::colord: {
            const QString colord = colord_device(client, query.device_name, false);
            QStringList profiles;
            if (colord.isEmpty() || !client.device_profiles(colord, profiles)) return names;
            for (const QString& profile : profiles) {
                // Profiles colord only holds in memory have no file to name.
                const QString path = client.profile_filename(profile);
                if (path.isEmpty()) continue;
                if ((query.fields & CColorProfileQuery::kProfileClass) &&
                    header_class(path) != query.profile_class)
                    continue;
                names.append(QFileInfo(path).fileName());
            }
            return names;
        }
    }
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
