#include "color/chromatic_adaptation.h"

#include <cmath>

namespace {

// The D50 white of the profile code (not the rounded PCS white of the ICC header).
const CCIEXYZ kD50(0.964188, 1.0, 0.82489);

Vector3 to_vector(const CCIEXYZ& c) {
    return {c.X, c.Y, c.Z};
}
CCIEXYZ to_xyz(const Vector3& v) {
    return {v[0], v[1], v[2]};
}

}  // namespace

CChromaticAdaptation::CChromaticAdaptation()
    : bradford_{{{0.8951, 0.2664, -0.1614}, {-0.7502, 1.7135, 0.0367}, {0.0389, -0.0685, 1.0296}}},
      // Stored, not computed, so that colorants match those of earlier profiles to the bit.
      bradfordInverse_{{{0.986993, -0.14705, 0.159963},
                        {0.432305, 0.51836, 0.049291},
                        {-0.00853, 0.040043, 0.968487}}},
      adaptation_(mat3_identity()),
      adaptationInverse_(mat3_identity()),
      destinationWhite_(kD50),
      sourceWhite_(kD50) {}

bool CChromaticAdaptation::build_adaptation(const CCIEXYZ& white, Matrix3& adaptation) const {
    const Vector3 dest = mat3_multiply(bradford_, to_vector(destinationWhite_));
    const Vector3 source = mat3_multiply(bradford_, to_vector(white));
    if (source[0] == 0.0 || source[1] == 0.0 || source[2] == 0.0) return false;
    const Matrix3 scale =
        mat3_diagonal({dest[0] / source[0], dest[1] / source[1], dest[2] / source[2]});
    adaptation = mat3_multiply(mat3_multiply(bradfordInverse_, scale), bradford_);
    return true;
}

bool CChromaticAdaptation::setSourceWhite(const CCIEXYZ& white) {
    if (white.Y == 0.0) return false;
    const CCIEXYZ normalised(white.X / white.Y, 1.0, white.Z / white.Y);
    Matrix3 adaptation;
    if (!build_adaptation(normalised, adaptation)) return false;
    sourceWhite_ = normalised;
    adaptation_ = adaptation;
    return true;
}

bool CChromaticAdaptation::setSourceWhiteWithInverse(const CCIEXYZ& white) {
    Matrix3 adaptation;
    if (!build_adaptation(white, adaptation)) return false;
    adaptation_ = adaptation;
    return mat3_invert(adaptation_, adaptationInverse_);
}

bool CChromaticAdaptation::setMatrix(const Matrix3& m) {
    adaptation_ = m;
    return mat3_invert(adaptation_, adaptationInverse_);
}

CCIEXYZ CChromaticAdaptation::adapt(const CCIEXYZ& xyz) const {
    return to_xyz(mat3_multiply(adaptation_, to_vector(xyz)));
}

CCIEXYZ CChromaticAdaptation::adaptInverse(const CCIEXYZ& xyz) const {
    return to_xyz(mat3_multiply(adaptationInverse_, to_vector(xyz)));
}

bool CChromaticAdaptation::colorants(double xr, double yr, double xg, double yg, double xb,
                                     double yb, CCIEXYZ& red, CCIEXYZ& green, CCIEXYZ& blue) const {
    const Matrix3 primaries{
        {{xr, xg, xb}, {yr, yg, yb}, {1.0 - xr - yr, 1.0 - xg - yg, 1.0 - xb - yb}}};
    // The determinant is twice the area of the primaries' triangle; rounding keeps it from
    // being exactly zero for collinear primaries, whose "inverse" would be noise.
    constexpr double kCollinear = 1e-12;
    Matrix3 inverse;
    if (std::abs(mat3_determinant(primaries)) < kCollinear) return false;
    if (!mat3_invert(primaries, inverse)) return false;
    const Vector3 scale = mat3_multiply(inverse, to_vector(sourceWhite_));
    const Matrix3 rgb_to_xyz = mat3_multiply(primaries, mat3_diagonal(scale));
    const Matrix3 c = mat3_multiply(adaptation_, rgb_to_xyz);
    red = CCIEXYZ(c[0][0], c[1][0], c[2][0]);
    green = CCIEXYZ(c[0][1], c[1][1], c[2][1]);
    blue = CCIEXYZ(c[0][2], c[1][2], c[2][2]);
    return true;
}
