#include "element/local_axes.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>

#include "support/matrix_checks.hpp"

namespace zervola::element {
namespace {

using Rows = std::array<std::array<double, 3>, 3>;

void expect_rows(const DirectionCosines& b, const Rows& expected) {
  for (std::size_t r = 0; r < 3; ++r)
    for (std::size_t c = 0; c < 3; ++c)
      EXPECT_DOUBLE_EQ(b.rows[r][c], expected[r][c]) << "row " << r + 1 << " column " << c + 1;
}

constexpr Point3 k_marker{k_no_orientation_marker, k_no_orientation_marker,
                          k_no_orientation_marker};

// A two-node model holding one element, as the host would pass it.
struct OneBar {
  std::array<double, 2> x{}, y{}, z{};
  std::array<double, 1> ox{}, oy{}, oz{};
  std::array<HostInt, 2> pair{1, 2};

  OneBar(Point3 start, Point3 end, Point3 orientation = k_marker) {
    x = {start.x, end.x};
    y = {start.y, end.y};
    z = {start.z, end.z};
    ox[0] = orientation.x;
    oy[0] = orientation.y;
    oz[0] = orientation.z;
  }
  [[nodiscard]] Matrix12 transform(Walk walk) const {
    const NodeCoordinates nodes{{x.data(), 2}, {y.data(), 2}, {z.data(), 2}};
    const OrientationPoints orient{{ox.data(), 1}, {oy.data(), 1}, {oz.data(), 1}};
    return element_transform(nodes, orient, ElementNodes(pair.data(), 2, 1), 1, walk);
  }
};

DirectionCosines block_of(const Matrix12& t) {
  DirectionCosines b;
  for (std::size_t r = 0; r < 3; ++r)
    for (std::size_t c = 0; c < 3; ++c)
      b.rows[r][c] = t(static_cast<Index>(r) + 1, static_cast<Index>(c) + 1);
  return b;
}

TEST(DefaultAxes, BarsAlongTheGlobalAxes) {
  expect_rows(default_axes({0, 0, 0}, {1, 0, 0}), {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}});
  expect_rows(default_axes({0, 0, 0}, {0, 2, 0}), {{{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}}});
  expect_rows(default_axes({0, 0, 0}, {0, 0, 3}), {{{0, 0, 1}, {0, -1, 0}, {1, 0, 0}}});
  expect_rows(default_axes({0, 0, 3}, {0, 0, 0}), {{{0, 0, -1}, {0, -1, 0}, {-1, 0, 0}}});
}

TEST(DefaultAxes, NearlyVerticalBarTakesTheVerticalRowsExactly) {
  // Tilted by 1e-7 rad: D = sqrt(1 - cz^2) is about 1e-7, below the threshold.
  const DirectionCosines up = default_axes({0, 0, 0}, {1.0E-7, 0, 1});
  expect_rows(up, {{{0, 0, 1}, {0, -1, 0}, {1, 0, 0}}});
  const DirectionCosines down = default_axes({0, 0, 1}, {0, 1.0E-7, 0});
  expect_rows(down, {{{0, 0, -1}, {0, -1, 0}, {-1, 0, 0}}});
  // Tilted by 1e-4 rad: the general rule applies and local y is horizontal.
  const DirectionCosines tilted = default_axes({0, 0, 0}, {1.0E-4, 0, 1});
  EXPECT_EQ(tilted.rows[1][2], 0.0);
  EXPECT_GT(tilted.rows[2][2], 0.0);
  // D = sqrt(1 - cz^2) cancels for steep bars: about 1e-9 relative here.
  EXPECT_NEAR(tilted.rows[1][1], 1.0, 1e-8);
}

TEST(DefaultAxes, ReversingAnInclinedBarFlipsLocalXAndYButNotZ) {
  const OneBar bar({1, 2, 3}, {4, -2, 5});
  const DirectionCosines forward = block_of(bar.transform(Walk::forward));
  const DirectionCosines reversed = block_of(bar.transform(Walk::reversed));
  for (std::size_t c = 0; c < 3; ++c) {
    EXPECT_DOUBLE_EQ(reversed.rows[0][c], -forward.rows[0][c]);
    EXPECT_DOUBLE_EQ(reversed.rows[1][c], -forward.rows[1][c]);
    EXPECT_DOUBLE_EQ(reversed.rows[2][c], forward.rows[2][c]);
  }
}

TEST(OrientationPointAxes, LocalZPointsTowardsThePoint) {
  expect_rows(block_of(OneBar({0, 0, 0}, {1, 0, 0}, {0.5, 0, 1}).transform(Walk::forward)),
              {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}});
  expect_rows(block_of(OneBar({0, 0, 0}, {1, 0, 0}, {0.5, 1, 0}).transform(Walk::forward)),
              {{{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}});
  // Reversed: local x and z change sign, local y stays.
  expect_rows(block_of(OneBar({0, 0, 0}, {1, 0, 0}, {0.5, 1, 0}).transform(Walk::reversed)),
              {{{-1, 0, 0}, {0, 0, -1}, {0, -1, 0}}});
}

TEST(OrientationPointAxes, MarkersSelectTheDefaultRuleAndNothingElseDoes) {
  EXPECT_TRUE(has_no_orientation_point(k_marker));
  EXPECT_TRUE(has_no_orientation_point({k_no_orientation_marker_drawing,
                                        k_no_orientation_marker_drawing,
                                        k_no_orientation_marker_drawing}));
  EXPECT_FALSE(has_no_orientation_point({k_no_orientation_marker, k_no_orientation_marker, 0.0}));
  EXPECT_FALSE(has_no_orientation_point(
      {k_no_orientation_marker, k_no_orientation_marker, k_no_orientation_marker_drawing}));
  EXPECT_FALSE(has_no_orientation_point(
      {k_no_orientation_marker, k_no_orientation_marker, std::nextafter(k_no_orientation_marker, 0.0)}));

  const Point3 start{1, 2, 3}, end{5, 1, 4};
  const OneBar with_marker(start, end, k_marker);
  const NodeCoordinates nodes{{with_marker.x.data(), 2}, {with_marker.y.data(), 2},
                              {with_marker.z.data(), 2}};
  for (Walk walk : {Walk::forward, Walk::reversed}) {
    const Matrix12 expected = default_transform(nodes, ElementNodes(with_marker.pair.data(), 2, 1), 1, walk);
    EXPECT_EQ(with_marker.transform(walk), expected);
    const OneBar with_drawing_marker(start, end,
                                     {k_no_orientation_marker_drawing, k_no_orientation_marker_drawing,
                                      k_no_orientation_marker_drawing});
    EXPECT_EQ(with_drawing_marker.transform(walk), expected);
  }
  // The marker value in two coordinates only is an ordinary (far) point.
  const OneBar ordinary(start, end, {k_no_orientation_marker, k_no_orientation_marker, 0.0});
  EXPECT_NE(ordinary.transform(Walk::forward),
            default_transform(nodes, ElementNodes(with_marker.pair.data(), 2, 1), 1, Walk::forward));
}

// Every transformation of random bars is block-diagonal, orthogonal and right-handed.
TEST(Transformation, OrthogonalRightHandedAndBlockDiagonal) {
  std::mt19937_64 rng(20261209);
  std::uniform_real_distribution<double> coord(-100.0, 100.0);
  for (int trial = 0; trial < 500; ++trial) {
    const Point3 a{coord(rng), coord(rng), coord(rng)};
    const Point3 b{coord(rng), coord(rng), coord(rng)};
    const Point3 p = trial % 2 == 0 ? k_marker : Point3{coord(rng), coord(rng), coord(rng)};
    for (Walk walk : {Walk::forward, Walk::reversed}) {
      const Matrix12 T = OneBar(a, b, p).transform(walk);
      const Matrix12 TTt = multiply(T, test::transpose(T));
      // sqrt(1 - cz^2) loses digits on steep bars; random bars stay far from 1e-12.
      EXPECT_LT(test::max_abs_difference(TTt, test::identity12()), 1e-12);
      const DirectionCosines d = block_of(T);
      const auto& x = d.rows[0];
      const auto& y = d.rows[1];
      const auto& z = d.rows[2];
      EXPECT_NEAR(x[1] * y[2] - x[2] * y[1], z[0], 1e-14);
      EXPECT_NEAR(x[2] * y[0] - x[0] * y[2], z[1], 1e-14);
      EXPECT_NEAR(x[0] * y[1] - x[1] * y[0], z[2], 1e-14);
      for (Index c = 1; c <= 12; ++c)
        for (Index r = 1; r <= 12; ++r) {
          if ((r - 1) / 3 != (c - 1) / 3) {
            EXPECT_EQ(T(r, c), 0.0);
          } else {
            EXPECT_EQ(T(r, c), T((r - 1) % 3 + 1, (c - 1) % 3 + 1));
          }
        }
      // Local x runs from the walk's start towards its end.
      const double sign = walk == Walk::forward ? 1.0 : -1.0;
      const double L = std::hypot(b.x - a.x, b.y - a.y, b.z - a.z);
      EXPECT_NEAR(x[0], sign * (b.x - a.x) / L, 1e-14);
      if (trial % 2 == 1) {
        // Local z lies in the plane of the bar and the point: perpendicular to local y.
        const double mx = (a.x + b.x) / 2, my = (a.y + b.y) / 2, mz = (a.z + b.z) / 2;
        const double toward = (p.x - mx) * z[0] + (p.y - my) * z[1] + (p.z - mz) * z[2];
        EXPECT_GT(sign * toward, 0.0);
        EXPECT_NEAR((p.x - mx) * y[0] + (p.y - my) * y[1] + (p.z - mz) * y[2], 0.0, 1e-9);
      } else {
        EXPECT_EQ(y[2], 0.0);  // default rule: local y horizontal
      }
    }
  }
}

TEST(UcsAxes, ThreePointsGiveTheirPlane) {
  expect_rows(ucs_axes({0, 0, 0}, {1, 0, 0}, {0, 1, 0}), {{{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}});
  expect_rows(ucs_axes({0, 0, 0}, {0, 0, 3}, k_marker), {{{0, 0, 1}, {0, -1, 0}, {1, 0, 0}}});
}

TEST(DegenerateGeometry, ZeroLengthBarGivesNonFiniteAxes) {
  const DirectionCosines b = default_axes({1, 1, 1}, {1, 1, 1});
  EXPECT_TRUE(std::isnan(b.rows[0][0]));
  const DirectionCosines on_line = orientation_point_axes({0, 0, 0}, {2, 0, 0}, {5, 0, 0}, 1.0);
  EXPECT_TRUE(std::isnan(on_line.rows[1][0]));
}

}  // namespace
}  // namespace zervola::element
