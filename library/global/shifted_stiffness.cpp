#include "global/shifted_stiffness.hpp"

#include <algorithm>

#include "global/block_kernels.hpp"
#include "global/case_substitution.hpp"
#include "global/prescription.hpp"

namespace zervola::global {

namespace {
using Size = std::size_t;
}  // namespace

ShiftedStiffness::ShiftedStiffness(const FrameAnalysis& frame, const SkylineMatrix& A,
                                   const SymmetricEntries& E)
    : frame_(frame), A_(A), E_(E), scratch_(static_cast<Size>(frame.n_equations), 0.0) {
  prescribed_ = prescriptions(frame.supports, frame.n_equations);
  for (Index number = 0; number < frame.supports.records.count(); ++number) {
    const NodeRecord r = frame.supports.records.record(number);
    if (r.adds_spring()) springs_.push_back(r);
  }
}

void ShiftedStiffness::build(double factor, std::vector<bool>* without_stiffness) {
  const Vector1<double> store = A_.store();
  std::fill(store.data(), store.data() + frame_.profile_length, 0.0);
  assemble_elements(frame_, A_);
  const Index n = frame_.n_equations;
  if (without_stiffness != nullptr) {
    without_stiffness->assign(static_cast<Size>(n), false);
    for (Index j = 1; j <= n; ++j) (*without_stiffness)[static_cast<Size>(j - 1)] = A_(j, j) == 0.0;
  }
  give_unit_diagonals(A_);
  for (const NodeRecord& r : springs_) add_spring(A_, r);
  const Vector1<double> unused(scratch_.data(), n);
  for (const Prescription& q : prescribed_)
    prescribe(A_, unused, q.equation, 0.0, frame_.supports.max_column_height);
  if (factor != 0.0)
    for (std::size_t t = 0; t < E_.value.size(); ++t) A_(E_.row[t], E_.col[t]) += factor * E_.value[t];
}

std::vector<double> diagonal_of(const SkylineMatrix& A) {
  std::vector<double> d(static_cast<Size>(A.n_equations()));
  for (Index j = 1; j <= A.n_equations(); ++j) d[static_cast<Size>(j - 1)] = A(j, j);
  return d;
}

bool has_small_pivot(const SkylineMatrix& F, const std::vector<double>& diagonal, double share) {
  for (Index j = 1; j <= F.n_equations(); ++j)
    if (!(F(j, j) > share * diagonal[static_cast<Size>(j - 1)])) return true;
  return false;
}

Index negative_pivots(const SkylineMatrix& F) {
  Index count = 0;
  for (Index j = 1; j <= F.n_equations(); ++j) count += F(j, j) < 0.0 ? 1 : 0;
  return count;
}

void solve_block(const SkylineMatrix& F, const double* X, double* Y, Index k,
                 std::vector<double>& rows) {
  const Index n = F.n_equations();
  const Index width = (k + k_block_width - 1) / k_block_width * k_block_width;
  rows.assign(static_cast<Size>(n) * static_cast<Size>(width), 0.0);
  for (Index c = 0; c < k; ++c)
    for (Index i = 0; i < n; ++i)
      rows[static_cast<Size>(i) * static_cast<Size>(width) + static_cast<Size>(c)] =
          X[static_cast<Size>(c) * static_cast<Size>(n) + static_cast<Size>(i)];
  substitute_cases(F, rows.data(), width);
  for (Index c = 0; c < k; ++c)
    for (Index i = 0; i < n; ++i)
      Y[static_cast<Size>(c) * static_cast<Size>(n) + static_cast<Size>(i)] =
          rows[static_cast<Size>(i) * static_cast<Size>(width) + static_cast<Size>(c)];
}

void report_pivots(const SkylineMatrix& F, const std::vector<double>& diagonal,
                   const std::vector<bool>& without_stiffness,
                   const std::vector<Prescription>& prescribed, double small_share,
                   std::size_t most_shapes, EquationPivots& p) {
  p.small_share = small_share;
  p.most_shapes = most_shapes;
  p.without_stiffness = without_stiffness;
  p.prescribed.assign(static_cast<Size>(F.n_equations()), false);
  for (const Prescription& q : prescribed) p.prescribed[static_cast<Size>(q.equation - 1)] = true;
  p.diagonal = diagonal;
  p.pivot = diagonal_of(F);
  strain_free_shapes(F, p);
}

}  // namespace zervola::global
