#include "color/mode_target.h"

#include <algorithm>
#include <cmath>

bool rgb_to_xyz_matrix(const std::array<CChromaticity, 4>& c, Matrix3& matrix) {
    if (c[0].y <= 0.0) return false;
    Matrix3 primaries{};
    for (int i = 0; i < 3; ++i) {
        const CChromaticity& p = c[static_cast<std::size_t>(i + 1)];
        if (p.y <= 0.0) return false;
        const CCIEXYZ xyz(p.x, p.y);
        primaries[0][static_cast<std::size_t>(i)] = xyz.X;
        primaries[1][static_cast<std::size_t>(i)] = xyz.Y;
        primaries[2][static_cast<std::size_t>(i)] = xyz.Z;
    }
    // Primaries on one line span no gamut; rounding keeps their determinant from being 0.
    if (std::abs(mat3_determinant(primaries)) < 1e-9) return false;
    Matrix3 inverse;
    if (!mat3_invert(primaries, inverse)) return false;
    const CCIEXYZ w(c[0].x, c[0].y);
    const Vector3 scale = mat3_multiply(inverse, Vector3{w.X, w.Y, w.Z});
    matrix = mat3_multiply(primaries, mat3_diagonal(scale));
    return true;
}

bool CModeTarget::set(const std::array<CChromaticity, 4>& chromaticities,
                      const std::array<CSpline, 3>& curves, double white_luminance,
                      double black_luminance) {
    valid_ = false;
    Matrix3 m;
    if (!rgb_to_xyz_matrix(chromaticities, m)) return false;
    if (!(white_luminance > 0.0) || black_luminance < 0.0 || black_luminance >= white_luminance)
        return false;
    for (std::size_t i = 0; i < 3; ++i) {
        if (!curves[i].valid || curves[i].size() < 2) return false;
    }
    matrix_ = m;
    curves_ = curves;
    white_ = chromaticities[0];
    white_luminance_ = white_luminance;
    black_luminance_ = black_luminance;
    valid_ = true;
    return true;
}

double CModeTarget::curve(int channel, double signal) const {
    const double s = std::clamp(signal, 0.0, 1.0);
    return std::clamp(curves_[static_cast<std::size_t>(channel)].evaluate(s), 0.0, 1.0);
}

CCIEXYZ CModeTarget::xyz(double red, double green, double blue) const {
    if (!valid_) return {};
    const Vector3 linear{curve(0, red), curve(1, green), curve(2, blue)};
    const Vector3 v = mat3_multiply(matrix_, linear);
    const CCIEXYZ w(white_.x, white_.y);
    const double span = white_luminance_ - black_luminance_;
    return {black_luminance_ * w.X + span * v[0], black_luminance_ * w.Y + span * v[1],
            black_luminance_ * w.Z + span * v[2]};
}
