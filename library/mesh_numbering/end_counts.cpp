#include "mesh_numbering/end_counts.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include "mesh_numbering/work_array.hpp"

namespace zervola::mesh_numbering {
namespace {

// Open-addressing table from exact positions to the first node found there.
class PositionTable {
 public:
  PositionTable(const NodeCoordinates& nodes, Index n_nodes)
      : nodes_(nodes), mask_(table_size(n_nodes) - 1), slots_(mask_ + 1, 0) {}

  // The first node inserted at node's position; node itself if it is the first.
  [[nodiscard]] HostInt representative(Index node) {
    const Point3 p = nodes_(node);
    auto slot = static_cast<Index>(hash(p) & static_cast<std::uint64_t>(mask_));
    for (;;) {
      HostInt& held = slots_(slot + 1);
      if (held == 0) {
        held = static_cast<HostInt>(node);
        return held;
      }
      const Point3 q = nodes_(held);
      if (q.x == p.x && q.y == p.y && q.z == p.z) return held;
      slot = (slot + 1) & mask_;
    }
  }

 private:
  // A power of two, at least twice the number of nodes.
  [[nodiscard]] static Index table_size(Index n_nodes) {
    Index size = 2;
    while (size < 2 * n_nodes) size *= 2;
    return size;
  }

  // The bits of a coordinate, with -0.0 taken as 0.0 so that equal values
  // hash alike.
  [[nodiscard]] static std::uint64_t bits(double v) {
    return std::bit_cast<std::uint64_t>(v == 0.0 ? 0.0 : v);
  }

  [[nodiscard]] static std::uint64_t mix(std::uint64_t h) {
    h ^= h >> 30;
    h *= 0xbf58476d1ce4e5b9ULL;
    h ^= h >> 27;
    h *= 0x94d049bb133111ebULL;
    h ^= h >> 31;
    return h;
  }

  [[nodiscard]] static std::uint64_t hash(Point3 p) {
    return mix(mix(mix(bits(p.x)) ^ bits(p.y)) ^ bits(p.z));
  }

  const NodeCoordinates& nodes_;
  Index mask_;
  WorkArray<HostInt> slots_;  // 0: empty
};

[[nodiscard]] bool has_nan(Point3 p) { return std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.z); }

}  // namespace

void count_ends(const NodeCoordinates& nodes, ElementNodes element_nodes,
                Vector1<HostInt> end_count) {
  const Index n_nodes = end_count.size();
  WorkArray<Index> own_ends(n_nodes, 0);
  for (Index e = 1; e <= element_nodes.cols(); ++e) {
    ++own_ends(element_nodes(1, e));
    ++own_ends(element_nodes(2, e));
  }
  // Sum the ends of all nodes at one position into its representative node.
  PositionTable table(nodes, n_nodes);
  WorkArray<HostInt> representative(n_nodes, 0);
  WorkArray<Index> ends_at_position(n_nodes, 0);
  for (Index i = 1; i <= n_nodes; ++i) {
    if (has_nan(nodes(i))) continue;
    representative(i) = table.representative(i);
    ends_at_position(representative(i)) += own_ends(i);
  }
  for (Index i = 1; i <= n_nodes; ++i)
    end_count(i) =
        representative(i) == 0 ? 0 : static_cast<HostInt>(ends_at_position(representative(i)));
}

HostInt largest_end_count(Vector1<const HostInt> end_count) {
  HostInt largest = k_no_nodes_max_count;
  bool free_end = false;
  for (Index i = 1; i <= end_count.size(); ++i) {
    largest = std::max(largest, end_count(i));
    if (end_count(i) == k_free_end_count) free_end = true;
  }
  if (!free_end && largest == k_chain_count) largest = k_count_without_free_end;
  return largest;
}

}  // namespace zervola::mesh_numbering
