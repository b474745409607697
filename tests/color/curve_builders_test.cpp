#include <gtest/gtest.h>

#include <cmath>

#include "color/curve_builders.h"
#include "color/dicom_calc.h"
#include "color/spline.h"
#include "reference_formulas.h"

namespace {

void expect_standard_frame(const CSpline& s) {
    EXPECT_TRUE(s.valid && s.type == CSpline::kCatmullRom && s.minValue == 0.0 &&
                s.maxValue == 1.0);
    EXPECT_EQ(s.size(), 256);
}

TEST(CurveBuilders, GammaSrgbAndLstar) {
    CSpline gamma, srgb, lstar;
    make_gamma_curve(gamma, 2.2);
    make_srgb_curve(srgb);
    make_lstar_curve(lstar);
    for (const CSpline* s : {&gamma, &srgb, &lstar})
        expect_standard_frame(*s);
    for (int i = 0; i < 256; ++i) {
        const double y = i / 255.0;
        EXPECT_NEAR(gamma.xAt(i), y, 1e-15);
        EXPECT_DOUBLE_EQ(gamma.yAt(i), std::pow(y, 2.2));
        EXPECT_NEAR(srgb.xAt(i), reference::srgb_encode(y), 1e-15) << i;
        EXPECT_NEAR(lstar.xAt(i), reference::lightness(y), 1e-6) << i;
        EXPECT_TRUE(srgb.yAt(i) == y && lstar.yAt(i) == y);
        // Catmull-Rom passes through the nodes exactly.
        EXPECT_EQ(srgb.evaluate(srgb.xAt(i)), y) << i;
    }
    // Between the nodes: the sRGB decoding, loosest in the dark where nodes lie far apart.
    for (double v : {0.1, 0.2345, 0.5, 0.73, 0.99}) {
        const double linear = std::pow((v + 0.055) / 1.055, 2.4);
        EXPECT_NEAR(srgb.evaluate(v), linear, 2e-4 * (1.0 - v) + 3e-6) << v;
        EXPECT_NEAR(srgb.evaluateInverse(linear), v, 1.5e-4) << v;
    }
    EXPECT_NEAR(lstar.evaluate(0.5), 0.184187, 2e-6);  // L* 50 is Y 0.18419
}

TEST(DicomCalc, GsdfMatchesTheStandard) {
    // JND 1 is 0.05 cd/m², JND 1023 is 3993.404 cd/m².
    EXPECT_NEAR(CDICOMCalc::luminance(1.0f), 0.05, 0.05 * 1e-3);
    EXPECT_NEAR(CDICOMCalc::luminance(1023.0f), 3993.404, 3993.404 * 1e-3);
    for (float j : {1.0f, 50.0f, 300.0f, 700.0f, 1023.0f}) {
        const double l = reference::gsdf_luminance(j);
        EXPECT_NEAR(CDICOMCalc::luminance(j), l, l * 5e-5) << j;  // single precision
        EXPECT_NEAR(CDICOMCalc::jnd(static_cast<float>(l)), reference::gsdf_index(l), 1e-3) << j;
        // The standard's two fits invert each other to a tenth of a JND.
        EXPECT_NEAR(CDICOMCalc::jnd(static_cast<float>(l)), j, 0.1) << j;
    }
    EXPECT_EQ(CDICOMCalc::jnd(0.0f) + CDICOMCalc::jnd(-1.0f) + CDICOMCalc::luminance(0.0f), 0.0f);
}

TEST(DicomCalc, LevelsAreJndEvenFromZeroToFullScale) {
    for (const auto& r : {std::pair{0.5f, 120.0f}, {0.05f, 400.0f}, {1.0f, 1.5f}}) {
        const CDICOMCalc calc(r.first, r.second, 255);
        EXPECT_EQ(calc.level(0, 65535), 0);
        EXPECT_EQ(calc.level(255, 65535), 65535);
        EXPECT_EQ(calc.level(256, 65535) + calc.level(-1, 65535), 0);
        const double j0 = reference::gsdf_index(r.first), j1 = reference::gsdf_index(r.second);
        EXPECT_NEAR(calc.jndRange, j1 - j0, 0.01);
        const double l0 = reference::gsdf_luminance(j0), l1 = reference::gsdf_luminance(j1);
        int previous = 0;
        for (int i = 0; i <= 255; ++i) {
            const int level = calc.level(i, 65535);
            EXPECT_GE(level, previous) << i;
            previous = level;
            const double l = reference::gsdf_luminance(j0 + i * (j1 - j0) / 255.0);
            EXPECT_NEAR(level, (l - l0) / (l1 - l0) * 65535.0, 2.0) << i;
        }
    }
    // No black, no steps, or no luminance range: nothing to spread, and no garbage.
    const CDICOMCalc no_black(0.0f, 100.0f, 255), no_steps(0.5f, 100.0f, 0),
        flat(50.0f, 50.0f, 255);
    EXPECT_TRUE(no_black.jndRange == 0.0f && no_black.jndStep == 0.0f && no_steps.jndStep == 0.0f);
    for (int i : {0, 1, 128, 255})
        EXPECT_EQ(no_black.level(i, 65535) + flat.level(i, 65535), 0);
    EXPECT_EQ(no_steps.level(0, 65535), 0);
}

TEST(CurveBuilders, DicomCurveCarriesTheQuantisedLevels) {
    EXPECT_EQ(dicom_black_luminance(3, 5), 0.5f);
    EXPECT_EQ(dicom_black_luminance(12, 5), 1.2f);
    CSpline s;
    make_dicom_curve(s, 0.5f, 200.0f);
    expect_standard_frame(s);
    const CDICOMCalc calc(0.5f, 200.0f, 255);
    for (int i = 0; i < 256; ++i) {
        EXPECT_NEAR(s.xAt(i), i / 255.0, 1e-15);
        EXPECT_NEAR(s.yAt(i) * 65535.0, calc.level(i, 65535), 1e-9) << i;
    }
    EXPECT_TRUE(s.yAt(0) == 0.0 && s.yAt(255) == 1.0);
}

}  // namespace
