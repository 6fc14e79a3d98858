#pragma once

// End forces of one element from the nodal displacements, and the turn of
// element vectors from local into global axes.
//
// end_forces: 12 components in the element's local axes, 1..6 at its start
// node and 7..12 at its end node, each Fx, Fy, Fz, Mx, My, Mz. They are the
// product K u (local stiffness times local end displacements: what the nodes
// exert on the element) with components 4, 5, 6 (the start node's moments)
// and 7, 8, 9 (the end node's forces) negated, so that each quantity reads
// with one sign along the bar. For a bar in equilibrium with no load between
// its ends:
//   f(k) = f(k + 6) for k = 1..4  (axial force, compression positive; the
//                                   two shear forces; torque)
//   f(12) = f(6) + L f(2)          (moment about local z)
//   f(11) = f(5) - L f(3)          (moment about local y)

#include "common/frame_model.hpp"
#include "common/index.hpp"
#include "common/matrix12.hpp"
#include "element/end_codes.hpp"
#include "element/local_axes.hpp"
#include "element/local_stiffness.hpp"
#include "results/recovery_model.hpp"

namespace zervola::results {

struct EndForces {
  Vector12 end_displacements;  // local axes
  Vector12 end_forces;         // local axes, with the sign convention above
  Vector12 end_forces_global;  // end_forces turned into global axes
};

// Negates the components that the sign convention turns (4..9); applied
// twice it gives back its argument.
[[nodiscard]] Vector12 apply_end_force_sign_convention(const Vector12& nodal_forces);

// The end code with which the stiffness of an element is rebuilt: a code
// that names an end without releasing it (-1, -2) is rigid, a code outside
// -2..3 keeps the form it has in the assembly (no stiffness), and a walk
// against the element's own direction exchanges the hinge codes 1 and 2, so
// that the hinge stays at the same node whatever the node numbers.
[[nodiscard]] HostInt recovery_end_code(HostInt end_code, element::Walk walk);

// Geometry for the stiffness of a bar from start to end: L as the root of
// the sum of squares, L2 = L L, L3 = L L2. The pin-ended bar is taken along
// its own local x (dx = L, dy = dz = 0), so that its stiffness, like every
// other form, acts on local end displacements.
[[nodiscard]] element::BarGeometry recovery_geometry(Point3 start, Point3 end,
                                                     element::EndForm form);

// transform^T * local: the vector's components in global axes.
[[nodiscard]] Vector12 local_to_global(const Matrix12& transform, const Vector12& local);

// End displacements and end forces of the element, walked in the given
// direction; transform must be the element's, built for the same walk. The
// section is column |section_codes(element)|, whatever the code's sign.
[[nodiscard]] EndForces element_end_forces(const Matrix12& transform, const RecoveryModel& model,
                                           Index element, element::Walk walk, HostInt end_code);

}  // namespace zervola::results
