#pragma once

// Fixed-end forces of a loaded member: the forces its nodes exert on it when
// both are held still, in local axes, for the member's end condition.
//
// The loads are taken to the nodes through the element's own interpolation
// (linear for axial force and torsion, Hermite cubics for bending): for a
// prismatic Euler-Bernoulli bar these are exact solutions of the unloaded
// member, so the consistent loads f = integral of N^T q are exactly the
// loads that the fixed-end forces balance (F0 = -f). The integrals are taken
// by three-point Gauss-Legendre rules over each linear piece of load (exact
// up to degree five; cubic times linear is four). A released end is then
// condensed out as the library's hinged forms are: f_r -= K_rc K_cc^-1 f_c,
// f_c = 0, with K the rigid-ended stiffness.

#include "zervola/frame/local_member_loads.hpp"

namespace zervola::frame {

// The loads on the member's twelve end degrees of freedom (node i then j,
// forces then moments, local axes) that are equivalent to its loads, for its
// end condition. A pin-ended member takes no torque (the caller refuses it).
[[nodiscard]] Vector12 equivalent_end_loads(const LocalMemberLoads& loads, const BeamProperties& b);

// The same as a correction of the library's end forces (its sign convention:
// moments at i and forces at j negated): end forces of the loaded member =
// library end forces + this.
[[nodiscard]] Vector12 end_force_correction(const LocalMemberLoads& loads, const BeamProperties& b);

// Turns "nodes on element" components into the library's end-force
// convention, and back (its own inverse).
[[nodiscard]] Vector12 to_end_force_convention(Vector12 v);

}  // namespace zervola::frame
