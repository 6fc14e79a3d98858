#include "global/mass_assembly.hpp"

#include <algorithm>

#include "element/global_matrix.hpp"

namespace zervola::global {

void assemble_mass(const FrameAnalysis& frame, const MassModel& mass, const SkylineMatrix& M) {
  for (Index e = 1; e <= frame.model.element_nodes.cols(); ++e) {
    const element::BarMass bar{mass.bar_mass(e), mass.bar_polar(e)};
    if (bar.translational == 0.0 && bar.polar == 0.0) continue;
    const Matrix12 E =
        element::element_mass_matrix(frame.model, e, frame.end_codes(e), bar, mass.form);
    add_element(M, E, frame.model.element_nodes(1, e), frame.model.element_nodes(2, e));
  }
  for (const EquationMass& p : mass.point_masses) M(p.equation, p.equation) += p.mass;
}

void clear_equation(const SkylineMatrix& A, Index k, Index max_column_height) {
  const SkylineProfile& p = A.profile();
  for (Index r = p.top(k); r <= k; ++r) A(r, k) = 0.0;
  const Index last = std::min(A.n_equations(), k + max_column_height - 1);
  for (Index j = k + 1; j <= last; ++j)
    if (p.contains(k, j)) A(k, j) = 0.0;
}

SymmetricEntries nonzero_entries(const SkylineMatrix& A) {
  SymmetricEntries s;
  s.n = A.n_equations();
  const SkylineProfile& p = A.profile();
  for (Index j = 1; j <= s.n; ++j)
    for (Index i = p.top(j); i <= j; ++i) {
      const double a = A(i, j);
      if (a == 0.0) continue;
      s.row.push_back(i);
      s.col.push_back(j);
      s.value.push_back(a);
    }
  return s;
}

void multiply(const SymmetricEntries& A, const double* X, double* Y, Index k) {
  const auto n = static_cast<std::size_t>(A.n);
  std::fill(Y, Y + n * static_cast<std::size_t>(k), 0.0);
  for (Index c = 0; c < k; ++c) {
    const double* x = X + n * static_cast<std::size_t>(c);
    double* y = Y + n * static_cast<std::size_t>(c);
    for (std::size_t t = 0; t < A.value.size(); ++t) {
      const auto i = static_cast<std::size_t>(A.row[t] - 1);
      const auto j = static_cast<std::size_t>(A.col[t] - 1);
      const double a = A.value[t];
      y[i] += a * x[j];
      if (i != j) y[j] += a * x[i];
    }
  }
}

}  // namespace zervola::global
