#pragma once

// A uniform grid of cubic cells over all of space, for finding every position
// within a tolerance of a given one without comparing against all positions.
//
// The cell edge is eight times the tolerance, and cells are shifted by half an
// edge so that round coordinates lie in the middle of a cell. A position q
// within the tolerance of p (every coordinate differs by less than it) lies,
// along each axis, in the cell of p or in one of its two neighbours, and
// reach(p) names exactly those of the three that such a q can occupy; the
// relation is symmetric, so p also lies in a cell of reach(q). Rounding of
// the quotient coordinate / edge is covered by a margin; where the quotient
// is so large that the margin cannot be trusted, both neighbours are always
// included, and beyond k_clamp_cell the cell number is held at that value, so
// that it never overflows while nearby positions still land in the same or an
// adjacent cell. Positions with a non-finite coordinate are within no
// tolerance of anything and belong to no cell; callers keep them out.

#include <cmath>
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
  // Cell edge in tolerances: the reach along one axis is an eighth of a cell.
  static constexpr double k_edge_in_tolerances = 8.0;

  // Cell numbers are held within [-k_clamp_cell, k_clamp_cell].
  static constexpr CellNumber k_clamp_cell = CellNumber{1} << 50;

  explicit constexpr CellGrid(double tolerance)
      : edge_(k_edge_in_tolerances * tolerance), cells_per_unit_(1.0 / edge_) {}

  [[nodiscard]] constexpr double edge() const { return edge_; }

  // Cell number of one coordinate.
  [[nodiscard]] CellNumber cell(double coordinate) const { return cell_of_quotient(quotient(coordinate)); }

  // Cells that hold every coordinate within the tolerance of this one.
  [[nodiscard]] AxisReach reach(double coordinate) const {
    const double q = quotient(coordinate);
    const CellNumber c = cell_of_quotient(q);
    if (!(std::fabs(q) < k_fine_quotient_limit)) return {c - 1, c + 1};
    const double fraction = q - static_cast<double>(c);  // c = floor(q) here
    return {fraction < k_low_side ? c - 1 : c, fraction > k_high_side ? c + 1 : c};
  }

  [[nodiscard]] CellKey key(const Point3& p) const {
    return {cell(p.x), cell(p.y), cell(p.z)};
  }
  [[nodiscard]] CellReach reach(const Point3& p) const {
    return {reach(p.x), reach(p.y), reach(p.z)};
  }

 private:
  // Quotients below this magnitude carry a rounding error far below
  // k_reach_margin (three roundings, of the reciprocal edge, the product and
  // the shift, each at most 2^40 * 2^-53 = 2^-13 of a cell); above it the
  // reach always includes both neighbours.
  static constexpr double k_fine_quotient_limit = 1099511627776.0;  // 2^40
  // Slack, in cells, added to the eighth-cell reach for that rounding and
  // for the rounding of the fractional part.
  static constexpr double k_reach_margin = 1.0 / 1024.0;
  static constexpr double k_reach_in_cells = 1.0 / k_edge_in_tolerances;
  static constexpr double k_low_side = k_reach_in_cells + k_reach_margin;
  static constexpr double k_high_side = 1.0 - k_reach_in_cells - k_reach_margin;
  static constexpr double k_clamp_quotient = static_cast<double>(k_clamp_cell);
  // Cells are shifted by half an edge, so that round coordinates (multiples
  // of the edge, as drawings mostly have) lie in the middle of a cell and
  // reach no neighbour.
  static constexpr double k_shift_in_cells = 0.5;

  // The coordinate in cells, shifted: cell c spans quotients [c, c + 1).
  [[nodiscard]] double quotient(double coordinate) const {
    return coordinate * cells_per_unit_ + k_shift_in_cells;
  }

  [[nodiscard]] static CellNumber cell_of_quotient(double q) {
    // Written so that a NaN quotient also takes the first branch.
    if (!(q < k_clamp_quotient)) return k_clamp_cell;
    if (q <= -k_clamp_quotient) return -k_clamp_cell;
    // floor(q), exactly: |q| < 2^50, so truncation is exact and c converts
    // back without rounding.
    const auto t = static_cast<CellNumber>(q);
    return q < static_cast<double>(t) ? t - 1 : t;
  }

  double edge_;
  double cells_per_unit_;
};

// Calls visit(key) for every cell of reach, x varying fastest.
template <class Visit>
void for_each_cell(const CellReach& r, Visit&& visit) {
  for (CellNumber z = r.z.first; z <= r.z.last; ++z)
    for (CellNumber y = r.y.first; y <= r.y.last; ++y)
      for (CellNumber x = r.x.first; x <= r.x.last; ++x) visit(CellKey{x, y, z});
}

}  // namespace zervola::mesh_geometry
