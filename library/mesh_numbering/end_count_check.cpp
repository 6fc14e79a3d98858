#include "mesh_numbering/end_count_check.hpp"

#include "mesh_numbering/element_chains.hpp"
#include "mesh_numbering/end_counts.hpp"
#include "mesh_numbering/kink_clearing.hpp"

namespace zervola::mesh_numbering {

HostInt check_end_counts(const NodeCoordinates& nodes, MeshElementNodes element_nodes,
                         Vector1<HostInt> end_codes, Vector1<HostInt> end_count, ChainMode mode) {
  require_node_numbers_in_range(element_nodes, end_count.size());
  count_ends(nodes, element_nodes, end_count);
  const HostInt largest = largest_end_count(end_count);
  switch (mode) {
    case ChainMode::orient_chains:
      orient_chains(element_nodes, end_codes, end_count);
      break;
    case ChainMode::clear_kinks:
      clear_slight_kinks(nodes, element_nodes, end_codes, end_count);
      break;
    case ChainMode::counts_only:
      break;
  }
  return largest;
}

HostInt refuse_end_counts(Vector1<HostInt> end_count) {
  for (Index i = 1; i <= end_count.size(); ++i) end_count(i) = 0;
  return k_refused_max_count;
}

}  // namespace zervola::mesh_numbering
