#pragma once

// A CIE XYZ colour value. Y is in cd/m² when it comes from a monitor or a target, relative
// (white Y = 1) when it comes from chromaticities.
struct CCIEXYZ {
    double X = 0.0;
    double Y = 0.0;
    double Z = 0.0;

    CCIEXYZ() = default;
    CCIEXYZ(double x, double y, double z) : X(x), Y(y), Z(z) {}
    bool operator==(const CCIEXYZ&) const = default;
};
