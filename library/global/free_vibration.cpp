#include "global/free_vibration.hpp"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "global/block_kernels.hpp"
#include "global/block_lanczos.hpp"
#include "global/case_substitution.hpp"
#include "global/dense_symmetric_eigen.hpp"
#include "global/ldlt_solver.hpp"
#include "global/prescription.hpp"
#include "global/supports.hpp"
#include "global/zeroed_store.hpp"

namespace zervola::global {

namespace {

using Size = std::size_t;

// K - sigma M as the factorisations need it, rebuilt from the elements for
// each shift: keeping K beside the factors would take a third store.
class ShiftedStiffness {
 public:
  // M: the mass matrix's entries, read at each build (it may be filled
  // after construction).
  ShiftedStiffness(const FrameAnalysis& frame, const SkylineMatrix& A, const SymmetricEntries& M)
      : frame_(frame), A_(A), M_(M), scratch_(static_cast<Size>(frame.n_equations), 0.0) {
    prescribed_ = prescriptions(frame.supports, frame.n_equations);
    for (Index number = 0; number < frame.supports.records.count(); ++number) {
      const NodeRecord r = frame.supports.records.record(number);
      if (r.adds_spring()) springs_.push_back(r);
    }
  }

  [[nodiscard]] const std::vector<Prescription>& prescribed() const { return prescribed_; }

  // A = K (without_stiffness filled on the first call), then A -= sigma M.
  void build(double sigma, std::vector<bool>* without_stiffness) {
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
    if (sigma != 0.0)
      for (std::size_t t = 0; t < M_.value.size(); ++t) A_(M_.row[t], M_.col[t]) -= sigma * M_.value[t];
  }

 private:
  const FrameAnalysis& frame_;
  SkylineMatrix A_;
  const SymmetricEntries& M_;
  std::vector<double> scratch_;
  std::vector<Prescription> prescribed_;
  std::vector<NodeRecord> springs_;
};

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

double median_stiffness_over_mass(const std::vector<double>& k_diag, const SymmetricEntries& M) {
  std::vector<double> ratio;
  for (std::size_t t = 0; t < M.value.size(); ++t)
    if (M.row[t] == M.col[t] && M.value[t] > 0.0)
      ratio.push_back(k_diag[static_cast<Size>(M.row[t] - 1)] / M.value[t]);
  if (ratio.empty()) return 1.0;
  const auto middle = ratio.begin() + static_cast<std::ptrdiff_t>(ratio.size() / 2);
  std::nth_element(ratio.begin(), middle, ratio.end());
  return *middle;
}

// Y = F^-1 X for the factors in F, X and Y (n x k) column-major, through
// the substitution of many cases at once (rows: n x width).
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

// The rank of M, node by node: the mass of a frame couples a node's own
// six equations only through rotations of axes (a bar's lumped torsional
// inertia about its own axis is one direction spread over three equations),
// and the element matrices are positive definite where they carry mass, so
// the rank of M is the sum of the ranks of its 6 x 6 node blocks.
Index directions_with_mass(const SkylineMatrix& M) {
  Index count = 0;
  const SkylineProfile& p = M.profile();
  std::vector<double> block(36);
  for (Index first = 1; first + 5 <= M.n_equations(); first += 6) {
    std::fill(block.begin(), block.end(), 0.0);
    double largest = 0.0;
    for (Index c = 0; c < 6; ++c)
      for (Index r = 0; r <= c; ++r)
        if (p.contains(first + r, first + c)) {
          block[static_cast<Size>(6 * c + r)] = M(first + r, first + c);
          largest = std::max(largest, std::fabs(M(first + r, first + c)));
        }
    if (largest == 0.0) continue;
    const SymmetricEigen e = symmetric_eigen(block, 6);
    for (double v : e.values) count += v > k_mass_rank_share * e.values.back() ? 1 : 0;
  }
  return count;
}

}  // namespace

Status free_vibration(const FrameAnalysis& frame, const MassModel& mass,
                      const VibrationRequest& request, VibrationResult& result) {
  const Status checked = analysis_status(frame);
  if (!checked.ok()) return checked;
  for (const EquationMass& p : mass.point_masses)
    if (p.equation < 1 || p.equation > frame.n_equations)
      return failure(Outcome::bad_equation, p.equation);
  result = VibrationResult();
  const Index n = frame.n_equations;
  try {
    const SkylineProfile profile(frame.diag);
    // One store serves M, then K - sigma M: M is assembled in it first, and
    // kept as its entries other than zero (a frame's mass couples only the
    // ends of each member), so that the eigensolution holds one store.
    ZeroedStore a_store(static_cast<Size>(frame.profile_length));
    const SkylineMatrix A(profile, Vector1<double>(a_store.data(), frame.profile_length));
    ShiftedStiffness shifted(frame, A, result.mass);

    std::vector<bool> without_stiffness;
    shifted.build(0.0, &without_stiffness);
    std::fill(a_store.data(), a_store.data() + frame.profile_length, 0.0);
    const SkylineMatrix& M = A;
    assemble_mass(frame, mass, M);
    for (const Prescription& q : shifted.prescribed())
      clear_equation(M, q.equation, frame.supports.max_column_height);
    for (Index j = 1; j <= n; ++j)
      if (without_stiffness[static_cast<Size>(j - 1)])
        clear_equation(M, j, frame.supports.max_column_height);
    result.directions_with_mass = directions_with_mass(M);
    if (request.modes > result.directions_with_mass) {
      result.outcome = VibrationOutcome::too_many_modes;
      return {};
    }
    if (request.modes <= 0) return {};
    result.mass = nonzero_entries(M);
    shifted.build(0.0, nullptr);

    const std::vector<double> k_diagonal = diagonal_of(A);
    factorise(A);
    ++result.factorisations;
    if (has_small_pivot(A, k_diagonal, request.small_pivot_share)) {
      result.shift = -k_rigid_body_shift_share * median_stiffness_over_mass(k_diagonal, result.mass);
      shifted.build(result.shift, nullptr);
      const std::vector<double> diagonal = diagonal_of(A);
      factorise(A);
      ++result.factorisations;
      if (has_small_pivot(A, diagonal, request.small_pivot_share)) {
        EquationPivots& p = result.pivots;
        p.small_share = request.small_pivot_share;
        p.most_shapes = request.most_shapes;
        p.without_stiffness = without_stiffness;
        p.prescribed.assign(static_cast<Size>(n), false);
        for (const Prescription& q : shifted.prescribed()) p.prescribed[static_cast<Size>(q.equation - 1)] = true;
        p.diagonal = diagonal;
        p.pivot = diagonal_of(A);
        strain_free_shapes(A, p);
        result.outcome = VibrationOutcome::mechanism_without_mass;
        return {};
      }
    }

    std::vector<double> rows;
    LanczosProblem problem;
    problem.n = n;
    problem.rank = result.directions_with_mass;
    problem.inner = [&](const double* X, double* Y, Index k) { multiply(result.mass, X, Y, k); };
    std::vector<double> mx;
    problem.apply = [&](const double* X, double* Y, Index k) {
      mx.resize(static_cast<Size>(n) * static_cast<Size>(k));
      multiply(result.mass, X, mx.data(), k);
      solve_block(A, mx.data(), Y, k, rows);
    };

    Index wanted = request.modes;
    bool factors_hold_shift = true;
    for (int attempt = 0; attempt < k_sturm_attempts; ++attempt) {
      if (!factors_hold_shift) {
        shifted.build(result.shift, nullptr);
        factorise(A);
        ++result.factorisations;
      }
      LanczosSettings settings;
      settings.wanted = wanted;
      settings.block_size = request.block_size;
      settings.tolerance = request.tolerance;
      settings.most_vectors = k_basis_per_mode * wanted + 4 * request.block_size;
      settings.seed = static_cast<std::uint64_t>(attempt) + 1;
      const RitzPairs ritz = largest_ritz_pairs(problem, settings);
      ++result.searches;
      result.basis_size = ritz.basis_size;
      result.operator_applications += ritz.operator_applications;
      if (ritz.converged < std::min(wanted, ritz.basis_size) || ritz.count < request.modes) {
        result.outcome = VibrationOutcome::not_converged;
        return {};
      }
      // theta = 1 / (lambda - sigma): the largest theta are the lowest lambda.
      std::vector<double> lambda;
      for (Index q = 0; q < ritz.converged; ++q)
        if (ritz.theta[static_cast<Size>(q)] > 0.0)
          lambda.push_back(result.shift + 1.0 / ritz.theta[static_cast<Size>(q)]);
      const double highest = lambda[static_cast<Size>(request.modes - 1)];
      // The margin scales with the highest eigenvalue reported alone (and the
      // shift, for rigid-body modes at 0), so that the check's shift does not
      // depend on how far the search went past it.
      const double scale = std::max(std::fabs(highest), std::fabs(result.shift));
      result.sturm_shift = highest + k_sturm_margin * scale;
      result.found_below_sturm_shift = static_cast<Index>(
          std::count_if(lambda.begin(), lambda.end(), [&](double l) { return l < result.sturm_shift; }));
      shifted.build(result.sturm_shift, nullptr);
      factorise(A);
      ++result.factorisations;
      factors_hold_shift = false;
      result.sturm_count = negative_pivots(A);

      result.eigenvalues.assign(lambda.begin(), lambda.begin() + request.modes);
      result.shapes.assign(ritz.vectors.begin(),
                           ritz.vectors.begin() + static_cast<std::ptrdiff_t>(
                                                      static_cast<Size>(n) * static_cast<Size>(request.modes)));
      if (result.sturm_count == result.found_below_sturm_shift) {
        result.outcome = VibrationOutcome::solved;
        return {};
      }
      result.outcome = VibrationOutcome::modes_missed;
      if (result.sturm_count < result.found_below_sturm_shift) return {};
      wanted = std::max(wanted, result.sturm_count);
      wanted = std::min(wanted, result.directions_with_mass);
    }
  } catch (const std::bad_alloc&) {
    return failure(Outcome::out_of_memory);
  }
  return {};
}

}  // namespace zervola::global
