#include "color/color_temperature.h"

#include <cmath>
#include <limits>

#include "color/isotemp_table.h"

namespace {

constexpr int kLastRow = kIsotempRows - 1;

// Signed distance of (u, v) from row n's isotemperature line along u; it falls as n rises.
double row_distance(int n, double u, double v) {
    const IsotempRow& r = kIsotempTable[static_cast<std::size_t>(n)];
    return (u - r.u) - (v - r.v) * r.t;
}

double normalised_distance(int n, double u, double v) {
    const double t = kIsotempTable[static_cast<std::size_t>(n)].t;
    return row_distance(n, u, v) / std::sqrt(t * t + 1.0);
}

// A temperature only fits 16 bits down to 15.26 mired; bluer whites saturate instead of
// wrapping round into the range callers show.
std::uint16_t kelvin_from_mired(double mired) {
    constexpr double kMax = std::numeric_limits<std::uint16_t>::max();
    if (!(mired > 1.0e6 / kMax)) return static_cast<std::uint16_t>(kMax);
    return static_cast<std::uint16_t>(1.0e6 / mired);
}

double locus_value(double before, double at, double after, double m) {
    return at + m * (after - before) * 0.5 + m * m * ((before + after) * 0.5 - at);
}

}  // namespace

bool whiteForTemperature(std::uint16_t kelvin, CChromaticity& white) {
    white = {};
    if (kelvin < 1667 || kelvin > 25000) return false;
    const double t = kelvin;
    const double t2 = t * t;
    const double t3 = t2 * t;
    double x = 0.0;
    if (kelvin <= 3999)
        x = -0.2661239e9 / t3 - 0.2343589e6 / t2 + 0.8776956e3 / t + 0.179910;
    else if (kelvin <= 7000)
        x = -4.6070e9 / t3 + 2.9678e6 / t2 + 0.09911e3 / t + 0.244063;
    else
        x = -2.0064e9 / t3 + 1.9018e6 / t2 + 0.24748e3 / t + 0.237040;
    const double x2 = x * x;
    const double x3 = x2 * x;
    double y = 0.0;
    if (kelvin < 2222)
        y = -1.1063814 * x3 - 1.34811020 * x2 + 2.18555832 * x - 0.20219683;
    else if (kelvin <= 3999)
        y = -0.9549476 * x3 - 1.37418593 * x2 + 2.09137015 * x - 0.16748867;
    else
        y = -3.000 * x2 + 2.870 * x - 0.275;
    white = {x, y};
    return true;
}

CColorTemperature::CColorTemperature(double cx, double cy) : x(cx), y(cy) {
    compute();
}

void CColorTemperature::compute() {
    if (x < 0.2 || x > 0.6 || y < 0.2 || y > 0.5) return;
    cct = 0;
    duv = 0.0;
    const double w = 6.0 * y - x + 1.5;
    const double u = 2.0 * x / w;
    const double v = 3.0 * y / w;

    const double first = row_distance(0, u, v);
    if (first < 0.0) return;
    if (first == 0.0) return take_exact_row(0, u, v);
    const double last = row_distance(kLastRow, u, v);
    if (last > 0.0) return;
    if (last == 0.0) return take_exact_row(kLastRow, u, v);

    int n = 33;
    for (int step = 16; step > 0; step /= 2) {
        const double d = row_distance(n, u, v);
        if (d == 0.0) return take_exact_row(n, u, v);
        n += d > 0.0 ? step : -step;
    }
    const double d = row_distance(n, u, v);
    if (d == 0.0) return take_exact_row(n, u, v);
    if (d < 0.0) n -= 1;

    const double dn = normalised_distance(n, u, v);
    double m = dn / (dn - normalised_distance(n + 1, u, v));
    const double mired = (n + m) * 10.0;

    // Centre the three-point interpolation on the nearer row; the last row has no successor,
    // so the bracket below it is interpolated from there (m up to 1 reaches row 64 exactly).
    if ((m > 0.5 && n + 1 < kLastRow) || n == 0) {
        n += 1;
        m -= 1.0;
    }
    const IsotempRow& before = kIsotempTable[static_cast<std::size_t>(n - 1)];
    const IsotempRow& at = kIsotempTable[static_cast<std::size_t>(n)];
    const IsotempRow& after = kIsotempTable[static_cast<std::size_t>(n + 1)];
    const double lu = locus_value(before.u, at.u, after.u, m);
    const double lv = locus_value(before.v, at.v, after.v, m);
    duv = std::sqrt((u - lu) * (u - lu) + (v - lv) * (v - lv));
    if (v - lv < 0.0) duv = -duv;

    cct = kelvin_from_mired(mired);
    CChromaticity white;
    if (whiteForTemperature(cct, white)) {
        const double wc = 6.0 * white.y - white.x + 1.5;
        const double du = u - 2.0 * white.x / wc;
        const double dv = v - 3.0 * white.y / wc;
        duv = std::sqrt(du * du + dv * dv);
    }
}

void CColorTemperature::take_exact_row(int n, double u, double v) {
    // Row 0 is infinite temperature: nothing to report.
    if (n < 1) return;
    const IsotempRow& r = kIsotempTable[static_cast<std::size_t>(n)];
    cct = kelvin_from_mired(10.0 * n);
    duv = std::sqrt((u - r.u) * (u - r.u) + (v - r.v) * (v - r.v));
    if (v - r.v < 0.0) duv = -duv;
}
