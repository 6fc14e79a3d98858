#include "mesh_numbering/neighbour_graph.hpp"

#include <algorithm>

#include "mesh_numbering/work_array.hpp"

namespace zervola::mesh_numbering {

NeighbourGraph build_neighbour_graph(ElementNodes element_nodes, Index n_nodes) {
  const Index n_elements = element_nodes.cols();
  WorkArray<Index> capacity(n_nodes, 0);
  for (Index e = 1; e <= n_elements; ++e) {
    ++capacity(element_nodes(1, e));
    ++capacity(element_nodes(2, e));
  }
  NeighbourGraph graph{NodeLists(capacity), 0};
  for (Index e = 1; e <= n_elements; ++e) {
    const HostInt a = element_nodes(1, e);
    const HostInt b = element_nodes(2, e);
    graph.neighbours.append(a, b);
    graph.neighbours.append(b, a);
    graph.bandwidth = std::max(graph.bandwidth, a > b ? Index{a} - b : Index{b} - a);
  }
  graph.neighbours.keep_first_occurrences();
  return graph;
}

bool is_in_one_piece(const NodeLists& neighbours) {
  const Index n_nodes = neighbours.n_lists();
  if (n_nodes <= 1) return true;
  WorkArray<Mark> reached(n_nodes, Mark::clear);
  WorkArray<HostInt> queue(n_nodes, 0);
  Index head = 1;
  Index tail = 1;
  queue(1) = 1;
  reached(1) = Mark::set;
  while (head <= tail) {
    for (const HostInt w : neighbours(queue(head))) {
      if (reached(w) == Mark::set) continue;
      reached(w) = Mark::set;
      queue(++tail) = w;
    }
    ++head;
  }
  return tail == n_nodes;
}

}  // namespace zervola::mesh_numbering
