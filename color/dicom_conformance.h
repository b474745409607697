#pragma once

#include <vector>

// Whether a measured grey ramp follows the DICOM grayscale standard display function (PS3.14),
// judged by the contrast response of AAPM TG18, in double precision.
namespace dicom_conformance {

// The GSDF's table runs over these JND indices, 0.05 to 3993.4 cd/m².
inline constexpr double kMinIndex = 1.0;
inline constexpr double kMaxIndex = 1023.0;

// TG18's limits on the contrast response error.
inline constexpr double kDiagnosticTolerance = 0.10;
inline constexpr double kOtherTolerance = 0.20;
// TG18's advice on the luminance ratio L'max / L'min and the ambient ratio L_amb / L'min.
inline constexpr double kRecommendedLuminanceRatio = 350.0;
inline constexpr double kMaxAmbientRatio = 2.0 / 3.0;
inline constexpr double kRecommendedAmbientRatio = 0.25;

// Luminance (cd/m²) of a JND index. The contrast check looks half an index beyond the table,
// so indices are clamped to kMinIndex - 0.5 .. kMaxIndex + 0.5, where the formula still rises.
double gsdf_luminance(double jnd_index);
// The exact inverse of gsdf_luminance (the standard's own polynomial is off by up to 0.09),
// luminance clamped to the same span.
double gsdf_index(double luminance);

struct CGreyLevel {
    int ddl = 0;             // digital driving level
    double luminance = 0.0;  // measured, cd/m², without ambient
};

struct CContrastInterval {
    int ddl_from = 0;
    int ddl_to = 0;
    double measured = 0.0;  // dL/L per JND of the measured luminances
    double expected = 0.0;  // dL/L per JND of the GSDF at the interval's mean luminance
    double error = 0.0;     // measured / expected - 1
    bool passed = false;
};

enum class ContrastStatus {
    kOk,
    kTooFewLevels,      // fewer than 2
    kBadDdl,            // negative or not increasing
    kBadLuminance,      // not positive or not finite
    kBadAmbient,        // negative or not finite
    kBadTolerance,      // not positive or not finite
    kNoLuminanceRange,  // the last level is not brighter than the first
    kOutsideGsdf,       // some L + L_amb outside 0.05..3993.4 cd/m²
};

struct CContrastResponse {
    ContrastStatus status = ContrastStatus::kTooFewLevels;
    std::vector<CContrastInterval> intervals;  // one per level after the first; empty unless kOk
    bool passed = false;                       // kOk and every interval passed
    double max_abs_error = 0.0;
    double luminance_ratio = 0.0;  // L'max / L'min
    double ambient_ratio = 0.0;    // L_amb / L'min
};

// TG18's contrast response of `levels` (in driving-level order, normally 0, 15, ..., 255) seen
// with `ambient` cd/m² added, each interval passing when |error| <= `tolerance`. The JND span
// is spread over the levels' driving-level span, which is TG18's 255 for a full ramp.
CContrastResponse contrast_response(const std::vector<CGreyLevel>& levels, double ambient,
                                    double tolerance);

}  // namespace dicom_conformance
