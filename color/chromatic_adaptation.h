#pragma once

#include "color/cie_xyz.h"
#include "color/matrix3.h"

// Bradford adaptation from a source white to D50, and the D50-relative colorants of a set of
// primaries that profiles carry. Built on the stack, given a white (or a matrix), queried.
class CChromaticAdaptation {
  public:
    CChromaticAdaptation();

    // Adapts from `white` normalised to Y = 1. Returns false and changes nothing when the white
    // has no luminance or a zero cone response.
    bool setSourceWhite(const CCIEXYZ& white);
    // Adapts from `white` as given (not normalised, and the stored source white is kept), and
    // inverts the result; false when the matrix is singular.
    bool setSourceWhiteWithInverse(const CCIEXYZ& white);
    // Takes `m` as the adaptation matrix; false when it is singular.
    bool setMatrix(const Matrix3& m);

    Matrix3 matrix() const { return adaptation_; }
    Matrix3 inverseMatrix() const { return adaptationInverse_; }
    CCIEXYZ sourceWhite() const { return sourceWhite_; }

    CCIEXYZ adapt(const CCIEXYZ& xyz) const;
    // D50 back to the source white.
    CCIEXYZ adaptInverse(const CCIEXYZ& xyz) const;

    // The adapted tristimulus values of three primaries, scaled so that equal unit drive gives
    // the adapted source white. Needs setSourceWhite first. Collinear primaries have no such
    // scaling: false, and the outputs stay as they were.
    bool colorants(double xr, double yr, double xg, double yg, double xb, double yb, CCIEXYZ& red,
                   CCIEXYZ& green, CCIEXYZ& blue) const;

  private:
    bool build_adaptation(const CCIEXYZ& white, Matrix3& adaptation) const;

    Matrix3 bradford_;
    Matrix3 bradfordInverse_;
    // Identity and D50 until a white or a matrix is set, so early queries are harmless.
    Matrix3 adaptation_;
    Matrix3 adaptationInverse_;
    CCIEXYZ destinationWhite_;
    CCIEXYZ sourceWhite_;
};
