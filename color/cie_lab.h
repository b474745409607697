#pragma once

#include "color/cie_xyz.h"

// A CIE 1976 L*a*b* colour.
struct CCIELab {
    double L = 0.0;
    double a = 0.0;
    double b = 0.0;
};

// L*a*b* of `xyz` relative to `white` (any common unit of Y; a white without luminance gives
// black).
CCIELab lab_from_xyz(const CCIEXYZ& xyz, const CCIEXYZ& white);

// The CIEDE2000 colour difference with the parametric factors kL = kC = kH = 1.
double ciede2000(const CCIELab& first, const CCIELab& second);
