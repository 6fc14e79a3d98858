#include "mesh_numbering/host_mesh.hpp"

#include "mesh_numbering/mesh_errors.hpp"

namespace zervola::mesh_numbering {

void require_node_numbers_in_range(ElementNodes element_nodes, Index n_nodes) {
  for (Index e = 1; e <= element_nodes.cols(); ++e)
    for (Index end = 1; end <= 2; ++end) {
      const Index node = element_nodes(end, e);
      if (node < 1 || node > n_nodes) throw NodeNumberOutOfRange();
    }
}

}  // namespace zervola::mesh_numbering
