#pragma once

// Inner products and updates over contiguous stretches of two columns: the
// solver's hot loops. No index checks and no address arithmetic beyond the
// pointer walk, so that the compiler vectorises them.

#include "common/index.hpp"

namespace zervola::global {

// Number of independent partial sums of an inner product. They let the
// additions run in parallel lanes; the result differs from a sum in
// increasing order only by rounding.
inline constexpr Index k_dot_lanes = 8;

// a[0] * b[0] + ... + a[n-1] * b[n-1].
[[nodiscard]] inline double dot(const double* a, const double* b, Index n) {
  double s[k_dot_lanes] = {};
  Index k = 0;
  for (; k + k_dot_lanes <= n; k += k_dot_lanes)
    for (Index lane = 0; lane < k_dot_lanes; ++lane) s[lane] += a[k + lane] * b[k + lane];
  double tail = 0.0;
  for (; k < n; ++k) tail += a[k] * b[k];
  return (((s[0] + s[1]) + (s[2] + s[3])) + ((s[4] + s[5]) + (s[6] + s[7]))) + tail;
}

// y[k] -= a[k] * x for k = 0 .. n-1.
inline void subtract_multiple(double* y, const double* a, double x, Index n) {
  for (Index k = 0; k < n; ++k) y[k] -= a[k] * x;
}

}  // namespace zervola::global
