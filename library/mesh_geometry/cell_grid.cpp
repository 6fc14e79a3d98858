#include "mesh_geometry/cell_grid.hpp"

#include <cmath>

namespace zervola::mesh_geometry {
namespace {

// Quotients coordinate / edge below this magnitude carry a rounding error far
// below k_reach_margin (at most 2^40 * 2^-53 = 2^-13 of a cell); above it the
// reach always includes both neighbours.
constexpr double k_fine_quotient_limit = 1099511627776.0;  // 2^40

// Slack, in cells, added to the quarter-cell reach for the rounding of the
// quotient and of its fractional part.
constexpr double k_reach_margin = 1.0 / 1024.0;

constexpr double k_reach_in_cells = 1.0 / CellGrid::k_edge_in_tolerances;
constexpr double k_low_side = k_reach_in_cells + k_reach_margin;
constexpr double k_high_side = 1.0 - k_reach_in_cells - k_reach_margin;

constexpr double k_clamp_quotient = static_cast<double>(CellGrid::k_clamp_cell);

}  // namespace

CellNumber CellGrid::cell(double coordinate) const {
  const double q = coordinate / edge_;
  // Written so that a NaN quotient also takes the first branch.
  if (!(q < k_clamp_quotient)) return k_clamp_cell;
  if (q <= -k_clamp_quotient) return -k_clamp_cell;
  return static_cast<CellNumber>(std::floor(q));
}

AxisReach CellGrid::reach(double coordinate) const {
  const CellNumber c = cell(coordinate);
  const double q = coordinate / edge_;
  if (!(std::fabs(q) < k_fine_quotient_limit)) return {c - 1, c + 1};
  const double fraction = q - std::floor(q);
  return {fraction < k_low_side ? c - 1 : c, fraction > k_high_side ? c + 1 : c};
}

}  // namespace zervola::mesh_geometry
