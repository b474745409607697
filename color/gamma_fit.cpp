#include "color/gamma_fit.h"

#include <algorithm>
#include <cmath>
#include <limits>

// The fit's rule: every inner point proposes the exponent that passes through it; the winner is
// the proposal with the smallest sum of squared differences over all inner points (summed in
// point order with std::pow), the first one on a tie, and only below 9999. Summing every
// proposal over every point takes n^2 powers, seconds for a 4096-entry curve, so the search
// below finds the same winner without summing most proposals: it works on ranges of proposals,
// sorted by exponent, and drops a range when a lower bound of the sum over that range already
// exceeds the best sum found, with margins far above the rounding of any of these sums. Only
// the proposals that may still win are summed exactly, and a sum stops as soon as it cannot win.
namespace gamma_fit {

namespace {

constexpr double kNoFit = 9999.0;
// Ranges this small are summed exactly, proposal by proposal.
constexpr std::size_t kLeafSize = 4;
// Curves this short are summed plainly; the search would cost more than it saves.
constexpr std::size_t kPlainLimit = 48;
// Margins of the lower bounds: relative to the size of the summed terms, and for the powers'
// own rounding (a few units in the last place per term, which grows with the square root of
// the sum). Both are orders of magnitude above what double sums of 65535 terms can be off.
constexpr double kRelativeMargin = 1e-9;
const double kRootMargin = std::ldexp(1.0, -40);
constexpr double kAbsoluteMargin = 1e-280;

struct Candidate {
    double gamma;
    int index;  // the proposing point: the earlier point wins a tie
};

struct Search {
    const std::vector<double>& xs;
    const std::vector<double>& ys;
    std::vector<double> logs;  // ln x of every inner point
    double y_scale = 1.0;      // the largest |y|, at least 1: the powers' rounding grows with it
    std::vector<Candidate> sorted;
    double best = kNoFit;
    int best_index = -1;

    // The exact sum for one proposal, as the rule defines it; stops once it cannot win.
    void evaluate(const Candidate& c) {
        double error = 0.0;
        for (std::size_t k = 0; k < xs.size(); ++k) {
            const double diff = ys[k] - std::pow(xs[k], c.gamma);
            error += diff * diff;
            if (error > best || (error >= best && c.index > best_index)) return;
        }
        if (error < best || (error == best && c.index < best_index)) {
            best = error;
            best_index = c.index;
        }
    }

    // A lower bound of the sum over every exponent in [a, b], with all margins taken off;
    // -infinity when it cannot be bounded (powers out of range). Per point, the term
    // t(g) = (y - x^g)^2 is expanded around the middle c: t(g) >= t(c) + t'(c)(g - c) +
    // min t'' (g - c)^2 / 2, where t'' = 2 ln^2 x s (2 s - y) with s = x^g, which over the
    // range takes every s between x^b and x^a.
    double lower_bound(double a, double b) const {
        const double c = a + (b - a) / 2;
        const double half = c - a;
        double value = 0.0, slope = 0.0, curvature = 0.0;
        double size_value = 0.0, size_slope = 0.0, size_curvature = 0.0, band = 0.0;
        for (std::size_t k = 0; k < xs.size(); ++k) {
            const double l = logs[k], y = ys[k];
            const double s = std::exp(c * l);
            // x^g falls as g grows: x^a = s / x^half, x^b about s * x^half (the rounding of
            // these is far inside the margins).
            const double r = std::exp(half * l);
            const double s_high = s / r;
            const double s_low = s * r;
            const double diff = y - s;
            const double l2 = l * l;
            value += diff * diff;
            const double d1 = -2.0 * diff * s * l;
            slope += d1;
            size_slope += std::abs(d1);
            // q(s) = s (2 s - y) is smallest at s = y / 4.
            const double vertex = y / 4;
            double q = std::min(s_low * (2 * s_low - y), s_high * (2 * s_high - y));
            if (vertex > s_low && vertex < s_high) q = std::min(q, -y * y / 8);
            curvature += 2.0 * l2 * q;
            // Far from y every exponent of the range is: whatever g, (y - x^g)^2 is at least
            // the distance from y to [x^b, x^a], squared.
            const double outside = y < s_low ? s_low - y : (y > s_high ? y - s_high : 0.0);
            band += outside * outside;
            size_curvature += 2.0 * l2 * (s_high * (2 * s_high + std::abs(y)) + y * y / 8);
        }
        size_value = value;
        // The powers here are rounded too, by more than std::pow as the exponent grows.
        const auto rounding = [&](double sum) {
            return kRootMargin * y_scale * std::sqrt(static_cast<double>(xs.size()) * sum);
        };
        double low = -std::numeric_limits<double>::infinity();
        if (std::isfinite(band))
            low = band * (1.0 - kRelativeMargin) - rounding(band) - kAbsoluteMargin;
        if (std::isfinite(value) && std::isfinite(slope) && std::isfinite(curvature) &&
            std::isfinite(size_slope) && std::isfinite(size_curvature))
            low = std::max(low, taylor_bound(value, slope, curvature, size_value, size_slope,
                                             size_curvature, a - c, b - c) -
                                    rounding(size_value));
        if (!(low > 0.0)) return -std::numeric_limits<double>::infinity();
        // The exact sums use std::pow and round on their own: take that off as well.
        return low * (1.0 - kRelativeMargin) - rounding(low);
    }

    // The smallest value of the expansion value + slope d + curvature d^2 / 2 over
    // d in [left, right], less its margin.
    static double taylor_bound(double value, double slope, double curvature, double size_value,
                               double size_slope, double size_curvature, double left,
                               double right) {
        const auto at = [&](double d) { return value + slope * d + curvature / 2 * d * d; };
        double low = std::min(at(left), at(right));
        if (curvature > 0.0) {
            const double d = std::clamp(-slope / curvature, left, right);
            low = std::min(low, at(d));
        }
        const double reach = std::max(-left, right);
        const double size =
            size_value + size_slope * reach + std::abs(size_curvature) / 2 * reach * reach;
        return low - (kRelativeMargin * size + kAbsoluteMargin);
    }

    bool cannot_win(double bound) const { return bound > best; }

    void search(std::size_t first, std::size_t last, double bound) {
        if (cannot_win(bound)) return;
        if (last - first <= kLeafSize) {
            for (std::size_t i = first; i < last; ++i)
                evaluate(sorted[i]);
            return;
        }
        const std::size_t middle = first + (last - first) / 2;
        const double left = lower_bound(sorted[first].gamma, sorted[middle - 1].gamma);
        const double right = lower_bound(sorted[middle].gamma, sorted[last - 1].gamma);
        // The more promising half first, so that the best sum falls early.
        if (left <= right) {
            search(first, middle, left);
            search(middle, last, right);
        } else {
            search(middle, last, right);
            search(first, middle, left);
        }
    }

    // Newton steps on the sum (over a sample of the points; only a guess) from the middle
    // proposal: a good first proposal to sum, whose result lets the search drop most ranges at
    // once.
    void seed() {
        double g = sorted[sorted.size() / 2].gamma;
        const std::size_t stride = std::max<std::size_t>(1, xs.size() / 2048);
        for (int step = 0; step < 8; ++step) {
            double slope = 0.0, curvature = 0.0;
            for (std::size_t k = 0; k < xs.size(); k += stride) {
                const double l = logs[k], s = std::exp(g * l);
                slope += -2.0 * (ys[k] - s) * s * l;
                curvature += 2.0 * l * l * s * (2 * s - ys[k]);
            }
            if (!(curvature > 0.0) || !std::isfinite(slope)) break;
            const double next = g - slope / curvature;
            if (!std::isfinite(next) || next == g) break;
            g = next;
        }
        const auto it = std::lower_bound(sorted.begin(), sorted.end(), g,
                                         [](const Candidate& c, double v) { return c.gamma < v; });
        const std::size_t at = static_cast<std::size_t>(it - sorted.begin());
        for (std::size_t i = at > 0 ? at - 1 : 0; i < std::min(sorted.size(), at + 1); ++i)
            evaluate(sorted[i]);
    }
};

}  // namespace

int best_exponent(const std::vector<double>& xs, const std::vector<double>& ys,
                  const std::vector<double>& proposals, const std::vector<int>& indices) {
    // A value that is not finite makes every sum infinite or NaN: nothing can win.
    for (double y : ys)
        if (!std::isfinite(y)) return -1;

    Search s{xs, ys, {}, 1.0, {}, kNoFit, -1};
    s.sorted.reserve(proposals.size());
    for (std::size_t i = 0; i < proposals.size(); ++i)
        s.sorted.push_back({proposals[i], indices[i]});
    if (s.sorted.empty()) return -1;
    if (s.sorted.size() <= kPlainLimit || xs.empty()) {
        for (const Candidate& c : s.sorted)
            s.evaluate(c);
        return s.best_index;
    }
    s.logs.reserve(xs.size());
    for (double x : xs)
        s.logs.push_back(std::log(x));
    for (double y : ys)
        s.y_scale = std::max(s.y_scale, std::abs(y));
    std::sort(s.sorted.begin(), s.sorted.end(), [](const Candidate& a, const Candidate& b) {
        return a.gamma < b.gamma || (a.gamma == b.gamma && a.index < b.index);
    });
    s.seed();
    s.search(0, s.sorted.size(), -std::numeric_limits<double>::infinity());
    return s.best_index;
}

}  // namespace gamma_fit
