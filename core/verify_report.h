#pragma once

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

#include "color/chromaticity.h"
#include "color/cie_lab.h"
#include "color/cie_xyz.h"
#include "core/verify_patches.h"

namespace verify {

// The limits a verification passes within. The defaults and why they are what they are:
// docs/verification.md.
struct Thresholds {
    double average = 2.0;        // mean CIEDE2000 over every patch
    double percentile95 = 4.0;   // 95th percentile CIEDE2000
    double maximum = 6.0;        // worst patch
    double white_point = 0.005;  // distance of the white from its target in CIE 1976 u'v'

    bool operator==(const Thresholds&) const = default;
};

struct PatchResult {
    Patch patch;
    CCIEXYZ target;
    CCIEXYZ measured;
    CCIELab target_lab;  // both relative to the target's white
    CCIELab measured_lab;
    double delta_e = 0.0;  // CIEDE2000
    // Grayscale steps strictly between black and white.
    std::optional<double> gamma;
    std::optional<double> target_gamma;
    // Grayscale steps with a measurable colour (no temperature: 0).
    int cct = 0;
    double duv = 0.0;
};

struct Report {
    QString monitor;  // model and serial
    QString mode;     // memory and preset label
    QString instrument;
    QDateTime measured;  // UTC
    std::vector<PatchResult> rows;

    double average = 0.0;
    double percentile95 = 0.0;
    double maximum = 0.0;
    QString worst;  // the patch of the maximum

    double white_luminance = 0.0;  // cd/m², measured
    double black_luminance = 0.0;
    double contrast = 0.0;  // 0 when the black reads no light
    double target_white_luminance = 0.0;
    double target_black_luminance = 0.0;
    CChromaticity white;
    CChromaticity target_white;
    double white_point_error = 0.0;  // u'v' distance
    int white_cct = 0;

    Thresholds thresholds;
    bool average_passed = false;
    bool percentile95_passed = false;
    bool maximum_passed = false;
    bool white_point_passed = false;
    bool passed() const {
        return average_passed && percentile95_passed && maximum_passed && white_point_passed;
    }
};

// The report of a run: `targets` and `readings` in cd/m², one per patch. The white and black
// are the grayscale's 100 % and 0 % steps (a set without them uses the brightest and darkest
// target). Lab of both sides is taken relative to the target white, so that a white too dim
// or too bright counts in every patch as the eye sees it next to the target.
Report compute_report(const std::vector<Patch>& patches, const std::vector<CCIEXYZ>& targets,
                      const std::vector<CCIEXYZ>& readings, const Thresholds& thresholds);

// The linearly interpolated percentile (0..100) of unsorted values; 0 for none.
double percentile(std::vector<double> values, double percent);

// Distance of two chromaticities in CIE 1976 u'v'.
double uv_distance(const CChromaticity& a, const CChromaticity& b);

}  // namespace verify
