#include "profiles/profile_list.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include "platform/color_system.h"
#include "profiles/icc_file_io_qt.h"
#include "profiles/icc_numbers.h"
#include "profiles/icc_text_tags.h"
#include "profiles/lcms_support.h"

namespace {

// Deep enough for every layout packages install (color/icc/<package>/<variant>), shallow
// enough that a link back up the tree cannot keep the listing busy.
constexpr int kFolderDepth = 4;

int filter_bit(std::uint32_t profileClass) {
    if (profileClass == icc_signature("prtr")) return kPrinterProfiles;
    if (profileClass == icc_signature("mntr")) return kDisplayProfiles;
    if (profileClass == icc_signature("spac")) return kColorSpaceProfiles;
    return 0;
}

QString listed_description(cmsHPROFILE profile) {
    return description_text(read_raw_tag(profile, cmsSigProfileDescriptionTag));
}

bool has_profile_ending(const QString& name) {
    return name.endsWith(QLatin1String(".icc"), Qt::CaseInsensitive) ||
           name.endsWith(QLatin1String(".icm"), Qt::CaseInsensitive);
}

// The profile files under `folder` and its subfolders, each folder's files in directory order
// before its subfolders. A folder that cannot be read, or was seen before, gives nothing.
void collect(const QString& folder, int depth, QSet<QString>& seenFolders, QStringList& files) {
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty() || seenFolders.contains(canonical)) return;
    seenFolders.insert(canonical);
    const QDir directory(folder);
    if (!directory.isReadable()) return;
    const QFileInfoList entries = directory.entryInfoList(
        QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Readable, QDir::NoSort);
    QStringList subfolders;
    for (const QFileInfo& entry : entries) {
        if (entry.isDir()) {
            subfolders.append(entry.filePath());
        } else if (has_profile_ending(entry.fileName())) {
            files.append(entry.filePath());
        }
    }
    if (depth >= kFolderDepth) return;
    for (const QString& subfolder : subfolders)
        collect(subfolder, depth + 1, seenFolders, files);
}

// What makes two files the same profile to colord: the header's profile ID, or the file's
// bytes when the header has none.
QByteArray identity(const QString& path, const cmsUInt8Number (&id)[16]) {
    const QByteArray header(reinterpret_cast<const char*>(id), 16);
    if (header != QByteArray(16, '\0')) return header;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QByteArray();
    QCryptographicHash md5(QCryptographicHash::Md5);
    md5.addData(&file);
    return QByteArrayLiteral("md5:") + md5.result();
}

}  // namespace

QList<ProfileEntry> listProfiles(int filter) {
    QList<ProfileEntry> entries;
    if (!(filter & (kPrinterProfiles | kDisplayProfiles | kColorSpaceProfiles))) return entries;
    QSet<QString> seenFolders;
    QStringList files;
    for (const QString& folder : platform::profile_search_folders())
        collect(folder, 0, seenFolders, files);

    QSet<QString> seenFiles;
    QSet<QByteArray> seenProfiles;
    for (const QString& path : files) {
        const QString canonical = QFileInfo(path).canonicalFilePath();
        if (seenFiles.contains(canonical)) continue;
        seenFiles.insert(canonical);
        CIccFileIOQt io;
        if (!io.Open(path, "r+")) continue;
        const LcmsProfile profile = open_lcms_profile(io);
        if (!profile) continue;
        const std::uint32_t profileClass = cmsGetDeviceClass(profile.get());
        if (!(filter_bit(profileClass) & filter)) continue;
        cmsUInt8Number id[16];
        cmsGetHeaderProfileID(profile.get(), id);
        // The same profile installed twice (a copy in the user's folder, a package shipping
        // another's file) is shown once, where it is found first.
        const QByteArray same = identity(path, id);
        if (same.isEmpty() || seenProfiles.contains(same)) continue;
        seenProfiles.insert(same);

        ProfileEntry entry;
        entry.path = path;
        entry.description = listed_description(profile.get());
        entry.profileClass = profileClass;
        for (int word = 0; word < 4; ++word)
            entry.profileId[word] = (std::uint32_t(id[4 * word]) << 24) |
                                    (std::uint32_t(id[4 * word + 1]) << 16) |
                                    (std::uint32_t(id[4 * word + 2]) << 8) | id[4 * word + 3];
        entry.created = header_created(profile.get());
        entries.append(entry);
    }
    return entries;
}
