#pragma once

// End counts: for every node, the number of element ends whose node has
// exactly the same three coordinates (compared with ==, no tolerance), the
// node's own ends included. Nodes that share one position share one count.
// A coordinate that is NaN equals nothing, so such a node counts 0; -0.0 and
// 0.0 are the same position.

#include "common/frame_model.hpp"
#include "common/index.hpp"
#include "common/one_based.hpp"

namespace zervola::mesh_numbering {

// Writes end_count(1 .. n_nodes). Node numbers must lie in 1 .. n_nodes.
void count_ends(const NodeCoordinates& nodes, ElementNodes element_nodes,
                Vector1<HostInt> end_count);

// The count of a free end: exactly one element end at the position.
inline constexpr HostInt k_free_end_count = 1;
// The count of a node inside an unbranched chain: exactly two ends meet.
inline constexpr HostInt k_chain_count = 2;
// The largest count without nodes.
inline constexpr HostInt k_no_nodes_max_count = -1;
// Reported instead of a largest count of 2 when no node is a free end.
inline constexpr HostInt k_count_without_free_end = 3;

// The largest end count, except that a largest count of 2 without any free
// end gives 3; k_no_nodes_max_count without nodes.
[[nodiscard]] HostInt largest_end_count(Vector1<const HostInt> end_count);

}  // namespace zervola::mesh_numbering
