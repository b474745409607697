#include "color/chromatic_adaptation.h"
#include "profiles/display_profile.h"
#include "profiles/icc_file_io_qt.h"
#include "profiles/icc_numbers.h"
#include "profiles/icc_text_tags.h"
#include "profiles/lcms_support.h"

namespace {

const CCIEXYZ kD50(0.964188, 1.0, 0.82489);

bool read_xyz(cmsHPROFILE profile, cmsTagSignature signature, CCIEXYZ& value) {
    const auto* xyz = static_cast<const cmsCIEXYZ*>(cmsReadTag(profile, signature));
    if (!xyz) return false;
    value = CCIEXYZ(xyz->X, xyz->Y, xyz->Z);
    return true;
}

// The last fit and the tag bytes it came from: profiles often let all three tone response tags
// share one curve, which then is fitted once.
struct FitMemo {
    QByteArray tag;
    double gamma = 0.0;
};

void use_curve(CSpline& sampled, ProfileSpec& spec, CSpline& channel, const QByteArray& tag,
               FitMemo& memo) {
    sampled.valid = true;
    channel = sampled;
    spec.useCurves = true;
    // The sampled curve follows from the tag's bytes alone, and so does its fit.
    if (memo.tag.isEmpty() || memo.tag != tag) {
        memo.tag = tag;
        memo.gamma = sampled.fitGamma();
    }
    spec.gamma = memo.gamma;
}

// A tone response tag: one power into `gamma`, anything else sampled into the channel's curve.
void read_trc(cmsHPROFILE profile, std::uint32_t signature, ProfileSpec& spec, CSpline& channel,
              FitMemo& memo) {
    const QByteArray tag = read_raw_tag(profile, signature);
    const std::uint32_t type = tag_type_of(tag);
    if (type == icc_signature("curv")) {
        std::uint32_t count = 0;
        if (!read_be32(tag, 8, count) || 12 + std::uint64_t(count) * 2 > std::uint64_t(tag.size()))
            return;
        std::uint16_t entry = 0;
        if (count == 0) {
            spec.gamma = 1.0;  // no entries: the identity
        } else if (count == 1) {
            read_be16(tag, 12, entry);
            spec.gamma = entry / 256.0;
        } else {
            CSpline curve;
            curve.init(CSpline::kCatmullRom, static_cast<int>(count), 0.0, 1.0);
            for (std::uint32_t i = 0; i < count; ++i) {
                read_be16(tag, 12 + 2 * qsizetype(i), entry);
                curve.setPointAt(static_cast<int>(i), i / double(count - 1), entry / 65535.0);
            }
            use_curve(curve, spec, channel, tag, memo);
        }
    } else if (type == icc_signature("para")) {
        std::uint16_t function = 0;
        std::uint32_t power = 0;
        if (!read_be16(tag, 8, function)) return;
        if (function == 0) {
            if (read_be32(tag, 12, power)) spec.gamma = from_s15Fixed16(std::int32_t(power));
            return;
        }
        const auto* trc = static_cast<const cmsToneCurve*>(
            cmsReadTag(profile, static_cast<cmsTagSignature>(signature)));
        if (!trc) return;
        CSpline curve;
        curve.init(CSpline::kCatmullRom, 256, 0.0, 1.0);
        for (int i = 0; i < 256; ++i)
            curve.setYAt(i, cmsEvalToneCurveFloat(trc, static_cast<cmsFloat32Number>(i / 255.0)));
        use_curve(curve, spec, channel, tag, memo);
    }
}

void read_texts(cmsHPROFILE profile, ProfileSpec& spec) {
    spec.copyright = copyright_text(read_raw_tag(profile, cmsSigCopyrightTag));
    spec.description = description_text(read_raw_tag(profile, cmsSigProfileDescriptionTag));
}

void read_colorimetry(cmsHPROFILE profile, ProfileSpec& spec) {
    CCIEXYZ red, green, blue, white, luminance;
    read_xyz(profile, cmsSigRedColorantTag, red);
    read_xyz(profile, cmsSigGreenColorantTag, green);
    read_xyz(profile, cmsSigBlueColorantTag, blue);
    read_xyz(profile, cmsSigMediaWhitePointTag, white);
    if (read_xyz(profile, cmsSigLuminanceTag, luminance)) spec.luminance = luminance.Y;

    // Colorants are stored adapted to D50; the display's own white and primaries are what they
    // were before that adaptation.
    CChromaticAdaptation adaptation;
    // Little CMS holds the matrix as nine numbers, row by row.
    const auto* chad =
        static_cast<const cmsFloat64Number*>(cmsReadTag(profile, cmsSigChromaticAdaptationTag));
    if (chad) {
        Matrix3 m;
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 3; ++column)
                m[row][column] = chad[3 * row + column];
        adaptation.setMatrix(m);
        white = adaptation.adaptInverse(white);
    } else {
        // Without one, the media white is the display's white.
        adaptation.setSourceWhiteWithInverse(white);
        white = adaptation.adaptInverse(kD50);
    }
    red = adaptation.adaptInverse(red);
    green = adaptation.adaptInverse(green);
    blue = adaptation.adaptInverse(blue);

    spec.redX = red.chromaticity().x;
    spec.redY = red.chromaticity().y;
    spec.greenX = green.chromaticity().x;
    spec.greenY = green.chromaticity().y;
    spec.blueX = blue.chromaticity().x;
    spec.blueY = blue.chromaticity().y;
    spec.whiteX = white.chromaticity().x;
    spec.whiteY = white.chromaticity().y;
}

}  // namespace

int readDisplayProfile(const QString& path, ProfileSpec& out) {
    CIccFileIOQt io;
    if (!io.Open(path, "r+")) return kProfileUnreadable;
    const LcmsProfile profile = open_lcms_profile(io);
    if (!profile) return kProfileUnreadable;

    ProfileSpec spec;
    spec.path = path;
    spec.created = header_created(profile.get());
    read_texts(profile.get(), spec);
    read_colorimetry(profile.get(), spec);
    FitMemo memo;
    read_trc(profile.get(), cmsSigRedTRCTag, spec, spec.redCurve, memo);
    read_trc(profile.get(), cmsSigGreenTRCTag, spec, spec.greenCurve, memo);
    read_trc(profile.get(), cmsSigBlueTRCTag, spec, spec.blueCurve, memo);
    out = spec;
    return 0;
}
