#pragma once

// The elements at each node: list p holds every element that has node p as
// one of its ends, once, in increasing element order.

#include "common/frame_model.hpp"
#include "common/index.hpp"
#include "mesh_numbering/node_lists.hpp"

namespace zervola::mesh_numbering {

// Node numbers must lie in 1 .. n_nodes.
[[nodiscard]] NodeLists build_node_incidence(ElementNodes element_nodes, Index n_nodes);

}  // namespace zervola::mesh_numbering
