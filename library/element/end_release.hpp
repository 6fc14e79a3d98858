#pragma once

// Kinematics of a bar with a bending hinge at one end: the rotations released
// by the hinge written in terms of the displacements that stay connected.

#include "common/matrix12.hpp"
#include "element/end_codes.hpp"
#include "element/local_stiffness.hpp"

namespace zervola::element {

// release_condensation
//
// Purpose
//   Returns the 12 x 12 matrix C, in local axes, that maps the element's
//   connected displacements to all twelve of them, u_full = C u, by the static
//   condensation of the rigid elastic matrix K:
//
//     theta_r = -K_rr^-1 K_rc u_c    for the released rotations r,
//
//   so that C is the identity on every kept DOF, C(r, r) = 0 and row r holds
//   -K_rr^-1 K_rc. Its columns are the nodal values of the hinged beam's
//   shape functions (cubics with zero curvature at the hinge). Any matrix of
//   the rigid bar, M, then becomes the hinged bar's consistent matrix as
//   C^T M C; for the elastic matrix this gives local_stiffness of the hinged
//   form exactly.
//
//   For a prismatic Euler-Bernoulli bar E I cancels from K_rr^-1 K_rc, so C
//   depends on the length alone; a section with I = 0 therefore still gets
//   the hinged shape functions. With the DOF order of local_stiffness:
//
//     hinge_start (releases 5, 6)      hinge_end (releases 11, 12)
//     C(6, 2)  = -3/(2L)               C(12, 2)  = -3/(2L)
//     C(6, 8)  = +3/(2L)               C(12, 8)  = +3/(2L)
//     C(6, 12) = -1/2                  C(12, 6)  = -1/2
//     C(5, 3)  = +3/(2L)               C(11, 3)  = +3/(2L)
//     C(5, 9)  = -3/(2L)               C(11, 9)  = -3/(2L)
//     C(5, 11) = -1/2                  C(11, 5)  = -1/2
//
// Arguments
//   g     (in) Bar geometry; only g.L (length, model units) is read.
//   form  (in) End form. hinge_start and hinge_end give the matrices above;
//              every other form (rigid, pin_ended, none) gives the identity:
//              nothing is released by condensation there (the pin-ended bar
//              is built whole by its own rule).
//
// Result
//   C, dimensionless on rotation-from-rotation entries, 1/length on
//   rotation-from-translation entries.
//
// Bad input
//   No check is made. g.L = 0 in a hinged form gives infinite entries; a
//   negative g.L flips the sign of the translation terms.
[[nodiscard]] Matrix12 release_condensation(const BarGeometry& g, EndForm form);

}  // namespace zervola::element
