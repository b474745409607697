#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "color/cie_lab.h"
#include "color/curve_builders.h"
#include "color/mode_target.h"

namespace {

struct Pair {
    CCIELab first;
    CCIELab second;
    double difference;
};

// The 34 test pairs published with the CIEDE2000 implementation notes (Color Research and
// Application 30(1), 2005), which exercise the hue-angle and mean-hue discontinuities.
constexpr std::array<Pair, 34> kPublishedPairs = {{
    {{50.0000, 2.6772, -79.7751}, {50.0000, 0.0000, -82.7485}, 2.0425},
    {{50.0000, 3.1571, -77.2803}, {50.0000, 0.0000, -82.7485}, 2.8615},
    {{50.0000, 2.8361, -74.0200}, {50.0000, 0.0000, -82.7485}, 3.4412},
    {{50.0000, -1.3802, -84.2814}, {50.0000, 0.0000, -82.7485}, 1.0000},
    {{50.0000, -1.1848, -84.8006}, {50.0000, 0.0000, -82.7485}, 1.0000},
    {{50.0000, -0.9009, -85.5211}, {50.0000, 0.0000, -82.7485}, 1.0000},
    {{50.0000, 0.0000, 0.0000}, {50.0000, -1.0000, 2.0000}, 2.3669},
    {{50.0000, -1.0000, 2.0000}, {50.0000, 0.0000, 0.0000}, 2.3669},
    {{50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0009}, 7.1792},
    {{50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0010}, 7.1792},
    {{50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0011}, 7.2195},
    {{50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0012}, 7.2195},
    {{50.0000, -0.0010, 2.4900}, {50.0000, 0.0009, -2.4900}, 4.8045},
    {{50.0000, -0.0010, 2.4900}, {50.0000, 0.0010, -2.4900}, 4.8045},
    {{50.0000, -0.0010, 2.4900}, {50.0000, 0.0011, -2.4900}, 4.7461},
    {{50.0000, 2.5000, 0.0000}, {50.0000, 0.0000, -2.5000}, 4.3065},
    {{50.0000, 2.5000, 0.0000}, {73.0000, 25.0000, -18.0000}, 27.1492},
    {{50.0000, 2.5000, 0.0000}, {61.0000, -5.0000, 29.0000}, 22.8977},
    {{50.0000, 2.5000, 0.0000}, {56.0000, -27.0000, -3.0000}, 31.9030},
    {{50.0000, 2.5000, 0.0000}, {58.0000, 24.0000, 15.0000}, 19.4535},
    {{50.0000, 2.5000, 0.0000}, {50.0000, 3.1736, 0.5854}, 1.0000},
    {{50.0000, 2.5000, 0.0000}, {50.0000, 3.2972, 0.0000}, 1.0000},
    {{50.0000, 2.5000, 0.0000}, {50.0000, 1.8634, 0.5757}, 1.0000},
    {{50.0000, 2.5000, 0.0000}, {50.0000, 3.2592, 0.3350}, 1.0000},
    {{60.2574, -34.0099, 36.2677}, {60.4626, -34.1751, 39.4387}, 1.2644},
    {{63.0109, -31.0961, -5.8663}, {62.8187, -29.7946, -4.0864}, 1.2630},
    {{61.2901, 3.7196, -5.3901}, {61.4292, 2.2480, -4.9620}, 1.8731},
    {{35.0831, -44.1164, 3.7933}, {35.0232, -40.0716, 1.5901}, 1.8645},
    {{22.7233, 20.0904, -46.6940}, {23.0331, 14.9730, -42.5619}, 2.0373},
    {{36.4612, 47.8580, 18.3852}, {36.2715, 50.5065, 21.2231}, 1.4146},
    {{90.8027, -2.0831, 1.4410}, {91.1528, -1.6435, 0.0447}, 1.4441},
    {{90.9257, -0.5406, -0.9208}, {88.6381, -0.8985, -0.7239}, 1.5381},
    {{6.7747, -0.2908, -2.4247}, {5.8714, -0.0985, -2.2286}, 0.6377},
    {{2.0776, 0.0795, -1.1350}, {0.9033, -0.0636, -0.5514}, 0.9082},
}};

TEST(Ciede2000, PublishedPairsToFourDecimalsInBothOrders) {
    for (std::size_t i = 0; i < kPublishedPairs.size(); ++i) {
        const Pair& p = kPublishedPairs[i];
        SCOPED_TRACE(testing::Message() << "pair " << i + 1);
        EXPECT_NEAR(ciede2000(p.first, p.second), p.difference, 0.00005);
        // The formula is symmetric; a mean hue taken on the wrong side would break that.
        EXPECT_NEAR(ciede2000(p.second, p.first), p.difference, 0.00005);
    }
}

TEST(Ciede2000, IdenticalColoursHaveNoDifference) {
    EXPECT_EQ(ciede2000({50.0, 10.0, -20.0}, {50.0, 10.0, -20.0}), 0.0);
    EXPECT_EQ(ciede2000({0.0, 0.0, 0.0}, {0.0, 0.0, 0.0}), 0.0);
}

TEST(CieLab, WhiteBlackAndTheLinearSegment) {
    const CCIEXYZ white(0.9642 * 120.0, 120.0, 0.8249 * 120.0);
    const CCIELab w = lab_from_xyz(white, white);
    EXPECT_NEAR(w.L, 100.0, 1e-9);
    EXPECT_NEAR(w.a, 0.0, 1e-9);
    EXPECT_NEAR(w.b, 0.0, 1e-9);
    EXPECT_NEAR(lab_from_xyz({0.0, 0.0, 0.0}, white).L, 0.0, 1e-9);
    // Mid grey (L* 50) is Y = 0.1842 of the white; below 216/24389 the scale is linear.
    const double mid = 0.184187;
    EXPECT_NEAR(lab_from_xyz({white.X * mid, white.Y * mid, white.Z * mid}, white).L, 50.0, 1e-3);
    const double dark = 0.001;
    EXPECT_NEAR(lab_from_xyz({white.X * dark, white.Y * dark, white.Z * dark}, white).L,
                dark * 24389.0 / 27.0, 1e-9);
    // No white, no colour rather than a division by zero.
    const CCIELab none = lab_from_xyz(white, CCIEXYZ());
    EXPECT_EQ(none.L, 0.0);
}

TEST(ModeTarget, SrgbPrimariesGiveThePublishedMatrixAndTheCurveShapesGrays) {
    CSpline curve;
    make_gamma_curve(curve, 2.2);
    CModeTarget target;
    const std::array<CChromaticity, 4> srgb = {
        {{0.3127, 0.3290}, {0.64, 0.33}, {0.30, 0.60}, {0.15, 0.06}}};
    ASSERT_TRUE(target.set(srgb, {curve, curve, curve}, 100.0, 0.5));
    // The sRGB matrix's middle row (the luminance of each primary).
    EXPECT_NEAR(target.matrix()[1][0], 0.2126, 1e-4);
    EXPECT_NEAR(target.matrix()[1][1], 0.7152, 1e-4);
    EXPECT_NEAR(target.matrix()[1][2], 0.0722, 1e-4);
    EXPECT_NEAR(target.white().Y, 100.0, 1e-6);
    EXPECT_NEAR(target.black().Y, 0.5, 1e-9);
    EXPECT_NEAR(target.white().chromaticity().x, 0.3127, 1e-6);
    EXPECT_NEAR(target.black().chromaticity().y, 0.3290, 1e-6);
    const double half = target.xyz(0.5, 0.5, 0.5).Y;
    EXPECT_NEAR(half, 0.5 + 99.5 * std::pow(0.5, 2.2), 0.05);
    EXPECT_NEAR(target.xyz(1.0, 0.0, 0.0).Y, 0.5 + 99.5 * 0.2126, 0.01);
}

TEST(ModeTarget, RefusesWhatCannotBeATarget) {
    CSpline curve;
    make_gamma_curve(curve, 2.2);
    CModeTarget target;
    const std::array<CChromaticity, 4> good = {
        {{0.3127, 0.3290}, {0.64, 0.33}, {0.30, 0.60}, {0.15, 0.06}}};
    const std::array<CChromaticity, 4> collinear = {
        {{0.3127, 0.3290}, {0.2, 0.2}, {0.3, 0.3}, {0.4, 0.4}}};
    EXPECT_FALSE(target.set(collinear, {curve, curve, curve}, 100.0, 0.0));
    EXPECT_FALSE(target.set(good, {curve, curve, curve}, 0.0, 0.0));
    EXPECT_FALSE(target.set(good, {curve, curve, curve}, 100.0, 100.0));
    EXPECT_FALSE(target.set(good, {curve, CSpline(), curve}, 100.0, 0.0));
    EXPECT_FALSE(target.valid());
    EXPECT_EQ(target.white().Y, 0.0);
}

}  // namespace
