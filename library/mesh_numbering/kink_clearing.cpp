#include "mesh_numbering/kink_clearing.hpp"

#include <cmath>

#include "mesh_numbering/end_counts.hpp"
#include "mesh_numbering/node_incidence.hpp"

namespace zervola::mesh_numbering {
namespace {

[[nodiscard]] HostInt other_end(ElementNodes element_nodes, HostInt element, Index node) {
  return element_nodes(1, element) == node ? element_nodes(2, element) : element_nodes(1, element);
}

}  // namespace

double kink_cosine(Point3 i, Point3 a, Point3 b) {
  const double ux = a.x - i.x;
  const double uy = a.y - i.y;
  const double uz = a.z - i.z;
  const double wx = b.x - i.x;
  const double wy = b.y - i.y;
  const double wz = b.z - i.z;
  const double dot = ux * wx + uy * wy + uz * wz;
  const double u_length = std::sqrt(ux * ux + uy * uy + uz * uz);
  const double w_length = std::sqrt(wx * wx + wy * wy + wz * wz);
  return -((dot / u_length) / w_length);
}

void clear_slight_kinks(const NodeCoordinates& nodes, ElementNodes element_nodes,
                        Vector1<HostInt> end_codes, Vector1<const HostInt> end_count) {
  const Index n_nodes = end_count.size();
  const NodeLists incidence = build_node_incidence(element_nodes, n_nodes);
  for (Index i = 1; i <= n_nodes; ++i) {
    if (end_count(i) != k_chain_count) continue;
    const auto list = incidence(i);
    if (list.size() < 2) continue;
    const HostInt e1 = list[0];
    const HostInt e2 = list[1];
    const double c = kink_cosine(nodes(i), nodes(other_end(element_nodes, e1, i)),
                                 nodes(other_end(element_nodes, e2, i)));
    if (c > k_slight_kink_lower && c < k_slight_kink_upper && end_codes(e1) < 0 &&
        end_codes(e2) < 0) {
      end_codes(e1) = 0;
      end_codes(e2) = 0;
    }
  }
}

}  // namespace zervola::mesh_numbering
