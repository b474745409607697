#pragma once

#include "color/chromaticity.h"

// Correlated colour temperature and signed Duv against the Planckian locus at every
// temperature, for verifying a measured white: unlike CColorTemperature, which the white-point
// page uses, it never switches to the daylight locus.
namespace planckian {

inline constexpr double kMinKelvin = 1000.0;
inline constexpr double kMaxKelvin = 25000.0;
// Farther from the locus a correlated colour temperature means little.
inline constexpr double kMaxAbsDuv = 0.05;

enum class Validity {
    kOk,
    kInvalidChromaticity,  // not finite, or outside x > 0, y > 0, x + y < 1
    kBelowRange,           // redder than kMinKelvin
    kAboveRange,           // bluer than kMaxKelvin
    kOffLocus,             // |duv| above kMaxAbsDuv
};

// cct in kelvin; duv in CIE 1960 (u, v), positive above the locus (greenish), negative below
// (magenta). Both are 0 unless validity is kOk.
struct CCctDuv {
    Validity validity = Validity::kInvalidChromaticity;
    double cct = 0.0;
    double duv = 0.0;

    bool ok() const { return validity == Validity::kOk; }
};

CCctDuv cct_duv(const CChromaticity& xy);

// The Planck radiator's chromaticity at `kelvin`; (0, 0) outside 100..1e6 K.
CChromaticity locus_chromaticity(double kelvin);

}  // namespace planckian
