#pragma once

// The neighbour graph of a mesh: two nodes are neighbours when at least one
// element joins them; an element whose two ends are the same node makes that
// node its own neighbour.

#include "common/frame_model.hpp"
#include "common/index.hpp"
#include "mesh_numbering/node_lists.hpp"

namespace zervola::mesh_numbering {

struct NeighbourGraph {
  // The neighbours of each node, each once, in the order in which the element
  // list first joins them to the node: element e = (a, b) puts b into the
  // list of a, then a into the list of b.
  NodeLists neighbours;
  // The largest |a - b| over all elements (a, b); 0 without elements.
  Index bandwidth = 0;
};

// Node numbers must lie in 1 .. n_nodes.
[[nodiscard]] NeighbourGraph build_neighbour_graph(ElementNodes element_nodes, Index n_nodes);

// True when every node can be reached from node 1 (always for 0 or 1 node).
[[nodiscard]] bool is_in_one_piece(const NodeLists& neighbours);

}  // namespace zervola::mesh_numbering
