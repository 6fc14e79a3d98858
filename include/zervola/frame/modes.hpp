#pragma once

// The natural modes of a frame (Model::modal): frequencies, mode shapes,
// participation factors and effective masses, with the mass the analysis
// took and the Sturm check that proves no mode below the highest reported
// was missed.
//
// Units: masses in the model's force * s^2 / length (kN s^2/m = t), rotary
// inertias times length^2; circular frequency in rad/s, frequency in Hz,
// period in s (time in seconds: E, the masses and gravity in the model's
// units make it so).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "zervola/frame/model.hpp"

namespace zervola::frame {

// The six directions of participation: translations along the global X, Y,
// Z and rotations about the global axes through the origin.
inline constexpr std::array<const char*, 6> k_participation_directions = {"X", "Y", "Z",
                                                                          "RX", "RY", "RZ"};

// Where the mass came from, per global translation (the sums of the mass
// matrix over a unit translation of the whole frame), before the supports
// take their share.
struct MassSources {
  double members = 0.0;  // the sections' density
  double points = 0.0;   // Model::masses
  // Per Model::mass_from_loads entry, the mass its case's loads give.
  std::vector<std::pair<std::string, double>> from_loads;
  double total = 0.0;
};

struct Mode {
  int number = 0;                   // 1 = lowest
  double eigenvalue = 0.0;          // omega^2, rad^2/s^2 (about 0 for a rigid-body mode)
  double circular_frequency = 0.0;  // omega, rad/s
  double frequency = 0.0;           // omega / (2 pi), Hz
  double period = 0.0;              // 1 / frequency, s; infinity for a rigid-body mode
  // Gamma_d = phi^T M r_d for the unit motion r_d of direction d
  // (k_participation_directions), phi mass-normalised.
  std::array<double, 6> participation{};
  std::array<double, 6> effective_mass{};        // Gamma_d^2
  std::array<double, 6> effective_mass_ratio{};  // over the movable mass of direction d
  std::array<double, 6> cumulative_ratio{};      // of modes 1 .. number
  // Per node (drawing number - 1): ux, uy, uz, rx, ry, rz, mass-normalised
  // (phi^T M phi = 1).
  std::vector<std::array<double, 6>> shape;
  // Multiplies shape to a largest translation of 1 (for drawing).
  double drawing_scale = 1.0;
};

struct ModalResult {
  MassMatrix mass_matrix = MassMatrix::consistent;
  MassSources mass;                    // per translation (the same in X, Y, Z)
  // r_d^T M r_d: the mass (X, Y, Z) and rotary inertia about the global axes
  // through the origin (RX, RY, RZ) that can move, the supports' share
  // removed: the effective masses of all modes add up to it.
  std::array<double, 6> movable_mass{};
  std::vector<Mode> modes;
  int directions_with_mass = 0;        // at most this many modes exist
  // The Sturm check: K - s M has sturm_count negative pivots, the number of
  // eigenvalues below s, and found_below of them were found.
  double sturm_shift = 0.0;
  int sturm_count = 0;
  int found_below = 0;
  double shift = 0.0;                  // of the factorisation (below 0: rigid-body modes)
  int basis_size = 0;                  // Lanczos vectors
  int vectors_substituted = 0;
  int factorisations = 0;
  std::int64_t mass_entries = 0;       // of the mass matrix kept beside the store (upper triangle)
  double seconds = 0.0;                // wall time of the eigensolution, assembly included
};

}  // namespace zervola::frame
