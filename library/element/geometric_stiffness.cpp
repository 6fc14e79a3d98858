#include "element/geometric_stiffness.hpp"

#include <cmath>

#include "element/end_release.hpp"
#include "element/global_matrix.hpp"
#include "element/local_axes.hpp"

namespace zervola::element {

namespace {

// Upper triangle of the rigid bar's matrix.
void fill_rigid(Matrix12& Kg, double N, const SectionProperties& s, const BarGeometry& g) {
  const double L = g.L;
  const double a = 1.2 * N / L;         // (N/L) 6/5
  const double b = 0.1 * N;             // (N/L) L/10
  const double c = 2.0 * N * L / 15.0;  // (N/L) 2L^2/15
  const double d = N * L / 30.0;        // (N/L) L^2/30

  // Bending in the local x-y plane (about local z): the signs of
  // local_stiffness, +6EI/L^2 at (2, 6), all turned by the minus of Kg.
  Kg(2, 2) = -a;
  Kg(8, 8) = -a;
  Kg(2, 8) = a;
  Kg(2, 6) = -b;
  Kg(6, 8) = b;
  Kg(2, 12) = -b;
  Kg(8, 12) = b;
  Kg(6, 6) = -c;
  Kg(12, 12) = -c;
  Kg(6, 12) = d;

  // Bending in the local x-z plane (about local y): -6EI/L^2 at (3, 5) in
  // local_stiffness, so the translation-rotation terms change sign.
  Kg(3, 3) = -a;
  Kg(9, 9) = -a;
  Kg(3, 9) = a;
  Kg(3, 5) = b;
  Kg(5, 9) = -b;
  Kg(3, 11) = b;
  Kg(9, 11) = -b;
  Kg(5, 5) = -c;
  Kg(11, 11) = -c;
  Kg(5, 11) = d;

  // Twist: a fibre at radius r from the axis tilts by r phi' under the twist
  // rate phi', and the compressive stress N/A on it does work; summed over the
  // section this is N (Ip/A) phi'^2 with linear interpolation of phi.
  const double t = N * (s.Iy + s.Iz) / (s.A * L);
  Kg(4, 4) = -t;
  Kg(10, 10) = -t;
  Kg(4, 10) = t;
}

// Upper triangle of the string stiffness in global axes: a pin-ended bar that
// turns by a small angle keeps its force along its new direction, whose
// component across the old direction is (N/L) times the relative transverse
// displacement, (I3 - e e^T) (u_j - u_i).
void fill_pin_ended(Matrix12& Kg, double N, const BarGeometry& g) {
  const double d[3] = {g.dx, g.dy, g.dz};
  const double N_L = N / g.L;
  for (Index a = 1; a <= 3; ++a)
    for (Index b = 1; b <= 3; ++b) {
      const double delta = a == b ? 1.0 : 0.0;
      const double P = N_L * (delta - d[a - 1] * d[b - 1] / g.L2);
      if (a <= b) {
        Kg(a, b) = -P;
        Kg(6 + a, 6 + b) = -P;
      }
      Kg(a, 6 + b) = P;
    }
}

// A^T K A with its lower triangle mirrored from the upper one: the two
// triangles are summed in different orders, and the buckling solvers expect
// an exactly symmetric matrix.
Matrix12 symmetric_congruence(const Matrix12& A, const Matrix12& K) {
  Matrix12 P = multiply_transposed(A, multiply(K, A));
  for (Index c = 1; c <= Matrix12::k_size; ++c)
    for (Index r = c + 1; r <= Matrix12::k_size; ++r) P(r, c) = P(c, r);
  return P;
}

}  // namespace

Matrix12 local_geometric_stiffness(double N, const SectionProperties& s, const BarGeometry& g,
                                   EndForm form) {
  Matrix12 Kg;
  switch (form) {
    case EndForm::rigid:
    case EndForm::hinge_start:
    case EndForm::hinge_end:
      fill_rigid(Kg, N, s, g);
      break;
    case EndForm::pin_ended:
      fill_pin_ended(Kg, N, g);
      break;
    case EndForm::none:
      break;
  }
  Kg.symmetrise_from_upper();
  if (form != EndForm::hinge_start && form != EndForm::hinge_end) return Kg;

  return symmetric_congruence(release_condensation(g, form), Kg);
}

Matrix12 element_geometric_matrix(const ElementModel& model, Index element, HostInt end_code,
                                  double N) {
  // A rigid link is a constraint, not a member: it has no axial force of its
  // own to stiffen or soften it.
  if (model.section_codes(element) < 0) return Matrix12{};
  const EndForm form = end_form(end_code);
  if (form == EndForm::none) return Matrix12{};

  const Index section = static_cast<Index>(model.section_codes(element));
  const SectionProperties s = read_section(model.section_table, section);
  const Index i = model.element_nodes(1, element);
  const Index j = model.element_nodes(2, element);
  const BarGeometry g = bar_geometry(model.nodes(i), model.nodes(j));
  const Matrix12 Kg = local_geometric_stiffness(N, s, g, form);
  if (form == EndForm::pin_ended) return Kg;

  const Matrix12 T = element_transform(model.nodes, model.orientation, model.element_nodes, element,
                                       Walk::forward);
  return symmetric_congruence(T, Kg);
}

}  // namespace zervola::element
