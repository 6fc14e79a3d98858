#pragma once

// Internal forces and displacements along a member, from its end forces,
// end displacements and loads.
//
// At a section x from the member's start, the six forces are those of the
// end-force convention continued along the bar: the value at x = 0 is the
// start end force, at x = L the end end force. With F_i the forces and M_i
// the moments (comps 1-3, and minus comps 4-6) that node i exerts on the
// member, and q, P_k, M_k its loads on [0, x]:
//   (N, Vy, Vz)(x) = F_i + integral q + sum P_k          (N positive in compression)
//   T(x)  = -M_ix - sum M_kx
//   My(x) = -M_iy - x F_iz + integral (s - x) q_z + sum (x_k - x) P_kz - sum M_ky
//   Mz(x) = -M_iz + x F_iy - integral (s - x) q_y - sum (x_k - x) P_ky - sum M_kz
// so that Mz' = Vy and My' = -Vz. The deflections follow from the
// curvatures v'' = Mz / EIz + kappa_v, w'' = -My / EIy + kappa_w and the
// strain u' = -N / EA + alpha dT, integrated exactly (three-point Gauss
// rules between stations, where the curvature is a cubic) and fitted to the
// end translations: this is the cubic of the end displacements plus the
// particular solution of the loads, hinged ends included.

#include <array>
#include <vector>

#include "zervola/frame/export.hpp"
#include "zervola/frame/local_member_loads.hpp"

namespace zervola::frame {

// What fixes the internal forces of one member: its loads, end forces
// (end-force convention) and end displacements, in local axes. Linear: a
// combination of states is a state.
struct MemberState {
  LocalMemberLoads loads;
  Vector12 end_forces{};
  Vector12 end_displacements{};
};

// The section's values of member (index into Model::members) as its
// stiffness uses them, for a length (MemberGeometry::length). Throws
// InputError when the member names an unknown section.
[[nodiscard]] ZERVOLA_FRAME_API BeamProperties beam_properties(const Model& model,
                                                               std::size_t member, double length);

// Adds factor times b to a (loads, end forces and end displacements alike):
// the state of a combination is the factored sum of its cases' states.
ZERVOLA_FRAME_API void add_scaled(MemberState& a, const MemberState& b, double factor);

// A section of the diagram: at a concentrated load the diagram jumps, and
// the section just before it and just after it are both stations.
struct Station {
  double x = 0.0;
  bool after = false;  // includes a concentrated load at x
};

// The quantities along a member, in this order.
enum class Quantity { N, Vy, Vz, T, My, Mz, u, v, w };
inline constexpr std::size_t k_quantities = 9;
inline constexpr std::array<const char*, k_quantities> k_quantity_names = {
    "N", "Vy", "Vz", "T", "My", "Mz", "u", "v", "w"};
using StationValues = std::array<double, k_quantities>;

// Equal divisions of every member, to which every load point is added.
inline constexpr int k_diagram_divisions = 10;

// The stations of a member of length L (> 0) that carries the given loads
// (of every load case, so that all cases share them): divisions (>= 1)
// equal parts, and every load point, twice at a concentrated load (just
// before and just after it), in increasing x. Throws nothing.
[[nodiscard]] ZERVOLA_FRAME_API std::vector<Station> diagram_stations(
    const std::vector<const LocalMemberLoads*>& loads, double L,
    int divisions = k_diagram_divisions);

// The nine quantities at each station (in Quantity's order, in the model's
// units and the member's local axes): N, Vy, Vz, T, My, Mz by statics from
// the start's end force and the loads before the station, u, v, w by
// integrating the strains and curvatures and fitting the end displacements.
//   stations: in, from diagram_stations or member_stations, first at 0 and
//     last at b.L;
//   state: in, the member's loads, end forces and end displacements;
//   b: in, its section values (beam_properties).
// Throws nothing.
[[nodiscard]] ZERVOLA_FRAME_API std::vector<StationValues> member_diagram(
    const std::vector<Station>& stations, const MemberState& state, const BeamProperties& b);

// The largest and smallest value of each quantity along the member and
// where they occur: at stations, and for the forces also where their slope
// vanishes between stations (exact: the forces are polynomials there).
struct Extreme {
  double max = 0.0, x_max = 0.0;
  double min = 0.0, x_min = 0.0;
};
// stations, values: in, as member_diagram takes and gives them; state: in,
// the same state. Throws nothing.
[[nodiscard]] ZERVOLA_FRAME_API std::array<Extreme, k_quantities> member_extremes(
    const std::vector<Station>& stations, const std::vector<StationValues>& values,
    const MemberState& state);

// Makes the extremes of the displacements u, v, w in e (as member_extremes
// gives them, at stations) exact along the member: between stations each is
// a polynomial of at most fifth degree (the deflection of a cubic moment),
// which six samples fix; its extremes lie where its slope, a quartic,
// vanishes, found by splitting at the roots of its own derivatives.
//   e: in/out; stations, state, b: in, as member_diagram takes them.
// Throws nothing.
ZERVOLA_FRAME_API void refine_displacement_extremes(std::array<Extreme, k_quantities>& e,
                                                    const std::vector<Station>& stations,
                                                    const MemberState& state,
                                                    const BeamProperties& b);

// What the normal stresses of a section need, in the model's units: the
// stress at a fibre (y, z) of the extents' rectangle is
// -(N + thermal_force) / A - My z / Iy + Mz y / Iz, taken at its corners
// (|y| = half_extent_y, |z| = half_extent_z), where it is extreme.
struct StressSection {
  double A = 0.0, Iy = 0.0, Iz = 0.0;
  double half_extent_y = 0.0, half_extent_z = 0.0;
  double thermal_force = 0.0;  // E A alpha dT of the member's temperature change
};

// The largest and smallest normal stress of a member along its whole
// length (tension positive, force/length^2) and where they occur (x from
// its start): at every station and, between stations, where the stress of
// a corner has zero slope. The corner stresses are polynomials of at most
// third degree there, so the extremes are exact, not sampled.
//   stations: in, from member_stations or diagram_stations (both sides of a
//     concentrated load), first at 0 and last at the length;
//   state: in, the member's loads, end forces and end displacements;
//   section: in.
// Throws nothing.
[[nodiscard]] ZERVOLA_FRAME_API Extreme member_stress_extremes(const std::vector<Station>& stations,
                                                              const MemberState& state,
                                                              const StressSection& section);

}  // namespace zervola::frame
