#include "color/curve_builders.h"

#include <algorithm>
#include <cmath>

#include "color/dicom_calc.h"
#include "color/spline.h"

namespace {

constexpr int kPoints = 256;
constexpr int kDicomSteps = 255;
constexpr int kFullScale16 = 65535;

void init_curve(CSpline& curve) {
    curve.init(CSpline::kCatmullRom, kPoints, 0.0, 1.0);
}

}  // namespace

void make_gamma_curve(CSpline& curve, double gamma) {
    init_curve(curve);
    curve.makeGamma(gamma);
}

void make_srgb_curve(CSpline& curve) {
    init_curve(curve);
    for (int i = 0; i < kPoints; ++i) {
        const double y = i / 255.0;
        // The linear segment ends at 0.00304 on the luminance side (rather than 0.0031308); only
        // black falls below either.
        const double v = y <= 0.00304 ? 12.92 * y : 1.055 * std::pow(y, 1.0 / 2.4) - 0.055;
        curve.setPointAt(i, v, y);
    }
    curve.valid = true;
}

void make_lstar_curve(CSpline& curve) {
    init_curve(curve);
    for (int i = 0; i < kPoints; ++i) {
        const double y = i / 255.0;
        const double f = y > 0.0088564517 ? std::pow(y, 1.0 / 3.0) : (903.296 * y + 16.0) / 116.0;
        curve.setPointAt(i, (116.0 * f - 16.0) / 100.0, y);
    }
    curve.valid = true;
}

float dicom_black_luminance(int userBlackTenths, int monitorMinBlackTenths) {
    return static_cast<float>(std::max(userBlackTenths, monitorMinBlackTenths)) / 10.0f;
}

void make_dicom_curve(CSpline& curve, float black, float white) {
    const CDICOMCalc calc(black, white, kDicomSteps);
    init_curve(curve);
    for (int i = 0; i < kPoints; ++i)
        curve.setYAt(i, static_cast<double>(calc.level(i, kFullScale16)) / kFullScale16);
    curve.valid = true;
}
