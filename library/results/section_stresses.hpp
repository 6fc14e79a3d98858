#pragma once

// Extreme normal stresses in the end sections of an element, from its end
// forces, by the elementary beam formula at nine points of the section's
// bounding rectangle (corners, edge midpoints, centre) at each end.

#include "common/frame_model.hpp"
#include "common/index.hpp"
#include "common/matrix12.hpp"
#include "common/one_based.hpp"

namespace zervola::results {

// Every stress is multiplied by this factor before it is compared and
// returned (newtons and metres give megapascals).
inline constexpr double k_stress_scale = 1.0E-6;

// Start values of the two extremes; a call whose every stress is a
// non-number returns them unchanged.
inline constexpr double k_stress_max_start = -1.0E20;
inline constexpr double k_stress_min_start = 1.0E20;

struct StressExtremes {
  double max = k_stress_max_start;
  double min = k_stress_min_start;
};

// The three end-force components that load one end section.
struct SectionForceComponents {
  Index axial = 0;     // along local x, compression positive
  Index moment_y = 0;  // about local y
  Index moment_z = 0;  // about local z
};
inline constexpr SectionForceComponents k_start_section{1, 5, 6};
inline constexpr SectionForceComponents k_end_section{7, 11, 12};

// section: one column of the section table (10 rows). With N the axial
// component, T = alpha dT E A the thermal axial force, hz and hy half the
// extents along local z and y, the stress at (z = p hz, y = q hy),
// p, q in {-1, 0, +1}, is (-(N + T) / A - p (My / Iy) hz + q (Mz / Iz) hy) * 1e-6,
// positive in tension. A stress that is not a number replaces neither extreme.
[[nodiscard]] StressExtremes section_stress_extremes(const Vector12& end_forces,
                                                     Vector1<const double> section,
                                                     double temperature_change);

}  // namespace zervola::results
