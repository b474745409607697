#pragma once

// The spectral locus of the CIE 1931 2 degree standard observer.
#include <array>

namespace graphs {

struct SpectralPoint {
    int wavelength;  // nm
    double x;
    double y;
};

// 380 nm to 700 nm in 5 nm steps.
inline constexpr int kSpectralLocusPoints = 65;
extern const std::array<SpectralPoint, kSpectralLocusPoints> kSpectralLocus;

}  // namespace graphs
