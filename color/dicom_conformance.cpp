#include "color/dicom_conformance.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace dicom_conformance {
namespace {

constexpr double kLowestIndex = kMinIndex - 0.5;
constexpr double kHighestIndex = kMaxIndex + 0.5;

// log10 L as the ratio of two polynomials in ln j (PS3.14), and its derivative in ln j.
struct CLogLuminance {
    double value;
    double slope;
};

CLogLuminance log_luminance(double ln_j) {
    const double a = -1.3011877, b = -0.025840191, c = 0.080242636, d = -0.10320229, e = 0.13646699,
                 f = 0.028745620, g = -0.025468404, h = -0.0031978977, k = 0.00012992634,
                 m = 0.0013635334;
    const double x = ln_j;
    const double num = a + x * (c + x * (e + x * (g + x * m)));
    const double den = 1.0 + x * (b + x * (d + x * (f + x * (h + x * k))));
    const double num_slope = c + x * (2.0 * e + x * (3.0 * g + x * 4.0 * m));
    const double den_slope = b + x * (2.0 * d + x * (3.0 * f + x * (4.0 * h + x * 5.0 * k)));
    return {num / den, (num_slope * den - num * den_slope) / (den * den)};
}

// PS3.14's own inverse, a first guess within 0.1 of the exact index.
double polynomial_index(double luminance) {
    const double c[] = {71.498068,  94.593053,   41.912053,  9.8247004,   0.28175407,
                        -1.1878455, -0.18014349, 0.14710899, -0.017046845};
    const double x = std::log10(luminance);
    double sum = 0.0;
    for (int i = 8; i >= 0; --i)
        sum = sum * x + c[i];
    return sum;
}

CContrastResponse refused(ContrastStatus why) {
    CContrastResponse r;
    r.status = why;
    return r;
}

}  // namespace

double gsdf_luminance(double jnd_index) {
    const double j =
        std::clamp(std::isnan(jnd_index) ? kLowestIndex : jnd_index, kLowestIndex, kHighestIndex);
    return std::pow(10.0, log_luminance(std::log(j)).value);
}

double gsdf_index(double luminance) {
    const double lowest = gsdf_luminance(kLowestIndex), highest = gsdf_luminance(kHighestIndex);
    const double l = std::clamp(std::isnan(luminance) ? lowest : luminance, lowest, highest);
    const double target = std::log10(l);
    const double ln_lo = std::log(kLowestIndex), ln_hi = std::log(kHighestIndex);
    // Newton's method in ln j, where log10 L is smooth and rises over the whole span.
    double x = std::log(std::clamp(polynomial_index(l), kLowestIndex, kHighestIndex));
    for (int i = 0; i < 50; ++i) {
        const CLogLuminance f = log_luminance(x);
        const double next = std::clamp(x - (f.value - target) / f.slope, ln_lo, ln_hi);
        const bool settled = std::abs(next - x) < 1e-15;
        x = next;
        if (settled) break;
    }
    return std::exp(x);
}

CContrastResponse contrast_response(const std::vector<CGreyLevel>& levels, double ambient,
                                    double tolerance) {
    if (levels.size() < 2) return refused(ContrastStatus::kTooFewLevels);
    for (std::size_t i = 0; i < levels.size(); ++i)
        if (levels[i].ddl < 0 || (i > 0 && levels[i].ddl <= levels[i - 1].ddl))
            return refused(ContrastStatus::kBadDdl);
    for (const CGreyLevel& level : levels)
        if (!(std::isfinite(level.luminance) && level.luminance > 0.0))
            return refused(ContrastStatus::kBadLuminance);
    if (!(std::isfinite(ambient) && ambient >= 0.0)) return refused(ContrastStatus::kBadAmbient);
    if (!(std::isfinite(tolerance) && tolerance > 0.0))
        return refused(ContrastStatus::kBadTolerance);

    std::vector<double> lit;
    for (const CGreyLevel& level : levels)
        lit.push_back(level.luminance + ambient);
    if (!(lit.back() > lit.front())) return refused(ContrastStatus::kNoLuminanceRange);
    const double lowest = gsdf_luminance(kMinIndex), highest = gsdf_luminance(kMaxIndex);
    for (double l : lit)
        if (l < lowest || l > highest) return refused(ContrastStatus::kOutsideGsdf);

    CContrastResponse r;
    r.status = ContrastStatus::kOk;
    r.passed = true;
    const double jnd_per_ddl = (gsdf_index(lit.back()) - gsdf_index(lit.front())) /
                               (levels.back().ddl - levels.front().ddl);
    for (std::size_t i = 1; i < levels.size(); ++i) {
        const double l0 = lit[i - 1], l1 = lit[i];
        CContrastInterval interval;
        interval.ddl_from = levels[i - 1].ddl;
        interval.ddl_to = levels[i].ddl;
        interval.measured =
            2.0 * (l1 - l0) / (l1 + l0) / ((interval.ddl_to - interval.ddl_from) * jnd_per_ddl);
        const double j = gsdf_index((l0 + l1) / 2.0);
        interval.expected = (gsdf_luminance(j + 0.5) - gsdf_luminance(j - 0.5)) / gsdf_luminance(j);
        interval.error = interval.measured / interval.expected - 1.0;
        interval.passed = std::abs(interval.error) <= tolerance;
        r.passed = r.passed && interval.passed;
        r.max_abs_error = std::max(r.max_abs_error, std::abs(interval.error));
        r.intervals.push_back(interval);
    }
    r.luminance_ratio = lit.back() / lit.front();
    r.ambient_ratio = ambient / lit.front();
    return r;
}

}  // namespace dicom_conformance
