#include "global/supernodal/supernodal_load_cases.hpp"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "element/geometric_stiffness.hpp"
#include "element/global_matrix.hpp"
#include "global/block_kernels.hpp"
#include "global/case_eliminations.hpp"
#include "global/supports.hpp"
#include "global/case_substitution.hpp"
#include "global/supernodal/node_block_matrix.hpp"
#include "global/supernodal/supernodal_factor.hpp"
#include "global/supernodal/supernodal_substitution.hpp"

namespace zervola::global::supernodal {

namespace {

constexpr Index k_dofs = k_node_dofs;

// Every prescribed equation cleared apart from its diagonal; the couplings
// of those that some case moves kept first.
void eliminate(NodeBlockMatrix& K, Eliminations& e, std::size_t n_cases) {
  const std::size_t count = e.shared.size();
  e.first_coupling.push_back(0);
  for (std::size_t q = 0; q < count; ++q) {
    const Index k = e.shared[q].equation;
    e.diagonal.push_back(K(k, k));
    bool moved = false;
    for (std::size_t c = 0; c < n_cases; ++c) moved = moved || e.values[q + count * c] != 0.0;
    if (moved)
      K.for_each_coupling(k, [&](Index i, double value) { e.couplings.push_back({i, value}); });
    e.first_coupling.push_back(e.couplings.size());
    K.clear_couplings(k);
  }
}

}  // namespace

bool is_node_order(std::span<const Index> order, Index n) {
  if (static_cast<Index>(order.size()) != n) return false;
  std::vector<bool> seen(static_cast<std::size_t>(n), false);
  for (const Index v : order) {
    if (v < 0 || v >= n || seen[static_cast<std::size_t>(v)]) return false;
    seen[static_cast<std::size_t>(v)] = true;
  }
  return true;
}

void strain_free_shapes(const SupernodalFactor& factor, VectorPath path, EquationPivots& p) {
  const SupernodePartition& partition = factor.partition();
  const Index n = k_dofs * partition.n_nodes;
  const auto place = [&](Index j) { return partition.place_of(j); };
  std::vector<double> rows;
  for (Index j = 1; j <= n && p.shapes.size() < p.most_shapes; ++j) {
    const auto q = static_cast<std::size_t>(j - 1);
    if (p.without_stiffness[q] || !(p.pivot[q] < p.small_share * p.diagonal[q])) continue;
    rows.assign(static_cast<std::size_t>(n * k_block_width), 0.0);
    rows[static_cast<std::size_t>(place(j) * k_block_width)] = 1.0;
    back_substitute(factor, rows.data(), k_block_width, path);
    std::vector<double> x(static_cast<std::size_t>(n));
    for (Index i = 1; i <= n; ++i) x[static_cast<std::size_t>(i - 1)] = rows[static_cast<std::size_t>(place(i) * k_block_width)];
    p.shapes.push_back(std::move(x));
  }
}

Status analyse_load_cases(const FrameAnalysis& frame, std::span<const NodeRecordTable> cases,
                          Table1<double> displacements, EquationPivots& pivots,
                          const Vector1<const double>* axial_force, const SupernodalSetup& setup) {
  const Status checked = cases_status(frame, cases, displacements, StiffnessStore::node_blocks);
  if (!checked.ok()) return checked;
  if (!is_node_order(setup.order, frame.n_nodes)) return failure(Outcome::bad_node_count);
  if (axial_force != nullptr) {
    if (axial_force->size() != frame.model.element_nodes.cols()) return failure(Outcome::bad_element, 0);
    for (Index e = 1; e <= axial_force->size(); ++e)
      if (!std::isfinite((*axial_force)(e))) return failure(Outcome::bad_element, e);
  }
  if (cases.empty()) return {};
  const Index n = frame.n_equations;
  const std::size_t n_cases = cases.size();
  const SequentialRunner alone;
  const TaskRunner& runner = setup.runner != nullptr ? *setup.runner : alone;
  try {
    Eliminations e;
    std::vector<NodeRecord> springs;
    const Status alike = case_prescriptions(frame, cases, e, springs);
    if (!alike.ok()) return alike;

    const Index elements = frame.model.element_nodes.cols();
    const NodeGraph graph = node_graph(
        frame.n_nodes, std::span<const HostInt>(frame.model.element_nodes.data(),
                                                 static_cast<std::size_t>(2 * elements)));
    const SupernodePartition partition = partition_supernodes(graph, setup.order);
    NodeBlockMatrix K(graph, partition);
    for (Index el = 1; el <= elements; ++el)
      K.add_element(element::element_matrix(frame.model, el, frame.element_frame, frame.end_codes(el)),
                    frame.model.element_nodes(1, el), frame.model.element_nodes(2, el));
    pivots.without_stiffness.assign(static_cast<std::size_t>(n), false);
    for (Index j = 1; j <= n; ++j) pivots.without_stiffness[static_cast<std::size_t>(j - 1)] = K(j, j) == 0.0;
    if (axial_force != nullptr) {
      for (Index el = 1; el <= elements; ++el) {
        const double N = (*axial_force)(el);
        if (N == 0.0) continue;
        K.add_element(element::element_geometric_matrix(frame.model, el, frame.end_codes(el), N),
                      frame.model.element_nodes(1, el), frame.model.element_nodes(2, el));
      }
      // Equations without elastic stiffness get none of the geometric.
      for (Index j = 1; j <= n; ++j)
        if (pivots.without_stiffness[static_cast<std::size_t>(j - 1)]) {
          K.clear_couplings(j);
          K(j, j) = 0.0;
        }
    }
    for (Index j = 1; j <= n; ++j)
      if (K(j, j) == 0.0) K(j, j) = 1.0;
    for (const NodeRecord& r : springs) add_spring_terms(K, r);
    eliminate(K, e, n_cases);
    pivots.prescribed.assign(static_cast<std::size_t>(n), false);
    for (const Prescription& q : e.shared) pivots.prescribed[static_cast<std::size_t>(q.equation - 1)] = true;
    pivots.diagonal.resize(static_cast<std::size_t>(n));
    for (Index j = 1; j <= n; ++j) pivots.diagonal[static_cast<std::size_t>(j - 1)] = K(j, j);

    SupernodalFactor factor(partition);
    factor.factorise(K, setup.path, runner);
    const auto place = [&](Index j) { return partition.place_of(j); };
    pivots.pivot.resize(static_cast<std::size_t>(n));
    for (Index j = 1; j <= n; ++j) pivots.pivot[static_cast<std::size_t>(j - 1)] = factor.pivot_at(place(j));

    strain_free_shapes(factor, setup.path, pivots);

    std::vector<double> rows;
    for (std::size_t c = 0; c < n_cases; ++c)
      right_hand_side(cases[c], e, c, displacements.column(static_cast<Index>(c + 1)));
    for (Index first = 1; first <= static_cast<Index>(n_cases); first += k_cases_per_pass) {
      const Index count = std::min<Index>(k_cases_per_pass, static_cast<Index>(n_cases) - first + 1);
      const Index width = (count + k_block_width - 1) / k_block_width * k_block_width;
      rows.assign(static_cast<std::size_t>(n * width), 0.0);
      for (Index c = 0; c < count; ++c)
        for (Index i = 1; i <= n; ++i) rows[static_cast<std::size_t>(place(i) * width + c)] = displacements(i, first + c);
      substitute(factor, rows.data(), width, setup.path);
      for (Index c = 0; c < count; ++c)
        for (Index i = 1; i <= n; ++i) displacements(i, first + c) = rows[static_cast<std::size_t>(place(i) * width + c)];
    }
  } catch (const std::bad_alloc&) {
    return failure(Outcome::out_of_memory);
  }
  return {};
}

}  // namespace zervola::global::supernodal
