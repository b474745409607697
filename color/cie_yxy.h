#pragma once

#include "color/chromaticity.h"
#include "color/cie_xyz.h"

// Luminance with chromaticity, in the order Y, x, y.
class CCIEYxy {
  public:
    double Y = 0.0;
    double x = 0.0;
    double y = 0.0;

    CCIEYxy() = default;
    CCIEYxy(double luminance, double cx, double cy) : Y(luminance), x(cx), y(cy) {}
    CCIEYxy(const CCIEYxy&) = default;
    CCIEYxy& operator=(const CCIEYxy&) = default;
    virtual ~CCIEYxy() = default;

    bool operator==(const CCIEYxy&) const = default;

    CChromaticity chromaticity() const { return {x, y}; }
    // y = 0 has no tristimulus value of its own: the result keeps only the luminance.
    CCIEXYZ toXYZ() const;
};
