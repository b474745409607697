#pragma once

#include "color/chromaticity.h"

// A CIE XYZ colour value. Y is in cd/m² when it comes from a monitor or a target, relative
// (white Y = 1) when it comes from chromaticities.
class CCIEXYZ {
  public:
    double X = 0.0;
    double Y = 0.0;
    double Z = 0.0;

    CCIEXYZ() = default;
    CCIEXYZ(double x, double y, double z) : X(x), Y(y), Z(z) {}
    // The colour of chromaticity (x, y) at Y = 1; y = 0 has no such colour and gives (0, 1, 0).
    CCIEXYZ(double x, double y);
    CCIEXYZ(const CCIEXYZ&) = default;
    CCIEXYZ& operator=(const CCIEXYZ&) = default;
    virtual ~CCIEXYZ() = default;

    bool operator==(const CCIEXYZ&) const = default;

    // (0, 0) for black, which has no chromaticity.
    CChromaticity chromaticity() const;
};
