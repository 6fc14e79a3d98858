#include "mesh_geometry/free_line.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory_resource>
#include <vector>

#include "drawings.hpp"
#include "mesh_geometry/tolerances.hpp"
#include "oracles.hpp"

namespace zervola::mesh_geometry {
namespace {

// The host's arrays for FREELINE: points and the lines between them.
struct Figure {
  std::vector<double> x, y, z;
  std::vector<HostInt> line_points;

  // Each line given by its two endpoints; every endpoint gets its own number.
  static Figure of_segments(std::initializer_list<std::array<double, 6>> segments) {
    Figure f;
    for (const auto& s : segments) {
      for (std::size_t e = 0; e < 2; ++e) {
        f.x.push_back(s[3 * e]);
        f.y.push_back(s[3 * e + 1]);
        f.z.push_back(s[3 * e + 2]);
        f.line_points.push_back(static_cast<HostInt>(f.x.size()));
      }
    }
    return f;
  }
  [[nodiscard]] HostInt n_lines() const { return static_cast<HostInt>(line_points.size() / 2); }
  [[nodiscard]] NodeCoordinates points() const {
    return {{x.data(), static_cast<Index>(x.size())},
            {y.data(), static_cast<Index>(y.size())},
            {z.data(), static_cast<Index>(z.size())}};
  }
  [[nodiscard]] LinePoints lines() const {
    return LinePoints(line_points.data(), 2, n_lines());
  }
  [[nodiscard]] HostInt fast(std::pmr::memory_resource* storage =
                                 std::pmr::new_delete_resource()) const {
    return free_line(points(), lines(), n_lines(), storage);
  }
};

TEST(FreeLine, OneLineIsConnected) {
  const Figure f = Figure::of_segments({{0, 0, 0, 5, 0, 0}});
  EXPECT_EQ(f.fast(), 0);
}

TEST(FreeLine, NoLinesAreConnected) {
  const Figure f;
  EXPECT_EQ(free_line(f.points(), f.lines(), 0, std::pmr::new_delete_resource()), 0);
  EXPECT_EQ(free_line(f.points(), f.lines(), -3, std::pmr::new_delete_resource()), 0);
}

TEST(FreeLine, ChainOutOfOrderTakesThreeSweepsAndIsConnected) {
  // Line 1 touches 4, 4 touches 3, 3 touches 2.
  Figure f = Figure::of_segments({{0, 0, 0, 1, 0, 0},
                                  {3, 0, 0, 4, 0, 0},
                                  {2, 0, 0, 3, 0, 0},
                                  {1, 0, 0, 2, 0, 0}});
  EXPECT_EQ(f.fast(), 0);
  int sweeps = 0;
  std::vector<HostInt> lp = f.line_points;
  EXPECT_EQ(oracle::freeline(f.x, f.y, f.z, lp, f.n_lines(), &sweeps), 0);
  EXPECT_EQ(sweeps, 3);
  EXPECT_EQ(lp, f.line_points);
}

TEST(FreeLine, SmallerPartIsNamed) {
  // 1 and 2 touch, 3 apart: 2 reached, 1 unreached: line 3.
  EXPECT_EQ(Figure::of_segments({{0, 0, 0, 1, 0, 0}, {1, 0, 0, 1, 1, 0}, {5, 5, 5, 6, 5, 5}})
                .fast(),
            3);
  // 1 apart from 2, 3, 4 which touch: 1 reached, 3 unreached: line 1.
  EXPECT_EQ(Figure::of_segments({{9, 9, 9, 9, 9, 8},
                                 {0, 0, 0, 1, 0, 0},
                                 {1, 0, 0, 1, 1, 0},
                                 {1, 1, 0, 0, 0, 0}})
                .fast(),
            1);
  // Two separate pairs: a tie names the highest unreached line, 4.
  EXPECT_EQ(Figure::of_segments({{0, 0, 0, 1, 0, 0},
                                 {1, 0, 0, 2, 0, 0},
                                 {7, 0, 0, 8, 0, 0},
                                 {8, 0, 0, 9, 0, 0}})
                .fast(),
            4);
  // Unreached lines in separate groups count together: 2 reached, 3 unreached.
  EXPECT_EQ(Figure::of_segments({{0, 0, 0, 1, 0, 0},
                                 {20, 0, 0, 21, 0, 0},
                                 {1, 0, 0, 2, 0, 0},
                                 {40, 0, 0, 41, 0, 0},
                                 {60, 0, 0, 61, 0, 0}})
                .fast(),
            3);
}

TEST(FreeLine, CoincidenceIsStrictInEachCoordinate) {
  // 0.05 apart in every coordinate: touching.
  EXPECT_EQ(Figure::of_segments({{0, 0, 0, 1, 1, 1}, {1.05, 1.05, 1.05, 3, 3, 3}}).fast(), 0);
  for (std::size_t axis = 0; axis < 3; ++axis) {
    std::array<double, 6> second{0, 0, 0, -5, -5, -5};
    second[axis] = 0.1;  // exactly 0.1 from the first line's start
    Figure apart = Figure::of_segments({{0, 0, 0, 7, 7, 7}, second});
    EXPECT_EQ(apart.fast(), 2) << "axis " << axis;
    apart.x[2] = axis == 0 ? std::nextafter(0.1, 0.0) : 0.0;
    apart.y[2] = axis == 1 ? std::nextafter(0.1, 0.0) : 0.0;
    apart.z[2] = axis == 2 ? std::nextafter(0.1, 0.0) : 0.0;
    EXPECT_EQ(apart.fast(), 0) << "axis " << axis;
  }
}

TEST(FreeLine, SharedPointNumbersTouchUnlessTheirCoordinatesAreNotFinite) {
  Figure f;
  f.x = {0, 1, 2};
  f.y = {0, 0, 0};
  f.z = {0, 0, 0};
  f.line_points = {1, 2, 2, 3, 3, 3};  // line 3 has zero length
  EXPECT_EQ(f.fast(), 0);
  f.x[1] = std::numeric_limits<double>::quiet_NaN();
  // Line 1 alone; lines 2, 3 still touch at point 3.
  EXPECT_EQ(f.fast(), 1);
  std::vector<HostInt> lp = f.line_points;
  EXPECT_EQ(oracle::freeline(f.x, f.y, f.z, lp, 3), 1);
}

TEST(FreeLine, PointNumbersBelowOneAreRefused) {
  Figure f = Figure::of_segments({{0, 0, 0, 1, 0, 0}, {1, 0, 0, 2, 0, 0}});
  for (HostInt bad : {0, -1}) {
    for (std::size_t at : {0U, 3U}) {
      Figure g = f;
      g.line_points[at] = bad;
      EXPECT_EQ(g.fast(), k_free_line_failure);
      std::vector<HostInt> lp = g.line_points;
      EXPECT_EQ(oracle::freeline(g.x, g.y, g.z, lp, g.n_lines()), -1);
      EXPECT_EQ(lp, g.line_points);
    }
  }
}

TEST(FreeLine, WorkStorageThatCannotBeObtainedIsAFailure) {
  const Figure f = Figure::of_segments({{0, 0, 0, 1, 0, 0}, {1, 0, 0, 2, 0, 0}});
  EXPECT_EQ(f.fast(std::pmr::null_memory_resource()), k_free_line_failure);
  const std::vector<HostInt> before = f.line_points;
  EXPECT_EQ(f.fast(), 0);
  EXPECT_EQ(f.line_points, before);
}

TEST(FreeLine, StarOfManyLinesIsConnected) {
  // Every line meets at the origin; the last one is apart.
  Figure f;
  const HostInt n = 3000;
  for (HostInt k = 0; k < n; ++k) {
    f.x.insert(f.x.end(), {0.0, static_cast<double>(k) + 1});
    f.y.insert(f.y.end(), {0.0, 1.0});
    f.z.insert(f.z.end(), {0.0, 0.0});
    f.line_points.insert(f.line_points.end(), {2 * k + 1, 2 * k + 2});
  }
  f.x[static_cast<std::size_t>(2 * n - 2)] = -50;
  EXPECT_EQ(f.fast(), n);
}

// Random figures: the reached lines and the result agree exactly with the
// transcription, and the transcription restores line_points.
TEST(FreeLine, AgreesWithTheTranscriptionOnRandomFigures) {
  int connected = 0, split = 0;
  for (test::Scale scale :
       {test::Scale::ordinary, test::Scale::huge, test::Scale::tiny, test::Scale::mixed}) {
    for (std::uint64_t seed = 1; seed <= 50; ++seed) {
      SCOPED_TRACE(testing::Message() << "scale " << static_cast<int>(scale) << " seed " << seed);
      test::DrawingMaker maker(seed * 104729 + static_cast<std::uint64_t>(scale),
                               k_coincidence_tolerance, scale);
      test::Cloud c;
      const std::size_t n_points = 2 + maker.pick(seed % 10 == 0 ? 500 : 120);
      while (c.size() < n_points) maker.add_point(c);
      Figure f;
      f.x = c.x;
      f.y = c.y;
      f.z = c.z;
      const std::size_t n_lines = 1 + maker.pick(n_points);
      for (std::size_t k = 0; k < n_lines; ++k) {
        const auto a = static_cast<HostInt>(maker.pick(n_points) + 1);
        HostInt b = static_cast<HostInt>(maker.pick(n_points) + 1);
        if (maker.chance(0.05)) b = a;  // zero length
        if (k > 0 && maker.chance(0.05)) {  // a duplicate of an earlier line
          const std::size_t j = maker.pick(k);
          f.line_points.insert(f.line_points.end(),
                               {f.line_points[2 * j + 1], f.line_points[2 * j]});
          continue;
        }
        f.line_points.insert(f.line_points.end(), {a, b});
      }
      std::vector<HostInt> lp = f.line_points;
      std::vector<std::uint8_t> reached;
      const HostInt expected =
          oracle::freeline(f.x, f.y, f.z, lp, f.n_lines(), nullptr, &reached);
      EXPECT_EQ(lp, f.line_points);
      EXPECT_EQ(f.fast(), expected);
      const auto fast_reached = lines_reached_from_first(f.points(), f.lines(), f.n_lines(),
                                                         std::pmr::new_delete_resource());
      ASSERT_TRUE(fast_reached.has_value());
      EXPECT_TRUE(std::equal(reached.begin(), reached.end(), fast_reached->begin(),
                             fast_reached->end()));
      (expected == 0 ? connected : split) += 1;
    }
  }
  EXPECT_GT(connected, 10);
  EXPECT_GT(split, 10);
}

}  // namespace
}  // namespace zervola::mesh_geometry
