#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include "color/chromatic_adaptation.h"
#include "profiles/color_management.h"
#include "profiles/display_profile.h"
#include "profiles/icc_file_io_qt.h"
#include "profiles/icc_header.h"
#include "profiles/icc_numbers.h"
#include "profiles/icc_tag_mmod.h"
#include "profiles/icc_tag_vcgt.h"
#include "profiles/icc_text_tags.h"
#include "profiles/lcms_support.h"
#include "profiles/profile_metadata.h"

namespace {

// The D50 white the profile code adapts to, written as the media white.
const CCIEXYZ kD50(0.964188, 1.0, 0.82489);

// Every number is rounded to its file encoding here and handed to Little CMS as the exact value
// of that encoding, so the bytes written follow our rounding rather than Little CMS's.
cmsCIEXYZ encodable_xyz(const CCIEXYZ& value) {
    return {from_s15Fixed16(to_s15Fixed16(static_cast<float>(value.X))),
            from_s15Fixed16(to_s15Fixed16(static_cast<float>(value.Y))),
            from_s15Fixed16(to_s15Fixed16(static_cast<float>(value.Z)))};
}

bool write_xyz(cmsHPROFILE profile, cmsTagSignature signature, const CCIEXYZ& value) {
    const cmsCIEXYZ xyz = encodable_xyz(value);
    return cmsWriteTag(profile, signature, &xyz);
}

bool write_chad(cmsHPROFILE profile, const Matrix3& m) {
    // Nine numbers, row by row, as Little CMS holds a matrix.
    cmsFloat64Number chad[9];
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            chad[3 * row + column] = from_s15Fixed16(to_s15Fixed16(m[row][column]));
    return cmsWriteTag(profile, cmsSigChromaticAdaptationTag, chad);
}

bool write_trc(cmsHPROFILE profile, cmsTagSignature signature, const ProfileSpec& spec,
               const CSpline& curve) {
    cmsToneCurve* trc = nullptr;
    if (spec.useCurves) {
        cmsUInt16Number entries[256];
        for (int i = 0; i < 256; ++i)
            entries[i] = to_u16_unit(curve.evaluate(i / 255.0));
        trc = cmsBuildTabulatedToneCurve16(nullptr, 256, entries);
    } else {
        // A single power becomes the one-entry curve, stored as u8Fixed8.
        trc = cmsBuildGamma(nullptr, to_u8Fixed8(spec.gamma) / 256.0);
    }
    if (!trc) return false;
    const bool written = cmsWriteTag(profile, signature, trc);
    cmsFreeToneCurve(trc);
    return written;
}

bool write_private_tag(cmsHPROFILE profile, cmsTagSignature signature, CIccTag& tag) {
    CIccMemIO io;
    if (!tag.Write(&io)) return false;
    const QByteArray& bytes = io.bytes();
    return cmsWriteRawTag(profile, signature, bytes.constData(),
                          static_cast<cmsUInt32Number>(bytes.size()));
}

bool write_copyright(cmsHPROFILE profile, const QString& copyright) {
    cmsMLU* text = cmsMLUalloc(nullptr, 1);
    if (!text) return false;
    // Little CMS keeps the 8-bit text byte for byte and writes it as a version 2 textType.
    const QByteArray local = copyright.toLocal8Bit();
    const bool written = cmsMLUsetASCII(text, cmsNoLanguage, cmsNoCountry, local.constData()) &&
                         cmsWriteTag(profile, cmsSigCopyrightTag, text);
    cmsMLUfree(text);
    return written;
}

// The tags in the order profiles have always carried them.
bool add_tags(cmsHPROFILE profile, const ProfileSpec& spec, const QString& copyright) {
    const QByteArray description = encode_text_description(spec.description);
    if (!cmsWriteRawTag(profile, cmsSigProfileDescriptionTag, description.constData(),
                        static_cast<cmsUInt32Number>(description.size())) ||
        !write_copyright(profile, copyright))
        return false;

    CChromaticAdaptation adaptation;
    CCIEXYZ red, green, blue;
    // Collinear primaries (or a white without chromaticity) describe no display: no profile.
    if (!adaptation.setSourceWhite(CCIEXYZ(spec.whiteX, spec.whiteY)) ||
        !adaptation.colorants(spec.redX, spec.redY, spec.greenX, spec.greenY, spec.blueX,
                              spec.blueY, red, green, blue))
        return false;
    if (!write_xyz(profile, cmsSigRedColorantTag, red) ||
        !write_xyz(profile, cmsSigGreenColorantTag, green) ||
        !write_xyz(profile, cmsSigBlueColorantTag, blue) ||
        !write_chad(profile, adaptation.matrix()) ||
        !write_xyz(profile, cmsSigMediaWhitePointTag, kD50))
        return false;
    if (spec.luminance > 0.0 &&
        !write_xyz(profile, cmsSigLuminanceTag, CCIEXYZ(0.0, spec.luminance, 0.0)))
        return false;
    if (!write_trc(profile, cmsSigRedTRCTag, spec, spec.redCurve) ||
        !write_trc(profile, cmsSigGreenTRCTag, spec, spec.greenCurve) ||
        !write_trc(profile, cmsSigBlueTRCTag, spec, spec.blueCurve))
        return false;

    // The graphics card is left alone: an identity ramp on every channel.
    std::uint8_t ramp[3 * 256];
    for (int i = 0; i < 3 * 256; ++i)
        ramp[i] = static_cast<std::uint8_t>(i % 256);
    CIccTagvcgt vcgt;
    vcgt.setTable(3, 256, 1, ramp);
    if (!write_private_tag(profile, static_cast<cmsTagSignature>(CIccTagvcgt::kSignature), vcgt))
        return false;

    if (spec.monitorId != 0) {
        CIccTagmmod mmod;
        mmod.set(CIccTagmmod::manufacturerWord(spec.monitorId),
                 CIccTagmmod::modelWord(spec.monitorId), 0, 0, 0, 0, 0, 0);
        if (!write_private_tag(profile, static_cast<cmsTagSignature>(CIccTagmmod::kSignature),
                               mmod))
            return false;
    }
    if (!spec.displayDevice.isEmpty() &&
        !write_metadata_tag(profile, display_profile_metadata(
                                         platform::colord_display_for_device(spec.displayDevice))))
        return false;
    return true;
}

// The whole profile file; empty when it cannot be built.
QByteArray build_profile(const ProfileSpec& spec, const QString& copyright,
                         const QDateTime& created) {
    const LcmsProfile profile(cmsCreateProfilePlaceholder(nullptr));
    if (!profile) return QByteArray();
    cmsSetProfileVersion(profile.get(), 2.1);
    cmsSetDeviceClass(profile.get(), cmsSigDisplayClass);
    cmsSetColorSpace(profile.get(), cmsSigRgbData);
    cmsSetPCS(profile.get(), cmsSigXYZData);
    if (!add_tags(profile.get(), spec, copyright)) return QByteArray();

    cmsUInt32Number size = 0;
    if (!cmsSaveProfileToMem(profile.get(), nullptr, &size) || size < kIccHeaderSize)
        return QByteArray();
    QByteArray bytes(static_cast<qsizetype>(size), '\0');
    if (!cmsSaveProfileToMem(profile.get(), bytes.data(), &size)) return QByteArray();
    bytes.resize(size);
    // colord names a profile after its ID, so every profile carries one.
    if (!write_icc_header(bytes, display_profile_header(spec.adobeCmm, created)) ||
        !embed_profile_id(bytes))
        return QByteArray();
    return bytes;
}

// Whether what is at `path` can be taken away. Removal needs write and search permission on
// the folder, which an immutable folder or a read-only file system refuses even the superuser;
// a directory is never removed.
bool removable(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink()) return false;
    return ::access(QFile::encodeName(info.absolutePath()).constData(), W_OK | X_OK) == 0;
}

// Writes `bytes` to a new file beside `path`, then replaces whatever is at `path` by it. An old
// profile that cannot go is found out before anything is created, and stays.
int save_replacing(const QString& path, const QByteArray& bytes) {
    const QFileInfo existing(path);
    const bool replacing = existing.exists() || existing.isSymLink();
    if (replacing && !removable(path)) return kProfileCannotReplace;

    QString temporary;
    {
        // Hidden and without a profile ending, so no listing of profiles picks it up.
        QTemporaryFile reserve(QFileInfo(path).absolutePath() + QStringLiteral("/.profile-XXXXXX"));
        reserve.setAutoRemove(false);
        if (!reserve.open()) return kProfileCannotWrite;
        temporary = reserve.fileName();
    }
    // Reopening re-creates the file, so it gets the usual permissions rather than private ones.
    CIccFileIOQt io;
    const auto n = static_cast<std::int32_t>(bytes.size());
    const bool written = io.Open(temporary, "w+") && io.Write8(bytes.constData(), n) == n;
    io.Close();
    if (!written) {
        QFile::remove(temporary);
        return kProfileCannotWrite;
    }

    if (replacing) {
        if (!uninstallProfile(path) && !QFile::remove(path)) {
            QFile::remove(temporary);
            return kProfileCannotReplace;
        }
    }
    if (!QFile::rename(temporary, path)) {
        QFile::remove(temporary);
        return kProfileCannotWrite;
    }
    return 0;
}

}  // namespace

int writeDisplayProfile(const ProfileSpec& spec, const QString& defaultCopyright) {
    if (spec.path.isEmpty() || spec.description.isEmpty()) return kProfileMissingPathOrDescription;
    const QString copyright = spec.copyright.isEmpty() ? defaultCopyright : spec.copyright;
    const QDateTime created = spec.created.isValid() ? spec.created : QDateTime::currentDateTime();

    const QByteArray bytes = build_profile(spec, copyright, created);
    if (bytes.isEmpty()) return kProfileCannotWrite;
    return save_replacing(spec.path, bytes);
}
