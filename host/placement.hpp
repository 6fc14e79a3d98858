#pragma once

// Finds the node on which each support, spring and load lies, by its
// coordinates, with the tolerance that merges drawn points into nodes.

#include <cstdint>
#include <vector>

#include "library_arrays.hpp"
#include "model.hpp"

namespace zervola::host {

// nodes: node coordinates by drawing number; library_node: for each drawing
// number, the node's number in the library's final numbering. Throws
// InputError naming any support, spring or load that lies on no node, and a
// second support on one node.
[[nodiscard]] Placement place_on_nodes(const Model& model, const std::vector<Point3>& nodes,
                                       const std::vector<std::int32_t>& library_node);

// The drawing number of the node at p, or 0.
[[nodiscard]] std::int32_t find_node(const std::vector<Point3>& nodes, const Point3& p);

}  // namespace zervola::host
