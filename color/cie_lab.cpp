#include "color/cie_lab.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double kEpsilon = 216.0 / 24389.0;
constexpr double kKappa = 24389.0 / 27.0;

double lab_f(double t) {
    return t > kEpsilon ? std::cbrt(t) : (kKappa * t + 16.0) / 116.0;
}

double degrees(double radians) {
    return radians * 180.0 / std::numbers::pi;
}

double radians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}

// Hue angle in degrees, 0 .. 360; the neutral axis takes 0 as the formula asks.
double hue(double b, double a) {
    if (a == 0.0 && b == 0.0) return 0.0;
    const double h = degrees(std::atan2(b, a));
    return h < 0.0 ? h + 360.0 : h;
}

}  // namespace

CCIELab lab_from_xyz(const CCIEXYZ& xyz, const CCIEXYZ& white) {
    if (white.X <= 0.0 || white.Y <= 0.0 || white.Z <= 0.0) return {};
    const double fx = lab_f(xyz.X / white.X);
    const double fy = lab_f(xyz.Y / white.Y);
    const double fz = lab_f(xyz.Z / white.Z);
    return {116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz)};
}

double ciede2000(const CCIELab& first, const CCIELab& second) {
    const double c1 = std::hypot(first.a, first.b);
    const double c2 = std::hypot(second.a, second.b);
    const double c_mean7 = std::pow((c1 + c2) / 2.0, 7.0);
    const double g = 0.5 * (1.0 - std::sqrt(c_mean7 / (c_mean7 + std::pow(25.0, 7.0))));
    const double a1 = (1.0 + g) * first.a;
    const double a2 = (1.0 + g) * second.a;
    const double cp1 = std::hypot(a1, first.b);
    const double cp2 = std::hypot(a2, second.b);
    const double hp1 = hue(first.b, a1);
    const double hp2 = hue(second.b, a2);

    const double dl = second.L - first.L;
    const double dc = cp2 - cp1;
    double dh = 0.0;
    if (cp1 * cp2 != 0.0) {
        dh = hp2 - hp1;
        if (dh > 180.0) dh -= 360.0;
        if (dh < -180.0) dh += 360.0;
    }
    const double d_hue = 2.0 * std::sqrt(cp1 * cp2) * std::sin(radians(dh / 2.0));

    const double l_mean = (first.L + second.L) / 2.0;
    const double cp_mean = (cp1 + cp2) / 2.0;
    double h_mean = hp1 + hp2;
    if (cp1 * cp2 != 0.0) {
        if (std::abs(hp1 - hp2) <= 180.0)
            h_mean /= 2.0;
        else if (hp1 + hp2 < 360.0)
            h_mean = (h_mean + 360.0) / 2.0;
        else
            h_mean = (h_mean - 360.0) / 2.0;
    }
    const double t = 1.0 - 0.17 * std::cos(radians(h_mean - 30.0)) +
                     0.24 * std::cos(radians(2.0 * h_mean)) +
                     0.32 * std::cos(radians(3.0 * h_mean + 6.0)) -
                     0.20 * std::cos(radians(4.0 * h_mean - 63.0));
    const double d_theta = 30.0 * std::exp(-std::pow((h_mean - 275.0) / 25.0, 2.0));
    const double cp_mean7 = std::pow(cp_mean, 7.0);
    const double rc = 2.0 * std::sqrt(cp_mean7 / (cp_mean7 + std::pow(25.0, 7.0)));
    const double l50 = (l_mean - 50.0) * (l_mean - 50.0);
    const double sl = 1.0 + 0.015 * l50 / std::sqrt(20.0 + l50);
    const double sc = 1.0 + 0.045 * cp_mean;
    const double sh = 1.0 + 0.015 * cp_mean * t;
    const double rt = -std::sin(radians(2.0 * d_theta)) * rc;
    const double tl = dl / sl;
    const double tc = dc / sc;
    const double th = d_hue / sh;
    return std::sqrt(tl * tl + tc * tc + th * th + rt * tc * th);
}
