#include <gtest/gtest.h>

#include <cmath>

#include "color/curve_builders.h"
#include "color/dicom_calc.h"
#include "color/spline.h"
#include "reference_formulas.h"

namespace {

void expect_standard_frame(const CSpline& s) {
    EXPECT_TRUE(s.valid);
    EXPECT_EQ(s.type, CSpline::kCatmullRom);
    EXPECT_EQ(s.size(), 256);
    EXPECT_EQ(s.minValue, 0.0);
    EXPECT_EQ(s.maxValue, 1.0);
}

TEST(CurveBuilders, GammaCurveIsThePowerLaw) {
    CSpline s;
    make_gamma_curve(s, 2.2);
    expect_standard_frame(s);
    for (int i = 0; i < 256; i += 17) {
        EXPECT_NEAR(s.xAt(i), i / 255.0, 1e-15);
        EXPECT_DOUBLE_EQ(s.yAt(i), std::pow(i / 255.0, 2.2));
    }
    EXPECT_NEAR(s.evaluate(0.5), std::pow(0.5, 2.2), 1e-5);
}

TEST(CurveBuilders, SrgbCurveReproducesItsNodesAndTheStandard) {
    CSpline s;
    make_srgb_curve(s);
    expect_standard_frame(s);
    for (int i = 0; i < 256; ++i) {
        const double y = i / 255.0;
        EXPECT_NEAR(s.xAt(i), reference::srgb_encode(y), 1e-15) << i;
        EXPECT_EQ(s.yAt(i), y);
        // Catmull-Rom passes through every node exactly.
        EXPECT_EQ(s.evaluate(s.xAt(i)), y) << i;
    }
    // Between the nodes it follows the decoding function, loosest in the dark where the nodes
    // lie furthest apart in signal.
    for (double v : {0.1, 0.2345, 0.5, 0.73, 0.99}) {
        const double linear = std::pow((v + 0.055) / 1.055, 2.4);
        EXPECT_NEAR(s.evaluate(v), linear, 2e-4 * (1.0 - v) + 3e-6) << v;
        EXPECT_NEAR(s.evaluateInverse(linear), v, 1.5e-4) << v;
    }
}

TEST(CurveBuilders, LstarCurveMapsLightnessToLuminance) {
    CSpline s;
    make_lstar_curve(s);
    expect_standard_frame(s);
    for (int i = 0; i < 256; ++i)
        EXPECT_NEAR(s.xAt(i), reference::lightness(i / 255.0), 1e-6) << i;
    // Mid-grey: L* = 50 is Y = 0.18419 (CIE 15).
    EXPECT_NEAR(s.evaluate(0.5), 0.184187, 2e-6);
    EXPECT_NEAR(s.evaluateInverse(0.18), reference::lightness(0.18), 2e-5);
}

TEST(DicomCalc, GsdfMatchesTheStandardsTable) {
    // The grayscale standard display function spans JND 1 (0.05 cd/m²) to 1023 (3993.404 cd/m²).
    EXPECT_NEAR(CDICOMCalc::luminance(1.0f), 0.05, 0.05 * 1e-3);
    EXPECT_NEAR(CDICOMCalc::luminance(1023.0f), 3993.404, 3993.404 * 1e-3);
    for (float j : {1.0f, 50.0f, 300.0f, 700.0f, 1023.0f}) {
        const double l = reference::gsdf_luminance(j);
        // Single precision, and the exponent amplifies its rounding.
        EXPECT_NEAR(CDICOMCalc::luminance(j), l, l * 5e-5) << j;
        // The standard's two fits invert each other only to a tenth of a JND.
        EXPECT_NEAR(CDICOMCalc::jnd(static_cast<float>(l)), j, 0.1) << j;
        EXPECT_NEAR(CDICOMCalc::jnd(static_cast<float>(l)), reference::gsdf_index(l), 1e-3) << j;
    }
    EXPECT_EQ(CDICOMCalc::jnd(0.0f), 0.0f);
    EXPECT_EQ(CDICOMCalc::jnd(-1.0f), 0.0f);
    EXPECT_EQ(CDICOMCalc::luminance(0.0f), 0.0f);
}

TEST(DicomCalc, LevelsRunFromZeroToFullScale) {
    const float ranges[][2] = {{0.5f, 120.0f}, {0.05f, 400.0f}, {0.2f, 250.0f}, {1.0f, 1.5f}};
    for (const auto& r : ranges) {
        const CDICOMCalc calc(r[0], r[1], 255);
        EXPECT_EQ(calc.level(0, 65535), 0);
        EXPECT_EQ(calc.level(255, 65535), 65535);
        EXPECT_EQ(calc.level(256, 65535), 0);
        EXPECT_EQ(calc.level(-1, 65535), 0);
        EXPECT_NEAR(calc.jndRange, reference::gsdf_index(r[1]) - reference::gsdf_index(r[0]), 0.01);
        int previous = -1;
        for (int i = 0; i <= 255; ++i) {
            const int level = calc.level(i, 65535);
            EXPECT_GE(level, previous) << i;
            previous = level;
            // The same levels in double precision, JND-even between the two luminances.
            const double j0 = reference::gsdf_index(r[0]), j1 = reference::gsdf_index(r[1]);
            const double l0 = reference::gsdf_luminance(j0), l1 = reference::gsdf_luminance(j1);
            const double l = reference::gsdf_luminance(j0 + i * (j1 - j0) / 255.0);
            EXPECT_NEAR(level, (l - l0) / (l1 - l0) * 65535.0, 2.0) << i;
        }
    }
}

TEST(DicomCalc, UnusableInputsGiveZeroLevels) {
    // No black, no steps, or no luminance range at all: nothing to spread, and no garbage.
    const CDICOMCalc no_black(0.0f, 100.0f, 255);
    const CDICOMCalc no_steps(0.5f, 100.0f, 0);
    const CDICOMCalc flat(50.0f, 50.0f, 255);
    EXPECT_EQ(no_black.jndRange, 0.0f);
    EXPECT_EQ(no_black.jndStep, 0.0f);
    EXPECT_EQ(no_steps.jndStep, 0.0f);
    for (int i : {0, 1, 128, 255}) {
        EXPECT_EQ(no_black.level(i, 65535), 0);
        EXPECT_EQ(flat.level(i, 65535), 0);
    }
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
        const double y = s.yAt(i);
        // A 16-bit value: y times 65535 is whole.
        EXPECT_NEAR(y * 65535.0, std::round(y * 65535.0), 1e-9) << i;
        EXPECT_EQ(static_cast<int>(std::round(y * 65535.0)), calc.level(i, 65535)) << i;
    }
    EXPECT_EQ(s.yAt(0), 0.0);
    EXPECT_EQ(s.yAt(255), 1.0);
}

}  // namespace
