#include "mesh_numbering/node_incidence.hpp"

#include "mesh_numbering/work_array.hpp"

namespace zervola::mesh_numbering {

NodeLists build_node_incidence(ElementNodes element_nodes, Index n_nodes) {
  const Index n_elements = element_nodes.cols();
  WorkArray<Index> capacity(n_nodes, 0);
  for (Index e = 1; e <= n_elements; ++e) {
    ++capacity(element_nodes(1, e));
    if (element_nodes(2, e) != element_nodes(1, e)) ++capacity(element_nodes(2, e));
  }
  NodeLists incidence(capacity);
  for (Index e = 1; e <= n_elements; ++e) {
    const auto element = static_cast<HostInt>(e);
    incidence.append(element_nodes(1, e), element);
    if (element_nodes(2, e) != element_nodes(1, e)) incidence.append(element_nodes(2, e), element);
  }
  return incidence;
}

}  // namespace zervola::mesh_numbering
