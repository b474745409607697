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

// y = f(x) at n evenly spaced x on [0, 1].
template <typename F>
CSpline sampled(int kind, int n, F f) {
    CSpline s;
    s.init(kind, n, 0.0, 1.0);
    for (int i = 0; i < n; ++i)
        s.setYAt(i, f(s.xAt(i)));
    return s;
}

TEST(Spline, InitChoosesTheKindAndTheIdentity) {
    CSpline s;
    EXPECT_TRUE(s.type == CSpline::kNone && !s.valid && s.tension == 1.0 && s.bias == 0.0);
    for (int kind : {0, 1, 3, 4, -1, 5, 100}) {
        s.init(kind, 0, 0.0, 1.0);
        EXPECT_EQ(s.type, kind >= 0 && kind <= 3 ? kind : 4) << kind;
    }
    s.setBetaParameters(3.0, 4.0);
    s.init(2, 0, 0.0, 1.0);
    EXPECT_TRUE(s.type == 2 && s.bias == 1.0 && s.tension == 0.0);
    s.init(4, 256, 0.0, 1.0);
    ASSERT_EQ(s.size(), 256);
    for (int i = 0; i < 256; ++i)
        EXPECT_TRUE(std::abs(s.xAt(i) - i / 255.0) < 1e-15 && s.xAt(i) == s.yAt(i));
    s.makeGamma(2.4);
    s.resetLinear();
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(s.yAt(i), s.xAt(i));
}

TEST(Spline, PointAccessIgnoresBadIndices) {
    CSpline s = curve_of(4, {{0.0, 0.1}, {0.5, 0.6}, {0.5, 0.7}, {1.0, 0.9}});
    QPointF p(-7.0, -7.0);
    EXPECT_FALSE(s.pointAt(4, p) || s.pointAt(-1, p));
    EXPECT_EQ(p, QPointF(-7.0, -7.0));
    EXPECT_EQ(s.xAt(4) + s.yAt(-1), 0.0);
    const QList<QPointF> before = s.points;
    s.setYAt(4, 0.2);
    s.setPointAt(-1, 0.2, 0.2);
    s.insertAt(QPointF(2.0, 2.0), 5);
    s.setPointWithX(0.5000001, 0.9);
    EXPECT_EQ(s.points, before);
    s.setPointWithX(0.5, 0.25);  // the first exact match only
    s.insertAt(QPointF(1.5, 1.0), 4);
    EXPECT_EQ(s.points,
              (QList<QPointF>{{0.0, 0.1}, {0.5, 0.25}, {0.5, 0.7}, {1.0, 0.9}, {1.5, 1.0}}));
    s.setRange(0.1, 0.9);
    QPointF outside(-1.0, 2.0);
    s.clampPoint(outside);
    EXPECT_EQ(outside, QPointF(0.1, 0.9));
}

TEST(Spline, EndsAndEmptyCurves) {
    EXPECT_EQ(CSpline().evaluate(0.5) + CSpline().evaluateInverse(0.5), 0.0);
    // The last point lies beyond 1, yet 1.0 itself gives the last value.
    const CSpline s = curve_of(4, {{0.2, 0.1}, {0.6, 0.5}, {1.2, 0.8}});
    EXPECT_EQ(s.evaluate(1.0), 0.8);
    EXPECT_LT(s.evaluate(0.99), 0.8);
    EXPECT_EQ(s.evaluate(1.3), 0.8);
    EXPECT_EQ(s.evaluate(-3.0), 0.1);
    EXPECT_EQ(s.evaluate(std::nan("")), 0.1);
    for (double x : {0.0, 0.7, 1.0, std::nan("")})
        EXPECT_EQ(curve_of(4, {{0.5, 0.3}}).evaluate(x), 0.3);
}

TEST(Spline, TwoPointCurveMirrorsItsOuterNeighbours) {
    // P0 = 2 y0 - y1 and P3 = 2 y1 - y0: kinds with linear precision draw the straight line, and
    // the Bézier runs from P0 at three times the pace.
    const double y0 = 0.2, y1 = 0.7;
    for (double t : {0.1, 0.25, 0.5, 0.9}) {
        const double line = y0 + t * (y1 - y0);
        for (int kind : {2, 3, 4})
            EXPECT_NEAR(curve_of(kind, {{0.0, y0}, {1.0, y1}}).evaluate(t), line, 1e-15);
        const double bezier = std::clamp(2 * y0 - y1 + 3 * t * (y1 - y0), 0.0, 1.0);
        EXPECT_NEAR(curve_of(0, {{0.0, y0}, {1.0, y1}}).evaluate(t), bezier, 1e-15) << t;
    }
}

TEST(Spline, KindsKeepTheirWeights) {
    // B-spline weights sum to 0.1666 + 0.6666 + 0.1666 at every t: a flat curve sags that much.
    for (double x : {0.05, 0.3, 0.77}) {
        EXPECT_NEAR(sampled(1, 9, [](double) { return 0.5; }).evaluate(x), 0.5 * 0.9998, 1e-15);
        EXPECT_NEAR(sampled(2, 9, [](double) { return 0.5; }).evaluate(x), 0.5, 1e-15);
    }
    // Beta-spline with bias 1, tension 0 is the cardinal cubic B-spline with exact sixths.
    const auto f = [](double x) { return 0.2 + 0.5 * x * x - 0.1 * x * x * x; };
    for (double x : {0.13, 0.47, 0.81}) {
        const int c = static_cast<int>(x * 10);
        const double t = x * 10 - c, t2 = t * t, t3 = t2 * t;
        const double expected =
            (std::pow(1 - t, 3) * f((c - 1) / 10.0) + (3 * t3 - 6 * t2 + 4) * f(c / 10.0) +
             (-3 * t3 + 3 * t2 + 3 * t + 1) * f((c + 1) / 10.0) + t3 * f((c + 2) / 10.0)) /
            6;
        EXPECT_NEAR(sampled(2, 11, f).evaluate(x), expected, 1e-12) << x;
    }
    // Tension pulls the beta-spline towards its control points.
    CSpline tense = sampled(2, 11, [](double x) { return x < 0.5 ? 0.2 : 0.8; });
    const double loose = tense.evaluate(0.4);
    tense.setBetaParameters(1.0, 50.0);
    EXPECT_LT(std::abs(tense.evaluate(0.4) - 0.2), std::abs(loose - 0.2));
}

TEST(Spline, CatmullRomInterpolatesAndReproducesQuadratics) {
    const auto f = [](double x) { return 0.1 + 0.3 * x + 0.5 * x * x; };
    const CSpline s = sampled(4, 11, f);
    for (int i = 0; i < s.size(); ++i)
        EXPECT_EQ(s.evaluate(s.xAt(i)), s.yAt(i));
    for (double x : {0.15, 0.5, 0.88})
        EXPECT_NEAR(s.evaluate(x), f(x), 1e-14) << x;
    // No kind chosen: evaluated the same way.
    CSpline unset;
    unset.points = s.points;
    for (double x : {0.05, 0.5, 0.95})
        EXPECT_EQ(unset.evaluate(x), s.evaluate(x));
}

TEST(Spline, HermiteFollowsUnevenSpacing) {
    // A line sampled at uneven x stays straight under Hermite; Catmull-Rom bends it.
    CSpline hermite = curve_of(3, {}), catmull = curve_of(4, {});
    for (double x : {0.0, 0.05, 0.3, 0.35, 0.8, 1.0}) {
        hermite.append(QPointF(x, 0.1 + 0.8 * x));
        catmull.append(QPointF(x, 0.1 + 0.8 * x));
    }
    double catmull_error = 0.0;
    for (double x = 0.0; x <= 1.0; x += 0.0173) {
        EXPECT_NEAR(hermite.evaluate(x), 0.1 + 0.8 * x, 1e-14) << x;
        catmull_error = std::max(catmull_error, std::abs(catmull.evaluate(x) - (0.1 + 0.8 * x)));
    }
    EXPECT_GT(catmull_error, 1e-3);
}

TEST(Spline, ResultsStayInTheRange) {
    // A step overshoots under Catmull-Rom; the range clips it.
    CSpline s = curve_of(4, {{0.0, 0.0}, {0.4, 0.0}, {0.5, 1.0}, {1.0, 1.0}});
    EXPECT_EQ(s.evaluate(0.6), 1.0);
    s.setRange(0.25, 0.75);
    EXPECT_EQ(s.evaluate(0.2), 0.25);
    EXPECT_EQ(s.evaluate(0.7), 0.75);
    // Degenerate beta parameters (zero denominator) still give a value in range.
    CSpline beta = sampled(2, 5, [](double x) { return x; });
    beta.setBetaParameters(0.0, -2.0);
    EXPECT_TRUE(beta.evaluate(0.3) >= 0.0 && beta.evaluate(0.3) <= 1.0);
}

TEST(Spline, GammaMakeFitAndInverse) {
    for (double gamma : {1.0, 1.8, 2.2, 2.6}) {
        CSpline s;
        s.init(4, 256, 0.0, 1.0);
        s.makeGamma(gamma);
        EXPECT_TRUE(s.valid);
        EXPECT_DOUBLE_EQ(s.yAt(100), std::pow(100 / 255.0, gamma));
        EXPECT_NEAR(s.fitGamma(), gamma, 1e-9) << gamma;
        for (double y : {0.05, 0.5, 0.9})
            EXPECT_NEAR(s.evaluateInverse(y), std::pow(y, 1.0 / gamma), 1e-4);
        EXPECT_EQ(s.evaluateInverse(1.0), 1.0);
        // Black inner points carry no exponent; the rest still fit.
        s.setYAt(1, 0.0);
        EXPECT_NEAR(s.fitGamma(), gamma, 1e-6);
    }
    EXPECT_NEAR(
        sampled(4, 64, [](double x) { return x * x * (1 + 0.02 * std::sin(20 * x)); }).fitGamma(),
        2.0, 0.05);
    EXPECT_EQ(curve_of(4, {{0.0, 0.0}, {1.0, 1.0}}).fitGamma(), 0.0);  // no inner points
    CSpline one = curve_of(4, {{0.5, 0.5}});
    one.makeGamma(2.2);
    EXPECT_TRUE(!one.valid && one.yAt(0) == 0.5);
}

TEST(Spline, ResampleKeepsTheCurveBeforeIt) {
    CSpline s = sampled(4, 9, [](double x) { return std::pow(x, 2.4); });
    const CSpline original = s;
    s.resampleFromSelf(33);
    ASSERT_EQ(s.size(), 33);
    for (int i = 0; i < 33; ++i)
        EXPECT_TRUE(s.xAt(i) == i / 32.0 && s.yAt(i) == original.evaluate(i / 32.0));
    EXPECT_GT(s.yAt(16), 0.1);
    s.resampleFromSelf(1);
    EXPECT_EQ(s.size(), 33);
}

TEST(Spline, AssignCopiesTheCurveWithAKindChosen) {
    CSpline source;
    source.points = {{0.0, 0.0}, {0.3, 0.2}, {1.0, 1.0}};
    source.setRange(0.0, 2.0);
    source.valid = true;
    CSpline copy;
    copy = source;
    EXPECT_TRUE(copy.type == 4 && copy.points == source.points && copy.valid &&
                copy.maxValue == 2.0);
    CSpline& self = copy;
    copy = self;  // must not clear on the way
    EXPECT_EQ(copy.points, source.points);
    // The beta parameters are the source's, not those init gives the kind.
    source.init(2, 2, 0.0, 1.0);
    source.setBetaParameters(0.5, 3.0);
    const CSpline beta(source);
    EXPECT_TRUE(beta.type == 2 && beta.bias == 0.5 && beta.tension == 3.0);
}

}  // namespace
