#pragma once

// Nodes and elements from the endpoints of drawn lines.

#include <memory_resource>

#include "common/frame_model.hpp"
#include "common/index.hpp"
#include "common/one_based.hpp"

namespace zervola::mesh_geometry {

// Coordinate arrays that a routine rewrites in place.
struct MutableCoordinates {
  Vector1<double> x;
  Vector1<double> y;
  Vector1<double> z;
};

// Node count returned when the call is refused or its work storage cannot be
// obtained; nothing else is then written.
inline constexpr HostInt k_no_nodes = 0;

// On entry points holds point_count = 2 n_elements positions, the first and
// second end of line k at 2k - 1 and 2k. Positions within k_merge_tolerance
// of an earlier position that is itself a node become that node: each
// position is compared with the first occurrence of a node only, so that a
// chain of positions each near the next does not fuse. Nodes are numbered in
// order of first occurrence and keep its coordinates, compacted to the front
// of points (entries beyond the node count keep what they held);
// element_nodes(1, k), element_nodes(2, k) receive the nodes of line k.
//
// Returns the node count. A point_count that is not positive or not
// 2 n_elements, or work storage that cannot be obtained from storage,
// returns k_no_nodes and writes nothing.
//
// Work: expected linear in point_count (a hash grid of the nodes found so far).
[[nodiscard]] HostInt nodes_from_line_ends(MutableCoordinates points,
                                           Table1<HostInt> element_nodes, HostInt point_count,
                                           HostInt n_elements,
                                           std::pmr::memory_resource* storage);

}  // namespace zervola::mesh_geometry
