#include "global/profile_builder.hpp"

#include <algorithm>
#include <cassert>
#include <limits>
#include <vector>

#include "common/matrix12.hpp"
#include "element/end_codes.hpp"

namespace zervola::global {

namespace {

constexpr auto k_longest_profile = static_cast<Index>(std::numeric_limits<HostInt>::max());

// First equation of node n.
constexpr Index first_equation(Index node) { return k_node_dofs * (node - 1) + 1; }

}  // namespace

Status connectivity_status(Table1<const HostInt> element_nodes, Index n_nodes, Index n_equations) {
  if (n_nodes < 0) return failure(Outcome::bad_node_count);
  if (n_equations != k_node_dofs * n_nodes) return failure(Outcome::bad_equation_count);
  for (Index e = 1; e <= element_nodes.cols(); ++e)
    for (Index end = 1; end <= 2; ++end) {
      const Index node = element_nodes(end, e);
      if (node < 1 || node > n_nodes) return failure(Outcome::bad_element, e);
    }
  return {};
}

void order_pairs(const Connectivity& c) {
  for (Index e = 1; e <= c.element_nodes.cols(); ++e) {
    const HostInt a = c.element_nodes(1, e);
    const HostInt b = c.element_nodes(2, e);
    if (a <= b) continue;
    c.end_codes(e) = element::swapped_end_code(c.end_codes(e));
    c.element_nodes(1, e) = b;
    c.element_nodes(2, e) = a;
  }
}

Status build_profile(Table1<const HostInt> element_nodes, Vector1<HostInt> diag,
                     ProfileSize& size) {
  size = {};
  const Index n = diag.size();
  const Index n_nodes = n / k_node_dofs;

  // Node heights, counted in nodes, at each node's first equation.
  for (Index j = 1; j <= n; ++j) diag(j) = 1;
  for (Index e = 1; e <= element_nodes.cols(); ++e) {
    const Index i = element_nodes(1, e);
    const Index j = element_nodes(2, e);
    HostInt& g = diag(first_equation(j));
    g = static_cast<HostInt>(std::max<Index>(g, j - i + 1));
  }

  // Equation heights: 6 g - 5 for the first equation, one more for each of
  // the other five.
  for (Index node = 1; node <= n_nodes; ++node) {
    const Index first = first_equation(node);
    const Index height = k_node_dofs * diag(first) - (k_node_dofs - 1);
    for (Index k = 0; k < k_node_dofs; ++k) diag(first + k) = static_cast<HostInt>(height + k);
  }

  Index highest = 0;
  for (Index j = 1; j <= n; ++j) highest = std::max<Index>(highest, diag(j));

  // Addresses: running sums, every column after the first at least 2 high.
  Index address = n >= 1 ? diag(1) : 0;
  for (Index j = 2; j <= n; ++j) {
    address += std::max<Index>(diag(j), 2);
    if (address > k_longest_profile) {
      for (Index k = 1; k <= n; ++k) diag(k) = 0;
      return failure(Outcome::profile_too_long, j);
    }
    diag(j) = static_cast<HostInt>(address);
  }

  size.profile_length = address;
  size.max_column_height = highest;
  return {};
}

SkylineCount count_skyline(Table1<const HostInt> element_nodes, Index n_nodes) {
  // Node heights, counted in nodes, as build_profile forms them.
  std::vector<Index> node_height(static_cast<std::size_t>(std::max<Index>(n_nodes, 0)), 1);
  for (Index e = 1; e <= element_nodes.cols(); ++e) {
    const Index i = element_nodes(1, e);
    const Index j = element_nodes(2, e);
    Index& g = node_height[static_cast<std::size_t>(j - 1)];
    g = std::max(g, j - i + 1);
  }
  SkylineCount count;
  for (Index node = 1; node <= n_nodes; ++node) {
    const Index first_height = k_node_dofs * node_height[static_cast<std::size_t>(node - 1)] - (k_node_dofs - 1);
    for (Index k = 0; k < k_node_dofs; ++k) {
      const Index height = first_height + k;
      count.max_column_height = std::max(count.max_column_height, height);
      // Every column after the first is stored at least 2 high.
      const Index stored = node == 1 && k == 0 ? height : std::max<Index>(height, 2);
      count.entries += stored;
      const auto h = static_cast<double>(stored);
      count.squared_heights += h * h;
      count.flops += (h - 1.0) * (h - 1.0) + (h - 1.0);
    }
  }
  return count;
}

Status profile_frame(const Connectivity& connectivity, Vector1<HostInt> diag, Index n_nodes,
                     Index n_equations, ProfileSize& size) {
  size = {};
  const Status checked = connectivity_status(connectivity.element_nodes, n_nodes, n_equations);
  if (!checked.ok()) return checked;
  assert(diag.size() == n_equations);
  order_pairs(connectivity);
  return build_profile(connectivity.element_nodes, diag, size);
}

}  // namespace zervola::global
