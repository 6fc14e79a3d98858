#pragma once

// A uniform grid of cubic cells over all of space, for finding every position
// within a tolerance of a given one without comparing against all positions.
//
// The cell edge is four times the tolerance. A position q within the
// tolerance of p (every coordinate differs by less than it) lies, along each
// axis, in the cell of p or in one of its two neighbours, and reach(p) names
// exactly those of the three that such a q can occupy. Rounding of the
// quotient coordinate / edge is covered by a margin; where the quotient is so
// large that the margin cannot be trusted, both neighbours are always
// included, and beyond k_clamp_cell the cell number is held at that value, so
// that it never overflows while nearby positions still land in the same or an
// adjacent cell. Positions with a non-finite coordinate are within no
// tolerance of anything and belong to no cell; callers keep them out.

#include <cstdint>

#include "common/frame_model.hpp"

namespace zervola::mesh_geometry {

using CellNumber = std::int64_t;

struct CellKey {
  CellNumber x = 0;
  CellNumber y = 0;
  CellNumber z = 0;

  [[nodiscard]] friend constexpr bool operator==(const CellKey&, const CellKey&) = default;
};

// Cells [first, last] along one axis, last - first at most 2.
struct AxisReach {
  CellNumber first = 0;
  CellNumber last = 0;
};

struct CellReach {
  AxisReach x;
  AxisReach y;
  AxisReach z;
};

class CellGrid {
 public:
  // Cell edge in tolerances: the reach along one axis is a quarter of a cell.
  static constexpr double k_edge_in_tolerances = 4.0;

  // Cell numbers are held within [-k_clamp_cell, k_clamp_cell].
  static constexpr CellNumber k_clamp_cell = CellNumber{1} << 50;

  explicit constexpr CellGrid(double tolerance) : edge_(k_edge_in_tolerances * tolerance) {}

  [[nodiscard]] constexpr double edge() const { return edge_; }

  // Cell number of one coordinate.
  [[nodiscard]] CellNumber cell(double coordinate) const;

  // Cells that hold every coordinate within the tolerance of this one.
  [[nodiscard]] AxisReach reach(double coordinate) const;

  [[nodiscard]] CellKey key(const Point3& p) const {
    return {cell(p.x), cell(p.y), cell(p.z)};
  }
  [[nodiscard]] CellReach reach(const Point3& p) const {
    return {reach(p.x), reach(p.y), reach(p.z)};
  }

 private:
  double edge_;
};

// Calls visit(key) for every cell of reach, x varying fastest.
template <class Visit>
void for_each_cell(const CellReach& r, Visit&& visit) {
  for (CellNumber z = r.z.first; z <= r.z.last; ++z)
    for (CellNumber y = r.y.first; y <= r.y.last; ++y)
      for (CellNumber x = r.x.first; x <= r.x.last; ++x) visit(CellKey{x, y, z});
}

}  // namespace zervola::mesh_geometry
