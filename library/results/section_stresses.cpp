#include "results/section_stresses.hpp"

#include <array>
#include <initializer_list>

namespace zervola::results {

namespace {

double row(Vector1<const double> section, SectionRow r) { return section(static_cast<Index>(r)); }

// The fibre positions along each axis, in units of the half extent.
constexpr std::array<double, 3> k_fibres{-1.0, 0.0, 1.0};

void examine(StressExtremes& e, double s) {
  if (s > e.max) e.max = s;
  if (s < e.min) e.min = s;
}

}  // namespace

StressExtremes section_stress_extremes(const Vector12& end_forces, Vector1<const double> section,
                                       double temperature_change) {
  const double E = row(section, SectionRow::elastic_modulus);
  const double A = row(section, SectionRow::area);
  const double Iy = row(section, SectionRow::inertia_y);
  const double Iz = row(section, SectionRow::inertia_z);
  const double alpha = row(section, SectionRow::thermal_coefficient);
  const double thermal_force = alpha * temperature_change * E * A;
  const double hz = 0.5 * row(section, SectionRow::extent_z);
  const double hy = 0.5 * row(section, SectionRow::extent_y);

  StressExtremes e;
  for (const SectionForceComponents& end : {k_start_section, k_end_section}) {
    const double N = end_forces(end.axial);
    const double My = end_forces(end.moment_y);
    const double Mz = end_forces(end.moment_z);
    const double sN = -(N + thermal_force) / A;
    const double sy = (My / Iy) * hz;
    const double sz = (Mz / Iz) * hy;
    for (const double p : k_fibres)
      for (const double q : k_fibres) examine(e, (sN - p * sy + q * sz) * k_stress_scale);
  }
  return e;
}

}  // namespace zervola::results
