#include "analysis/ordering/nested_dissection.hpp"

#include <metis.h>

#include <limits>
#include <new>
#include <numeric>
#include <stdexcept>

namespace zervola::frame {

std::vector<Index> nested_dissection(const global::supernodal::NodeGraph& graph) {
  const Index n = graph.n_nodes;
  std::vector<Index> order(static_cast<std::size_t>(n));
  std::iota(order.begin(), order.end(), Index{0});
  if (n < k_dissected_nodes || graph.neighbour.empty()) return order;
  if (static_cast<std::size_t>(n) > static_cast<std::size_t>(std::numeric_limits<idx_t>::max()) ||
      graph.neighbour.size() > static_cast<std::size_t>(std::numeric_limits<idx_t>::max()))
    throw std::runtime_error("the frame is too large for the nested dissection's 32-bit indices");
  std::vector<idx_t> first(graph.first.begin(), graph.first.end());
  std::vector<idx_t> neighbour(graph.neighbour.begin(), graph.neighbour.end());
  std::vector<idx_t> perm(static_cast<std::size_t>(n)), iperm(static_cast<std::size_t>(n));
  idx_t vertices = static_cast<idx_t>(n);
  idx_t options[METIS_NOPTIONS];
  METIS_SetDefaultOptions(options);
  options[METIS_OPTION_NUMBERING] = 0;
  const int status =
      METIS_NodeND(&vertices, first.data(), neighbour.data(), nullptr, options, perm.data(), iperm.data());
  if (status == METIS_ERROR_MEMORY) throw std::bad_alloc();
  if (status != METIS_OK) throw std::runtime_error("METIS_NodeND failed to order the frame's nodes");
  // perm[k] is the vertex that comes k-th.
  for (Index k = 0; k < n; ++k) order[static_cast<std::size_t>(k)] = perm[static_cast<std::size_t>(k)];
  return order;
}

}  // namespace zervola::frame
