#pragma once

// The skyline profile of a frame from its connectivity alone: node pairs put
// in ascending order (end codes following their ends), column heights, and
// the diagonal address table.

#include "common/index.hpp"
#include "common/one_based.hpp"
#include "global/status.hpp"

namespace zervola::global {

struct ProfileSize {
  Index profile_length = 0;
  Index max_column_height = 0;
};

// The host's connectivity as the profile builder rewrites it.
struct Connectivity {
  Table1<HostInt> element_nodes;  // (2, n_elements)
  Vector1<HostInt> end_codes;     // (n_elements)
};

// solved, or why the connectivity cannot be profiled: n_nodes < 0
// (bad_node_count), n_equations != 6 n_nodes (bad_equation_count), or the
// first element with a node outside 1 .. n_nodes (bad_element).
[[nodiscard]] Status connectivity_status(Table1<const HostInt> element_nodes, Index n_nodes,
                                         Index n_equations);

// Puts every pair (a, b) with a > b as (b, a), its end code swapped.
void order_pairs(const Connectivity& connectivity);

// Builds diag (6 n_nodes entries) for ascending pairs: column heights from
// the node-number differences, each node's columns reaching up to the first
// equation of its lowest neighbour, a forced height 2 for the first column
// of a node that no element joins to a lower node, then running sums. When
// the store would hold more entries than a HostInt counts, diag is set to
// zeros and profile_too_long is returned with a zero size.
[[nodiscard]] Status build_profile(Table1<const HostInt> element_nodes, Vector1<HostInt> diag,
                                   ProfileSize& size);

// What build_profile's store would be for ascending pairs inside
// 1 .. n_nodes, counted in 64 bits, so that a profile beyond a HostInt can
// still be measured: entries (build_profile's profile_length when it fits),
// the highest column, the sum of the stored heights squared, and the
// factorisation's work, sum over columns of (h - 1)^2 + (h - 1) (a multiply
// and an add per product: the count the supernodal factor's work is given
// in). Pairs are not checked.
struct SkylineCount {
  Index entries = 0;
  Index max_column_height = 0;
  double squared_heights = 0.0;
  double flops = 0.0;
};
[[nodiscard]] SkylineCount count_skyline(Table1<const HostInt> element_nodes, Index n_nodes);

// The whole step: check, order, build. On a failed check nothing is written
// and the size is zero.
// diag must have max(n_equations, 0) entries.
[[nodiscard]] Status profile_frame(const Connectivity& connectivity, Vector1<HostInt> diag,
                                   Index n_nodes, Index n_equations, ProfileSize& size);

}  // namespace zervola::global
