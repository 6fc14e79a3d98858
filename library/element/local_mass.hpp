#pragma once

// Mass of a straight prismatic bar in its local axes: the consistent matrix
// of the stiffness's own shape functions (linear for stretching and torsion,
// cubic for bending), or the lumped alternative that puts half of the bar on
// each end. Bending rotary inertia is left out (Euler-Bernoulli bars); the
// torsion of the bar carries the polar mass moment rho (Iy + Iz) per length.

#include "common/matrix12.hpp"
#include "element/end_codes.hpp"
#include "element/local_stiffness.hpp"

namespace zervola::element {

enum class MassForm { consistent, lumped };

// Mass per unit length of a bar, in the model's mass and length units.
struct BarMass {
  double translational = 0.0;  // rho A (mass / length)
  double polar = 0.0;          // rho (Iy + Iz) (mass * length^2 / length)
};

// The 12 x 12 symmetric mass matrix of the given end form, in the same axes
// as local_stiffness gives the stiffness of that form: local axes for the
// rigid and hinged forms, global axes for the pin-ended bar.
//
//   rigid        the consistent matrix (Przemieniecki) or, lumped,
//                m L / 2 on every translation and rho Ip L / 2 on the
//                rotation about the bar's axis at each end.
//   hinged       the rigid matrix on the hinged bar's shape functions:
//                C^T M C, where C expresses the released end rotations by
//                the other end values as the hinged stiffness does (the
//                rotation at a hinge is the beam's, not the node's), so a
//                hinge gives its node no bending inertia from this bar. The
//                lumped matrix does not depend on the shape functions and
//                is the rigid one.
//   pin-ended    translations only, linear along the bar in every
//                direction: m L / 6 [2 1; 1 2] per direction, or m L / 2
//                on each end; no rotary inertia (the bar cannot twist).
//   none         all zero.
// A non-finite or zero length gives non-finite or zero entries; the caller
// checks lengths before.
[[nodiscard]] Matrix12 local_mass(const BarMass& m, const BarGeometry& g, EndForm form,
                                  MassForm kind);

}  // namespace zervola::element
