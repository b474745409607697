#pragma once

#include <vector>

namespace gamma_fit {

// The power-law fit of a tone curve. `xs`, `ys`: the curve's inner points (0 < x < 1), in
// order; `proposals`: the exponents to try, in order, each with the index of the point that
// proposed it. Returns the index of the proposal whose sum of squared differences
// sum((y - x^g)^2), summed in point order, is smallest (the earliest one on a tie), or -1 when
// none is below 9999.
int best_exponent(const std::vector<double>& xs, const std::vector<double>& ys,
                  const std::vector<double>& proposals, const std::vector<int>& indices);

}  // namespace gamma_fit
