#include <gtest/gtest.h>

#include <QDir>
#include <QTimeZone>
#include <cmath>

#include "color/curve_builders.h"
#include "color/dicom_calc.h"
#include "color/display_info.h"
#include "core/picture_mode_rules.h"
#include "core/string_table.h"
#include "profiles/display_profile.h"
#include "support/test_environment.h"

using namespace picture_mode;

namespace {

ModeProfileInput input_for(int curve_type, int gamma_code = 170) {
    ModeProfileInput in;
    in.folder = testing_support::sandbox_folder() + QStringLiteral("/icc");
    in.model = QStringLiteral("KX271W");
    in.serial = QStringLiteral("71000123");
    in.memory = 3;
    const std::int16_t v[16] = {3, 2, 0, 0, 313, 329, 640, 330, 210, 710, 150, 60, 0, 0, 120, 5};
    std::copy(std::begin(v), std::end(v), in.item.values.begin());
    in.item.values[12] = static_cast<std::int16_t>(curve_type);
    in.item.values[13] = static_cast<std::int16_t>(gamma_code);
    in.brightness = 160;
    in.black_level = 5;
    in.black_limit = 3;
    in.created = QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58), QTimeZone::utc());
    return in;
}

ProfileSpec ready_spec(const ModeProfileInput& in) {
    ProfileSpec spec;
    EXPECT_EQ(mode_profile_spec(in, spec), SpecResult::ready);
    return spec;
}

// Curves are compared at the 256 sample points the profile's TRCs are built from.
void expect_same_curve(const CSpline& got, const CSpline& want, double tolerance) {
    for (int i = 0; i <= 255; ++i)
        ASSERT_NEAR(got.evaluate(i / 255.0), want.evaluate(i / 255.0), tolerance) << "at " << i;
}

TEST(ModeProfileSpec, FileAndDescriptionNameTheMonitorAndTheMemory) {
    const ProfileSpec spec = ready_spec(input_for(9));
    EXPECT_EQ(spec.path, testing_support::sandbox_folder() + "/icc/KX271W 71000123 ORV.icm");
    EXPECT_EQ(spec.description, QStringLiteral("KX271W 71000123 ORV Mode 3"));
    EXPECT_EQ(spec.created, input_for(9).created);
    EXPECT_EQ(spec.monitorId, 0u);
    // A folder that already ends in a slash gets no second one; native separators are turned.
    EXPECT_EQ(
        mode_profile_path(QStringLiteral("/x/icc/"), QStringLiteral("M"), QStringLiteral("S")),
        QStringLiteral("/x/icc/M S ORV.icm"));
    // A serial number cannot take the file out of the colour directory.
    EXPECT_EQ(mode_profile_path(QStringLiteral("/x"), QStringLiteral("M"), QStringLiteral("../a")),
              QStringLiteral("/x/M .._a ORV.icm"));
}

TEST(ModeProfileSpec, ChromaticitiesGoWhiteRedGreenBlueAndLuminanceIsTheBrightness) {
    const ProfileSpec spec = ready_spec(input_for(9));
    EXPECT_DOUBLE_EQ(spec.whiteX, 0.313);
    EXPECT_DOUBLE_EQ(spec.whiteY, 0.329);
    EXPECT_DOUBLE_EQ(spec.redX, 0.640);
    EXPECT_DOUBLE_EQ(spec.redY, 0.330);
    EXPECT_DOUBLE_EQ(spec.greenX, 0.210);
    EXPECT_DOUBLE_EQ(spec.greenY, 0.710);
    EXPECT_DOUBLE_EQ(spec.blueX, 0.150);
    EXPECT_DOUBLE_EQ(spec.blueY, 0.060);
    EXPECT_DOUBLE_EQ(spec.luminance, 160.0);
}

TEST(ModeProfileSpec, ToneCurveFollowsTheCurveType) {
    CSpline want;
    {
        const ProfileSpec gamma = ready_spec(input_for(9, 170));
        EXPECT_DOUBLE_EQ(gamma.gamma, 2.2);
        make_gamma_curve(want, 2.2);
        expect_same_curve(gamma.redCurve, want, 1e-12);
        expect_same_curve(gamma.blueCurve, want, 1e-12);
        const ProfileSpec gamma18 = ready_spec(input_for(9, 130));
        EXPECT_DOUBLE_EQ(gamma18.gamma, 1.8);
    }
    {
        make_lstar_curve(want);
        expect_same_curve(ready_spec(input_for(12)).greenCurve, want, 1e-12);
    }
    // sRGB for the sRGB type and every type the engine does not know.
    make_srgb_curve(want);
    for (int type : {11, 0, 1, 7, 42})
        expect_same_curve(ready_spec(input_for(type)).redCurve, want, 1e-12);
    for (int type : {9, 12, 11, 5}) {
        const ProfileSpec s = ready_spec(input_for(type));
        EXPECT_TRUE(s.useCurves);
        EXPECT_TRUE(s.redCurve.valid && s.greenCurve.valid && s.blueCurve.valid) << type;
    }
}

TEST(ModeProfileSpec, DicomRunsFromTheHigherBlackToTheBrightness) {
    ModeProfileInput in = input_for(5);
    CSpline want;
    // The user's 0.5 cd/m² is above the monitor's 0.3.
    make_dicom_curve(want, 0.5f, 160.0f);
    expect_same_curve(ready_spec(in).redCurve, want, 1e-12);
    // Below what the monitor reaches, its own black is used.
    in.black_level = 1;
    make_dicom_curve(want, 0.3f, 160.0f);
    const ProfileSpec spec = ready_spec(in);
    expect_same_curve(spec.redCurve, want, 1e-12);
    // The curve starts at black and ends at white in 16-bit steps.
    EXPECT_DOUBLE_EQ(spec.redCurve.evaluate(0.0), 0.0);
    EXPECT_DOUBLE_EQ(spec.redCurve.evaluate(1.0), 1.0);
    const CDICOMCalc calc(0.3f, 160.0f, 255);
    EXPECT_DOUBLE_EQ(spec.redCurve.evaluate(128 / 255.0), calc.level(128, 65535) / 65535.0);
}

TEST(ModeProfileSpec, ProgrammableModesNeedAllThreeValidCurvesOfTheRecord) {
    ModeProfileInput in = input_for(6);
    ProfileSpec spec;
    EXPECT_EQ(mode_profile_spec(in, spec), SpecResult::needs_curves);
    EXPECT_TRUE(spec.path.isEmpty()) << "nothing is filled in before the curves are there";

    CCurveSet set;
    set.key = 2;
    make_gamma_curve(set.red, 1.9);
    make_gamma_curve(set.green, 2.0);
    set.blue = CSpline();  // never filled
    in.curves = set;
    EXPECT_EQ(mode_profile_spec(in, spec), SpecResult::invalid_curves);

    make_gamma_curve(set.blue, 2.1);
    in.curves = set;
    spec = ready_spec(in);
    expect_same_curve(spec.redCurve, set.red, 1e-12);
    expect_same_curve(spec.greenCurve, set.green, 1e-12);
    expect_same_curve(spec.blueCurve, set.blue, 1e-12);
}

TEST(ModeProfileSpec, NoProfileWithoutChromaticitiesOrColourDirectory) {
    ModeProfileInput in = input_for(9);
    in.item.values[8] = 0;
    ProfileSpec spec;
    EXPECT_EQ(mode_profile_spec(in, spec), SpecResult::no_colorimetry);
    in = input_for(9);
    in.folder.clear();
    EXPECT_EQ(mode_profile_spec(in, spec), SpecResult::no_folder);
}

TEST(ModeProfileSpec, AWrittenGammaModeReadsBackAsThatMode) {
    const ModeProfileInput in = input_for(9, 170);
    QDir().mkpath(in.folder);
    const ProfileSpec spec = ready_spec(in);
    ASSERT_EQ(writeDisplayProfile(spec, profile_texts().copyright), 0);

    ProfileSpec back;
    ASSERT_EQ(readDisplayProfile(spec.path, back), 0);
    EXPECT_EQ(back.description, spec.description);
    EXPECT_EQ(back.copyright, string(15));
    EXPECT_TRUE(back.useCurves);
    EXPECT_NEAR(back.gamma, 2.2, 0.01);
    // curveType entries are 16-bit.
    for (int i : {0, 32, 128, 200, 255})
        EXPECT_NEAR(back.greenCurve.evaluate(i / 255.0), std::pow(i / 255.0, 2.2),
                    1.0 / 65535 + 1e-6);
    EXPECT_NEAR(back.whiteX, 0.313, 0.0005);
    EXPECT_NEAR(back.whiteY, 0.329, 0.0005);
    EXPECT_NEAR(back.redX, 0.640, 0.0005);
    EXPECT_NEAR(back.greenY, 0.710, 0.0005);
    EXPECT_NEAR(back.blueY, 0.060, 0.0005);
    EXPECT_NEAR(back.luminance, 160.0, 0.01);
    // The header's creation fields are the UTC time given, which the stamp rule reads back.
    EXPECT_TRUE(
        created_at_stamp(back.created, static_cast<std::uint32_t>(in.created.toSecsSinceEpoch())));
}

TEST(ProfileTextsAndDevice, TextsComeFromTheStringTableAndTheMonitorIdNamesTheDevice) {
    const ProfileTexts texts = profile_texts();
    EXPECT_EQ(texts.copyright, string(15));
    EXPECT_EQ(texts.companyName, QStringLiteral("Kestrel"));
    EXPECT_EQ(texts.applicationName, QStringLiteral("Orvale"));
    EXPECT_EQ(texts.targetsFolderName, QStringLiteral("/Targets/"));

    DisplayInfo info;
    info.text4 = QStringLiteral("card0");
    EXPECT_EQ(display_device_name(info), QStringLiteral("card0"));
    info.text5 = QStringLiteral("MONITOR\\KST6C11\\card0-DP-1");
    EXPECT_EQ(display_device_name(info), info.text5);
}

}  // namespace
