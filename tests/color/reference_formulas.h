#pragma once

// Colour-science formulas written out independently of the library, in their textbook form,
// to compute the expectations of the colour tests.

#include <cmath>

namespace reference {

struct Xy {
    double x;
    double y;
};

struct Uv {
    double u;
    double v;
};

inline Uv to_uv(Xy c) {
    const double d = -2.0 * c.x + 12.0 * c.y + 3.0;
    return {4.0 * c.x / d, 6.0 * c.y / d};
}

inline Xy from_uv(Uv c) {
    const double d = 2.0 * c.u - 8.0 * c.v + 4.0;
    return {3.0 * c.u / d, 2.0 * c.v / d};
}

inline double uv_distance(Uv a, Uv b) {
    return std::hypot(a.u - b.u, a.v - b.v);
}

// CIE daylight locus (CIE 15), 4000 K to 25000 K.
inline Xy daylight(double t) {
    const double x = t <= 7000.0
                         ? 0.244063 + 0.09911e3 / t + 2.9678e6 / (t * t) - 4.6070e9 / (t * t * t)
                         : 0.237040 + 0.24748e3 / t + 1.9018e6 / (t * t) - 2.0064e9 / (t * t * t);
    return {x, -3.0 * x * x + 2.87 * x - 0.275};
}

// Cubic-spline approximation of the Planckian locus, 1667 K to 25000 K.
inline Xy planckian(double t) {
    const double x =
        t <= 4000.0
            ? -0.2661239e9 / (t * t * t) - 0.2343589e6 / (t * t) + 0.8776956e3 / t + 0.179910
            : -3.0258469e9 / (t * t * t) + 2.1070379e6 / (t * t) + 0.2226347e3 / t + 0.240390;
    double y = 0.0;
    if (t < 2222.0)
        y = -1.1063814 * x * x * x - 1.34811020 * x * x + 2.18555832 * x - 0.20219683;
    else if (t <= 4000.0)
        y = -0.9549476 * x * x * x - 1.37418593 * x * x + 2.09137015 * x - 0.16748867;
    else
        y = 3.0817580 * x * x * x - 5.87338670 * x * x + 3.75112997 * x - 0.37001483;
    return {x, y};
}

// IEC sRGB encoding of a linear value.
inline double srgb_encode(double linear) {
    return linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1.0 / 2.4) - 0.055;
}

// CIE L* of a relative luminance, with the exact rational constants, scaled to 0..1.
inline double lightness(double y) {
    constexpr double epsilon = 216.0 / 24389.0;
    constexpr double kappa = 24389.0 / 27.0;
    return (y > epsilon ? 116.0 * std::cbrt(y) - 16.0 : kappa * y) / 100.0;
}

// The grayscale standard display function in double precision: luminance of JND index j.
inline double gsdf_luminance(double j) {
    const double a = -1.3011877, b = -0.025840191, c = 0.080242636, d = -0.10320229, e = 0.13646699,
                 f = 0.028745620, g = -0.025468404, h = -0.0031978977, k = 0.00012992634,
                 m = 0.0013635334;
    const double x = std::log(j);
    const double num = a + x * (c + x * (e + x * (g + x * m)));
    const double den = 1.0 + x * (b + x * (d + x * (f + x * (h + x * k))));
    return std::pow(10.0, num / den);
}

// JND index of a luminance.
inline double gsdf_index(double luminance) {
    const double coefficients[] = {71.498068,  94.593053,   41.912053,  9.8247004,   0.28175407,
                                   -1.1878455, -0.18014349, 0.14710899, -0.017046845};
    const double x = std::log10(luminance);
    double sum = 0.0;
    for (int i = 8; i >= 0; --i)
        sum = sum * x + coefficients[i];
    return sum;
}

}  // namespace reference
