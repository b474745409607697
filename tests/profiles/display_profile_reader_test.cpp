#include <gtest/gtest.h>
#include <lcms2.h>

#include <QFile>
#include <cmath>

#include "color/chromatic_adaptation.h"
#include "color/curve_builders.h"
#include "profile_bytes.h"
#include "profiles/display_profile.h"
#include "support/test_environment.h"

using namespace profile_bytes;

namespace {

const QString kCopyright = QStringLiteral("Copyright (c) Kestrel. All rights reserved.");

// Colorants are stored to 1/65536 and un-adapted through a matrix stored the same way: the
// chromaticities come back to a few parts in 10^5.
constexpr double kChromaticityTolerance = 5e-5;

void expect_colorimetry(const ProfileSpec& read, const ProfileSpec& written, double tolerance) {
    EXPECT_NEAR(read.redX, written.redX, tolerance);
    EXPECT_NEAR(read.redY, written.redY, tolerance);
    EXPECT_NEAR(read.greenX, written.greenX, tolerance);
    EXPECT_NEAR(read.greenY, written.greenY, tolerance);
    EXPECT_NEAR(read.blueX, written.blueX, tolerance);
    EXPECT_NEAR(read.blueY, written.blueY, tolerance);
    EXPECT_NEAR(read.whiteX, written.whiteX, tolerance);
    EXPECT_NEAR(read.whiteY, written.whiteY, tolerance);
}

bool save(cmsHPROFILE profile, const QString& path) {
    const bool saved = cmsSaveProfileToFile(profile, QFile::encodeName(path).constData());
    cmsCloseProfile(profile);
    return saved;
}

TEST(DisplayProfileRoundTrip, WrittenProfilesReadBackAsTheyWereDescribed) {
    const QString folder = fresh_folder(QStringLiteral("roundtrip"));
    struct {
        double white[2];
        double primaries[6];
        double gamma;
    } const cases[] = {
        {{0.3127, 0.3290}, {0.640, 0.330, 0.300, 0.600, 0.150, 0.060}, 2.2},
        {{0.3457, 0.3585}, {0.680, 0.320, 0.265, 0.690, 0.150, 0.060}, 1.8},
        {{0.2831, 0.2971}, {0.708, 0.292, 0.170, 0.797, 0.131, 0.046}, 2.4},
        {{0.4476, 0.4074}, {0.655, 0.335, 0.212, 0.701, 0.148, 0.058}, 1.0},
    };
    int n = 0;
    for (const auto& c : cases) {
        ProfileSpec spec = sample_spec(folder + QStringLiteral("/case%1.icm").arg(n++));
        spec.whiteX = c.white[0];
        spec.whiteY = c.white[1];
        spec.redX = c.primaries[0];
        spec.redY = c.primaries[1];
        spec.greenX = c.primaries[2];
        spec.greenY = c.primaries[3];
        spec.blueX = c.primaries[4];
        spec.blueY = c.primaries[5];
        spec.gamma = c.gamma;
        spec.luminance = 120.0 + n;
        ASSERT_EQ(writeDisplayProfile(spec, kCopyright), 0);

        ProfileSpec read;
        ASSERT_EQ(readDisplayProfile(spec.path, read), 0);
        SCOPED_TRACE(spec.path.toStdString());
        expect_colorimetry(read, spec, kChromaticityTolerance);
        EXPECT_NEAR(read.gamma, c.gamma, 0.5 / 256);
        EXPECT_FALSE(read.useCurves);
        EXPECT_NEAR(read.luminance, spec.luminance, 0.5 / 65536);
        EXPECT_EQ(read.description, spec.description);
        EXPECT_EQ(read.copyright, spec.copyright);
        EXPECT_EQ(read.created, spec.created);
        EXPECT_EQ(read.path, spec.path);
    }
}

TEST(DisplayProfileRoundTrip, SampledCurvesComeBackAsCurvesWithTheirFittedGamma) {
    const QString folder = fresh_folder(QStringLiteral("curves"));
    ProfileSpec spec = sample_spec(folder + QStringLiteral("/curves.icm"));
    spec.useCurves = true;
    make_gamma_curve(spec.redCurve, 2.2);
    make_gamma_curve(spec.greenCurve, 2.2);
    make_gamma_curve(spec.blueCurve, 2.2);
    ASSERT_EQ(writeDisplayProfile(spec, kCopyright), 0);

    ProfileSpec read;
    ASSERT_EQ(readDisplayProfile(spec.path, read), 0);
    EXPECT_TRUE(read.useCurves);
    EXPECT_NEAR(read.gamma, 2.2, 0.01);
    for (const CSpline* curve : {&read.redCurve, &read.greenCurve, &read.blueCurve}) {
        EXPECT_TRUE(curve->valid);
        EXPECT_EQ(curve->type, CSpline::kCatmullRom);
        ASSERT_EQ(curve->size(), 256);
        for (int i = 0; i < 256; ++i) {
            EXPECT_DOUBLE_EQ(curve->xAt(i), i / 255.0);
            EXPECT_NEAR(curve->yAt(i), std::pow(i / 255.0, 2.2), 0.5 / 65535 + 1e-12) << i;
        }
    }
    expect_colorimetry(read, spec, kChromaticityTolerance);
}

TEST(DisplayProfileReader, ProfilesWithoutAdaptationTagTakeTheirWhiteFromTheMediaWhite) {
    // An older style of profile: the media white is the display's own and there is no 'chad'.
    const CCIEXYZ d65(0.3127, 0.3290);
    CChromaticAdaptation adaptation;
    ASSERT_TRUE(adaptation.setSourceWhite(d65));
    CCIEXYZ c[3];
    ASSERT_TRUE(adaptation.colorants(0.64, 0.33, 0.21, 0.71, 0.15, 0.06, c[0], c[1], c[2]));

    cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(profile, 2.1);
    cmsSetDeviceClass(profile, cmsSigDisplayClass);
    cmsSetColorSpace(profile, cmsSigRgbData);
    cmsSetPCS(profile, cmsSigXYZData);
    const cmsCIEXYZ white = {d65.X, d65.Y, d65.Z};
    cmsWriteTag(profile, cmsSigMediaWhitePointTag, &white);
    const cmsTagSignature colorants[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag,
                                          cmsSigBlueColorantTag};
    for (int i = 0; i < 3; ++i) {
        const cmsCIEXYZ xyz = {c[i].X, c[i].Y, c[i].Z};
        cmsWriteTag(profile, colorants[i], &xyz);
    }
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
    cmsWriteTag(profile, cmsSigRedTRCTag, gamma);
    cmsWriteTag(profile, cmsSigGreenTRCTag, gamma);
    cmsWriteTag(profile, cmsSigBlueTRCTag, gamma);
    cmsFreeToneCurve(gamma);
    const QString path = fresh_folder(QStringLiteral("nochad")) + QStringLiteral("/old.icc");
    ASSERT_TRUE(save(profile, path));

    ProfileSpec expected;
    expected.whiteX = 0.3127;
    expected.whiteY = 0.3290;
    expected.redX = 0.64;
    expected.redY = 0.33;
    expected.greenX = 0.21;
    expected.greenY = 0.71;
    expected.blueX = 0.15;
    expected.blueY = 0.06;
    ProfileSpec read;
    ASSERT_EQ(readDisplayProfile(path, read), 0);
    expect_colorimetry(read, expected, kChromaticityTolerance);
    EXPECT_NEAR(read.gamma, 2.2, 0.5 / 256);
    EXPECT_EQ(read.luminance, 0.0);  // no 'lumi'
    EXPECT_TRUE(read.description.isEmpty());
}

TEST(DisplayProfileReader, ParametricCurvesGiveAGammaOrASampledCurve) {
    // A version 4 profile: parametric curves and a multi-localised description.
    const cmsCIExyY white = {0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries = {{0.64, 0.33, 1.0}, {0.30, 0.60, 1.0}, {0.15, 0.06, 1.0}};
    const cmsFloat64Number srgb[5] = {2.4, 1.0 / 1.055, 0.055 / 1.055, 1.0 / 12.92, 0.04045};
    const cmsFloat64Number exponent[1] = {2.6};
    cmsToneCurve* power = cmsBuildParametricToneCurve(nullptr, 1, exponent);
    cmsToneCurve* piecewise = cmsBuildParametricToneCurve(nullptr, 4, srgb);
    cmsToneCurve* curves[3] = {power, power, piecewise};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsMLU* description = cmsMLUalloc(nullptr, 1);
    cmsMLUsetWide(description, "en", "US", L"Parametric test display");
    cmsWriteTag(profile, cmsSigProfileDescriptionTag, description);
    cmsMLUfree(description);
    const QString path = fresh_folder(QStringLiteral("para")) + QStringLiteral("/v4.icc");
    ASSERT_TRUE(save(profile, path));

    ProfileSpec read;
    ASSERT_EQ(readDisplayProfile(path, read), 0);
    EXPECT_EQ(read.description, QStringLiteral("Parametric test display"));
    // The blue channel comes last: its piecewise curve is sampled and fitted.
    EXPECT_TRUE(read.useCurves);
    ASSERT_EQ(read.blueCurve.size(), 256);
    for (int i = 0; i < 256; ++i) {
        const double v = i / 255.0;
        const double y = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        EXPECT_NEAR(read.blueCurve.yAt(i), y, 1e-4) << i;
    }
    EXPECT_NEAR(read.gamma, read.blueCurve.fitGamma(), 1e-12);
    EXPECT_FALSE(read.redCurve.valid);  // the power curves set only the gamma

    ProfileSpec expected;
    expected.whiteX = 0.3127;
    expected.whiteY = 0.3290;
    expected.redX = 0.64;
    expected.redY = 0.33;
    expected.greenX = 0.30;
    expected.greenY = 0.60;
    expected.blueX = 0.15;
    expected.blueY = 0.06;
    // Little CMS adapts with its own Bradford matrix, so allow for the difference to ours.
    expect_colorimetry(read, expected, 5e-4);

    // With only power curves the gamma is the curves' parameter.
    cmsToneCurve* only_power[3] = {power, power, power};
    ASSERT_TRUE(save(cmsCreateRGBProfile(&white, &primaries, only_power), path));
    ASSERT_EQ(readDisplayProfile(path, read), 0);
    EXPECT_FALSE(read.useCurves);
    EXPECT_NEAR(read.gamma, 2.6, 0.5 / 65536);
    cmsFreeToneCurve(power);
    cmsFreeToneCurve(piecewise);
}

TEST(DisplayProfileReader, InstalledReferenceSpacesReadAsPublished) {
    struct {
        const char* path;
        double primaries[6];
    } const spaces[] = {
        {"/usr/share/color/icc/colord/AdobeRGB1998.icc", {0.64, 0.33, 0.21, 0.71, 0.15, 0.06}},
        {"/usr/share/color/icc/sRGB.icc", {0.64, 0.33, 0.30, 0.60, 0.15, 0.06}},
        {"/usr/share/color/argyll/ref/sRGB.icm", {0.64, 0.33, 0.30, 0.60, 0.15, 0.06}},
    };
    int found = 0;
    for (const auto& space : spaces) {
        if (!QFile::exists(QLatin1String(space.path))) continue;
        ++found;
        SCOPED_TRACE(space.path);
        ProfileSpec read;
        ASSERT_EQ(readDisplayProfile(QLatin1String(space.path), read), 0);
        ProfileSpec expected;
        expected.whiteX = 0.3127;
        expected.whiteY = 0.3290;
        expected.redX = space.primaries[0];
        expected.redY = space.primaries[1];
        expected.greenX = space.primaries[2];
        expected.greenY = space.primaries[3];
        expected.blueX = space.primaries[4];
        expected.blueY = space.primaries[5];
        // Published primaries, the makers' own adaptation and rounding.
        expect_colorimetry(read, expected, 2e-3);
        EXPECT_FALSE(read.description.isEmpty());
        EXPECT_GT(read.gamma, 1.9);
        EXPECT_LT(read.gamma, 2.5);
    }
    if (found == 0) GTEST_SKIP() << "no reference profiles installed";
}

TEST(DisplayProfileReader, ADescriptionBeyondAsciiComesBackWholeFromTheUnicodePart) {
    ProfileSpec spec = sample_spec(fresh_folder(QStringLiteral("unicode")) + "/unicode.icm");
    spec.description = QString::fromUtf8(
        "\xC3\x89"
        "cran KX272W \xE2\x80\x93 Mode 2 \xF0\x9F\x96\xA5");
    ASSERT_EQ(writeDisplayProfile(spec, kCopyright), 0);
    ProfileSpec read;
    ASSERT_EQ(readDisplayProfile(spec.path, read), 0);
    EXPECT_EQ(read.description, spec.description);
    // Little CMS shows the ASCII part of such a tag: plain text, one '?' for each character it
    // cannot hold (also one beyond the 16-bit range), no UTF-8 bytes shown as Latin-1.
    cmsHPROFILE profile = cmsOpenProfileFromFile(QFile::encodeName(spec.path).constData(), "r");
    ASSERT_NE(profile, nullptr);
    const auto* mlu = static_cast<const cmsMLU*>(cmsReadTag(profile, cmsSigProfileDescriptionTag));
    ASSERT_NE(mlu, nullptr);
    char ascii[128] = {};
    cmsMLUgetASCII(mlu, cmsNoLanguage, cmsNoCountry, ascii, sizeof ascii);
    EXPECT_STREQ(ascii, "?cran KX272W ? Mode 2 ?");
    cmsCloseProfile(profile);
}

// A version 4 copyright ('mluc') written by Little CMS with a German record before the English
// one: the English text is the one read, as Little CMS itself picks it.
TEST(DisplayProfileReader, AVersion4CopyrightReadsItsEnglishRecord) {
    cmsHPROFILE profile = cmsCreate_sRGBProfile();
    ASSERT_NE(profile, nullptr);
    cmsSetProfileVersion(profile, 4.3);
    cmsMLU* text = cmsMLUalloc(nullptr, 2);
    ASSERT_TRUE(cmsMLUsetWide(text, "de", "DE", L"Urheberrecht Beispiel"));
    ASSERT_TRUE(cmsMLUsetWide(text, "en", "US", L"Copyright example \u00A9"));
    ASSERT_TRUE(cmsWriteTag(profile, cmsSigCopyrightTag, text));
    cmsMLUfree(text);
    const QString path = fresh_folder(QStringLiteral("v4cprt")) + QStringLiteral("/v4.icc");
    ASSERT_TRUE(save(profile, path));
    ProfileSpec read;
    ASSERT_EQ(readDisplayProfile(path, read), 0);
    EXPECT_EQ(read.copyright, QString::fromUtf8("Copyright example \xC2\xA9"));

    // A real version 4 profile: the copyright Little CMS reads for English, not an empty one.
    const QString real = QStringLiteral(ORVALE_SOURCE_DIR "/tests/data/icc/colord-Rec709.icc");
    cmsHPROFILE rec709 = cmsOpenProfileFromFile(QFile::encodeName(real).constData(), "r");
    ASSERT_NE(rec709, nullptr);
    wchar_t wide[256] = {};
    cmsGetProfileInfo(rec709, cmsInfoCopyright, "en", "US", wide, 256);
    cmsCloseProfile(rec709);
    ASSERT_FALSE(QString::fromWCharArray(wide).isEmpty());
    ASSERT_EQ(readDisplayProfile(real, read), 0);
    EXPECT_EQ(read.copyright, QString::fromWCharArray(wide));
}

TEST(DisplayProfileReader, UnreadableFilesLeaveTheRecordAlone) {
    const QString folder = fresh_folder(QStringLiteral("unreadable"));
    ProfileSpec written = sample_spec(folder + QStringLiteral("/whole.icm"));
    ASSERT_EQ(writeDisplayProfile(written, kCopyright), 0);
    const QByteArray whole = testing_support::read_file(written.path);
    ASSERT_TRUE(
        testing_support::write_file(folder + QStringLiteral("/short.icm"), whole.left(100)));
    ASSERT_TRUE(testing_support::write_file(folder + QStringLiteral("/text.icm"),
                                            QByteArray("not a profile at all").repeated(20)));
    for (const char* name : {"/missing.icm", "/short.icm", "/text.icm"}) {
        ProfileSpec out;
        out.description = QStringLiteral("kept");
        EXPECT_EQ(readDisplayProfile(folder + QLatin1String(name), out), kProfileUnreadable)
            << name;
        EXPECT_EQ(out.description, QStringLiteral("kept"));
    }
}

}  // namespace

namespace {

// Real profiles: the curves come whole, and the gamma is the fit of the last channel's curve,
// also where the three channels share one tag (which is then fitted once).
TEST(DisplayProfileReaderRealProfiles, CurvesAndGammaOfShippedProfiles) {
    struct Case {
        const char* file;
        int entries;
    };
    for (const Case& c : {Case{"colord-Rec709.icc", 4096}, Case{"free-sRGB.icc", 1024},
                          Case{"free-CineonLog_M.icc", 256}}) {
        ProfileSpec read;
        ASSERT_EQ(readDisplayProfile(QStringLiteral(ORVALE_SOURCE_DIR "/tests/data/icc/") +
                                         QString::fromLatin1(c.file),
                                     read),
                  0)
            << c.file;
        EXPECT_TRUE(read.useCurves);
        for (const CSpline* curve : {&read.redCurve, &read.greenCurve, &read.blueCurve}) {
            EXPECT_EQ(curve->size(), c.entries) << c.file;
            EXPECT_TRUE(curve->valid);
        }
        EXPECT_EQ(read.gamma, read.blueCurve.fitGamma()) << c.file;
        // All three hold the same curve (Rec709 in one shared tag, the others in three).
        EXPECT_EQ(read.redCurve.points, read.blueCurve.points) << c.file;
        EXPECT_EQ(read.greenCurve.points, read.blueCurve.points) << c.file;
    }

    // Three different curves: the one fitted last is blue's, not a remembered earlier fit.
    ProfileSpec spec = sample_spec(fresh_folder(QStringLiteral("three")) + "/three.icm");
    spec.useCurves = true;
    make_srgb_curve(spec.redCurve);
    make_lstar_curve(spec.greenCurve);
    make_gamma_curve(spec.blueCurve, 1.8);
    ASSERT_EQ(writeDisplayProfile(spec, QString()), 0);
    ProfileSpec read;
    ASSERT_EQ(readDisplayProfile(spec.path, read), 0);
    EXPECT_EQ(read.gamma, read.blueCurve.fitGamma());
    EXPECT_NE(read.gamma, read.redCurve.fitGamma());
    EXPECT_NE(read.gamma, read.greenCurve.fitGamma());
}

}  // namespace
