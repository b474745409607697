#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "color/planckian.h"
#include "reference_formulas.h"

namespace {

using planckian::Validity;
using reference::Uv;
using reference::Xy;

Uv locus_uv(double kelvin) {
    const CChromaticity c = planckian::locus_chromaticity(kelvin);
    return reference::to_uv({c.x, c.y});
}

planckian::CCctDuv rate(Uv p) {
    const Xy c = reference::from_uv(p);
    return planckian::cct_duv({c.x, c.y});
}

// Towards higher temperatures.
Uv tangent(double kelvin) {
    const Uv a = locus_uv(kelvin * (1.0 - 1e-6)), b = locus_uv(kelvin * (1.0 + 1e-6));
    return {b.u - a.u, b.v - a.v};
}

// Unit normal of the locus on its greenish side (towards higher v).
Uv normal_up(double kelvin) {
    const Uv t = tangent(kelvin);
    const double n = std::hypot(t.u, t.v);
    return t.u < 0.0 ? Uv{t.v / n, -t.u / n} : Uv{-t.v / n, t.u / n};
}

Uv off_locus(double kelvin, double duv) {
    const Uv p = locus_uv(kelvin), n = normal_up(kelvin);
    return {p.u + duv * n.u, p.v + duv * n.v};
}

struct CNearest {
    double kelvin;
    double duv;
};

// The nearest point of the locus without the method under test: the locus sampled every 0.2 %
// of temperature, then bisection for the point where the offset is perpendicular to it.
CNearest nearest_on_locus(Uv p) {
    double best = 0.0, best_distance = std::numeric_limits<double>::infinity();
    for (double k = 900.0; k < 30000.0; k *= 1.002) {
        const Uv q = locus_uv(k);
        const double d = reference::uv_distance(p, q);
        if (d < best_distance) {
            best = k;
            best_distance = d;
        }
    }
    // Along the locus the offset's projection on the tangent changes sign at the foot.
    const auto along = [&](double k) {
        const Uv q = locus_uv(k), t = tangent(k);
        return (q.u - p.u) * t.u + (q.v - p.v) * t.v;
    };
    double lo = best / 1.002, hi = best * 1.002;
    for (int i = 0; i < 60; ++i) {
        const double mid = std::sqrt(lo * hi);
        (along(mid) < 0.0 ? lo : hi) = mid;
    }
    const double k = std::sqrt(lo * hi);
    const Uv q = locus_uv(k), n = normal_up(k);
    return {k, (p.u - q.u) * n.u + (p.v - q.v) * n.v};
}

double mired_difference(double a, double b) {
    return std::abs(1e6 / a - 1e6 / b);
}

TEST(PlanckianLocus, ReproducesIlluminantAAndFollowsTheCubicFit) {
    // Illuminant A is the radiator at 2848 K with c2 = 1.435e-2 m·K, which is 2855.54 K with
    // today's 1.4388e-2.
    const CChromaticity a = planckian::locus_chromaticity(2848.0 * 1.4388 / 1.435);
    EXPECT_NEAR(a.x, 0.44757, 1e-5);
    EXPECT_NEAR(a.y, 0.40745, 2e-5);
    // The published cubic fit strays from the radiator by up to 4e-4 in (u, v): a locus wrong
    // by more than that anywhere in the range fails here.
    for (double k = 1667.0; k <= 25000.0; k *= 1.05) {
        const Uv fit = reference::to_uv(reference::planckian(k));
        EXPECT_LT(reference::uv_distance(fit, locus_uv(k)), 5e-4) << k;
    }
    for (double k : {0.0, -3000.0, 50.0, 2e6, std::numeric_limits<double>::quiet_NaN()})
        EXPECT_EQ(planckian::locus_chromaticity(k), (CChromaticity{0.0, 0.0})) << k;
}

TEST(PlanckianCctDuv, PublishedWhites) {
    const auto d65 = planckian::cct_duv({0.31271, 0.32902});
    ASSERT_TRUE(d65.ok());
    EXPECT_NEAR(d65.cct, 6504.0, 3.0);
    EXPECT_NEAR(d65.duv, 0.0032, 1e-4);
    // A white a little warmer than D65 lies on the same side, about as far off.
    const auto rounded = planckian::cct_duv({0.3133, 0.3294});
    ASSERT_TRUE(rounded.ok());
    EXPECT_NEAR(rounded.duv, 0.0032, 1.5e-4);
    const auto d50 = planckian::cct_duv({0.34567, 0.35850});
    ASSERT_TRUE(d50.ok());
    EXPECT_NEAR(d50.cct, 5003.0, 3.0);
    // Illuminant A is a black body: on the locus, up to the rounding of its chromaticity.
    const auto a = planckian::cct_duv({0.44757, 0.40745});
    ASSERT_TRUE(a.ok());
    EXPECT_NEAR(a.cct, 2856.0, 1.0);
    EXPECT_NEAR(a.duv, 0.0, 2e-5);
}

TEST(PlanckianCctDuv, PointsOnTheLocusGiveTheirTemperature) {
    for (double kelvin : {1000.5, 3000.0, 5000.0, 9000.0, 24999.0}) {
        const CChromaticity c = planckian::locus_chromaticity(kelvin);
        const auto r = planckian::cct_duv(c);
        ASSERT_TRUE(r.ok()) << kelvin;
        EXPECT_NEAR(r.cct, kelvin, 2.0);
        EXPECT_LT(mired_difference(r.cct, kelvin), 1e-3) << kelvin;
        EXPECT_LT(std::abs(r.duv), 1e-5) << kelvin;
    }
}

TEST(PlanckianCctDuv, AgreesWithTheNearestPointOfTheSampledLocus) {
    // Triangular (|duv| < 0.002) and parabolic solutions, both sides, across the range.
    int rated = 0;
    for (double kelvin :
         {1100.0, 1600.0, 2200.0, 3000.0, 4500.0, 6500.0, 9000.0, 15000.0, 24000.0}) {
        for (double offset : {-0.045, -0.01, -0.0019, -0.0005, 0.0005, 0.0021, 0.01, 0.045}) {
            const Uv p = off_locus(kelvin, offset);
            // Above the locus's red end lies outside the monochromatic colours: no colour at all.
            const Xy xy = reference::from_uv(p);
            if (xy.x + xy.y >= 1.0) continue;
            ++rated;
            const auto r = rate(p);
            ASSERT_TRUE(r.ok()) << kelvin << " " << offset;
            const CNearest n = nearest_on_locus(p);
            EXPECT_LT(mired_difference(r.cct, n.kelvin), 5e-4) << kelvin << " " << offset;
            EXPECT_NEAR(r.duv, n.duv, 1e-9) << kelvin << " " << offset;
            EXPECT_EQ(std::signbit(r.duv), offset < 0.0) << kelvin << " " << offset;
        }
    }
    EXPECT_GE(rated, 60);
}

TEST(PlanckianCctDuv, MagentaGreyLiesBelowTheLocus) {
    // A grey with red and blue raised over green, as an uncalibrated panel often shows.
    const Xy magenta{0.3100, 0.3100};
    const auto r = planckian::cct_duv({magenta.x, magenta.y});
    ASSERT_TRUE(r.ok());
    EXPECT_LT(r.duv, -0.005);
    const CNearest n = nearest_on_locus(reference::to_uv(magenta));
    EXPECT_NEAR(r.duv, n.duv, 1e-7);
    EXPECT_LT(mired_difference(r.cct, n.kelvin), 1e-3);
}

TEST(PlanckianCctDuv, RefusesWhatItCannotRate) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        Uv point;
        Validity validity;
    } cases[] = {
        {locus_uv(950.0), Validity::kBelowRange},
        {locus_uv(998.0), Validity::kBelowRange},
        {locus_uv(25100.0), Validity::kAboveRange},
        {locus_uv(60000.0), Validity::kAboveRange},
        {off_locus(6500.0, 0.06), Validity::kOffLocus},
        {off_locus(3000.0, -0.06), Validity::kOffLocus},
        {reference::to_uv({0.30, 0.60}), Validity::kOffLocus},  // an sRGB green
    };
    for (const auto& c : cases) {
        const auto r = rate(c.point);
        EXPECT_EQ(r.validity, c.validity) << c.point.u << " " << c.point.v;
        EXPECT_EQ(r.cct, 0.0);
        EXPECT_EQ(r.duv, 0.0);
    }
    for (const CChromaticity xy :
         {CChromaticity{0.0, 0.0}, CChromaticity{0.3, 0.0}, CChromaticity{0.6, 0.5},
          CChromaticity{nan, 0.3}, CChromaticity{0.3, inf}, CChromaticity{-0.1, 0.3}}) {
        const auto r = planckian::cct_duv(xy);
        EXPECT_EQ(r.validity, Validity::kInvalidChromaticity) << xy.x << " " << xy.y;
        EXPECT_FALSE(r.ok());
        EXPECT_EQ(r.cct, 0.0);
        EXPECT_EQ(r.duv, 0.0);
    }
}

}  // namespace
