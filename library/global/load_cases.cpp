#include "global/load_cases.hpp"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <vector>

#include "global/block_kernels.hpp"
#include "global/case_eliminations.hpp"
#include "global/case_substitution.hpp"
#include "global/linear_buckling.hpp"
#include "global/mass_assembly.hpp"
#include "global/ldlt_solver.hpp"
#include "global/prescription.hpp"
#include "global/supports.hpp"
#include "global/zeroed_store.hpp"

namespace zervola::global {

namespace {

// Before the factorisation K is as sparse as the frame: most of a column
// inside the profile is zero, and a zero moves nothing.
void keep_couplings(const SkylineMatrix& K, Index k, Index max_column_height,
                    std::vector<Coupling>& couplings) {
  const SkylineProfile& p = K.profile();
  for (Index r = p.top(k); r < k; ++r)
    if (K(r, k) != 0.0) couplings.push_back({r, K(r, k)});
  const Index last = std::min(K.n_equations(), k + max_column_height - 1);
  for (Index j = k + 1; j <= last; ++j)
    if (p.contains(k, j) && K(k, j) != 0.0) couplings.push_back({j, K(k, j)});
}

void eliminate(const SkylineMatrix& K, Eliminations& e, std::size_t n_cases,
               Index max_column_height) {
  const std::size_t count = e.shared.size();
  e.diagonal.reserve(count);
  e.first_coupling.reserve(count + 1);
  e.first_coupling.push_back(0);
  // prescribe() with the value 0 clears row and column k and leaves the
  // right-hand side at 0: the matrix is that of every case.
  std::vector<double> scratch(static_cast<std::size_t>(K.n_equations()), 0.0);
  const Vector1<double> unused(scratch.data(), K.n_equations());
  for (std::size_t q = 0; q < count; ++q) {
    const Index k = e.shared[q].equation;
    e.diagonal.push_back(K(k, k));
    bool moved = false;
    for (std::size_t c = 0; c < n_cases; ++c) moved = moved || e.values[q + count * c] != 0.0;
    if (moved) keep_couplings(K, k, max_column_height, e.couplings);
    e.first_coupling.push_back(e.couplings.size());
    prescribe(K, unused, k, 0.0, max_column_height);
  }
}

// Substitution of the cases first .. first + count - 1 together.
void substitute_pass(const SkylineMatrix& K, Table1<double> u, Index first, Index count,
                     std::vector<double>& rows) {
  const Index n = K.n_equations();
  const Index width = (count + k_block_width - 1) / k_block_width * k_block_width;
  std::fill(rows.begin(), rows.end(), 0.0);
  for (Index c = 0; c < count; ++c)
    for (Index i = 1; i <= n; ++i) rows[static_cast<std::size_t>((i - 1) * width + c)] = u(i, first + c);
  substitute_cases(K, rows.data(), width);
  for (Index c = 0; c < count; ++c)
    for (Index i = 1; i <= n; ++i) u(i, first + c) = rows[static_cast<std::size_t>((i - 1) * width + c)];
}

Status analyse_cases(const FrameAnalysis& frame, std::span<const NodeRecordTable> cases,
                     Table1<double> displacements, EquationPivots* pivots,
                     const Vector1<const double>* axial_force) {
  const Status checked = cases_status(frame, cases, displacements);
  if (!checked.ok() || cases.empty()) return checked;
  const Index n = frame.n_equations;
  const std::size_t n_cases = cases.size();

  std::unique_ptr<ZeroedStore> store;
  Eliminations e;
  std::vector<double> rows;
  try {
    std::vector<NodeRecord> springs;
    const Status alike = case_prescriptions(frame, cases, e, springs);
    if (!alike.ok()) return alike;
    store = std::make_unique<ZeroedStore>(static_cast<std::size_t>(frame.profile_length));
    const SkylineMatrix K(SkylineProfile(frame.diag),
                          Vector1<double>(store->data(), frame.profile_length));
    assemble_elements(frame, K);
    if (pivots != nullptr) {
      pivots->without_stiffness.assign(static_cast<std::size_t>(n), false);
      for (Index j = 1; j <= n; ++j) pivots->without_stiffness[static_cast<std::size_t>(j - 1)] = K(j, j) == 0.0;
    }
    if (axial_force != nullptr) {
      std::vector<bool> without(static_cast<std::size_t>(n), false);
      for (Index j = 1; j <= n; ++j) without[static_cast<std::size_t>(j - 1)] = K(j, j) == 0.0;
      assemble_geometric(frame, *axial_force, K);
      for (Index j = 1; j <= n; ++j)
        if (without[static_cast<std::size_t>(j - 1)])
          clear_equation(K, j, frame.supports.max_column_height);
    }
    give_unit_diagonals(K);
    for (const NodeRecord& r : springs) add_spring(K, r);
    eliminate(K, e, n_cases, frame.supports.max_column_height);
    if (pivots != nullptr) {
      pivots->prescribed.assign(static_cast<std::size_t>(n), false);
      for (const Prescription& q : e.shared) pivots->prescribed[static_cast<std::size_t>(q.equation - 1)] = true;
      pivots->diagonal.resize(static_cast<std::size_t>(n));
      for (Index j = 1; j <= n; ++j) pivots->diagonal[static_cast<std::size_t>(j - 1)] = K(j, j);
    }
    if (n_cases > 1) {
      const Index widest = std::min<Index>(k_cases_per_pass, static_cast<Index>(n_cases));
      rows.resize(static_cast<std::size_t>(n) *
                  static_cast<std::size_t>((widest + k_block_width - 1) / k_block_width * k_block_width));
    }

    factorise(K);
    if (pivots != nullptr) {
      pivots->pivot.resize(static_cast<std::size_t>(n));
      for (Index j = 1; j <= n; ++j) pivots->pivot[static_cast<std::size_t>(j - 1)] = K(j, j);
      strain_free_shapes(K, *pivots);
    }
    for (std::size_t c = 0; c < n_cases; ++c)
      right_hand_side(cases[c], e, c, displacements.column(static_cast<Index>(c + 1)));
    if (n_cases == 1) {
      substitute(K, displacements.column(1));
    } else {
      for (Index first = 1; first <= static_cast<Index>(n_cases); first += k_cases_per_pass) {
        const Index count = std::min<Index>(k_cases_per_pass, static_cast<Index>(n_cases) - first + 1);
        substitute_pass(K, displacements, first, count, rows);
      }
    }
  } catch (const std::bad_alloc&) {
    return failure(Outcome::out_of_memory);
  }
  return {};
}

}  // namespace

void strain_free_shapes(const SkylineMatrix& K, EquationPivots& p) {
  const Index n = K.n_equations();
  for (Index j = 1; j <= n && p.shapes.size() < p.most_shapes; ++j) {
    const auto q = static_cast<std::size_t>(j - 1);
    if (p.without_stiffness[q] || !(p.pivot[q] < p.small_share * p.diagonal[q])) continue;
    std::vector<double> x(static_cast<std::size_t>(n), 0.0);
    x[q] = 1.0;
    for (Index c = j; c >= 2; --c) {
      const double xc = x[static_cast<std::size_t>(c - 1)];
      if (xc == 0.0) continue;
      for (Index r = K.profile().top(c); r < c; ++r) x[static_cast<std::size_t>(r - 1)] -= K(r, c) * xc;
    }
    p.shapes.push_back(std::move(x));
  }
}

Status analyse_load_cases(const FrameAnalysis& frame, std::span<const NodeRecordTable> cases,
                          Table1<double> displacements) {
  return analyse_cases(frame, cases, displacements, nullptr, nullptr);
}

Status analyse_load_cases(const FrameAnalysis& frame, std::span<const NodeRecordTable> cases,
                          Table1<double> displacements, EquationPivots& pivots) {
  return analyse_cases(frame, cases, displacements, &pivots, nullptr);
}

Status analyse_load_cases(const FrameAnalysis& frame, std::span<const NodeRecordTable> cases,
                          Table1<double> displacements, EquationPivots& pivots,
                          Vector1<const double> axial_force) {
  if (axial_force.size() != frame.model.element_nodes.cols()) return failure(Outcome::bad_element, 0);
  for (Index e = 1; e <= axial_force.size(); ++e)
    if (!std::isfinite(axial_force(e))) return failure(Outcome::bad_element, e);
  return analyse_cases(frame, cases, displacements, &pivots, &axial_force);
}

}  // namespace zervola::global
