#include "mesh_geometry/cell_grid.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

#include "drawings.hpp"
#include "mesh_geometry/cell_buckets.hpp"
#include "mesh_geometry/tolerances.hpp"

namespace zervola::mesh_geometry {
namespace {

using test::just_inside;
using test::just_outside;

constexpr double k_tolerances[] = {k_merge_tolerance, k_coincidence_tolerance,
                                   k_node_at_point_tolerance};

// The one property the routines rely on: b within tolerance of a lies in a
// cell that reach(a) names.
void expect_reached(const CellGrid& grid, double a, double b, double tolerance) {
  if (!(std::fabs(a - b) < tolerance)) return;
  const AxisReach r = grid.reach(a);
  const CellNumber c = grid.cell(b);
  EXPECT_TRUE(r.first <= c && c <= r.last)
      << std::hexfloat << "a " << a << " b " << b << " cells " << r.first << ".." << r.last
      << " cell(b) " << c;
}

TEST(CellGrid, CellsAreShiftedByHalfAnEdgeAndReachAnEighth) {
  const CellGrid grid(0.1);
  EXPECT_DOUBLE_EQ(grid.edge(), 0.8);
  // Cell 0 spans [-0.4, 0.4).
  EXPECT_EQ(grid.cell(0.0), 0);
  EXPECT_EQ(grid.cell(-0.0), 0);
  EXPECT_EQ(grid.cell(0.39), 0);
  EXPECT_EQ(grid.cell(0.41), 1);
  EXPECT_EQ(grid.cell(-0.39), 0);
  EXPECT_EQ(grid.cell(-0.41), -1);
  // In the middle of a cell the reach stays in it; within an eighth of a
  // cell from an edge it takes the neighbour on that side only.
  for (double v : {0.0, 0.25, -0.25}) {
    EXPECT_EQ(grid.reach(v).first, 0) << v;
    EXPECT_EQ(grid.reach(v).last, 0) << v;
  }
  EXPECT_EQ(grid.reach(0.35).first, 0);
  EXPECT_EQ(grid.reach(0.35).last, 1);
  EXPECT_EQ(grid.reach(-0.35).first, -1);
  EXPECT_EQ(grid.reach(-0.35).last, 0);
}

TEST(CellGrid, HugeCoordinatesAreClampedAndReachBothNeighbours) {
  const CellGrid grid(k_merge_tolerance);
  const double big[] = {1e20, 1e300, std::numeric_limits<double>::max(),
                        std::numeric_limits<double>::infinity()};
  for (double v : big) {
    EXPECT_EQ(grid.cell(v), CellGrid::k_clamp_cell) << v;
    EXPECT_EQ(grid.cell(-v), -CellGrid::k_clamp_cell) << v;
    EXPECT_EQ(grid.reach(v).first, CellGrid::k_clamp_cell - 1);
    EXPECT_EQ(grid.reach(v).last, CellGrid::k_clamp_cell + 1);
  }
  // A NaN never reaches the undefined conversion.
  EXPECT_EQ(grid.cell(std::numeric_limits<double>::quiet_NaN()), CellGrid::k_clamp_cell);
  // Around the clamping edge neighbours stay adjacent.
  const double edge_value = std::ldexp(grid.edge(), 50);
  EXPECT_EQ(grid.cell(edge_value - grid.edge()), CellGrid::k_clamp_cell - 1);
  EXPECT_EQ(grid.cell(edge_value), CellGrid::k_clamp_cell);
  // Beyond 2^40 cells the reach takes both neighbours wherever the point lies.
  const double far = std::ldexp(grid.edge(), 41) + 0.5 * grid.edge();
  EXPECT_EQ(grid.reach(far).last - grid.reach(far).first, 2);
}

TEST(CellGrid, EveryPositionWithinToleranceIsReachedAtCellEdges) {
  for (double tol : k_tolerances) {
    const CellGrid grid(tol);
    for (int k = -500; k <= 500; ++k) {
      for (double scale : {1.0, 1e3, 1e6, 1e9, 1e12, 1e15}) {
        const double edge_point = (static_cast<double>(k) + (k % 2 == 0 ? 0.5 : 0.0)) *
                                  grid.edge() * scale;
        for (double a : {edge_point, std::nextafter(edge_point, -test::k_inf),
                         std::nextafter(edge_point, test::k_inf),
                         edge_point + 0.125 * grid.edge(), edge_point - 0.125 * grid.edge(),
                         edge_point + 0.375 * grid.edge()}) {
          for (double dir : {1.0, -1.0}) {
            expect_reached(grid, a, just_inside(a, tol, dir), tol);
            expect_reached(grid, just_inside(a, tol, dir), a, tol);
            expect_reached(grid, a, just_outside(a, tol, dir), tol);
          }
        }
      }
    }
  }
}

TEST(CellGrid, EveryPositionWithinToleranceIsReachedAtRandom) {
  const std::uint64_t seed = 20261209;
  std::mt19937_64 rng(seed);
  SCOPED_TRACE(testing::Message() << "seed " << seed);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::uniform_int_distribution<int> exponent(-1074, 1023);
  for (double tol : k_tolerances) {
    const CellGrid grid(tol);
    for (int n = 0; n < 200000; ++n) {
      const double a = std::ldexp(unit(rng), exponent(rng) % (n % 2 == 0 ? 60 : 1100));
      const double b = n % 3 == 0 ? just_inside(a, tol, unit(rng) < 0 ? -1.0 : 1.0)
                                  : a + unit(rng) * tol;
      expect_reached(grid, a, b, tol);
      expect_reached(grid, b, a, tol);
    }
    // Where the quotient coordinate / edge is so large that its rounding
    // exceeds the reach margin, around an eighth of a cell from an edge.
    std::uniform_int_distribution<int> cells_exponent(36, 52);
    for (int n = 0; n < 200000; ++n) {
      const double cells = std::floor(std::ldexp(1.0 + 0.5 * (unit(rng) + 1), cells_exponent(rng)));
      const double a = (cells + 0.625 + 1e-3 * unit(rng)) * grid.edge();
      for (double dir : {1.0, -1.0}) {
        expect_reached(grid, a, just_inside(a, tol, dir), tol);
        expect_reached(grid, just_inside(a, tol, dir), a, tol);
      }
    }
  }
}

TEST(CellBuckets, EveryCellHasABucketInRangeAndNeighboursSpread) {
  for (std::size_t wanted : {0U, 1U, 2U, 3U, 1000U, 1U << 20U}) {
    const CellBuckets buckets(wanted);
    EXPECT_GE(buckets.count(), std::max<std::size_t>(wanted, 1));
    EXPECT_LT(buckets.count(), 2 * std::max<std::size_t>(wanted, 1));
    const CellNumber far = CellGrid::k_clamp_cell;
    for (CellNumber i = -500; i <= 500; ++i)
      for (const CellKey& key : {CellKey{i, 0, 0}, CellKey{far, -far, i}, CellKey{-i, i, far + 1}})
        EXPECT_LT(buckets.of(key), buckets.count());
  }
  // A row of neighbouring cells fills most of as many buckets.
  const CellBuckets buckets(1024);
  std::vector<int> used(buckets.count(), 0);
  for (CellNumber i = 0; i < 1024; ++i) used[buckets.of(CellKey{2500 * i, 7, -3})] = 1;
  EXPECT_GT(std::count(used.begin(), used.end(), 1), 550);
}

TEST(CellBuckets, MoreBucketsThanCanBeHeldThrow) {
  EXPECT_THROW(CellBuckets(std::size_t{1} << 62U), std::bad_alloc);
}

}  // namespace
}  // namespace zervola::mesh_geometry
