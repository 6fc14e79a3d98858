#include "global/linear_buckling.hpp"

#include <algorithm>
#include <cmath>
#include <new>

#include "element/geometric_stiffness.hpp"
#include "global/block_lanczos.hpp"
#include "global/ldlt_solver.hpp"
#include "global/mass_assembly.hpp"
#include "global/shifted_system.hpp"
#include "global/zeroed_store.hpp"

namespace zervola::global {

namespace {

using Size = std::size_t;

// The equations that some entry of E touches.
Index touched_equations(const SymmetricEntries& E) {
  std::vector<bool> touched(static_cast<Size>(E.n), false);
  for (std::size_t t = 0; t < E.value.size(); ++t) {
    touched[static_cast<Size>(E.row[t] - 1)] = true;
    touched[static_cast<Size>(E.col[t] - 1)] = true;
  }
  return static_cast<Index>(std::count(touched.begin(), touched.end(), true));
}

}  // namespace

void assemble_geometric(const FrameAnalysis& frame, Vector1<const double> axial_force,
                        const SkylineMatrix& K) {
  for (Index e = 1; e <= frame.model.element_nodes.cols(); ++e) {
    const double N = axial_force(e);
    if (N == 0.0) continue;
    const Matrix12 E = element::element_geometric_matrix(frame.model, e, frame.end_codes(e), N);
    add_element(K, E, frame.model.element_nodes(1, e), frame.model.element_nodes(2, e));
  }
}

Status linear_buckling(const FrameAnalysis& frame, Vector1<const double> axial_force,
                       const BucklingRequest& request, BucklingResult& result,
                       const supernodal::SupernodalSetup* setup) {
  const Status checked = setup == nullptr ? analysis_status(frame) : node_block_status(frame);
  if (!checked.ok()) return checked;
  const Index n_elements = frame.model.element_nodes.cols();
  if (axial_force.size() != n_elements) return failure(Outcome::bad_element, 0);
  bool compression = false;
  for (Index e = 1; e <= n_elements; ++e) {
    if (!std::isfinite(axial_force(e))) return failure(Outcome::bad_element, e);
    compression = compression || axial_force(e) > 0.0;
  }
  if (setup != nullptr && !supernodal::is_node_order(setup->order, frame.n_nodes))
    return failure(Outcome::bad_node_count);
  result = BucklingResult();
  if (request.modes <= 0) return {};
  const Index n = frame.n_equations;
  try {
    // One matrix serves Kg, then K and its factors (and K + s Kg for the
    // Sturm check): Kg and K are kept as their entries other than zero.
    SymmetricEntries geometric;  // Kg, cleared
    SymmetricEntries stiffness;  // K: the inner product
    const std::unique_ptr<ShiftedSystem> system =
        setup == nullptr ? skyline_system(frame, geometric)
                         : supernodal_system(frame, geometric, *setup);
    ShiftedSystem& A = *system;

    std::vector<bool> without_stiffness;
    A.build(0.0, &without_stiffness);
    geometric = A.geometric_entries(axial_force, without_stiffness);
    result.geometric_equations = touched_equations(geometric);

    A.build(0.0, nullptr);
    stiffness = A.entries();
    const std::vector<double> k_diagonal = A.diagonal();
    A.factorise();
    ++result.factorisations;
    if (A.has_small_pivot(k_diagonal, request.small_pivot_share)) {
      A.report_pivots(k_diagonal, without_stiffness, request.small_pivot_share, request.most_shapes,
                      result.pivots);
      result.outcome = BucklingOutcome::mechanism;
      return {};
    }
    if (!compression || result.geometric_equations == 0) {
      result.outcome = BucklingOutcome::no_compression;
      return {};
    }

    std::vector<double> gx;
    LanczosProblem problem;
    problem.n = n;
    problem.rank = result.geometric_equations;
    problem.inner = [&](const double* X, double* Y, Index k) { multiply(stiffness, X, Y, k); };
    problem.apply = [&](const double* X, double* Y, Index k) {
      gx.resize(static_cast<Size>(n) * static_cast<Size>(k));
      multiply(geometric, X, gx.data(), k);
      for (double& v : gx) v = -v;  // G = -Kg
      A.solve_block(gx.data(), Y, k);
    };

    Index wanted = request.modes;
    Index block = request.block_size;
    bool factors_hold_k = true;
    for (int attempt = 0; attempt < k_buckling_sturm_attempts; ++attempt) {
      if (!factors_hold_k) {
        A.build(0.0, nullptr);
        A.factorise();
        ++result.factorisations;
        factors_hold_k = true;
      }
      LanczosSettings settings;
      settings.wanted = wanted;
      settings.block_size = block;
      settings.tolerance = request.tolerance;
      settings.most_vectors = k_buckling_basis_per_mode * wanted + k_buckling_extra_blocks * block;
      settings.seed = static_cast<std::uint64_t>(attempt) + 1;
      const RitzPairs ritz = largest_ritz_pairs(problem, settings);
      ++result.searches;
      result.basis_size = ritz.basis_size;
      result.operator_applications += ritz.operator_applications;

      // theta descending: the positive ones lead, as the lowest alpha.
      double largest = 0.0;
      for (double t : ritz.theta) largest = std::max(largest, std::fabs(t));
      const double least = k_least_theta_share * largest;
      const auto positive = static_cast<Index>(
          std::count_if(ritz.theta.begin(), ritz.theta.end(), [&](double t) { return t > least; }));
      if (positive == 0) {
        result.outcome = BucklingOutcome::no_compression;
        return {};
      }
      const Index take = std::min({request.modes, positive, ritz.count});
      std::vector<double> alpha;
      for (Index q = 0; q < std::min(ritz.converged, positive); ++q)
        alpha.push_back(1.0 / ritz.theta[static_cast<Size>(q)]);
      result.found = std::min(take, static_cast<Index>(alpha.size()));
      result.alphas.assign(alpha.begin(), alpha.begin() + static_cast<std::ptrdiff_t>(result.found));
      result.shapes.assign(ritz.vectors.begin(),
                           ritz.vectors.begin() + static_cast<std::ptrdiff_t>(
                                                      static_cast<Size>(n) * static_cast<Size>(result.found)));
      if (ritz.converged < take || take < std::min(request.modes, positive)) {
        result.outcome = BucklingOutcome::not_converged;
        return {};
      }

      const double highest = alpha[static_cast<Size>(take - 1)];
      result.sturm_shift = highest * (1.0 + k_buckling_sturm_margin);
      result.found_below_sturm_shift = static_cast<Index>(
          std::count_if(alpha.begin(), alpha.end(), [&](double a) { return a < result.sturm_shift; }));
      A.build(result.sturm_shift, nullptr);  // K + s Kg
      A.factorise();
      ++result.factorisations;
      factors_hold_k = false;
      result.sturm_count = A.negative_pivots();
      if (result.sturm_count == result.found_below_sturm_shift) {
        result.outcome = BucklingOutcome::solved;
        return {};
      }
      result.outcome = BucklingOutcome::modes_missed;
      if (result.sturm_count < result.found_below_sturm_shift) return {};
      // Factors hidden from the start vectors (a repeated one, whose
      // eigenspace a block narrower than its multiplicity meets in one
      // direction): more of them, from wider blocks.
      wanted = std::max(wanted, result.sturm_count);
      block = std::max(block, request.block_size + result.sturm_count - result.found_below_sturm_shift);
    }
  } catch (const std::bad_alloc&) {
    return failure(Outcome::out_of_memory);
  }
  return {};
}

}  // namespace zervola::global
