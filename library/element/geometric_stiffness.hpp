#pragma once

// Geometric (initial-stress) stiffness of a straight prismatic bar under a
// constant axial force: the matrix Kg that, added to the elastic matrix K,
// gives the tangent stiffness K + Kg of linear buckling and second-order
// analysis.
//
// Terms held (N positive in compression, so Kg lowers the stiffness):
//   - bending in both local planes from the cubic Hermite shape functions,
//     Kg = -N * integral(w'^T w') dx, the classic consistent matrix
//       -(N/L) [ 6/5   L/10    -6/5   L/10   ]
//              [ L/10  2L^2/15 -L/10  -L^2/30 ]
//              [ -6/5  -L/10   6/5    -L/10  ]
//              [ L/10  -L^2/30 -L/10  2L^2/15 ]
//     on DOFs (2, 6, 8, 12), and on (3, 5, 9, 11) with the signs of the
//     translation-rotation terms turned, as in local_stiffness;
//   - the torsional (Wagner) term of a doubly symmetric section, whose shear
//     centre is its centroid: -N r0^2 / L [1 -1; -1 1] on DOFs (4, 10), with
//     r0^2 = Ip / A = (Iy + Iz) / A;
//   - for a hinged end, the rigid matrix condensed with the hinged bar's
//     shape functions, C^T Kg C (see end_release.hpp);
//   - for the pin-ended bar, the string stiffness in global axes.
// Terms left out:
//   - any coupling of torsion with bending (flexural-torsional buckling of
//     sections whose shear centre is off the centroid, Wagner terms of
//     monosymmetric sections, warping torsion);
//   - shear deformation (Timoshenko), bending moments and shear forces in the
//     initial state (only the axial force acts);
//   - the axial term N/L on DOFs (1, 7) of large-rotation formulations, which
//     has no role in the buckling of straight members.

#include "common/frame_model.hpp"
#include "common/matrix12.hpp"
#include "element/end_codes.hpp"
#include "element/global_matrix.hpp"
#include "element/local_stiffness.hpp"

namespace zervola::element {

// local_geometric_stiffness
//
// Purpose
//   Builds the 12 x 12 symmetric geometric stiffness of a bar under the
//   constant axial force N, in local axes for the rigid and hinged forms and
//   in global axes for the pin-ended bar (like local_stiffness). The DOF order
//   is that of local_stiffness: 1..6 = ux uy uz rx ry rz of the start node,
//   7..12 the same of the end node.
//
// Arguments
//   N     (in) Axial force, positive in compression (force units). N = 0
//              gives the zero matrix; a tension (N < 0) stiffens.
//   s     (in) Section; only A, Iy and Iz are read (length^2, length^4), for
//              the torsional term. E, G and It are not used.
//   g     (in) Geometry, each value used as given: L (length) by every form,
//              L2 and dx, dy, dz (end minus start, global axes) by the
//              pin-ended form.
//   form  (in) rigid: bending in both planes and torsion.
//              hinge_start, hinge_end: the rigid matrix condensed,
//                C^T Kg C with C = release_condensation(g, form); the
//                released rotations get zero rows and columns.
//              pin_ended: global axes, the string stiffness
//                -(N/L)(I3 - e e^T) on the translations of each node and
//                +(N/L)(I3 - e e^T) on their coupling, e = (dx, dy, dz)/L;
//                rotations zero. No torsional term.
//              none: the zero matrix.
//
// Result
//   Kg (force / length on translation pairs, force on translation-rotation
//   pairs, force * length on rotation pairs), linear in N, exactly symmetric.
//
// Bad input
//   No check is made. L = 0 gives infinite or NaN entries, as in
//   local_stiffness. A = 0 with Iy + Iz != 0 gives an infinite torsional
//   term; A = 0 with Iy = Iz = 0 gives NaN there.
[[nodiscard]] Matrix12 local_geometric_stiffness(double N, const SectionProperties& s,
                                                 const BarGeometry& g, EndForm form);

// element_geometric_matrix
//
// Purpose
//   The geometric stiffness of element e of the host's model, in global axes:
//   T^T Kg T with the element's transformation (element_transform, walked
//   forward), as element_matrix does for the elastic matrix with an element
//   frame flag other than 1.
//
// Arguments
//   model     (in) The host's model arrays. The section column of the
//                  element's section code is read only for a bar.
//   element   (in) Element number, 1-based. The caller checks it first
//                  (references_are_readable); it is not checked here.
//   end_code  (in) End code of the element (see end_codes.hpp).
//   N         (in) Axial force of the element, positive in compression.
//
// Result
//   Kg in global axes. A rigid link (negative section code) gives the zero
//   matrix: it carries no axial force of its own. EndForm::none gives zero.
//   The pin-ended bar is built in global axes from its end coordinates and is
//   not transformed again.
//
// Bad input
//   Coincident nodes give L = 0 and non-finite entries (see above); an
//   orientation point on the bar's line gives whatever element_transform
//   gives.
[[nodiscard]] Matrix12 element_geometric_matrix(const ElementModel& model, Index element,
                                                HostInt end_code, double N);

}  // namespace zervola::element
