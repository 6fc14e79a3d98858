#include "element/end_release.hpp"

namespace zervola::element {

namespace {

// Fills the row of the released rotations of one node. The pattern follows
// the signs of local_stiffness: bending about z couples (2, 6) with +6EI/L^2,
// bending about y couples (3, 5) with -6EI/L^2, hence the opposite signs.
//   rz, ry      released rotations about z and y of the hinged node
//   rz_o, ry_o  the same rotations at the other node
void fill_released_rows(Matrix12& C, double L, Index rz, Index ry, Index rz_o, Index ry_o) {
  const double t = 1.5 / L;  // 3 / (2L): the slope of the chord, shared out
  C(rz, rz) = 0.0;
  C(rz, 2) = -t;
  C(rz, 8) = t;
  C(rz, rz_o) = -0.5;
  C(ry, ry) = 0.0;
  C(ry, 3) = t;
  C(ry, 9) = -t;
  C(ry, ry_o) = -0.5;
}

}  // namespace

Matrix12 release_condensation(const BarGeometry& g, EndForm form) {
  Matrix12 C;
  for (Index d = 1; d <= Matrix12::k_size; ++d) C(d, d) = 1.0;
  switch (form) {
    case EndForm::hinge_start:
      fill_released_rows(C, g.L, 6, 5, 12, 11);
      break;
    case EndForm::hinge_end:
      fill_released_rows(C, g.L, 12, 11, 6, 5);
      break;
    case EndForm::rigid:
    case EndForm::pin_ended:
    case EndForm::none:
      break;
  }
  return C;
}

}  // namespace zervola::element
