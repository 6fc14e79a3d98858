#pragma once

// Completion of the assembled system and its solution: springs and record
// loads, prescribed displacements, the plane-frame restraint, then K u = f.

#include <vector>

#include "common/index.hpp"
#include "common/one_based.hpp"
#include "global/node_records.hpp"
#include "global/skyline_matrix.hpp"
#include "global/status.hpp"

namespace zervola::global {

// space_frame flag: exactly this value confines the frame to its x-y plane.
inline constexpr HostInt k_plane_frame_flag = 0;

enum class FrameMode {
  plane,  // equations 3, 4, 5 of every node (u_z, theta_x, theta_y) held at 0
  space,
};

[[nodiscard]] constexpr FrameMode frame_mode(HostInt space_frame) {
  return space_frame == k_plane_frame_flag ? FrameMode::plane : FrameMode::space;
}

// Everything that apply_records_and_solve() needs besides K and f.
struct Supports {
  NodeRecordTable records;
  Index max_column_height = 0;
  FrameMode mode = FrameMode::space;
};

// solved, or why the supports cannot be applied to K: records outside the
// system or the profile, max_column_height below the highest column, or, in
// plane-frame mode, equations that are not whole nodes. The profile itself
// must already be valid.
[[nodiscard]] Status supports_status(const Supports& supports, const SkylineProfile& profile);

// One elimination that apply_records_and_solve() makes: u(equation) = value.
struct Prescription {
  Index equation = 0;
  double value = 0.0;
};

// The eliminations that apply_records_and_solve() makes, in its order and
// once per equation (see there). Throws std::bad_alloc without memory for
// the list or its one working array.
[[nodiscard]] std::vector<Prescription> prescriptions(const Supports& supports, Index n_equations);

// Adds the spring terms of record r to K: the two rank-one blocks of a
// spring, (p1, p2, p3) on R .. R+2 and (p4, p5, p6) on R+3 .. R+5, squares
// first, then the couplings. K: any symmetric matrix whose K(i, j), i <= j,
// is the entry to add to (the skyline, or the supernodal node blocks).
template <class Matrix>
void add_spring_terms(Matrix& K, const NodeRecord& r) {
  const Index R = r.first_equation;
  for (Index block = 0; block < 2; ++block) {
    const Index first = R + 3 * block;
    const double* q = r.p.data() + 3 * block;
    for (Index a = 0; a < 3; ++a) K(first + a, first + a) += q[a] * q[a];
    K(first, first + 1) += q[0] * q[1];
    K(first, first + 2) += q[0] * q[2];
    K(first + 1, first + 2) += q[1] * q[2];
  }
}

// The same on the skyline store.
void add_spring(const SkylineMatrix& K, const NodeRecord& r);

// Adds the loads p1 .. p3 of record r to f(R .. R+2).
void add_load(Vector1<double> f, const NodeRecord& r);

// In this order: the spring terms and record loads of every record (0 first),
// the prescriptions of every record, the plane-frame restraint, and the
// solution. On return f holds u and K its factors. Requires
// supports_status() to be solved.
//
// An equation that several prescriptions name takes the last value (a later
// record, and in plane-frame mode the restraint, wins), and it is eliminated
// once, with that value: an earlier prescription would already have moved its
// own value into the neighbouring equations, leaving them inconsistent with
// the value that the equation finally takes. Every other prescription is
// made in record order. The working arrays (the eliminations, and one entry
// per equation) are obtained before K or f is touched; without memory for
// them the outcome is out_of_memory and both are left as they were.
[[nodiscard]] Status apply_records_and_solve(const SkylineMatrix& K, Vector1<double> f,
                                             const Supports& supports);

}  // namespace zervola::global
