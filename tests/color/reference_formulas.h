#pragma once

// Colour-science formulas in their textbook form, written independently of the library to
// compute the colour tests' expectations.

#include <cmath>

namespace reference {

struct Xy {
    double x, y;
};
struct Uv {
    double u, v;
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

// CIE daylight locus, 4000 K to 25000 K.
inline Xy daylight(double t) {
    const double x = t <= 7000.0
                         ? 0.244063 + 99.11 / t + 2.9678e6 / (t * t) - 4.6070e9 / (t * t * t)
                         : 0.237040 + 247.48 / t + 1.9018e6 / (t * t) - 2.0064e9 / (t * t * t);
    return {x, -3.0 * x * x + 2.87 * x - 0.275};
}

// Cubic-spline fit of the Planckian locus, 1667 K to 25000 K.
inline Xy planckian(double t) {
    const double x =
        t <= 4000.0 ? -0.2661239e9 / (t * t * t) - 0.2343589e6 / (t * t) + 877.6956 / t + 0.179910
                    : -3.0258469e9 / (t * t * t) + 2.1070379e6 / (t * t) + 222.6347 / t + 0.240390;
    const double x2 = x * x, x3 = x2 * x;
    if (t < 2222.0) return {x, -1.1063814 * x3 - 1.34811020 * x2 + 2.18555832 * x - 0.20219683};
    if (t <= 4000.0) return {x, -0.9549476 * x3 - 1.37418593 * x2 + 2.09137015 * x - 0.16748867};
    return {x, 3.0817580 * x3 - 5.87338670 * x2 + 3.75112997 * x - 0.37001483};
}

// IEC sRGB encoding of a linear value.
inline double srgb_encode(double linear) {
    return linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1.0 / 2.4) - 0.055;
}

// CIE L* / 100 of a relative luminance, with the exact rational constants.
inline double lightness(double y) {
    return (y > 216.0 / 24389.0 ? 116.0 * std::cbrt(y) - 16.0 : 24389.0 / 27.0 * y) / 100.0;
}

// Grayscale standard display function in double precision: luminance of JND index j, and back.
inline double gsdf_luminance(double j) {
    const double x = std::log(j);
    const double num =
        -1.3011877 + x * (0.080242636 + x * (0.13646699 + x * (-0.025468404 + x * 0.0013635334)));
    const double den =
        1.0 + x * (-0.025840191 +
                   x * (-0.10320229 + x * (0.028745620 + x * (-0.0031978977 + x * 0.00012992634))));
    return std::pow(10.0, num / den);
}
inline double gsdf_index(double luminance) {
    const double c[] = {71.498068,  94.593053,   41.912053,  9.8247004,   0.28175407,
                        -1.1878455, -0.18014349, 0.14710899, -0.017046845};
    const double x = std::log10(luminance);
    double sum = 0.0;
    for (int i = 8; i >= 0; --i)
        sum = sum * x + c[i];
    return sum;
}

}  // namespace reference
