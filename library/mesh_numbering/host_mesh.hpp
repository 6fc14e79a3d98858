#pragma once

// The host's mesh arrays as the renumbering and chain routines see them:
// coordinates and node pairs that may be rewritten in place.

#include "common/frame_model.hpp"
#include "common/index.hpp"
#include "common/one_based.hpp"

namespace zervola::mesh_numbering {

// node_x, node_y, node_z, writable.
struct MeshCoordinates {
  Vector1<double> x;
  Vector1<double> y;
  Vector1<double> z;

  [[nodiscard]] Index n_nodes() const { return x.size(); }
  [[nodiscard]] NodeCoordinates read_only() const { return {x, y, z}; }
};

// element_nodes (2, n_elements), writable: row 1 the first end, row 2 the
// second end of each element.
using MeshElementNodes = Table1<HostInt>;

// A count passed by the host; a negative count counts as 0.
[[nodiscard]] constexpr Index host_count(HostInt count) { return count < 0 ? 0 : count; }

// Throws NodeNumberOutOfRange unless every node number of element_nodes lies
// in 1 .. n_nodes.
void require_node_numbers_in_range(ElementNodes element_nodes, Index n_nodes);

}  // namespace zervola::mesh_numbering
