#pragma once

// Stiffness of a straight prismatic bar (Euler-Bernoulli bending in two
// planes, axial stretching, Saint-Venant torsion) in its local axes.

#include "common/matrix12.hpp"
#include "element/end_codes.hpp"

namespace zervola::element {

// Section and material: E elastic modulus, G shear modulus, A area,
// It torsion constant, Iy second moment of area for bending in the local x-z
// plane (about local y), Iz for bending in the local x-y plane (about local z).
struct SectionProperties {
  double E = 0.0;
  double G = 0.0;
  double A = 0.0;
  double It = 0.0;
  double Iy = 0.0;
  double Iz = 0.0;
};

// Geometry as supplied by the caller; every term uses its own value, none is
// recomputed from another. dx, dy, dz (end node minus start node, global axes)
// are read by the pin-ended form only.
struct BarGeometry {
  double dx = 0.0;
  double dy = 0.0;
  double dz = 0.0;
  double L = 0.0;
  double L2 = 0.0;
  double L3 = 0.0;
};

// The 12 x 12 symmetric stiffness matrix of the given form: in local axes for
// the rigid and hinged forms, in global axes for the pin-ended bar, all zero
// for EndForm::none.
[[nodiscard]] Matrix12 local_stiffness(const SectionProperties& s, const BarGeometry& g,
                                       EndForm form);

}  // namespace zervola::element
