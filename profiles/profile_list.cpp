#include "profiles/profile_list.h"

#include <QDir>

#include "profiles/color_management.h"
#include "profiles/icc_file_io_qt.h"
#include "profiles/icc_numbers.h"
#include "profiles/icc_text_tags.h"
#include "profiles/lcms_support.h"

namespace {

int filter_bit(std::uint32_t profileClass) {
    if (profileClass == icc_signature("prtr")) return kPrinterProfiles;
    if (profileClass == icc_signature("mntr")) return kDisplayProfiles;
    if (profileClass == icc_signature("spac")) return kColorSpaceProfiles;
    return 0;
}

QString listed_description(cmsHPROFILE profile) {
    CTextDescription description;
    if (!decode_text_description(read_raw_tag(profile, cmsSigProfileDescriptionTag), description))
        return QString();
    if (description.unicodeCount > 1) {
        QString text = description.unicode;
        if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
        return text;
    }
    return QString::fromLocal8Bit(description.ascii);
}

}  // namespace

QList<ProfileEntry> listProfiles(int filter) {
    QList<ProfileEntry> entries;
    const QString folder = colorDirectory();
    if (folder.isEmpty()) return entries;
    const QDir directory(folder, QString(), QDir::NoSort, QDir::Files | QDir::Readable);
    const QStringList names =
        directory.entryList({QStringLiteral("*.icm"), QStringLiteral("*.icc")});
    for (const QString& name : names) {
        const QString path = directory.filePath(name);
        CIccFileIOQt io;
        if (!io.Open(path, "r+")) continue;
        const LcmsProfile profile = open_lcms_profile(io);
        if (!profile) continue;
        const std::uint32_t profileClass = cmsGetDeviceClass(profile.get());
        if (!(filter_bit(profileClass) & filter)) continue;

        ProfileEntry entry;
        entry.path = path;
        entry.description = listed_description(profile.get());
        entry.profileClass = profileClass;
        cmsUInt8Number id[16];
        cmsGetHeaderProfileID(profile.get(), id);
        for (int word = 0; word < 4; ++word)
            entry.profileId[word] = (std::uint32_t(id[4 * word]) << 24) |
                                    (std::uint32_t(id[4 * word + 1]) << 16) |
                                    (std::uint32_t(id[4 * word + 2]) << 8) | id[4 * word + 3];
        entry.created = header_created(profile.get());
        entries.append(entry);
    }
    return entries;
}
