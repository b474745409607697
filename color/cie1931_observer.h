#pragma once

#include <array>

// The CIE 1931 2° standard observer's colour matching functions, for turning a light's power
// at each wavelength (such as the Planck radiator's) into tristimulus values.
struct CObserverRow {
    int nm;
    double x;
    double y;
    double z;
};

// Every fifth row of the CIE's 1 nm table, 360 nm to 830 nm.
inline constexpr int kCie1931Rows = 95;
extern const std::array<CObserverRow, kCie1931Rows> kCie1931Observer;
