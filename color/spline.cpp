#include "color/spline.h"

#include "color/gamma_fit.h"

#include <algorithm>
#include <cmath>

namespace {

// The four control values around the segment, and where they sit on the search axis (only the
// Hermite kind looks at the positions).
struct Segment {
    double p[4];
    double k[4];
    double t;
};

// The B-spline weights keep their truncated constants (they sum to 0.9998): curves written
// into monitors and profiles have always been sampled with them.
double b_spline(const Segment& s) {
    const double t = s.t, t2 = t * t, t3 = t2 * t;
    return (0.1666 - t / 2 + t2 / 2 - 0.1666 * t3) * s.p[0] + (0.6666 - t2 + t3 / 2) * s.p[1] +
           (0.1666 + t / 2 + t2 / 2 - t3 / 2) * s.p[2] + 0.1666 * t3 * s.p[3];
}

double bezier(const Segment& s) {
    const double t = s.t, u = 1.0 - t;
    return u * u * u * s.p[0] + 3 * t * u * u * s.p[1] + 3 * t * t * u * s.p[2] +
           t * t * t * s.p[3];
}

double beta_spline(const Segment& s, double b1, double b2) {
    const double t = s.t, t2 = t * t, t3 = t2 * t, u = 1.0 - t;
    const double b1_2 = b1 * b1, b1_3 = b1_2 * b1;
    const double delta = 2 * b1_3 + 4 * b1_2 + 4 * b1 + b2 + 2;
    const double w0 = 2 * b1_3 * u * u * u;
    const double w1 = 2 * t3 * (b2 + b1_3 + b1_2 + b1) - 3 * t2 * (b2 + 2 * b1_3 + 2 * b1_2) +
                      6 * t * (b1_3 - b1) + (b2 + 4 * b1_2 + 4 * b1);
    const double w2 = 2 + 3 * t2 * (b2 + 2 * b1_2) - 2 * t3 * (b2 + b1_2 + b1 + 1) + 6 * t * b1;
    const double w3 = 2 * t3;
    return (w0 * s.p[0] + w1 * s.p[1] + w2 * s.p[2] + w3 * s.p[3]) / delta;
}

double catmull_rom(const Segment& s) {
    const double t = s.t, t2 = t * t, t3 = t2 * t;
    return (-t / 2 + t2 - t3 / 2) * s.p[0] + (1 - 2.5 * t2 + 1.5 * t3) * s.p[1] +
           (t / 2 + 2 * t2 - 1.5 * t3) * s.p[2] + (-t2 / 2 + t3 / 2) * s.p[3];
}

// Cubic Hermite over P1..P2 with the mean of the neighbouring secant slopes as tangents. Unlike
// Catmull-Rom it respects uneven spacing, as on the sRGB and L* curves, and reproduces a line.
double hermite(const Segment& s) {
    const double h = s.k[2] - s.k[1];
    const double mid = h != 0.0 ? (s.p[2] - s.p[1]) / h : 0.0;
    const double w0 = s.k[1] - s.k[0];
    const double w2 = s.k[3] - s.k[2];
    const double before = w0 != 0.0 ? (s.p[1] - s.p[0]) / w0 : mid;
    const double after = w2 != 0.0 ? (s.p[3] - s.p[2]) / w2 : mid;
    const double m1 = 0.5 * (before + mid) * h;
    const double m2 = 0.5 * (mid + after) * h;
    const double t = s.t, t2 = t * t, t3 = t2 * t;
    return (2 * t3 - 3 * t2 + 1) * s.p[1] + (t3 - 2 * t2 + t) * m1 + (3 * t2 - 2 * t3) * s.p[2] +
           (t3 - t2) * m2;
}

}  // namespace

void CSpline::init(int kind, int count, double min, double max) {
    points.clear();
    minValue = min;
    maxValue = max;
    switch (kind) {
        case kBezier:
        case kBSpline:
        case kHermite:
            type = kind;
            break;
        case kBetaSpline:
            type = kind;
            bias = 1.0;
            tension = 0.0;
            break;
        default:
            type = kCatmullRom;
            break;
    }
    if (count <= 1) return;
    const double step = (max - min) / (count - 1);
    points.reserve(count);
    for (int i = 0; i < count; ++i)
        points.append(QPointF(i * step, i * step));
}

void CSpline::setBetaParameters(double newBias, double newTension) {
    bias = newBias;
    tension = newTension;
}

void CSpline::setRange(double min, double max) {
    minValue = min;
    maxValue = max;
}

void CSpline::resetLinear() {
    const int n = size();
    if (n < 2) return;
    const double step = (maxValue - minValue) / (n - 1);
    for (int i = 0; i < n; ++i)
        setPointWithX(i * step, i * step);
}

void CSpline::makeGamma(double gamma) {
    const int n = size();
    if (n < 2) return;
    for (int i = 0; i < n; ++i)
        points[i].setY(std::pow(static_cast<double>(i) / (n - 1), gamma));
    valid = true;
}

double CSpline::fitGamma() const {
    const int n = size();
    if (n == 0) return 0.0;
    const auto inner = [](const QPointF& p) { return p.x() > 0.0 && p.x() < 1.0; };
    QList<double> g(n, 0.0);
    std::vector<double> xs, ys, proposals;
    std::vector<int> indices;
    for (int i = 0; i < n; ++i) {
        if (!inner(points[i])) continue;
        xs.push_back(points[i].x());
        ys.push_back(points[i].y());
        const double exponent = std::log(points[i].y()) / std::log(points[i].x());
        // A black or negative inner point yields no exponent at all.
        if (std::isfinite(exponent)) g[i] = exponent;
        if (g[i] != 0.0) {
            proposals.push_back(g[i]);
            indices.push_back(i);
        }
    }
    // A perfect fit (error exactly 0) wins: a pure power curve must fit its own exponent.
    const int picked = gamma_fit::best_exponent(xs, ys, proposals, indices);
    return g[picked < 0 ? 0 : picked];
}

void CSpline::resampleFromSelf(int count) {
    if (count < 2) return;
    const CSpline before(*this);
    points.clear();
    points.reserve(count);
    for (int i = 0; i < count; ++i) {
        const double x = static_cast<double>(i) / (count - 1);
        points.append(QPointF(x, before.evaluate(x)));
    }
}

void CSpline::append(const QPointF& point) {
    points.append(point);
}

bool CSpline::pointAt(int i, QPointF& point) const {
    if (!in_range(i)) return false;
    point = points[i];
    return true;
}

void CSpline::insertAt(const QPointF& point, int i) {
    if (i < 0 || i > points.size()) return;
    points.insert(i, point);
}

double CSpline::xAt(int i) const {
    return in_range(i) ? points[i].x() : 0.0;
}

double CSpline::yAt(int i) const {
    return in_range(i) ? points[i].y() : 0.0;
}

double CSpline::evaluate(double x) const {
    return interpolate(x, false);
}

double CSpline::evaluateInverse(double y) const {
    return interpolate(y, true);
}

void CSpline::setYAt(int i, double y) {
    if (in_range(i)) points[i].setY(y);
}

void CSpline::setPointWithX(double x, double y) {
    for (QPointF& p : points) {
        if (p.x() == x) {
            p.setY(y);
            return;
        }
    }
}

void CSpline::setPointAt(int i, double x, double y) {
    if (in_range(i)) points[i] = QPointF(x, y);
}

void CSpline::clampPoint(QPointF& point) const {
    point.setY(std::min(std::max(point.y(), minValue), maxValue));
    point.setX(std::min(std::max(point.x(), minValue), maxValue));
}

void CSpline::assign(const CSpline& other) {
    if (&other == this) return;
    init(other.type, other.size(), other.minValue, other.maxValue);
    setBetaParameters(other.bias, other.tension);
    points = other.points;
    valid = other.valid;
}

double CSpline::clamp_value(double value) const {
    // NaN only comes from degenerate beta parameters; it must not reach a table entry.
    if (std::isnan(value)) return std::isnan(minValue) ? 0.0 : minValue;
    const double clamped = std::min(std::max(value, minValue), maxValue);
    return std::isnan(clamped) ? 0.0 : clamped;
}

double CSpline::interpolate(double at, bool inverse) const {
    const int n = size();
    if (n < 1) return 0.0;
    const auto key = [&](int i) { return inverse ? points[i].y() : points[i].x(); };
    const auto value = [&](int i) { return inverse ? points[i].x() : points[i].y(); };

    // A stored curve may hold one point, or NaN anywhere: neither may steer the segment search
    // off the list, and NaN never comes out.
    const auto guarded = [&](double v) { return std::isnan(v) ? clamp_value(v) : v; };
    if (n == 1 || std::isnan(at) || at <= key(0)) return guarded(value(0));
    if (at >= key(n - 1) || at == 1.0) return guarded(value(n - 1));

    int i = 1;
    while (i < n && !(key(i) > at))
        ++i;
    const int c = i == n ? i - 2 : i - 1;

    Segment s;
    s.p[1] = value(c);
    s.k[1] = key(c);
    s.p[2] = value(c + 1);
    s.k[2] = key(c + 1);
    if (c < 1) {
        s.p[0] = 2 * value(0) - value(1);
        s.k[0] = 2 * key(0) - key(1);
    } else {
        s.p[0] = value(c - 1);
        s.k[0] = key(c - 1);
    }
    if (c + 2 == n) {
        s.p[3] = 2 * s.p[2] - s.p[1];
        s.k[3] = 2 * s.k[2] - s.k[1];
    } else {
        s.p[3] = value(c + 2);
        s.k[3] = key(c + 2);
    }
    const double width = s.k[2] - s.k[1];
    s.t = width != 0.0 ? (at - s.k[1]) / width : 0.0;

    double result = 0.0;
    switch (type) {
        case kBezier:
            result = bezier(s);
            break;
        case kBSpline:
            result = b_spline(s);
            break;
        case kBetaSpline:
            result = beta_spline(s, bias, tension);
            break;
        case kHermite:
            result = hermite(s);
            break;
        default:
            result = catmull_rom(s);
            break;
    }
    return clamp_value(result);
}
