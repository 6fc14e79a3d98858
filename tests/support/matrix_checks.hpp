#pragma once

// Helpers shared by the tests: tolerances scaled to the size of the numbers,
// small dense algebra on 12 x 12 element quantities.

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/matrix12.hpp"

namespace zervola::test {

// Residual threshold in units of machine precision times the scale of the
// numbers involved: a check fails only when an error is clearly larger than
// rounding.
inline constexpr double k_rounding_threshold = 64.0;

[[nodiscard]] inline double epsilon() { return std::numeric_limits<double>::epsilon(); }

[[nodiscard]] inline double max_abs(const Matrix12& m) {
  double s = 0.0;
  for (Index c = 1; c <= 12; ++c)
    for (Index r = 1; r <= 12; ++r) s = std::max(s, std::fabs(m(r, c)));
  return s;
}

[[nodiscard]] inline double max_abs(const Vector12& v) {
  double s = 0.0;
  for (Index r = 1; r <= 12; ++r) s = std::max(s, std::fabs(v(r)));
  return s;
}

[[nodiscard]] inline bool is_symmetric(const Matrix12& m) {
  for (Index c = 1; c <= 12; ++c)
    for (Index r = 1; r <= 12; ++r)
      if (!(m(r, c) == m(c, r))) return false;
  return true;
}

[[nodiscard]] inline Matrix12 transpose(const Matrix12& m) {
  Matrix12 t;
  for (Index c = 1; c <= 12; ++c)
    for (Index r = 1; r <= 12; ++r) t(r, c) = m(c, r);
  return t;
}

[[nodiscard]] inline Matrix12 identity12() {
  Matrix12 m;
  for (Index d = 1; d <= 12; ++d) m(d, d) = 1.0;
  return m;
}

[[nodiscard]] inline double max_abs_difference(const Matrix12& a, const Matrix12& b) {
  double s = 0.0;
  for (Index c = 1; c <= 12; ++c)
    for (Index r = 1; r <= 12; ++r) s = std::max(s, std::fabs(a(r, c) - b(r, c)));
  return s;
}

}  // namespace zervola::test
