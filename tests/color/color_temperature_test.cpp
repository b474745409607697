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

TEST(WhiteForTemperature, AcceptsOnly1667To25000Kelvin) {
    for (int kelvin : {0, 1000, 1666, 25001, 65535}) {
        CChromaticity c{0.5, 0.5};
        EXPECT_FALSE(whiteForTemperature(static_cast<std::uint16_t>(kelvin), c)) << kelvin;
        EXPECT_EQ(c, (CChromaticity{0.0, 0.0}));
    }
    const Xy low = white_for(1667);
    const Xy high = white_for(25000);
    EXPECT_NEAR(low.x, reference::planckian(1667).x, 1e-12);
    EXPECT_NEAR(high.x, reference::daylight(25000).x, 1e-12);
    EXPECT_NEAR(high.y, reference::daylight(25000).y, 1e-12);
}

TEST(WhiteForTemperature, PlanckianBelow4000DaylightFrom4000) {
    for (int kelvin : {1667, 2000, 2221, 2222, 2856, 3500, 3999}) {
        const Xy w = white_for(kelvin);
        const Xy p = reference::planckian(kelvin);
        EXPECT_NEAR(w.x, p.x, 1e-12) << kelvin;
        EXPECT_NEAR(w.y, p.y, 1e-12) << kelvin;
    }
    for (int kelvin : {4000, 5003, 6504, 7000, 7001, 9300, 20000}) {
        const Xy w = white_for(kelvin);
        const Xy d = reference::daylight(kelvin);
        EXPECT_NEAR(w.x, d.x, 1e-12) << kelvin;
        EXPECT_NEAR(w.y, d.y, 1e-12) << kelvin;
    }
    // The two loci part by several thousandths at 4000 K, so the switch is visible.
    EXPECT_GT(reference::uv_distance(reference::to_uv(white_for(3999)),
                                     reference::to_uv(white_for(4000))),
              0.002);
}

TEST(WhiteForTemperature, AgreesWithPublishedIlluminants) {
    // CIE illuminant A (2856 K black body) and the D series at their temperatures. Both loci
    // are fits: the cubic strays up to 6e-4 from the black body, the daylight parabola 1.5e-4
    // from the illuminants' own chromaticities.
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

TEST(ColorTemperature, D65IsNear6500WithTheDistanceToItsDaylightPoint) {
    const CColorTemperature d65(0.3127, 0.3290);
    EXPECT_EQ(d65.x, 0.3127);
    EXPECT_EQ(d65.y, 0.3290);
    EXPECT_GE(d65.cct, 6495);
    EXPECT_LE(d65.cct, 6510);
    const double expected = reference::uv_distance(reference::to_uv({0.3127, 0.3290}),
                                                   reference::to_uv(reference::daylight(d65.cct)));
    EXPECT_NEAR(d65.duv, expected, 1e-12);
    EXPECT_GE(d65.duv, 0.0);
    EXPECT_LT(d65.duv, 0.001);
}

TEST(ColorTemperature, DaylightLocusMeasuresItsOwnTemperature) {
    for (int kelvin : {5000, 6500, 9300}) {
        const Xy d = reference::daylight(kelvin);
        const CColorTemperature t(d.x, d.y);
        EXPECT_NEAR(t.cct, kelvin, 3) << kelvin;
        EXPECT_LT(t.duv, 2e-4) << kelvin;
    }
}

TEST(ColorTemperature, PlanckianLocusMeasuresItsOwnTemperature) {
    for (int kelvin : {1700, 2000, 2700, 3200, 4500, 10000, 20000}) {
        const Xy p = reference::planckian(kelvin);
        const CColorTemperature t(p.x, p.y);
        // The cubic approximation strays from the true locus by up to a few kelvin per
        // thousand, and more at the blue end.
        EXPECT_NEAR(t.cct, kelvin, kelvin * 0.004) << kelvin;
    }
}

TEST(ColorTemperature, OutsideTheTableThereIsNoTemperature) {
    const Xy too_blue = reference::from_uv({row(0).u - 0.02, row(0).v});
    const Xy too_red = reference::from_uv({row(64).u + 0.01, row(64).v});
    const Xy points[] = {{0.19, 0.3}, {0.61, 0.35}, {0.3, 0.19}, {0.3, 0.51}, too_blue, too_red};
    for (const Xy& p : points) {
        const CColorTemperature t(p.x, p.y);
        EXPECT_EQ(t.cct, 0) << p.x << ", " << p.y;
        EXPECT_EQ(t.duv, 0.0);
        EXPECT_EQ(t.flag1, 0);
        EXPECT_EQ(t.flag2, 0);
    }
    // Both reference points lie inside the accepted box, so the table decided.
    EXPECT_GT(too_red.x, 0.2);
    EXPECT_LT(too_red.x, 0.6);
    EXPECT_GT(too_blue.x, 0.2);
    EXPECT_GT(too_blue.y, 0.2);
}

// Finds a chromaticity whose (u, v), as the computation derives it, is bit-exactly row n's.
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
            if (2.0 * x / w == row(n).u && 3.0 * y / w == row(n).v) {
                found = {x, y};
                return true;
            }
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
        EXPECT_EQ(t.cct, static_cast<int>(100000 / n)) << n;
        // On the row's own locus point: no distance, and none substituted from daylight.
        EXPECT_EQ(t.duv, 0.0) << n;
        ++checked;
    }
    EXPECT_GE(checked, 5);
}

TEST(ColorTemperature, LocusDistanceIsSignedBelow1667Kelvin) {
    // 630 mired (1587 K): no daylight white to measure against, so the signed distance from the
    // locus stays, positive above it in v and negative below.
    const double offset = 0.004;
    const Xy above = reference::from_uv({row(63).u, row(63).v + offset});
    const Xy below = reference::from_uv({row(63).u, row(63).v - offset});
    const CColorTemperature a(above.x, above.y);
    const CColorTemperature b(below.x, below.y);
    EXPECT_NEAR(a.cct, 1587, 3);
    EXPECT_NEAR(b.cct, 1587, 3);
    EXPECT_NEAR(a.duv, offset, 1e-4);
    EXPECT_NEAR(b.duv, -offset, 1e-4);
}

TEST(ColorTemperature, ReddestBracketStaysInsideTheTable) {
    // Between rows 63 and 64, nearer 64: the locus interpolation must not reach past row 64.
    for (double m : {0.6, 0.8, 0.95}) {
        const Uv uv{row(63).u + m * (row(64).u - row(63).u),
                    row(63).v + m * (row(64).v - row(63).v)};
        const Xy p = reference::from_uv(uv);
        const CColorTemperature t(p.x, p.y);
        EXPECT_NEAR(t.cct, 1.0e6 / (630.0 + 10.0 * m), 2.0) << m;
        EXPECT_NEAR(t.duv, 0.0, 1e-5) << m;
    }
}

TEST(ColorTemperature, HottestWhitesSaturateInsteadOfWrapping) {
    // Near row 1 (10 mired, 100000 K): far beyond 16 bits, so the largest value, never a
    // wrapped temperature that would pass for a real one.
    const auto between_rows_1_and_2 = [](double m) {
        const Uv uv{row(1).u + m * (row(2).u - row(1).u), row(1).v + m * (row(2).v - row(1).v)};
        const Xy p = reference::from_uv(uv);
        return CColorTemperature(p.x, p.y).cct;
    };
    for (double m : {0.0, 0.3, 0.5})
        EXPECT_EQ(between_rows_1_and_2(m), 65535) << m;
    // 17 mired is 58824 K, within 16 bits.
    EXPECT_NEAR(between_rows_1_and_2(0.7), 1.0e6 / 17.0, 100);
    const Xy between = reference::from_uv({(row(0).u + row(1).u) / 2, (row(0).v + row(1).v) / 2});
    EXPECT_EQ(CColorTemperature(between.x, between.y).cct, 65535);
    // 30 mired is 33333 K: representable, and given as such.
    const Xy row3 = reference::from_uv({row(3).u, row(3).v});
    EXPECT_NEAR(CColorTemperature(row3.x, row3.y).cct, 33333, 40);
}

TEST(IsotempTable, RowsFollowThePlanckianLocus) {
    for (int n = 4; n <= 59; ++n) {
        const double kelvin = 1.0e5 / n;
        const Uv expected = reference::to_uv(reference::planckian(kelvin));
        EXPECT_LT(reference::uv_distance({row(n).u, row(n).v}, expected), 4e-4) << n;
    }
}

TEST(IsotempTable, IsotemperatureLinesAreNormalToTheLocus) {
    for (int n = 1; n < 64; ++n) {
        const double du = row(n + 1).u - row(n - 1).u;
        const double dv = row(n + 1).v - row(n - 1).v;
        // Direction (t, 1) perpendicular to the locus tangent (du, dv).
        const double t = -dv / du;
        EXPECT_NEAR(row(n).t, t, 0.01 + 0.01 * std::abs(t)) << n;
    }
}

}  // namespace
