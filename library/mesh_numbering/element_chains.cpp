#include "mesh_numbering/element_chains.hpp"

#include <utility>

#include "element/end_codes.hpp"
#include "mesh_numbering/end_counts.hpp"
#include "mesh_numbering/node_incidence.hpp"
#include "mesh_numbering/work_array.hpp"

namespace zervola::mesh_numbering {
namespace {

// The first element at each node that no walk has taken yet. Taken elements
// stay taken, so each node's position in its incidence list only moves on.
class UntakenElements {
 public:
  UntakenElements(const NodeLists& incidence, Index n_elements)
      : incidence_(incidence), next_(incidence.n_lists(), 0), taken_(n_elements, Mark::clear) {}

  // 0 when every element at node p is taken.
  [[nodiscard]] HostInt first_at(Index p) {
    const auto list = incidence_(p);
    Index& k = next_(p);
    while (k < static_cast<Index>(list.size()) &&
           taken_(list[static_cast<std::size_t>(k)]) == Mark::set)
      ++k;
    return k < static_cast<Index>(list.size()) ? list[static_cast<std::size_t>(k)] : 0;
  }

  void take(Index element) { taken_(element) = Mark::set; }

 private:
  const NodeLists& incidence_;
  WorkArray<Index> next_;  // 0-based position in each node's list
  WorkArray<Mark> taken_;
};

// One walk from p; false when it found no element to take.
bool walk(Index p, MeshElementNodes element_nodes, Vector1<HostInt> end_codes,
          Vector1<const HostInt> end_count, UntakenElements& untaken) {
  bool took_any = false;
  for (;;) {
    const HostInt e = untaken.first_at(p);
    if (e == 0) return took_any;
    took_any = true;
    if (element_nodes(1, e) != p) {
      std::swap(element_nodes(1, e), element_nodes(2, e));
      end_codes(e) = element::swapped_end_code(end_codes(e));
    }
    untaken.take(e);
    p = element_nodes(2, e);
    if (end_count(p) > k_chain_count) return took_any;
  }
}

}  // namespace

void orient_chains(MeshElementNodes element_nodes, Vector1<HostInt> end_codes,
                   Vector1<const HostInt> end_count) {
  const Index n_nodes = end_count.size();
  const NodeLists incidence = build_node_incidence(element_nodes, n_nodes);
  UntakenElements untaken(incidence, element_nodes.cols());
  for (Index i = 1; i <= n_nodes; ++i) {
    const HostInt c = end_count(i);
    if (c < k_free_end_count || c == k_chain_count) continue;
    // Once a walk from i finds nothing, every further walk from i finds
    // nothing too: no walk in between takes an element.
    for (HostInt w = 1; w <= c; ++w)
      if (!walk(i, element_nodes, end_codes, end_count, untaken)) break;
  }
}

}  // namespace zervola::mesh_numbering
