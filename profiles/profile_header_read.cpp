#include "profiles/profile_header_read.h"

#include <QCryptographicHash>
#include <QFile>

#include "profiles/icc_numbers.h"
#include "profiles/icc_text_tags.h"
#include "profiles/lcms_support.h"

namespace {

// The header and the tag count; anything shorter is no profile.
constexpr qsizetype kMinimumSize = 132;
constexpr qsizetype kSignatureAt = 36;
constexpr qsizetype kProfileIdAt = 84;
constexpr qsizetype kProfileIdLength = 16;
// Profiles of many megabytes exist (large device links); beyond this a file is not one we
// offer, and reading it whole would stall the window.
constexpr qint64 kLargestProfile = 64 * 1024 * 1024;

QString description_of(cmsHPROFILE profile) {
    return description_text(read_raw_tag(profile, cmsSigProfileDescriptionTag));
}

QString copyright_of(cmsHPROFILE profile) {
    return copyright_text(read_raw_tag(profile, cmsSigCopyrightTag));
}

bool has_display_colorimetry(cmsHPROFILE profile) {
    for (const cmsTagSignature xyz : {cmsSigRedColorantTag, cmsSigGreenColorantTag,
                                      cmsSigBlueColorantTag, cmsSigMediaWhitePointTag}) {
        if (!cmsReadTag(profile, xyz)) return false;
    }
    for (const cmsTagSignature trc : {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag}) {
        if (!cmsReadTag(profile, trc)) return false;
    }
    return true;
}

// The profile ID is the MD5 of the profile with the flags, the rendering intent and the ID
// itself zeroed; all zeros means none was computed.
bool profile_id_matches(const QByteArray& bytes) {
    const QByteArray stored = bytes.mid(kProfileIdAt, kProfileIdLength);
    if (stored == QByteArray(kProfileIdLength, '\0')) return true;
    QByteArray copy = bytes;
    copy.replace(44, 4, QByteArray(4, '\0'));
    copy.replace(64, 4, QByteArray(4, '\0'));
    copy.replace(kProfileIdAt, kProfileIdLength, QByteArray(kProfileIdLength, '\0'));
    return QCryptographicHash::hash(copy, QCryptographicHash::Md5) == stored;
}

}  // namespace

int readProfileHeader(const QString& path, ProfileHeaderInfo& out) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return kHeaderCannotOpen;
    if (file.size() > kLargestProfile) return kHeaderNotAProfile;
    const QByteArray bytes = file.readAll();
    if (bytes.size() < kMinimumSize) return kHeaderNotAProfile;
    std::uint32_t signature = 0;
    std::uint32_t declared = 0;
    read_be32(bytes, kSignatureAt, signature);
    read_be32(bytes, 0, declared);
    if (signature != icc_signature("acsp")) return kHeaderNotAProfile;

    const LcmsProfile profile(
        cmsOpenProfileFromMem(bytes.constData(), static_cast<cmsUInt32Number>(bytes.size())));
    if (!profile) return kHeaderNotAProfile;

    ProfileHeaderInfo info;
    info.deviceClass = cmsGetDeviceClass(profile.get());
    info.colorSpace = cmsGetColorSpace(profile.get());
    info.description = description_of(profile.get());
    info.copyright = copyright_of(profile.get());
    info.created = header_created(profile.get());
    info.hasDisplayColorimetry = has_display_colorimetry(profile.get());
    out = info;

    const bool size_right = declared == static_cast<std::uint32_t>(bytes.size());
    return size_right && profile_id_matches(bytes) ? kHeaderRead : kHeaderReadWithWarnings;
}
