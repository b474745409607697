#include "profiles/reference_profiles.h"

#include <QDir>
#include <QFile>

#include "color/curve_builders.h"
#include "profiles/color_management.h"
#include "profiles/display_profile.h"

namespace {

struct CReference {
    const char* file;
    const char* description;
};

ProfileSpec reference_spec(const QString& folder, const CReference& reference, double whiteX,
                           double whiteY, bool adobeCmm) {
    ProfileSpec spec;
    spec.path = QDir(folder).filePath(QLatin1String(reference.file));
    spec.description = QLatin1String(reference.description);
    spec.whiteX = whiteX;
    spec.whiteY = whiteY;
    spec.adobeCmm = adobeCmm;
    spec.gamma = 2.2;
    return spec;
}

}  // namespace

int makeReferenceProfiles(const QList<quint16>& nativeGamut, quint16 whiteX, quint16 whiteY,
                          bool adobeCmm, const ProfileTexts& texts) {
    const QString folder = targetFolder(true, texts);
    if (folder.isEmpty()) return kProfileCannotWrite;
    const double x = whiteX == 0 ? 0.313 : whiteX / 1000.0;
    const double y = whiteX == 0 ? 0.329 : whiteY / 1000.0;
    const auto native = [&](int i) { return nativeGamut.value(i, 0) / 1000.0; };

    ProfileSpec full = reference_spec(folder, {kFullGamutProfile, "full gamut"}, x, y, adobeCmm);
    full.redX = native(1);
    full.redY = native(2);
    full.greenX = native(3);
    full.greenY = native(4);
    full.blueX = native(5);
    full.blueY = native(6);

    ProfileSpec argb = reference_spec(folder, {kAdobeRgbProfile, "argb"}, x, y, adobeCmm);
    argb.redX = 0.64;
    argb.redY = 0.33;
    argb.greenX = 0.21;
    argb.greenY = 0.71;
    argb.blueX = 0.15;
    argb.blueY = 0.06;

    ProfileSpec srgb = reference_spec(folder, {kSrgbProfile, "srgb"}, x, y, adobeCmm);
    srgb.redX = 0.64;
    srgb.redY = 0.33;
    srgb.greenX = 0.30;
    srgb.greenY = 0.60;
    srgb.blueX = 0.15;
    srgb.blueY = 0.06;
    srgb.gamma = 0.0;
    srgb.useCurves = true;
    make_srgb_curve(srgb.redCurve);
    make_srgb_curve(srgb.greenCurve);
    make_srgb_curve(srgb.blueCurve);

    int result = 0;
    for (const ProfileSpec* spec : {&full, &argb, &srgb}) {
        const int written = writeDisplayProfile(*spec, texts.copyright);
        if (result == 0) result = written;
    }
    return result;
}

void removeReferenceProfiles(const ProfileTexts& texts) {
    const QString folder = targetFolder(true, texts);
    if (folder.isEmpty()) return;
    for (const char* file : {kFullGamutProfile, kAdobeRgbProfile, kSrgbProfile})
        QFile::remove(QDir(folder).filePath(QLatin1String(file)));
}
