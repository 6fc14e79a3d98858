#include "global/free_vibration.hpp"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "global/block_lanczos.hpp"
#include "global/dense_symmetric_eigen.hpp"
#include "global/ldlt_solver.hpp"
#include "global/shifted_system.hpp"
#include "global/supports.hpp"
#include "global/zeroed_store.hpp"

namespace zervola::global {

namespace {

using Size = std::size_t;

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

}  // namespace

Status free_vibration(const FrameAnalysis& frame, const MassModel& mass,
                      const VibrationRequest& request, VibrationResult& result,
                      const supernodal::SupernodalSetup* setup) {
  const Status checked = setup == nullptr ? analysis_status(frame) : node_block_status(frame);
  if (!checked.ok()) return checked;
  for (const EquationMass& p : mass.point_masses)
    if (p.equation < 1 || p.equation > frame.n_equations)
      return failure(Outcome::bad_equation, p.equation);
  if (setup != nullptr && !supernodal::is_node_order(setup->order, frame.n_nodes))
    return failure(Outcome::bad_node_count);
  result = VibrationResult();
  const Index n = frame.n_equations;
  try {
    // One matrix serves M, then K - sigma M: M is assembled in it first, and
    // kept as its entries other than zero (a frame's mass couples only the
    // ends of each member), so that the eigensolution holds one matrix.
    const std::unique_ptr<ShiftedSystem> system =
        setup == nullptr ? skyline_system(frame, result.mass)
                         : supernodal_system(frame, result.mass, *setup);
    ShiftedSystem& A = *system;

    std::vector<bool> without_stiffness;
    A.build(0.0, &without_stiffness);
    SymmetricEntries M = A.mass_entries(mass, without_stiffness);
    result.directions_with_mass = directions_with_mass(M);
    if (request.modes > result.directions_with_mass) {
      result.outcome = VibrationOutcome::too_many_modes;
      return {};
    }
    if (request.modes <= 0) return {};
    result.mass = std::move(M);
    A.build(0.0, nullptr);

    const std::vector<double> k_diagonal = A.diagonal();
    A.factorise();
    ++result.factorisations;
    if (A.has_small_pivot(k_diagonal, request.small_pivot_share)) {
      result.shift = -k_rigid_body_shift_share * median_stiffness_over_mass(k_diagonal, result.mass);
      A.build(-result.shift, nullptr);
      const std::vector<double> diagonal = A.diagonal();
      A.factorise();
      ++result.factorisations;
      if (A.has_small_pivot(diagonal, request.small_pivot_share)) {
        A.report_pivots(diagonal, without_stiffness, request.small_pivot_share, request.most_shapes,
                        result.pivots);
        result.outcome = VibrationOutcome::mechanism_without_mass;
        return {};
      }
    }

    LanczosProblem problem;
    problem.n = n;
    problem.rank = result.directions_with_mass;
    problem.inner = [&](const double* X, double* Y, Index k) { multiply(result.mass, X, Y, k); };
    std::vector<double> mx;
    problem.apply = [&](const double* X, double* Y, Index k) {
      mx.resize(static_cast<Size>(n) * static_cast<Size>(k));
      multiply(result.mass, X, mx.data(), k);
      A.solve_block(mx.data(), Y, k);
    };

    Index wanted = request.modes;
    bool factors_hold_shift = true;
    for (int attempt = 0; attempt < k_sturm_attempts; ++attempt) {
      if (!factors_hold_shift) {
        A.build(-result.shift, nullptr);
        A.factorise();
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
      A.build(-result.sturm_shift, nullptr);
      A.factorise();
      ++result.factorisations;
      factors_hold_shift = false;
      result.sturm_count = A.negative_pivots();

      result.eigenvalues.assign(lambda.begin(), lambda.begin() + static_cast<std::ptrdiff_t>(request.modes));
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
