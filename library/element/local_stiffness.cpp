#include "element/local_stiffness.hpp"

namespace zervola::element {

namespace {

// Axial and torsion terms, the same in every hinged form.
void fill_axial_and_torsion(Matrix12& K, const SectionProperties& s, const BarGeometry& g) {
  const double EA_L = s.E * s.A / g.L;
  const double GIt_L = s.G * s.It / g.L;
  K(1, 1) = EA_L;
  K(7, 7) = EA_L;
  K(1, 7) = -EA_L;
  K(4, 4) = GIt_L;
  K(10, 10) = GIt_L;
  K(4, 10) = -GIt_L;
}

// Upper triangle of the frame element with both ends rigid.
void fill_rigid(Matrix12& K, const SectionProperties& s, const BarGeometry& g) {
  fill_axial_and_torsion(K, s, g);

  // Bending in the local x-y plane (about local z).
  K(2, 2) = 12.0 * s.E * s.Iz / g.L3;
  K(8, 8) = 12.0 * s.E * s.Iz / g.L3;
  K(2, 8) = -12.0 * s.E * s.Iz / g.L3;
  K(2, 6) = 6.0 * s.E * s.Iz / g.L2;
  K(6, 8) = -6.0 * s.E * s.Iz / g.L2;
  K(2, 12) = 6.0 * s.E * s.Iz / g.L2;
  K(8, 12) = -6.0 * s.E * s.Iz / g.L2;
  K(6, 6) = 4.0 * s.E * s.Iz / g.L;
  K(12, 12) = 4.0 * s.E * s.Iz / g.L;
  K(6, 12) = 2.0 * s.E * s.Iz / g.L;

  // Bending in the local x-z plane (about local y).
  K(3, 3) = 12.0 * s.E * s.Iy / g.L3;
  K(9, 9) = 12.0 * s.E * s.Iy / g.L3;
  K(3, 9) = -12.0 * s.E * s.Iy / g.L3;
  K(3, 5) = -6.0 * s.E * s.Iy / g.L2;
  K(5, 9) = 6.0 * s.E * s.Iy / g.L2;
  K(3, 11) = -6.0 * s.E * s.Iy / g.L2;
  K(9, 11) = 6.0 * s.E * s.Iy / g.L2;
  K(5, 5) = 4.0 * s.E * s.Iy / g.L;
  K(11, 11) = 4.0 * s.E * s.Iy / g.L;
  K(5, 11) = 2.0 * s.E * s.Iy / g.L;
}

// Hinge at node i: rotations 5 and 6 carry no bending stiffness.
void fill_hinge_start(Matrix12& K, const SectionProperties& s, const BarGeometry& g) {
  fill_axial_and_torsion(K, s, g);
  K(2, 2) = 3.0 * s.E * s.Iz / g.L3;
  K(8, 8) = 3.0 * s.E * s.Iz / g.L3;
  K(2, 8) = -3.0 * s.E * s.Iz / g.L3;
  K(2, 12) = 3.0 * s.E * s.Iz / g.L2;
  K(8, 12) = -3.0 * s.E * s.Iz / g.L2;
  K(12, 12) = 3.0 * s.E * s.Iz / g.L;

  K(3, 3) = 3.0 * s.E * s.Iy / g.L3;
  K(9, 9) = 3.0 * s.E * s.Iy / g.L3;
  K(3, 9) = -3.0 * s.E * s.Iy / g.L3;
  K(3, 11) = -3.0 * s.E * s.Iy / g.L2;
  K(9, 11) = 3.0 * s.E * s.Iy / g.L2;
  K(11, 11) = 3.0 * s.E * s.Iy / g.L;
}

// Hinge at node j: rotations 11 and 12 carry no bending stiffness.
void fill_hinge_end(Matrix12& K, const SectionProperties& s, const BarGeometry& g) {
  fill_axial_and_torsion(K, s, g);
  K(2, 2) = 3.0 * s.E * s.Iz / g.L3;
  K(8, 8) = 3.0 * s.E * s.Iz / g.L3;
  K(2, 8) = -3.0 * s.E * s.Iz / g.L3;
  K(2, 6) = 3.0 * s.E * s.Iz / g.L2;
  K(6, 8) = -3.0 * s.E * s.Iz / g.L2;
  K(6, 6) = 3.0 * s.E * s.Iz / g.L;

  K(3, 3) = 3.0 * s.E * s.Iy / g.L3;
  K(9, 9) = 3.0 * s.E * s.Iy / g.L3;
  K(3, 9) = -3.0 * s.E * s.Iy / g.L3;
  K(3, 5) = -3.0 * s.E * s.Iy / g.L2;
  K(5, 9) = 3.0 * s.E * s.Iy / g.L2;
  K(5, 5) = 3.0 * s.E * s.Iy / g.L;
}

// Pin-ended bar in global axes: (E A / L^3) d_a d_b = (E A / L) c_a c_b on the
// translations, upper triangle of the two node blocks and their coupling.
void fill_pin_ended(Matrix12& K, const SectionProperties& s, const BarGeometry& g) {
  const double d[3] = {g.dx, g.dy, g.dz};
  for (Index a = 1; a <= 3; ++a)
    for (Index b = 1; b <= 3; ++b) {
      const double dd = d[a - 1] * d[b - 1];
      if (a <= b) {
        K(a, b) = dd;
        K(6 + a, 6 + b) = dd;
      }
      K(a, 6 + b) = -dd;
    }
  K.scale(s.E * s.A / g.L3);
}

}  // namespace

Matrix12 local_stiffness(const SectionProperties& s, const BarGeometry& g, EndForm form) {
  Matrix12 K;
  switch (form) {
    case EndForm::rigid:
      fill_rigid(K, s, g);
      break;
    case EndForm::hinge_start:
      fill_hinge_start(K, s, g);
      break;
    case EndForm::hinge_end:
      fill_hinge_end(K, s, g);
      break;
    case EndForm::pin_ended:
      fill_pin_ended(K, s, g);
      break;
    case EndForm::none:
      break;
  }
  K.symmetrise_from_upper();
  return K;
}

}  // namespace zervola::element
