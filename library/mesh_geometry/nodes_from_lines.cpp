#include "mesh_geometry/nodes_from_lines.hpp"

#include <new>
#include <stdexcept>
#include <vector>

#include "mesh_geometry/cell_grid.hpp"
#include "mesh_geometry/cell_buckets.hpp"
#include "mesh_geometry/tolerances.hpp"

namespace zervola::mesh_geometry {
namespace {

constexpr CellGrid k_merge_grid{k_merge_tolerance};

// A node as listed in one of the cells it reaches: its coordinates (those of
// its first occurrence), its number, and the next node listed in that cell.
struct ListedNode {
  Point3 p;
  HostInt node = 0;
  Link next = k_no_link;
};

// The merge, done in work storage only, so that a failure to obtain storage
// leaves the host's arrays untouched.
//
// Each node is listed in every cell of its reach; since a position within
// the tolerance of a node lies in a cell of that node's reach, the nodes
// near a position are all listed in the bucket of the position's cell.
class Merge {
 public:
  Merge(Index n_points, std::pmr::memory_resource* storage)
      : node_of_(static_cast<std::size_t>(n_points), 0, storage),
        listed_(storage),
        buckets_(static_cast<std::size_t>(n_points)),
        heads_(buckets_.count(), k_no_link, storage) {}

  // Node numbers of points 1..n in order: point j joins the lowest-numbered
  // node within the tolerance, or becomes the next node.
  void run(const MutableCoordinates& points) {
    const auto n = static_cast<Index>(node_of_.size());
    for (Index j = 1; j <= n; ++j) {
      // Two stages ahead: the bucket's head, then the first node listed
      // there (nodes listed later may still join the list).
      if (j + 2 * k_lookahead <= n) {
        const Index a = j + 2 * k_lookahead;
        const Point3 ahead{points.x(a), points.y(a), points.z(a)};
        if (is_finite(ahead)) prefetch(&heads_[buckets_.of(k_merge_grid.key(ahead))]);
      }
      if (j + k_lookahead <= n) {
        const Index a = j + k_lookahead;
        const Point3 ahead{points.x(a), points.y(a), points.z(a)};
        if (is_finite(ahead)) {
          const Link head = heads_[buckets_.of(k_merge_grid.key(ahead))];
          if (head != k_no_link) prefetch(&listed_[head]);
        }
      }
      const Point3 p{points.x(j), points.y(j), points.z(j)};
      HostInt node = is_finite(p) ? earliest_near(p) : 0;
      if (node == 0) {
        node = ++n_nodes_;
        if (is_finite(p)) list(p, node);
      }
      node_of_[static_cast<std::size_t>(j - 1)] = node;
    }
  }

  [[nodiscard]] HostInt n_nodes() const { return n_nodes_; }
  [[nodiscard]] HostInt node_of(Index point) const {
    return node_of_[static_cast<std::size_t>(point - 1)];
  }

 private:
  // How many points ahead memory is asked for.
  static constexpr Index k_lookahead = 8;

  [[nodiscard]] HostInt earliest_near(const Point3& p) const {
    HostInt best = 0;
    for (Link l = heads_[buckets_.of(k_merge_grid.key(p))]; l != k_no_link; l = listed_[l].next) {
      const ListedNode& c = listed_[l];
      if ((best == 0 || c.node < best) && within(c.p, p, k_merge_tolerance)) best = c.node;
    }
    return best;
  }

  void list(const Point3& p, HostInt node) {
    for_each_cell(k_merge_grid.reach(p), [&](const CellKey& key) {
      if (listed_.size() >= k_no_link) throw std::bad_alloc();
      Link& head = heads_[buckets_.of(key)];
      listed_.push_back({p, node, head});
      head = static_cast<Link>(listed_.size() - 1);
    });
  }

  std::pmr::vector<HostInt> node_of_;
  std::pmr::vector<ListedNode> listed_;
  CellBuckets buckets_;
  std::pmr::vector<Link> heads_;  // first listed node of each bucket
  HostInt n_nodes_ = 0;
};

[[nodiscard]] bool counts_agree(HostInt point_count, HostInt n_elements) {
  return point_count > 0 && Index{point_count} == 2 * Index{n_elements};
}

}  // namespace

HostInt nodes_from_line_ends(MutableCoordinates points, Table1<HostInt> element_nodes,
                             HostInt point_count, HostInt n_elements,
                             std::pmr::memory_resource* storage) {
  if (!counts_agree(point_count, n_elements)) return k_no_nodes;
  const Index n_points = point_count;
  try {
    Merge merge(n_points, storage);
    merge.run(points);
    // Every storage is in hand: from here on nothing can fail. A node's first
    // occurrence j moves to position node <= j, which has been read already.
    HostInt placed = 0;
    for (Index j = 1; j <= n_points; ++j) {
      const HostInt node = merge.node_of(j);
      if (node > placed) {
        placed = node;
        points.x(node) = points.x(j);
        points.y(node) = points.y(j);
        points.z(node) = points.z(j);
      }
      element_nodes(2 - j % 2, (j + 1) / 2) = node;
    }
    return merge.n_nodes();
  } catch (const std::bad_alloc&) {
    return k_no_nodes;
  } catch (const std::length_error&) {
    return k_no_nodes;
  }
}

}  // namespace zervola::mesh_geometry
