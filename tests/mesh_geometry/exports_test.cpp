// The mesh geometry exports as a host calls them: through the public header,
// with arrays the host owns, and the refusals it must be able to tell apart
// from results.

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "zervola.h"

namespace {

TEST(MeshGeometryExports, MeshFromLinesThenFreeLine) {
  // Two lines sharing an end, and a third apart.
  std::vector<double> x{0, 1, 1, 1, 5, 6}, y{0, 0, 0, 2, 5, 5}, z{0, 0, 0, 0, 0, 0};
  std::vector<int32_t> element_nodes(6, -9);
  int32_t point_count = 6;
  const int32_t n_elements = 3;
  MESHDISKR(x.data(), y.data(), z.data(), element_nodes.data(), &point_count, &n_elements);
  EXPECT_EQ(point_count, 5);
  EXPECT_EQ(element_nodes, (std::vector<int32_t>{1, 2, 2, 3, 4, 5}));

  int32_t free_line = -9;
  const int32_t spare = 0;
  const std::vector<int32_t> before = element_nodes;
  FREELINE(x.data(), y.data(), z.data(), element_nodes.data(), &free_line, &spare, &n_elements);
  EXPECT_EQ(free_line, 3);
  EXPECT_EQ(element_nodes, before);
}

TEST(MeshGeometryExports, MeshRefusalWritesOnlyTheCount) {
  std::vector<double> x{0, 0, 1}, y{0, 0, 0}, z{0, 0, 0};
  std::vector<int32_t> element_nodes(4, -9);
  int32_t point_count = 3;
  const int32_t n_elements = 2;
  MESHDISKR(x.data(), y.data(), z.data(), element_nodes.data(), &point_count, &n_elements);
  EXPECT_EQ(point_count, 0);
  EXPECT_EQ(element_nodes, std::vector<int32_t>(4, -9));
  EXPECT_EQ(x, (std::vector<double>{0, 0, 1}));
}

TEST(MeshGeometryExports, FreeLineRefusesPointNumbersBelowOne) {
  const std::array<double, 2> x{0, 1}, y{0, 0}, z{0, 0};
  std::array<int32_t, 4> lines{1, 2, 2, 0};
  int32_t free_line = 7;
  const int32_t spare = 0, n_lines = 2;
  FREELINE(x.data(), y.data(), z.data(), lines.data(), &free_line, &spare, &n_lines);
  EXPECT_EQ(free_line, -1);
  EXPECT_EQ(lines, (std::array<int32_t, 4>{1, 2, 2, 0}));
}

TEST(MeshGeometryExports, PointInNodeConvertsThePointInPlace) {
  const std::array<double, 2> x{1, 0}, y{2, 0}, z{3, 0};
  const std::array<int32_t, 4> pairs{1, 2, 2, 1};
  std::array<int32_t, 2> codes{0, 2};
  std::array<double, 3> point{1000, 2000, 3000};
  int32_t node_found = -9;
  const int32_t spare = 0, n_elements = 2;
  POINTINNODE(x.data(), y.data(), z.data(), pairs.data(), codes.data(), point.data(), &spare,
              &n_elements, &node_found);
  EXPECT_EQ(node_found, 1);
  EXPECT_EQ(codes, (std::array<int32_t, 2>{-1, 2}));
  EXPECT_EQ(point, (std::array<double, 3>{1, 2, 3}));
  // Again: the point is divided again and now matches nothing.
  POINTINNODE(x.data(), y.data(), z.data(), pairs.data(), codes.data(), point.data(), &spare,
              &n_elements, &node_found);
  EXPECT_EQ(node_found, 0);
  EXPECT_EQ(point, (std::array<double, 3>{0.001, 0.002, 0.003}));

  const std::array<int32_t, 4> bad{1, 2, 0, 1};
  POINTINNODE(x.data(), y.data(), z.data(), bad.data(), codes.data(), point.data(), &spare,
              &n_elements, &node_found);
  EXPECT_EQ(node_found, -1);
  EXPECT_EQ(point, (std::array<double, 3>{0.001, 0.002, 0.003}));
}

TEST(MeshGeometryExports, PointInLineReportsWhetherAMarkChanged) {
  const std::array<double, 2> x{0, 12}, y{0, 0}, z{0, 0};
  const std::array<int32_t, 2> pairs{1, 2};
  const std::array<double, 3> point{3, 0, 0};
  std::array<int32_t, 1> marks{0};
  int32_t made = -9;
  const int32_t spare = 0, n_elements = 1;
  POINT_IN_LINE(x.data(), y.data(), z.data(), pairs.data(), point.data(), marks.data(), &spare,
                &n_elements, &made);
  EXPECT_EQ(made, 1);
  EXPECT_EQ(marks[0], 10);
  POINT_IN_LINE(x.data(), y.data(), z.data(), pairs.data(), point.data(), marks.data(), &spare,
                &n_elements, &made);
  EXPECT_EQ(made, 0);
  const std::array<int32_t, 2> bad{0, 2};
  POINT_IN_LINE(x.data(), y.data(), z.data(), bad.data(), point.data(), marks.data(), &spare,
                &n_elements, &made);
  EXPECT_EQ(made, -1);
  EXPECT_EQ(marks[0], 10);
}

}  // namespace
