#include "core/verify_report.h"

#include <algorithm>
#include <cmath>

#include "color/planckian.h"

namespace verify {

namespace {

std::size_t find_gray(const std::vector<Patch>& patches, const std::vector<CCIEXYZ>& targets,
                      bool white) {
    std::size_t best = 0;
    bool found = false;
    for (std::size_t i = 0; i < patches.size(); ++i) {
        const Patch& p = patches[i];
        if (p.group == PatchGroup::grayscale && p.level == (white ? 1.0 : 0.0)) return i;
        const bool better = white ? targets[i].Y > targets[best].Y : targets[i].Y < targets[best].Y;
        if (!found || better) {
            best = i;
            found = true;
        }
    }
    return best;
}

// The exponent that takes a step's signal to its share of the white above black.
std::optional<double> effective_gamma(double level, double y, double black, double white) {
    if (level <= 0.0 || level >= 1.0 || white <= black) return std::nullopt;
    const double share = (y - black) / (white - black);
    if (share <= 0.0) return std::nullopt;
    return std::log(share) / std::log(level);
}

}  // namespace

double percentile(std::vector<double> values, double percent) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const double at = std::clamp(percent, 0.0, 100.0) / 100.0 * double(values.size() - 1);
    const std::size_t low = static_cast<std::size_t>(std::floor(at));
    const std::size_t high = std::min(low + 1, values.size() - 1);
    return values[low] + (at - double(low)) * (values[high] - values[low]);
}

double uv_distance(const CChromaticity& a, const CChromaticity& b) {
    const auto uv = [](const CChromaticity& c) {
        const double d = -2.0 * c.x + 12.0 * c.y + 3.0;
        return d == 0.0 ? std::pair{0.0, 0.0} : std::pair{4.0 * c.x / d, 9.0 * c.y / d};
    };
    const auto [u1, v1] = uv(a);
    const auto [u2, v2] = uv(b);
    return std::hypot(u1 - u2, v1 - v2);
}

Report compute_report(const std::vector<Patch>& patches, const std::vector<CCIEXYZ>& targets,
                      const std::vector<CCIEXYZ>& readings, const Thresholds& thresholds) {
    Report r;
    r.thresholds = thresholds;
    const std::size_t n = std::min({patches.size(), targets.size(), readings.size()});
    if (n == 0) return r;
    const std::vector<Patch> used(patches.begin(), patches.begin() + long(n));
    const std::size_t w = find_gray(used, targets, true);
    const std::size_t b = find_gray(used, targets, false);
    const CCIEXYZ& reference = targets[w];

    r.white_luminance = readings[w].Y;
    r.black_luminance = readings[b].Y;
    r.contrast = r.black_luminance > 0.0 ? r.white_luminance / r.black_luminance : 0.0;
    r.target_white_luminance = targets[w].Y;
    r.target_black_luminance = targets[b].Y;
    r.white = readings[w].chromaticity();
    r.target_white = targets[w].chromaticity();
    r.white_point_error = uv_distance(r.white, r.target_white);
    if (const planckian::CCctDuv t = planckian::cct_duv(r.white); t.ok())
        r.white_cct = static_cast<int>(std::lround(t.cct));

    std::vector<double> differences;
    differences.reserve(n);
    r.rows.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        PatchResult row;
        row.patch = patches[i];
        row.target = targets[i];
        row.measured = readings[i];
        row.target_lab = lab_from_xyz(targets[i], reference);
        row.measured_lab = lab_from_xyz(readings[i], reference);
        row.delta_e = ciede2000(row.target_lab, row.measured_lab);
        if (row.patch.group == PatchGroup::grayscale) {
            row.gamma = effective_gamma(row.patch.level, readings[i].Y, r.black_luminance,
                                        r.white_luminance);
            row.target_gamma = effective_gamma(row.patch.level, targets[i].Y,
                                               r.target_black_luminance, r.target_white_luminance);
            // Signed distance from the Planckian locus at every temperature: the daylight
            // locus the white-point page uses above 4000 K hides a green or magenta cast.
            if (readings[i].Y > 0.0) {
                if (const planckian::CCctDuv t = planckian::cct_duv(readings[i].chromaticity());
                    t.ok()) {
                    row.cct = static_cast<int>(std::lround(t.cct));
                    row.duv = t.duv;
                }
            }
        }
        differences.push_back(row.delta_e);
        if (row.delta_e >= r.maximum) {
            r.maximum = row.delta_e;
            r.worst = row.patch.name;
        }
        r.rows.push_back(row);
    }
    double sum = 0.0;
    for (double d : differences)
        sum += d;
    r.average = sum / double(n);
    r.percentile95 = percentile(differences, 95.0);
    r.average_passed = r.average <= thresholds.average;
    r.percentile95_passed = r.percentile95 <= thresholds.percentile95;
    r.maximum_passed = r.maximum <= thresholds.maximum;
    r.white_point_passed = r.white_point_error <= thresholds.white_point;
    return r;
}

}  // namespace verify
