#pragma once

// The response of a frame to a response spectrum (Model::spectrum): every
// mode's peak response to the spectrum along each excited direction,
// combined over the modes (CQC or SRSS) and then over the directions (SRSS
// or 100/30). The combined values are magnitudes (never negative): the
// signs of the modes' peaks are lost in the combination, and each value
// may be taken with either sign.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "zervola/frame/internal_forces.hpp"
#include "zervola/frame/model.hpp"
#include "zervola/frame/seismic.hpp"

namespace zervola::frame {


// One mode's share.
struct SpectrumModeResponse {
  int mode = 0;                          // ModalResult::modes[mode - 1]
  double period = 0.0;                   // s
  std::array<double, 3> acceleration{};  // Sa(T) along X, Y, Z (0 where not excited), length/s^2
  bool outside_spectrum = false;         // the period lies outside the spectrum's range
  // The base shear of the mode's response to the excitation along X, Y, Z
  // in that direction (force): Gamma_d^2 Sa_d, the effective mass times the
  // acceleration.
  std::array<double, 3> base_shear{};
};

struct SpectrumResult {
  SpectrumRequest request;
  std::vector<SpectrumModeResponse> modes;  // the modes combined (rigid-body modes left out)
  // Per excitation direction X, Y, Z: the base shear in that direction,
  // combined over the modes (0 where not excited).
  std::array<double, 3> base_shear{};
  // The combined magnitudes, laid out as a load case's results: node
  // displacements, reactions, member end forces and end displacements
  // (local axes). stress_max and stress_min are the bound +-(|N| / A + |My|
  // z / Iy + |Mz| y / Iz) at the extents' corners, the largest along the
  // member from the combined internal forces (a bound: the forces' signs
  // are lost). Its equilibrium is not meaningful and is left zero.
  std::vector<std::array<double, 6>> displacements;
  std::vector<std::array<double, 6>> reactions;   // per CaseResult::reactions order
  std::vector<std::int32_t> reaction_nodes;       // drawing numbers of the supported nodes
  std::vector<std::array<double, 12>> end_forces;
  std::vector<std::array<double, 12>> end_displacements;
  std::vector<double> stress_bound;               // per member, force/length^2
  std::vector<double> stress_bound_x;             // where along the member
  // Per member: its stations (k_diagram_divisions equal lengths) and the
  // combined magnitude of each quantity there (N, Vy, Vz, T, My, Mz, u, v, w).
  std::vector<std::vector<double>> station_x;
  std::vector<std::vector<StationValues>> station_values;
};

}  // namespace zervola::frame
