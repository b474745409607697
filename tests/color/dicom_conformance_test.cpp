#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

#include "color/dicom_conformance.h"
#include "reference_formulas.h"

namespace {

using dicom_conformance::CContrastResponse;
using dicom_conformance::CGreyLevel;
using dicom_conformance::ContrastStatus;

// JND index of a luminance by bisection on the textbook formula, not by the library's Newton.
double index_by_bisection(double luminance) {
    double lo = 0.5, hi = 1023.5;
    for (int i = 0; i < 80; ++i) {
        const double mid = (lo + hi) / 2.0;
        (reference::gsdf_luminance(mid) < luminance ? lo : hi) = mid;
    }
    return (lo + hi) / 2.0;
}

// TG18's contrast response error of each interval, written out again.
std::vector<double> tg18_errors(const std::vector<CGreyLevel>& levels, double ambient) {
    const auto lit = [&](std::size_t i) { return levels[i].luminance + ambient; };
    const double span_j = index_by_bisection(lit(levels.size() - 1)) - index_by_bisection(lit(0));
    const double span_ddl = levels.back().ddl - levels.front().ddl;
    std::vector<double> errors;
    for (std::size_t i = 1; i < levels.size(); ++i) {
        const double l0 = lit(i - 1), l1 = lit(i);
        const double jnds = (levels[i].ddl - levels[i - 1].ddl) * span_j / span_ddl;
        const double measured = 2.0 * (l1 - l0) / (l1 + l0) / jnds;
        const double j = index_by_bisection((l0 + l1) / 2.0);
        const double expected =
            (reference::gsdf_luminance(j + 0.5) - reference::gsdf_luminance(j - 0.5)) /
            reference::gsdf_luminance(j);
        errors.push_back(measured / expected - 1.0);
    }
    return errors;
}

std::vector<int> tg18_ddls() {
    std::vector<int> ddls;
    for (int d = 0; d <= 255; d += 15)
        ddls.push_back(d);
    return ddls;
}

// Levels whose luminance plus `ambient` runs from `black` to `white` with the JND index linear
// in the driving level, as a display calibrated to the GSDF shows them.
std::vector<CGreyLevel> gsdf_ramp(const std::vector<int>& ddls, double black, double white,
                                  double ambient = 0.0) {
    const double j0 = index_by_bisection(black), j1 = index_by_bisection(white);
    const double d0 = ddls.front(), d1 = ddls.back();
    std::vector<CGreyLevel> levels;
    for (int d : ddls)
        levels.push_back(
            {d, reference::gsdf_luminance(j0 + (j1 - j0) * (d - d0) / (d1 - d0)) - ambient});
    return levels;
}

std::vector<CGreyLevel> gamma_ramp(double black, double white, double gamma) {
    std::vector<CGreyLevel> levels;
    for (int d : tg18_ddls())
        levels.push_back({d, black + (white - black) * std::pow(d / 255.0, gamma)});
    return levels;
}

void expect_errors(const CContrastResponse& r, const std::vector<double>& errors, double tol) {
    ASSERT_EQ(r.status, ContrastStatus::kOk);
    ASSERT_EQ(r.intervals.size(), errors.size());
    for (std::size_t i = 0; i < errors.size(); ++i)
        EXPECT_NEAR(r.intervals[i].error, errors[i], tol) << "interval " << i;
}

TEST(Gsdf, MatchesTheStandardsTable) {
    EXPECT_NEAR(dicom_conformance::gsdf_luminance(1.0), 0.0500, 0.0500 * 5e-4);
    EXPECT_NEAR(dicom_conformance::gsdf_luminance(1023.0), 3993.4, 3993.4 * 5e-4);
    for (double j = 1.0; j <= 1023.0; j += 0.25) {
        const double l = dicom_conformance::gsdf_luminance(j);
        EXPECT_NEAR(dicom_conformance::gsdf_index(l), j, 1e-6) << j;
        // The standard's own inverse polynomial agrees to its stated accuracy.
        EXPECT_NEAR(reference::gsdf_index(l), j, 0.1) << j;
    }
}

TEST(Gsdf, ClampsHalfAnIndexBeyondTheTable) {
    const double lowest = dicom_conformance::gsdf_luminance(0.5);
    const double highest = dicom_conformance::gsdf_luminance(1023.5);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double j : {0.0, -4.0, 0.2, nan})
        EXPECT_EQ(dicom_conformance::gsdf_luminance(j), lowest) << j;
    EXPECT_EQ(dicom_conformance::gsdf_luminance(5000.0), highest);
    for (double l : {0.0, -1.0, 1e-9, nan})
        EXPECT_NEAR(dicom_conformance::gsdf_index(l), 0.5, 1e-9) << l;
    EXPECT_NEAR(dicom_conformance::gsdf_index(1e6), 1023.5, 1e-9);
}

TEST(ContrastResponse, ARampOnTheGsdfPasses) {
    // With every driving level the intervals are short enough for TG18's finite differences
    // to match the curve's slope.
    std::vector<int> every;
    for (int d = 0; d <= 255; ++d)
        every.push_back(d);
    const CContrastResponse fine = dicom_conformance::contrast_response(
        gsdf_ramp(every, 0.5, 350.0), 0.0, dicom_conformance::kDiagnosticTolerance);
    ASSERT_EQ(fine.status, ContrastStatus::kOk);
    EXPECT_TRUE(fine.passed);
    EXPECT_LT(fine.max_abs_error, 1e-3);
    EXPECT_NEAR(fine.luminance_ratio, 700.0, 1e-9);
    EXPECT_EQ(fine.ambient_ratio, 0.0);

    // TG18's 18 levels span 36 JNDs each here: the chord underestimates the slope, by 3 % in the
    // darkest interval, still well inside the tolerance.
    const auto levels = gsdf_ramp(tg18_ddls(), 0.5, 350.0);
    const CContrastResponse r =
        dicom_conformance::contrast_response(levels, 0.0, dicom_conformance::kDiagnosticTolerance);
    expect_errors(r, tg18_errors(levels, 0.0), 1e-6);
    EXPECT_TRUE(r.passed);
    EXPECT_LT(r.max_abs_error, 0.04);
    EXPECT_EQ(r.intervals.front().ddl_from, 0);
    EXPECT_EQ(r.intervals.front().ddl_to, 15);
    EXPECT_EQ(r.intervals.back().ddl_to, 255);
}

TEST(ContrastResponse, TheJndSpanIsSpreadOverTheLevelsOwnDrivingLevels) {
    // The same luminances at video levels 16..236 are the same ramp.
    auto levels = gsdf_ramp(tg18_ddls(), 0.5, 350.0);
    const auto full = dicom_conformance::contrast_response(levels, 0.0, 0.1);
    for (std::size_t i = 0; i < levels.size(); ++i)
        levels[i].ddl = 16 + 13 * static_cast<int>(i);
    const auto video = dicom_conformance::contrast_response(levels, 0.0, 0.1);
    ASSERT_EQ(video.status, ContrastStatus::kOk);
    ASSERT_EQ(video.intervals.size(), full.intervals.size());
    for (std::size_t i = 0; i < full.intervals.size(); ++i)
        EXPECT_NEAR(video.intervals[i].error, full.intervals[i].error, 1e-12);
}

TEST(ContrastResponse, AGammaRampFailsAtTheDarkEnd) {
    const auto levels = gamma_ramp(0.5, 350.0, 2.2);
    const std::vector<double> errors = tg18_errors(levels, 0.0);
    const CContrastResponse r =
        dicom_conformance::contrast_response(levels, 0.0, dicom_conformance::kOtherTolerance);
    expect_errors(r, errors, 1e-6);
    EXPECT_FALSE(r.passed);
    // Too little contrast in the very first step, far too much in the next ones.
    EXPECT_LT(errors[0], -0.1);
    EXPECT_GT(errors[1], 0.5);
    EXPECT_FALSE(r.intervals[1].passed);
    for (std::size_t i = 0; i < errors.size(); ++i)
        EXPECT_EQ(r.intervals[i].passed, std::abs(errors[i]) <= 0.2) << "interval " << i;
    double largest = 0.0;
    for (double e : errors)
        largest = std::max(largest, std::abs(e));
    EXPECT_NEAR(r.max_abs_error, largest, 1e-6);
}

TEST(ContrastResponse, AmbientLightIsAddedToEveryLevel) {
    // Calibrated for the room: the levels plus the ambient follow the GSDF, so they pass as the
    // plain ramp does.
    const double ambient = 0.2;
    const auto lit_ramp = gsdf_ramp(tg18_ddls(), 0.5, 350.0, ambient);
    const auto with_room = dicom_conformance::contrast_response(lit_ramp, ambient, 0.1);
    const auto plain =
        dicom_conformance::contrast_response(gsdf_ramp(tg18_ddls(), 0.5, 350.0), 0.0, 0.1);
    ASSERT_EQ(plain.status, ContrastStatus::kOk);
    expect_errors(with_room, tg18_errors(lit_ramp, ambient), 1e-6);
    for (std::size_t i = 0; i < plain.intervals.size(); ++i)
        EXPECT_NEAR(with_room.intervals[i].error, plain.intervals[i].error, 1e-9);
    EXPECT_TRUE(with_room.passed);
    EXPECT_NEAR(with_room.luminance_ratio, 700.0, 1e-9);
    EXPECT_NEAR(with_room.ambient_ratio, ambient / 0.5, 1e-12);

    // The plain ramp in a bright room: the ambient washes out the dark steps.
    const auto levels = gsdf_ramp(tg18_ddls(), 0.5, 350.0);
    const auto washed = dicom_conformance::contrast_response(levels, 1.0, 0.1);
    expect_errors(washed, tg18_errors(levels, 1.0), 1e-6);
    EXPECT_LT(washed.intervals[0].error, plain.intervals[0].error - 0.2);
    EXPECT_FALSE(washed.intervals[0].passed);
    EXPECT_FALSE(washed.passed);
    EXPECT_NEAR(washed.luminance_ratio, 351.0 / 1.5, 1e-9);
    EXPECT_NEAR(washed.ambient_ratio, 1.0 / 1.5, 1e-12);
}

TEST(ContrastResponse, ADarkerLevelFailsItsInterval) {
    auto levels = gsdf_ramp(tg18_ddls(), 0.5, 350.0);
    levels[5].luminance = levels[4].luminance * 0.99;
    const auto r = dicom_conformance::contrast_response(levels, 0.0, 0.2);
    ASSERT_EQ(r.status, ContrastStatus::kOk);
    EXPECT_LT(r.intervals[4].error, -1.0);
    EXPECT_FALSE(r.intervals[4].passed);
    EXPECT_FALSE(r.passed);
}

TEST(ContrastResponse, RefusesBadInput) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<CGreyLevel> good = {{0, 0.5}, {128, 40.0}, {255, 350.0}};
    const auto with = [&](std::size_t i, CGreyLevel level) {
        auto levels = good;
        levels[i] = level;
        return levels;
    };
    const struct {
        std::vector<CGreyLevel> levels;
        double ambient;
        double tolerance;
        ContrastStatus status;
    } cases[] = {
        {{}, 0.0, 0.1, ContrastStatus::kTooFewLevels},
        {{{0, 0.5}}, 0.0, 0.1, ContrastStatus::kTooFewLevels},
        {with(1, {0, 40.0}), 0.0, 0.1, ContrastStatus::kBadDdl},
        {with(2, {100, 350.0}), 0.0, 0.1, ContrastStatus::kBadDdl},
        {with(0, {-15, 0.5}), 0.0, 0.1, ContrastStatus::kBadDdl},
        {with(0, {0, 0.0}), 0.0, 0.1, ContrastStatus::kBadLuminance},
        {with(1, {128, -2.0}), 0.0, 0.1, ContrastStatus::kBadLuminance},
        {with(1, {128, nan}), 0.0, 0.1, ContrastStatus::kBadLuminance},
        {with(2, {255, inf}), 0.0, 0.1, ContrastStatus::kBadLuminance},
        {good, -0.1, 0.1, ContrastStatus::kBadAmbient},
        {good, nan, 0.1, ContrastStatus::kBadAmbient},
        {good, 0.0, 0.0, ContrastStatus::kBadTolerance},
        {good, 0.0, nan, ContrastStatus::kBadTolerance},
        {with(2, {255, 0.5}), 0.0, 0.1, ContrastStatus::kNoLuminanceRange},
        {with(0, {0, 0.02}), 0.0, 0.1, ContrastStatus::kOutsideGsdf},
        {with(2, {255, 4500.0}), 0.0, 0.1, ContrastStatus::kOutsideGsdf},
        {good, 3700.0, 0.1, ContrastStatus::kOutsideGsdf},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto r = dicom_conformance::contrast_response(cases[i].levels, cases[i].ambient,
                                                            cases[i].tolerance);
        EXPECT_EQ(r.status, cases[i].status) << "case " << i;
        EXPECT_FALSE(r.passed) << "case " << i;
        EXPECT_TRUE(r.intervals.empty()) << "case " << i;
        EXPECT_EQ(r.luminance_ratio, 0.0) << "case " << i;
        EXPECT_EQ(r.ambient_ratio, 0.0) << "case " << i;
    }
    // Ambient light lifts a black below the GSDF's range into it.
    EXPECT_EQ(dicom_conformance::contrast_response(with(0, {0, 0.02}), 0.1, 0.1).status,
              ContrastStatus::kOk);
}

}  // namespace
