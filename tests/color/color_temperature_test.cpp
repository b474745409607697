#include <gtest/gtest.h>

#include <cmath>

#include "color/color_temperature.h"
#include "color/isotemp_table.h"
#include "reference_formulas.h"

namespace {

using reference::Uv;
using reference::Xy;

const IsotempRow& row(int n) {
    return kIsotempTable[static_cast<std::size_t>(n)];
}

Xy white_for(int kelvin) {
    CChromaticity c{-1.0, -1.0};
    EXPECT_TRUE(whiteForTemperature(static_cast<std::uint16_t>(kelvin), c)) << kelvin;
    return {c.x, c.y};
}

CColorTemperature measured(Uv uv) {
    const Xy p = reference::from_uv(uv);
    return CColorTemperature(p.x, p.y);
}

// A point m of the way from row n to row n + 1, moved dv off the locus in v.
Uv between_rows(int n, double m, double dv = 0.0) {
    return {row(n).u + m * (row(n + 1).u - row(n).u),
            row(n).v + m * (row(n + 1).v - row(n).v) + dv};
}

TEST(WhiteForTemperature, BranchesAndLimits) {
    for (int kelvin : {0, 1666, 25001, 65535}) {
        CChromaticity c{0.5, 0.5};
        EXPECT_FALSE(whiteForTemperature(static_cast<std::uint16_t>(kelvin), c)) << kelvin;
        EXPECT_EQ(c, (CChromaticity{0.0, 0.0}));
    }
    // Black body up to 3999 K, daylight from 4000 K; 7000 K takes the lower daylight formula,
    // which parts from the upper one in the sixth decimal.
    for (int kelvin : {1667, 2221, 2222, 2856, 3999, 4000, 6504, 7000, 7001, 25000}) {
        const Xy w = white_for(kelvin);
        const Xy r = kelvin < 4000 ? reference::planckian(kelvin) : reference::daylight(kelvin);
        EXPECT_NEAR(w.x, r.x, 1e-12) << kelvin;
        EXPECT_NEAR(w.y, r.y, 1e-12) << kelvin;
    }
    EXPECT_GT(reference::uv_distance(reference::to_uv(white_for(3999)),
                                     reference::to_uv(white_for(4000))),
              0.002);
}

TEST(WhiteForTemperature, AgreesWithPublishedIlluminants) {
    // Illuminant A (2856 K black body) and the D series. Both loci are fits: the cubic strays up
    // to 6e-4 from the black body, the daylight parabola 1.5e-4 from the illuminants.
    const struct {
        int kelvin;
        double x, y, tolerance;
    } published[] = {{2856, 0.44757, 0.40745, 6e-4},
                     {5003, 0.34567, 0.35850, 1.5e-4},
                     {6504, 0.31271, 0.32902, 1.5e-4},
                     {7504, 0.29902, 0.31485, 1.5e-4}};
    for (const auto& p : published) {
        const Xy w = white_for(p.kelvin);
        EXPECT_NEAR(w.x, p.x, p.tolerance) << p.kelvin;
        EXPECT_NEAR(w.y, p.y, p.tolerance) << p.kelvin;
    }
}

TEST(ColorTemperature, D65AndTheLociMeasureTheirOwnTemperature) {
    const CColorTemperature d65(0.3127, 0.3290);
    EXPECT_NEAR(d65.cct, 6504, 5);
    // The distance is the unsigned one to the daylight white at the truncated temperature.
    const Uv daylight = reference::to_uv(reference::daylight(d65.cct));
    EXPECT_NEAR(d65.duv, reference::uv_distance(reference::to_uv({0.3127, 0.3290}), daylight),
                1e-12);
    EXPECT_LT(d65.duv, 1e-3);
    for (int kelvin : {5000, 6500, 9300}) {
        const Xy d = reference::daylight(kelvin);
        EXPECT_NEAR(CColorTemperature(d.x, d.y).cct, kelvin, 3) << kelvin;
    }
    // The black-body fit strays by a few kelvin per thousand.
    for (int kelvin : {1700, 2000, 2700, 4500, 10000, 20000}) {
        const Xy p = reference::planckian(kelvin);
        EXPECT_NEAR(CColorTemperature(p.x, p.y).cct, kelvin, kelvin * 0.004) << kelvin;
    }
}

TEST(ColorTemperature, OutsideTheTableThereIsNoTemperature) {
    const Xy too_blue = reference::from_uv({row(0).u - 0.02, row(0).v});
    const Xy too_red = reference::from_uv({row(64).u + 0.01, row(64).v});
    ASSERT_TRUE(too_red.x > 0.2 && too_red.x < 0.6 && too_blue.x > 0.2 && too_blue.y > 0.2);
    for (const Xy& p : {Xy{0.19, 0.3}, {0.61, 0.35}, {0.3, 0.19}, {0.3, 0.51}, too_blue, too_red}) {
        const CColorTemperature t(p.x, p.y);
        EXPECT_EQ(t.cct, 0) << p.x << ", " << p.y;
        EXPECT_EQ(t.duv, 0.0);
    }
}

// A chromaticity whose (u, v), as the computation derives it, is bit-exactly row n's.
bool exact_row_point(int n, Xy& found) {
    const Xy start = reference::from_uv({row(n).u, row(n).v});
    double x = start.x;
    for (int i = 0; i < 40; ++i)
        x = std::nextafter(x, 0.0);
    for (int i = 0; i < 80; ++i, x = std::nextafter(x, 1.0)) {
        double y = start.y;
        for (int k = 0; k < 40; ++k)
            y = std::nextafter(y, 0.0);
        for (int j = 0; j < 80; ++j, y = std::nextafter(y, 1.0)) {
            const double w = 6.0 * y - x + 1.5;
            if (2.0 * x / w == row(n).u && 3.0 * y / w == row(n).v) return found = {x, y}, true;
        }
    }
    return false;
}

TEST(ColorTemperature, PointOnATableRowTakesThatRowsTemperature) {
    int checked = 0;
    for (int n = 2; n <= 64; ++n) {
        Xy p;
        if (!exact_row_point(n, p)) continue;
        const CColorTemperature t(p.x, p.y);
        EXPECT_EQ(t.cct, 100000 / n) << n;
        EXPECT_EQ(t.duv, 0.0) << n;  // no daylight distance substituted
        ++checked;
    }
    EXPECT_GE(checked, 5);
}

TEST(ColorTemperature, RedEndKeepsTheSignedLocusDistanceInsideTheTable) {
    // 1587 K has no daylight white: the signed distance from the locus stays.
    EXPECT_NEAR(measured(between_rows(63, 0.0, 0.004)).duv, 0.004, 1e-4);
    EXPECT_NEAR(measured(between_rows(63, 0.0, -0.004)).duv, -0.004, 1e-4);
    EXPECT_NEAR(measured(between_rows(63, 0.0, 0.004)).cct, 1587, 3);
    // Nearer row 64 than 63: the interpolation must not reach past the last row.
    for (double m : {0.6, 0.8, 0.95}) {
        const CColorTemperature t = measured(between_rows(63, m));
        EXPECT_NEAR(t.cct, 1.0e6 / (630.0 + 10.0 * m), 2.0) << m;
        EXPECT_NEAR(t.duv, 0.0, 1e-5) << m;
    }
}

TEST(ColorTemperature, HottestWhitesSaturateInsteadOfWrapping) {
    // Below 15.26 mired the temperature exceeds 16 bits: the largest value, never a wrapped one
    // that would pass for a real temperature.
    for (double m : {0.0, 0.3, 0.5})
        EXPECT_EQ(measured(between_rows(1, m)).cct, 65535) << m;
    EXPECT_EQ(measured(between_rows(0, 0.5)).cct, 65535);
    EXPECT_NEAR(measured(between_rows(1, 0.7)).cct, 1.0e6 / 17.0, 100);
}

TEST(IsotempTable, RowsFollowThePlanckianLocusWithNormalLines) {
    for (int n = 4; n <= 59; ++n) {
        const Uv expected = reference::to_uv(reference::planckian(1.0e5 / n));
        EXPECT_LT(reference::uv_distance({row(n).u, row(n).v}, expected), 4e-4) << n;
    }
    for (int n = 1; n < 64; ++n) {
        // The line's direction (t, 1) is perpendicular to the locus tangent.
        const double t = -(row(n + 1).v - row(n - 1).v) / (row(n + 1).u - row(n - 1).u);
        EXPECT_NEAR(row(n).t, t, 0.01 + 0.01 * std::abs(t)) << n;
    }
}

}  // namespace
