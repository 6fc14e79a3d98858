#include "element/local_mass.hpp"

#include "element/end_release.hpp"

namespace zervola::element {

namespace {

// Upper triangle of the consistent matrix of the bar with rigid ends.
void fill_consistent(Matrix12& M, const BarMass& m, const BarGeometry& g) {
  const double L = g.L;
  const double axial = m.translational * L / 6.0;
  M(1, 1) = 2.0 * axial;
  M(7, 7) = 2.0 * axial;
  M(1, 7) = axial;
  const double torsion = m.polar * L / 6.0;
  M(4, 4) = 2.0 * torsion;
  M(10, 10) = 2.0 * torsion;
  M(4, 10) = torsion;

  const double b = m.translational * L / 420.0;
  // Bending in the local x-y plane: v = 2, 8; theta_z = 6, 12.
  M(2, 2) = 156.0 * b;
  M(8, 8) = 156.0 * b;
  M(2, 8) = 54.0 * b;
  M(2, 6) = 22.0 * L * b;
  M(2, 12) = -13.0 * L * b;
  M(6, 8) = 13.0 * L * b;
  M(8, 12) = -22.0 * L * b;
  M(6, 6) = 4.0 * L * L * b;
  M(12, 12) = 4.0 * L * L * b;
  M(6, 12) = -3.0 * L * L * b;
  // Bending in the local x-z plane: w = 3, 9; theta_y = 5, 11, with
  // theta_y = -dw/dx, hence the opposite signs of the coupling terms.
  M(3, 3) = 156.0 * b;
  M(9, 9) = 156.0 * b;
  M(3, 9) = 54.0 * b;
  M(3, 5) = -22.0 * L * b;
  M(3, 11) = 13.0 * L * b;
  M(5, 9) = -13.0 * L * b;
  M(9, 11) = 22.0 * L * b;
  M(5, 5) = 4.0 * L * L * b;
  M(11, 11) = 4.0 * L * L * b;
  M(5, 11) = -3.0 * L * L * b;
}

void fill_lumped(Matrix12& M, const BarMass& m, const BarGeometry& g, bool twists) {
  const double half = m.translational * g.L / 2.0;
  for (Index k = 1; k <= 3; ++k) {
    M(k, k) = half;
    M(6 + k, 6 + k) = half;
  }
  if (twists) {
    M(4, 4) = m.polar * g.L / 2.0;
    M(10, 10) = m.polar * g.L / 2.0;
  }
}

void fill_pin_ended_consistent(Matrix12& M, const BarMass& m, const BarGeometry& g) {
  const double sixth = m.translational * g.L / 6.0;
  for (Index k = 1; k <= 3; ++k) {
    M(k, k) = 2.0 * sixth;
    M(6 + k, 6 + k) = 2.0 * sixth;
    M(k, 6 + k) = sixth;
  }
}

}  // namespace

Matrix12 local_mass(const BarMass& m, const BarGeometry& g, EndForm form, MassForm kind) {
  Matrix12 M;
  switch (form) {
    case EndForm::rigid:
    case EndForm::hinge_start:
    case EndForm::hinge_end:
      if (kind == MassForm::lumped)
        fill_lumped(M, m, g, true);
      else
        fill_consistent(M, m, g);
      break;
    case EndForm::pin_ended:
      if (kind == MassForm::lumped)
        fill_lumped(M, m, g, false);
      else
        fill_pin_ended_consistent(M, m, g);
      break;
    case EndForm::none:
      break;
  }
  M.symmetrise_from_upper();
  if (kind == MassForm::consistent &&
      (form == EndForm::hinge_start || form == EndForm::hinge_end)) {
    const Matrix12 C = release_condensation(g, form);
    return multiply_transposed(C, multiply(M, C));
  }
  return M;
}

}  // namespace zervola::element
