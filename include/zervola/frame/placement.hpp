#pragma once

// Finds the node on which each support, spring and load lies, by its
// coordinates, with the tolerance that merges drawn points into nodes.

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "zervola/frame/export.hpp"
#include "zervola/frame/library_arrays.hpp"
#include "zervola/frame/model.hpp"

namespace zervola::frame {

// nodes: node coordinates by drawing number; library_node: for each drawing
// number, the node's number in the library's final numbering. Throws
// InputError naming any support, spring or load that lies on no node, and a
// second support on one node.
[[nodiscard]] ZERVOLA_FRAME_API Placement
place_on_nodes(const Model& model, const std::vector<Point3>& nodes,
               const std::vector<std::int32_t>& library_node);

// Finds the node at a point: the nearest node closer than the node tolerance
// in every coordinate (the lower number among equally near ones), through a
// hash grid of cells larger than the tolerance, so that only the 27 cells
// around the point are searched.
class ZERVOLA_FRAME_API NodeLocator {
 public:
  // nodes: in, by drawing number (index number - 1); kept by reference, so
  // it must outlive the locator.
  explicit NodeLocator(const std::vector<Point3>& nodes);
  // The drawing number of the node at p, or 0.
  [[nodiscard]] std::int32_t find(const Point3& p) const;

 private:
  using Cell = std::array<std::int64_t, 3>;
  struct CellHash {
    std::size_t operator()(const Cell& c) const;
  };
  static constexpr double k_cell_size = 2.0 * k_node_tolerance;
  static Cell cell_of(const Point3& p);

  const std::vector<Point3>& nodes_;
  std::unordered_map<Cell, std::vector<std::int32_t>, CellHash> cells_;
};

}  // namespace zervola::frame
