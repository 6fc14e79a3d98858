#pragma once

// A fill-reducing order of a frame's nodes by nested dissection of the node
// graph (METIS_NodeND): the graph is cut by small separators, each half
// ordered first and the separator last, recursively. On the node graph
// rather than the equations' graph, so that a node's six equations stay
// together, and 36 times smaller.

#include <vector>

#include "global/supernodal/supernode_partition.hpp"

namespace zervola::frame {

// order[k]: the node (0-based) to eliminate k-th. A graph of fewer than
// k_dissected_nodes nodes, or without edges, is returned in its own order.
// Throws std::bad_alloc, and std::runtime_error when METIS fails.
[[nodiscard]] std::vector<Index> nested_dissection(const global::supernodal::NodeGraph& graph);

// Below this many nodes dissection gains nothing over the profile's order.
inline constexpr Index k_dissected_nodes = 8;

}  // namespace zervola::frame
