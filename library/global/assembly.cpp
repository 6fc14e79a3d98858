#include "global/assembly.hpp"

#include <memory>
#include <new>
#include <vector>

#include "global/skyline_profile.hpp"
#include "global/zeroed_store.hpp"

namespace zervola::global {

namespace {

constexpr Index first_equation(Index node) { return k_node_dofs * (node - 1) + 1; }

// Node n's six columns reach up to row `row`.
bool columns_reach(const SkylineProfile& p, Index node, Index row) {
  const Index first = first_equation(node);
  for (Index k = 0; k < k_node_dofs; ++k)
    if (!p.contains(row, first + k)) return false;
  return true;
}

// Element e's pair ascending inside the nodes, with a section.
bool element_is_valid(const FrameAnalysis& analysis, Index e) {
  const Index a = analysis.model.element_nodes(1, e);
  const Index b = analysis.model.element_nodes(2, e);
  return a >= 1 && a < b && b <= analysis.n_nodes && analysis.model.section_codes(e) != 0;
}

Status element_status(const FrameAnalysis& analysis, const SkylineProfile& profile, Index e) {
  if (!element_is_valid(analysis, e)) return failure(Outcome::bad_element, e);
  const Index a = analysis.model.element_nodes(1, e);
  const Index b = analysis.model.element_nodes(2, e);
  if (!columns_reach(profile, a, first_equation(a)) ||
      !columns_reach(profile, b, first_equation(b)) ||
      !columns_reach(profile, b, first_equation(a)))
    return failure(Outcome::element_outside_profile, e);
  return {};
}

}  // namespace

void add_element(const SkylineMatrix& K, const Matrix12& E, Index a, Index b) {
  const Index ia = first_equation(a);
  const Index ib = first_equation(b);
  for (Index r = 1; r <= k_node_dofs; ++r)
    for (Index c = 1; c <= r; ++c) {
      K(ia + c - 1, ia + r - 1) += E(r, c);
      K(ib + c - 1, ib + r - 1) += E(r + k_node_dofs, c + k_node_dofs);
    }
  for (Index m = 1; m <= k_node_dofs; ++m)
    for (Index n = 1; n <= k_node_dofs; ++n) K(ia + n - 1, ib + m - 1) += E(k_node_dofs + m, n);
}

void give_unit_diagonals(const SkylineMatrix& K) {
  for (Index k = 1; k <= K.n_equations(); ++k) {
    double& d = K(k, k);
    if (d == 0.0) d = 1.0;
  }
}

void assemble_elements(const FrameAnalysis& analysis, const SkylineMatrix& K) {
  for (Index e = 1; e <= analysis.model.element_nodes.cols(); ++e) {
    const Matrix12 E =
        element::element_matrix(analysis.model, e, analysis.element_frame, analysis.end_codes(e));
    add_element(K, E, analysis.model.element_nodes(1, e), analysis.model.element_nodes(2, e));
  }
}

void assemble(const FrameAnalysis& analysis, const SkylineMatrix& K) {
  assemble_elements(analysis, K);
  give_unit_diagonals(K);
}

Status analysis_status(const FrameAnalysis& analysis) {
  if (analysis.n_nodes < 0) return failure(Outcome::bad_node_count);
  if (analysis.n_equations != k_node_dofs * analysis.n_nodes)
    return failure(Outcome::bad_equation_count);
  const Status profile_ok = profile_status(analysis.diag, analysis.profile_length);
  if (!profile_ok.ok()) return profile_ok;
  const SkylineProfile profile(analysis.diag);
  for (Index e = 1; e <= analysis.model.element_nodes.cols(); ++e) {
    const Status element_ok = element_status(analysis, profile, e);
    if (!element_ok.ok()) return element_ok;
  }
  return supports_status(analysis.supports, profile);
}

Status node_block_status(const FrameAnalysis& analysis) {
  if (analysis.n_nodes < 0) return failure(Outcome::bad_node_count);
  if (analysis.n_equations != k_node_dofs * analysis.n_nodes)
    return failure(Outcome::bad_equation_count);
  const Index elements = analysis.model.element_nodes.cols();
  for (Index e = 1; e <= elements; ++e)
    if (!element_is_valid(analysis, e)) return failure(Outcome::bad_element, e);
  // A spring entry across two nodes is rare (a record that does not start
  // at a node's first or fourth equation): the elements are searched then.
  const auto stored = [&](Index i, Index j) {
    const Index node_i = (i - 1) / k_node_dofs + 1;
    const Index node_j = (j - 1) / k_node_dofs + 1;
    if (node_i == node_j) return true;
    for (Index e = 1; e <= elements; ++e) {
      const Index a = analysis.model.element_nodes(1, e);
      const Index b = analysis.model.element_nodes(2, e);
      if ((a == node_i && b == node_j) || (a == node_j && b == node_i)) return true;
    }
    return false;
  };
  return records_status(analysis.supports.records, analysis.n_equations, stored);
}

Status analyse(const FrameAnalysis& analysis, Vector1<double> f) {
  const Status checked = analysis_status(analysis);
  if (!checked.ok()) return checked;

  std::unique_ptr<ZeroedStore> store;
  try {
    store = std::make_unique<ZeroedStore>(static_cast<std::size_t>(analysis.profile_length));
  } catch (const std::bad_alloc&) {
    return failure(Outcome::out_of_memory);
  }
  const SkylineMatrix K(SkylineProfile(analysis.diag),
                        Vector1<double>(store->data(), analysis.profile_length));

  assemble(analysis, K);
  return apply_records_and_solve(K, f, analysis.supports);
}

}  // namespace zervola::global
