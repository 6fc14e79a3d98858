#pragma once

// Plain transcriptions of band renumbering and of end counting, step by step
// and with the whole-list scans, used as the reference that the fast routines
// must match exactly. Arrays are std::vector with entry k - 1 for number k.

#include <vector>

#include "common/index.hpp"

namespace zervola::mesh_numbering::oracle {

struct Mesh {
  std::vector<double> x, y, z;
  std::vector<HostInt> element_nodes;  // 2 per element
  std::vector<HostInt> end_codes;      // 1 per element
  [[nodiscard]] HostInt n_nodes() const { return static_cast<HostInt>(x.size()); }
  [[nodiscard]] HostInt n_elements() const {
    return static_cast<HostInt>(element_nodes.size() / 2);
  }
};

struct RenumberOutcome {
  // The trial loop met a queue that ran out before all nodes were numbered.
  bool stopped = false;
  HostInt node_bandwidth = 0;
};

// The renumbering with neighbour lists that grow as needed. On a stop the
// mesh is left as it came.
RenumberOutcome renumber(Mesh& mesh);

// True when every node is joined to node 1 (by repeated passes over the
// element list); true for 0 or 1 node.
bool in_one_piece(const Mesh& mesh);

// The end counts, largest count and, by mode, chain orientation (visited
// marks in the sign of the node numbers) or kink clearing.
HostInt count_ends(Mesh& mesh, std::vector<HostInt>& end_count, HostInt mode);

}  // namespace zervola::mesh_numbering::oracle
