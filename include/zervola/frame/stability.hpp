#pragma once

// The stability of a frame: linear buckling of the load cases and
// combinations that Model::buckling names, and the second-order analysis of
// those marked second_order.
//
// Linear buckling: the axial forces N_Ed of the set's first-order analysis
// give the geometric stiffness Kg; (K + alpha Kg) phi = 0 gives the lowest
// critical load factors alpha_cr and their shapes. For each member in
// compression under the set, N_cr = alpha_cr N_Ed and the buckling lengths
// pi sqrt(E I / N_cr) about its local y and z axes.
//
// Second order: the set is analysed on K + Kg(N), N from the previous
// iteration, until the displacements change by less than
// k_second_order_tolerance (relative); its results replace the first-order
// ones in AnalysisResult::cases or ::combinations.

#include <array>
#include <string>
#include <vector>

namespace zervola::frame {

// Second order stops when the largest change of a displacement is below
// this share of the largest displacement.
inline constexpr double k_second_order_tolerance = 1.0e-8;
inline constexpr int k_second_order_iterations = 30;

// One member in compression under a buckling set.
struct BucklingMember {
  std::size_t member = 0;         // index into Model::members
  std::string name;
  double axial_force = 0.0;       // N_Ed, the mean of its end values, compression positive
  double critical_force = 0.0;    // N_cr = alpha_cr N_Ed (lowest factor)
  double buckling_length_y = 0.0; // pi sqrt(E Iy / N_cr), bending about local y
  double buckling_length_z = 0.0; // pi sqrt(E Iz / N_cr), bending about local z
};

struct BucklingMode {
  int number = 0;       // 1 = lowest
  double factor = 0.0;  // alpha_cr
  // Per node (drawing number - 1): ux, uy, uz, rx, ry, rz, normalised to
  // phi^T K phi = 1.
  std::vector<std::array<double, 6>> shape;
  double drawing_scale = 1.0;  // multiplies shape to a largest translation of 1
};

struct BucklingSet {
  std::string set;           // the load case or combination
  bool combination = false;  // whether set names a combination
  bool compression = true;   // false: no member is in compression, nothing to buckle
  std::vector<BucklingMode> modes;
  std::vector<BucklingMember> members;  // in compression, model order
  // The Sturm check: K + s Kg has sturm_count negative pivots, the number
  // of critical factors in (0, s), and found_below of them were found.
  double sturm_shift = 0.0;
  int sturm_count = 0;
  int found_below = 0;
  int basis_size = 0;
  int factorisations = 0;
  double seconds = 0.0;
};

// A second-order load case or combination.
struct SecondOrderSet {
  std::string set;
  bool combination = false;
  int iterations = 0;
  // alpha_cr of the set (its first-order axial forces); 0 when no member
  // is in compression (nothing can buckle).
  double critical_factor = 0.0;
  bool compression = true;
  // The largest translation of a node, first and second order, and their
  // ratio (the amplification), with the node (drawing number) of the
  // second-order one.
  double first_order_displacement = 0.0;
  double second_order_displacement = 0.0;
  double amplification = 1.0;
  int node = 0;
  // The last iteration's relative change of the displacements.
  double change = 0.0;
  // The sway imperfection applied, when the set has one: its direction
  // (0: X, 1: Y), phi and the sum of its horizontal forces.
  bool imperfection = false;
  int imperfection_direction = 0;
  double imperfection_phi = 0.0;
  double imperfection_force = 0.0;
  // The moment about the origin of the axial forces on the members' turned
  // chords (the P-Delta moment), which the equilibrium check of the set
  // counts with the applied loads.
  std::array<double, 3> p_delta_moment{};
};

}  // namespace zervola::frame
