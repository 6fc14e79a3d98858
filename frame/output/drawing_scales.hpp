#pragma once

// The scales the drawings share: the deformed shape drawn so that its
// largest displacement is a fixed share of the frame's size, at a round
// scale.

#include <cmath>

namespace zervola::frame {

// Largest displacement drawn / frame size.
inline constexpr double k_deformation_share = 0.08;

// 1, 2 or 5 times a power of ten, not above v; 1 for a v that is not
// positive and finite.
inline double nice_below(double v) {
  if (!(v > 0.0) || !std::isfinite(v)) return 1.0;
  const double p = std::pow(10.0, std::floor(std::log10(v)));
  for (const double m : {5.0, 2.0, 1.0})
    if (m * p <= v) return m * p;
  return p;
}

}  // namespace zervola::frame
