#pragma once

#include <array>

#include "color/chromaticity.h"
#include "color/cie_xyz.h"
#include "color/matrix3.h"
#include "color/spline.h"

// What a picture mode promises to show: each channel's tone curve (signal 0..1 to relative
// luminance 0..1), the matrix of its primaries and white, and its white and black luminance.
// The black is a flare of the white's colour under the whole response, as a panel's leakage is.
class CModeTarget {
  public:
    // Chromaticities white, red, green, blue; the curves of red, green, blue; cd/m². False,
    // and the target stays unusable, for collinear primaries, a white without luminance or a
    // black not below the white.
    bool set(const std::array<CChromaticity, 4>& chromaticities,
             const std::array<CSpline, 3>& curves, double white_luminance, double black_luminance);

    bool valid() const { return valid_; }
    // The colour a signal (each channel 0..1) should show, in cd/m².
    CCIEXYZ xyz(double red, double green, double blue) const;
    // A channel's relative luminance for a signal.
    double curve(int channel, double signal) const;
    CCIEXYZ white() const { return xyz(1.0, 1.0, 1.0); }
    CCIEXYZ black() const { return xyz(0.0, 0.0, 0.0); }
    double white_luminance() const { return white_luminance_; }
    double black_luminance() const { return black_luminance_; }
    CChromaticity white_chromaticity() const { return white_; }
    // Relative XYZ (white Y = 1) of unit linear drive per channel, as columns.
    const Matrix3& matrix() const { return matrix_; }

  private:
    bool valid_ = false;
    std::array<CSpline, 3> curves_;
    Matrix3 matrix_{};
    CChromaticity white_;
    double white_luminance_ = 0.0;
    double black_luminance_ = 0.0;
};

// The columns' matrix of three primaries scaled so that equal unit drive gives `white` at
// Y = 1; false for collinear primaries or a white without luminance.
bool rgb_to_xyz_matrix(const std::array<CChromaticity, 4>& chromaticities, Matrix3& matrix);
