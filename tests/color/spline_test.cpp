#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "color/spline.h"

namespace {

CSpline curve_of(int kind, std::initializer_list<QPointF> points) {
    CSpline s;
    s.init(kind, 0, 0.0, 1.0);
    for (const QPointF& p : points)
        s.append(p);
    return s;
}

// y = f(x) sampled at n evenly spaced x on [0, 1].
template <typename F>
CSpline sampled(int kind, int n, F f) {
    CSpline s;
    s.init(kind, n, 0.0, 1.0);
    for (int i = 0; i < n; ++i)
        s.setYAt(i, f(s.xAt(i)));
    return s;
}

TEST(SplineInit, ChoosesTheKindAndTheIdentity) {
    CSpline fresh;
    EXPECT_EQ(fresh.type, CSpline::kNone);
    EXPECT_FALSE(fresh.valid);
    EXPECT_EQ(fresh.size(), 0);
    EXPECT_EQ(fresh.tension, 1.0);
    EXPECT_EQ(fresh.bias, 0.0);

    CSpline s;
    for (int kind : {0, 1, 3, 4}) {
        s.init(kind, 0, 0.0, 1.0);
        EXPECT_EQ(s.type, kind);
    }
    for (int kind : {-1, 5, 6, 100}) {
        s.init(kind, 0, 0.0, 1.0);
        EXPECT_EQ(s.type, CSpline::kCatmullRom) << kind;
    }
    s.setBetaParameters(3.0, 4.0);
    s.init(2, 0, 0.0, 1.0);
    EXPECT_EQ(s.type, CSpline::kBetaSpline);
    EXPECT_EQ(s.bias, 1.0);
    EXPECT_EQ(s.tension, 0.0);

    s.init(4, 256, 0.0, 1.0);
    ASSERT_EQ(s.size(), 256);
    for (int i = 0; i < 256; ++i) {
        EXPECT_NEAR(s.xAt(i), i / 255.0, 1e-15);
        EXPECT_EQ(s.xAt(i), s.yAt(i));
    }
    s.init(4, 1, 0.0, 1.0);
    EXPECT_EQ(s.size(), 0);
}

TEST(SplineAccess, OutOfRangeIndicesAreIgnored) {
    CSpline s = curve_of(4, {{0.0, 0.1}, {0.5, 0.6}, {1.0, 0.9}});
    QPointF p(-7.0, -7.0);
    EXPECT_FALSE(s.pointAt(3, p));
    EXPECT_FALSE(s.pointAt(-1, p));
    EXPECT_EQ(p, QPointF(-7.0, -7.0));
    EXPECT_TRUE(s.pointAt(1, p));
    EXPECT_EQ(p, QPointF(0.5, 0.6));
    EXPECT_EQ(s.xAt(3), 0.0);
    EXPECT_EQ(s.yAt(-1), 0.0);
    const QList<QPointF> before = s.points;
    s.setYAt(3, 0.2);
    s.setPointAt(-1, 0.2, 0.2);
    s.insertAt(QPointF(2.0, 2.0), 4);
    s.insertAt(QPointF(2.0, 2.0), -1);
    EXPECT_EQ(s.points, before);

    s.insertAt(QPointF(0.25, 0.3), 1);
    s.insertAt(QPointF(1.5, 1.0), s.size());
    EXPECT_EQ(s.points,
              (QList<QPointF>{{0.0, 0.1}, {0.25, 0.3}, {0.5, 0.6}, {1.0, 0.9}, {1.5, 1.0}}));
}

TEST(SplineAccess, SetPointWithXReplacesTheFirstExactMatch) {
    CSpline s = curve_of(4, {{0.0, 0.0}, {0.5, 0.5}, {0.5, 0.6}, {1.0, 1.0}});
    s.setPointWithX(0.5, 0.25);
    s.setPointWithX(0.5000001, 0.9);
    EXPECT_EQ(s.points, (QList<QPointF>{{0.0, 0.0}, {0.5, 0.25}, {0.5, 0.6}, {1.0, 1.0}}));
}

TEST(SplineAccess, ClampPointKeepsBothCoordinatesInRange) {
    CSpline s;
    s.setRange(0.1, 0.9);
    QPointF p(-1.0, 2.0);
    s.clampPoint(p);
    EXPECT_EQ(p, QPointF(0.1, 0.9));
    QPointF inside(0.3, 0.4);
    s.clampPoint(inside);
    EXPECT_EQ(inside, QPointF(0.3, 0.4));
}

TEST(SplineAccess, ResetLinearRestoresTheIdentity) {
    CSpline s;
    s.init(4, 33, 0.0, 1.0);
    s.makeGamma(2.4);
    s.resetLinear();
    for (int i = 0; i < s.size(); ++i)
        EXPECT_EQ(s.yAt(i), s.xAt(i));
}

TEST(SplineEvaluate, EndsAndEmptyCurve) {
    EXPECT_EQ(CSpline().evaluate(0.5), 0.0);
    EXPECT_EQ(CSpline().evaluateInverse(0.5), 0.0);
    // The last point sits beyond 1, yet 1.0 itself gives the last value.
    const CSpline s = curve_of(4, {{0.2, 0.1}, {0.6, 0.5}, {1.2, 0.8}});
    EXPECT_EQ(s.evaluate(1.0), 0.8);
    EXPECT_EQ(s.evaluate(0.2), 0.1);
    EXPECT_EQ(s.evaluate(-3.0), 0.1);
    EXPECT_EQ(s.evaluate(1.3), 0.8);
    EXPECT_LT(s.evaluate(0.99), 0.8);
    EXPECT_EQ(s.evaluate(std::nan("")), 0.1);

    const CSpline single = curve_of(4, {{0.5, 0.3}});
    for (double x : {0.0, 0.5, 0.7, 1.0, std::nan("")})
        EXPECT_EQ(single.evaluate(x), 0.3);
}

TEST(SplineEvaluate, TwoPointCurveExtendsItsOwnLine) {
    // The missing outer neighbours mirror the segment, 2 y0 - y1 and 2 y1 - y0, which every
    // kind with linear precision turns into the straight line through both points.
    const double y0 = 0.2, y1 = 0.7;
    for (double t : {0.1, 0.25, 0.5, 0.9}) {
        const double line = y0 + t * (y1 - y0);
        EXPECT_NEAR(curve_of(4, {{0.0, y0}, {1.0, y1}}).evaluate(t), line, 1e-15) << t;
        EXPECT_NEAR(curve_of(3, {{0.0, y0}, {1.0, y1}}).evaluate(t), line, 1e-15) << t;
        // Beta-spline with bias 1, tension 0 is the uniform B-spline.
        EXPECT_NEAR(curve_of(2, {{0.0, y0}, {1.0, y1}}).evaluate(t), line, 1e-15) << t;
        // Bézier through evenly spaced controls moves three times as fast from the first one.
        const double bezier = (2 * y0 - y1) + 3 * t * (y1 - y0);
        EXPECT_NEAR(curve_of(0, {{0.0, y0}, {1.0, y1}}).evaluate(t), std::clamp(bezier, 0.0, 1.0),
                    1e-15)
            << t;
    }
}

TEST(SplineEvaluate, BSplineKeepsItsTruncatedWeights) {
    // The weights sum to 0.1666 + 0.6666 + 0.1666 at every t, so a flat curve sags that much.
    const double c = 0.5;
    const CSpline flat = sampled(1, 9, [c](double) { return c; });
    for (double x : {0.05, 0.3, 0.5, 0.77})
        EXPECT_NEAR(flat.evaluate(x), c * (0.1666 + 0.6666 + 0.1666), 1e-15) << x;
    // The exact uniform B-spline (beta-spline 1, 0) does not.
    const CSpline exact = sampled(2, 9, [c](double) { return c; });
    for (double x : {0.05, 0.3, 0.5, 0.77})
        EXPECT_NEAR(exact.evaluate(x), c, 1e-15) << x;
}

TEST(SplineEvaluate, BetaSplineWithUnitBiasIsTheUniformBSpline) {
    const auto f = [](double x) { return 0.2 + 0.5 * x * x - 0.1 * x * x * x; };
    const CSpline beta = sampled(2, 11, f);
    for (double x : {0.13, 0.47, 0.62, 0.81}) {
        // Cardinal cubic B-spline weights with exact sixths.
        const int c = static_cast<int>(x * 10);
        const double t = x * 10 - c;
        const double p0 = f((c - 1) / 10.0), p1 = f(c / 10.0), p2 = f((c + 1) / 10.0),
                     p3 = f((c + 2) / 10.0);
        const double expected = (std::pow(1 - t, 3) * p0 + (3 * t * t * t - 6 * t * t + 4) * p1 +
                                 (-3 * t * t * t + 3 * t * t + 3 * t + 1) * p2 + t * t * t * p3) /
                                6.0;
        EXPECT_NEAR(beta.evaluate(x), expected, 1e-12) << x;
    }
    // Raising the tension pulls the curve towards its control points.
    CSpline tense = sampled(2, 11, [](double x) { return x < 0.5 ? 0.2 : 0.8; });
    const CSpline loose = tense;
    tense.setBetaParameters(1.0, 50.0);
    EXPECT_LT(std::abs(tense.evaluate(0.4) - 0.2), std::abs(loose.evaluate(0.4) - 0.2));
}

TEST(SplineEvaluate, CatmullRomInterpolatesAndReproducesQuadratics) {
    const auto f = [](double x) { return 0.1 + 0.3 * x + 0.5 * x * x; };
    const CSpline s = sampled(4, 11, f);
    for (int i = 0; i < s.size(); ++i)
        EXPECT_EQ(s.evaluate(s.xAt(i)), s.yAt(i));
    // Away from the end segments, whose outer neighbours are straight-line guesses.
    for (double x : {0.15, 0.333, 0.5, 0.71, 0.88})
        EXPECT_NEAR(s.evaluate(x), f(x), 1e-14) << x;
    // A curve with no kind chosen evaluates the same way.
    CSpline unset;
    unset.points = s.points;
    ASSERT_EQ(unset.type, CSpline::kNone);
    for (double x : {0.15, 0.5, 0.95})
        EXPECT_EQ(unset.evaluate(x), s.evaluate(x));
}

TEST(SplineEvaluate, HermiteFollowsUnevenSpacing) {
    // A straight line sampled at uneven x: Hermite with secant tangents keeps it straight,
    // Catmull-Rom (which assumes even spacing) bends it.
    const double xs[] = {0.0, 0.05, 0.3, 0.35, 0.8, 1.0};
    CSpline hermite, catmull;
    hermite.init(3, 0, 0.0, 1.0);
    catmull.init(4, 0, 0.0, 1.0);
    for (double x : xs) {
        hermite.append(QPointF(x, 0.1 + 0.8 * x));
        catmull.append(QPointF(x, 0.1 + 0.8 * x));
    }
    double catmull_error = 0.0;
    for (double x = 0.01; x < 1.0; x += 0.0173) {
        EXPECT_NEAR(hermite.evaluate(x), 0.1 + 0.8 * x, 1e-14) << x;
        catmull_error = std::max(catmull_error, std::abs(catmull.evaluate(x) - (0.1 + 0.8 * x)));
    }
    EXPECT_GT(catmull_error, 1e-3);
    for (double x : xs)
        EXPECT_NEAR(hermite.evaluate(x), 0.1 + 0.8 * x, 1e-15);
}

TEST(SplineEvaluate, BezierApproximatesFromTheOuterControls) {
    // Interior segment of a straight line: the Bézier runs from P0 at three steps per segment.
    const CSpline s = sampled(0, 11, [](double x) { return 0.1 + 0.5 * x; });
    for (double x : {0.33, 0.55, 0.72}) {
        const int c = static_cast<int>(x * 10);
        const double t = x * 10 - c;
        EXPECT_NEAR(s.evaluate(x), 0.1 + 0.05 * (c - 1 + 3 * t), 1e-14) << x;
    }
}

TEST(SplineEvaluate, ResultsStayInTheRange) {
    // A sharp step overshoots under Catmull-Rom; the range clips it.
    CSpline s = curve_of(4, {{0.0, 0.0}, {0.4, 0.0}, {0.5, 1.0}, {1.0, 1.0}});
    bool overshoot_clipped = false;
    for (double x = 0.0; x <= 1.0; x += 0.01) {
        const double y = s.evaluate(x);
        EXPECT_GE(y, 0.0);
        EXPECT_LE(y, 1.0);
        overshoot_clipped |= y == 1.0 && x > 0.5 && x < 0.7;
    }
    EXPECT_TRUE(overshoot_clipped);
    s.setRange(0.25, 0.75);
    EXPECT_EQ(s.evaluate(0.2), 0.25);
    EXPECT_EQ(s.evaluate(0.7), 0.75);
    // Degenerate beta parameters (zero denominator) still give a value in range.
    CSpline beta = sampled(2, 5, [](double x) { return x; });
    beta.setBetaParameters(0.0, -2.0);
    const double y = beta.evaluate(0.3);
    EXPECT_GE(y, 0.0);
    EXPECT_LE(y, 1.0);
}

TEST(SplineEvaluate, InverseSearchesOnY) {
    CSpline s;
    s.init(4, 256, 0.0, 1.0);
    s.makeGamma(2.2);
    for (double y : {0.05, 0.18, 0.5, 0.9}) {
        EXPECT_NEAR(s.evaluateInverse(y), std::pow(y, 1.0 / 2.2), 1e-4) << y;
        EXPECT_NEAR(s.evaluate(s.evaluateInverse(y)), y, 1e-4) << y;
    }
    EXPECT_EQ(s.evaluateInverse(1.0), 1.0);
    EXPECT_EQ(s.evaluateInverse(0.0), 0.0);
}

TEST(SplineGamma, MakeGammaSamplesThePowerLaw) {
    CSpline s;
    s.init(4, 18, 0.0, 1.0);
    s.makeGamma(1.8);
    EXPECT_TRUE(s.valid);
    for (int i = 0; i < 18; ++i) {
        EXPECT_NEAR(s.xAt(i), i / 17.0, 1e-15);
        EXPECT_DOUBLE_EQ(s.yAt(i), std::pow(i / 17.0, 1.8));
    }
    // Too few points: nothing to shape.
    CSpline one = curve_of(4, {{0.5, 0.5}});
    one.makeGamma(2.2);
    EXPECT_FALSE(one.valid);
    EXPECT_EQ(one.yAt(0), 0.5);
}

TEST(SplineGamma, FitRecoversTheExponent) {
    for (double gamma : {1.0, 1.8, 2.2, 2.6}) {
        CSpline s;
        s.init(4, 256, 0.0, 1.0);
        s.makeGamma(gamma);
        EXPECT_NEAR(s.fitGamma(), gamma, 1e-9) << gamma;
    }
    // A curve that is no power law: the best exponent of its own points.
    CSpline bumpy =
        sampled(4, 64, [](double x) { return std::pow(x, 2.0) * (1 + 0.02 * std::sin(20 * x)); });
    EXPECT_NEAR(bumpy.fitGamma(), 2.0, 0.05);
}

TEST(SplineGamma, FitWithoutInnerPointsGivesTheFirstExponent) {
    EXPECT_EQ(CSpline().fitGamma(), 0.0);
    EXPECT_EQ(curve_of(4, {{0.0, 0.0}, {1.0, 1.0}}).fitGamma(), 0.0);
    // Black inner points carry no exponent; the others still fit.
    CSpline crushed;
    crushed.init(4, 256, 0.0, 1.0);
    crushed.makeGamma(2.2);
    crushed.setYAt(1, 0.0);
    crushed.setYAt(2, 0.0);
    EXPECT_NEAR(crushed.fitGamma(), 2.2, 1e-6);
}

TEST(SplineResample, KeepsTheShapeOfTheCurveBeforeIt) {
    CSpline s = sampled(4, 9, [](double x) { return std::pow(x, 2.4); });
    const CSpline original = s;
    s.resampleFromSelf(33);
    ASSERT_EQ(s.size(), 33);
    for (int i = 0; i < 33; ++i) {
        EXPECT_DOUBLE_EQ(s.xAt(i), i / 32.0);
        EXPECT_DOUBLE_EQ(s.yAt(i), original.evaluate(i / 32.0));
    }
    EXPECT_GT(s.yAt(16), 0.1);
    s.resampleFromSelf(1);
    EXPECT_EQ(s.size(), 33);
}

TEST(SplineAssign, CopiesCurveAndChoosesAKind) {
    CSpline source;
    source.points = {{0.0, 0.0}, {0.3, 0.2}, {1.0, 1.0}};
    source.setRange(0.0, 2.0);
    source.valid = true;
    CSpline copy;
    copy = source;
    EXPECT_EQ(copy.type, CSpline::kCatmullRom);
    EXPECT_EQ(copy.points, source.points);
    EXPECT_TRUE(copy.valid);
    EXPECT_EQ(copy.maxValue, 2.0);

    // The beta parameters are the source's, not the defaults init gives the kind.
    source.init(2, 0, 0.0, 1.0);
    source.points = {{0.0, 0.0}, {1.0, 1.0}};
    source.setBetaParameters(0.5, 3.0);
    const CSpline beta(source);
    EXPECT_EQ(beta.type, CSpline::kBetaSpline);
    EXPECT_EQ(beta.bias, 0.5);
    EXPECT_EQ(beta.tension, 3.0);

    // Assigning a curve to itself must not clear it on the way.
    const QList<QPointF> before = copy.points;
    CSpline& self = copy;
    copy = self;
    EXPECT_EQ(copy.points, before);
    EXPECT_EQ(copy.size(), 3);
}

}  // namespace
