#include "analysis/seismic/ec8_curves.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

namespace zervola::frame {
namespace {

// The recommended soil factor S and corner periods TB, TC, TD (s) of
// EN 1998-1: Table 3.2 (type 1 spectrum) and Table 3.3 (type 2 spectrum),
// ground types A to E in order.
constexpr std::array<std::array<Ec8GroundParameters, 5>, 2> k_ec8_ground_table = {{
    {{
        {1.0, 0.15, 0.4, 2.0},   // type 1, A
        {1.2, 0.15, 0.5, 2.0},   // type 1, B
        {1.15, 0.20, 0.6, 2.0},  // type 1, C
        {1.35, 0.20, 0.8, 2.0},  // type 1, D
        {1.4, 0.15, 0.5, 2.0},   // type 1, E
    }},
    {{
        {1.0, 0.05, 0.25, 1.2},   // type 2, A
        {1.35, 0.05, 0.25, 1.2},  // type 2, B
        {1.5, 0.10, 0.25, 1.2},   // type 2, C
        {1.8, 0.10, 0.30, 1.2},   // type 2, D
        {1.6, 0.05, 0.25, 1.2},   // type 2, E
    }},
}};

// The shape shared by both spectra: a rise from T = 0 to TB, the plateau
// to TC, then 1/T to TD and 1/T^2 beyond; start is the value at T = 0 and
// plateau the value on the plateau, both in length/s^2.
struct Branches {
  double start;
  double plateau;
};

double along_branches(const Ec8GroundParameters& g, const Branches& b, double period) {
  if (period <= g.tb) return b.start + period / g.tb * (b.plateau - b.start);
  if (period <= g.tc) return b.plateau;
  if (period <= g.td) return b.plateau * g.tc / period;
  return b.plateau * g.tc * g.td / (period * period);
}

}  // namespace

Ec8GroundParameters ec8_ground_parameters(int type, char ground_type) {
  if (type != 1 && type != 2)
    throw std::invalid_argument(fmt::format("EN 1998-1 spectrum type {} is not 1 or 2", type));
  if (ground_type < 'A' || ground_type > 'E')
    throw std::invalid_argument(fmt::format("EN 1998-1 ground type (character {}) is not A to E",
                                            static_cast<int>(ground_type)));
  return k_ec8_ground_table[static_cast<std::size_t>(type - 1)]
                           [static_cast<std::size_t>(ground_type - 'A')];
}

double ec8_damping_correction(double damping) {
  if (!(damping > 0.0 && damping < 1.0))
    throw std::invalid_argument(fmt::format("the damping {} is not strictly between 0 and 1", damping));
  const double percent = 100.0 * damping;
  return std::max(std::sqrt(k_ec8_eta_numerator / (k_ec8_eta_damping_shift + percent)),
                  k_ec8_eta_floor);
}

SpectralValue ec8_elastic_acceleration(const Ec8Spectrum& ec8, double damping, double period) {
  const Ec8GroundParameters g = ec8_ground_parameters(ec8.type, ec8.ground_type);
  const double eta = ec8_damping_correction(damping);
  const double ground = ec8.ag * g.soil_factor;
  const double acceleration =
      along_branches(g, {ground, ground * eta * k_ec8_plateau_amplification}, period);
  return {acceleration, period > k_ec8_largest_period};
}

SpectralValue ec8_design_acceleration(const Ec8Spectrum& ec8, double period) {
  const Ec8GroundParameters g = ec8_ground_parameters(ec8.type, ec8.ground_type);
  const double ground = ec8.ag * g.soil_factor;
  double acceleration = along_branches(
      g, {ground * k_ec8_design_start_factor, ground * k_ec8_plateau_amplification / ec8.behaviour_factor},
      period);
  // Expressions 3.15 and 3.16 hold the design value from TC on at beta*ag
  // or more, so that a large q does not leave long periods without force.
  if (period > g.tc) acceleration = std::max(acceleration, ec8.lower_bound_factor * ec8.ag);
  return {acceleration, period > k_ec8_largest_period};
}

}  // namespace zervola::frame
