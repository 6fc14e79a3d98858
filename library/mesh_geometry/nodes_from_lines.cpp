#include "mesh_geometry/nodes_from_lines.hpp"

#include <algorithm>
#include <new>
#include <optional>
#include <stdexcept>
#include <vector>

#include "mesh_geometry/cell_grid.hpp"
#include "mesh_geometry/cell_table.hpp"
#include "mesh_geometry/tolerances.hpp"

namespace zervola::mesh_geometry {
namespace {

constexpr CellGrid k_merge_grid{k_merge_tolerance};

// The nodes found so far, by cell. Entries are node numbers; a node's
// coordinates are read from its compacted position, which holds a copy of
// its first occurrence.
class NodeGrid {
  // The cell of node n, for the table's checks.
  struct CellOf {
    const NodeGrid* grid;
    [[nodiscard]] CellKey operator()(Entry n) const { return k_merge_grid.key(grid->node(n)); }
  };

 public:
  NodeGrid(const MutableCoordinates& nodes, Index max_nodes, std::pmr::memory_resource* storage)
      : nodes_(nodes),
        table_(static_cast<std::size_t>(max_nodes), storage),
        next_(static_cast<std::size_t>(max_nodes) + 1, k_no_entry, storage) {}

  // The lowest-numbered node within the merge tolerance of p, or k_no_entry.
  [[nodiscard]] Entry earliest_near(const Point3& p) {
    Entry best = k_no_entry;
    for_each_cell(k_merge_grid.reach(p), [&](const CellKey& key) {
      const CellSlot* slot = table_.find(key, CellOf{this});
      if (slot == nullptr) return;
      for (Entry n = slot->head; n != k_no_entry; n = next_[static_cast<std::size_t>(n)])
        if ((best == k_no_entry || n < best) && within(node(n), p, k_merge_tolerance)) best = n;
    });
    return best;
  }

  // Adds node n, whose coordinates are already in place.
  void add(Entry n) {
    const Point3 p = node(n);
    CellSlot& slot = table_.claim(k_merge_grid.key(p), n, CellOf{this});
    next_[static_cast<std::size_t>(n)] = slot.head;
    slot.head = n;
  }

 private:
  [[nodiscard]] Point3 node(Entry n) const { return {nodes_.x(n), nodes_.y(n), nodes_.z(n)}; }

  MutableCoordinates nodes_;
  CellTable table_;
  std::pmr::vector<Entry> next_;
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
  std::optional<NodeGrid> grid;
  try {
    grid.emplace(points, n_points, storage);
  } catch (const std::bad_alloc&) {
    return k_no_nodes;
  } catch (const std::length_error&) {
    return k_no_nodes;
  }

  Entry n_nodes = 0;
  for (Index j = 1; j <= n_points; ++j) {
    const Point3 p{points.x(j), points.y(j), points.z(j)};
    Entry node = is_finite(p) ? grid->earliest_near(p) : k_no_entry;
    if (node == k_no_entry) {
      // A new node: its number never exceeds j, so only positions already
      // read are overwritten.
      node = ++n_nodes;
      points.x(node) = p.x;
      points.y(node) = p.y;
      points.z(node) = p.z;
      if (is_finite(p)) grid->add(node);
    }
    element_nodes(2 - j % 2, (j + 1) / 2) = node;
  }
  return n_nodes;
}

}  // namespace zervola::mesh_geometry
