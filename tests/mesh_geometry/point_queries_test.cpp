#include "mesh_geometry/point_queries.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "mesh_geometry/tolerances.hpp"

namespace zervola::mesh_geometry {
namespace {

// A small model: nodes and elements as the host passes them.
struct Model {
  std::vector<double> x, y, z;
  std::vector<HostInt> element_nodes;

  [[nodiscard]] NodeCoordinates nodes() const {
    return {{x.data(), static_cast<Index>(x.size())},
            {y.data(), static_cast<Index>(y.size())},
            {z.data(), static_cast<Index>(z.size())}};
  }
  [[nodiscard]] Index n_elements() const { return static_cast<Index>(element_nodes.size() / 2); }
  [[nodiscard]] ElementNodes pairs() const {
    return ElementNodes(element_nodes.data(), 2, n_elements());
  }
  NodeAtPoint in_node(std::vector<HostInt>& codes, const Point3& p) const {
    return point_in_node(nodes(), pairs(), {codes.data(), n_elements()}, p, n_elements());
  }
  MarkOutcome in_line(std::vector<HostInt>& marks, const Point3& p) const {
    return point_in_line(nodes(), pairs(), p, {marks.data(), n_elements()}, n_elements());
  }
};

// Node 1 at (1, 2, 3) shared by four elements; node 2 at the origin; node 3
// at (4, 2, 3); node 4 used by no element.
Model star() {
  return {{1, 0, 4, 1.5}, {2, 0, 2, 2}, {3, 0, 3, 3}, {1, 2, 2, 1, 1, 3, 3, 1, 2, 3}};
}

TEST(PointInNode, MarksEveryEndAtTheNodeAndConvertsThePoint) {
  const Model m = star();
  std::vector<HostInt> codes{0, 0, 1, -1, 0};
  const NodeAtPoint r = m.in_node(codes, {1000, 2000, 3000});
  EXPECT_EQ(r.node, 1);
  EXPECT_EQ(r.point.x, 1.0);
  EXPECT_EQ(r.point.y, 2.0);
  EXPECT_EQ(r.point.z, 3.0);
  // Element 1 starts at node 1, 2 ends there, 3 keeps its hinge, 4 ends
  // there (its -1 becomes -2), 5 does not touch node 1.
  EXPECT_EQ(codes, (std::vector<HostInt>{-1, -2, 1, -2, 0}));
}

TEST(PointInNode, PositiveCodesAreNeverChanged) {
  const Model m = star();
  for (HostInt code : {1, 2, 3, 4, 77}) {
    std::vector<HostInt> codes(5, code);
    EXPECT_EQ(m.in_node(codes, {1000, 2000, 3000}).node, 1);
    EXPECT_EQ(codes, std::vector<HostInt>(5, code));
  }
  std::vector<HostInt> negative(5, -7);
  (void)m.in_node(negative, {1000, 2000, 3000});
  EXPECT_EQ(negative, (std::vector<HostInt>{-1, -2, -1, -2, -7}));
}

TEST(PointInNode, NoMatchLeavesCodesButConvertsThePoint) {
  const Model m = star();
  std::vector<HostInt> codes{0, 0, 0, 0, 0};
  const NodeAtPoint r = m.in_node(codes, {1.0, 2.0, 3.0});  // node 1 in model units, not drawing
  EXPECT_EQ(r.node, k_no_node);
  EXPECT_EQ(codes, std::vector<HostInt>(5, 0));
  EXPECT_EQ(r.point.x, 1.0 / 1000.0);
  // A node that no element uses is never found.
  EXPECT_EQ(m.in_node(codes, {1500, 2000, 3000}).node, k_no_node);
}

TEST(PointInNode, SecondCallDividesAgain) {
  const Model m = star();
  std::vector<HostInt> codes(5, 0);
  const NodeAtPoint first = m.in_node(codes, {4e6, 2e6, 3e6});
  EXPECT_EQ(first.node, k_no_node);
  EXPECT_EQ(first.point.x, 4000.0);
  const NodeAtPoint second = m.in_node(codes, first.point);
  EXPECT_EQ(second.node, 3);
  EXPECT_EQ(second.point.x, 4.0);
  EXPECT_EQ(codes, (std::vector<HostInt>{0, 0, -2, -1, -2}));
}

TEST(PointInNode, LastMatchingEndGivesTheNode) {
  // Nodes 1 and 2 both within tolerance of the point: the last end visited wins.
  Model m{{0, 0.5e-5}, {0, 0}, {0, 0}, {2, 1, 1, 2}};
  std::vector<HostInt> codes{0, 0};
  EXPECT_EQ(m.in_node(codes, {0, 0, 0}).node, 2);
  EXPECT_EQ(codes, (std::vector<HostInt>{-2, -2}));
}

TEST(PointInNode, ToleranceIsSinglePrecisionAndStrictInEachCoordinate) {
  // 1.0e-5 in single precision is slightly below the double 1.0e-5, so a
  // node exactly 1.0e-5 away is not at the point.
  const double tol = static_cast<double>(1.0e-5F);
  EXPECT_LT(tol, 1.0e-5);
  EXPECT_EQ(k_node_at_point_tolerance, tol);
  for (std::size_t axis = 0; axis < 3; ++axis) {
    for (const auto& [offset, found] :
         {std::pair{tol, false}, std::pair{std::nextafter(tol, 0.0), true},
          std::pair{1.0e-5, false}, std::pair{-tol, false}}) {
      // The node sits at offset along one axis from the origin, the point at
      // the origin (0 / 1000 is exactly 0).
      std::array<double, 3> n{0, 0, 0};
      n[axis] = offset;
      Model m{{n[0], 9}, {n[1], 9}, {n[2], 9}, {1, 2}};
      std::vector<HostInt> codes{0};
      EXPECT_EQ(m.in_node(codes, {0, 0, 0}).node, found ? 1 : 0)
          << "axis " << axis << " offset " << offset;
    }
  }
}

TEST(PointInNode, NodeNumbersBelowOneAreRefused) {
  Model m = star();
  m.element_nodes[3] = 0;
  std::vector<HostInt> codes(5, 0);
  const NodeAtPoint r = m.in_node(codes, {1000, 2000, 3000});
  EXPECT_EQ(r.node, k_refused_node);
  EXPECT_EQ(r.point.x, 1000.0);  // not converted
  EXPECT_EQ(codes, std::vector<HostInt>(5, 0));
}

// One element from (0, 0, 0) to (12, 0, 0).
Model bar() { return {{0, 12}, {0, 0}, {0, 0}, {1, 2}}; }

TEST(PointInLine, MidpointIsMarkedAtNoEnd) {
  const Model m = bar();
  std::vector<HostInt> marks{0};
  EXPECT_EQ(m.in_line(marks, {6, 0, 0}), MarkOutcome::unchanged);
  EXPECT_EQ(marks[0], 0);
}

TEST(PointInLine, QuarterPointMarksTheNearEndOnce) {
  const Model m = bar();
  std::vector<HostInt> marks{0};
  EXPECT_EQ(m.in_line(marks, {3, 0, 0}), MarkOutcome::marked);
  EXPECT_EQ(marks[0], 10);
  EXPECT_EQ(m.in_line(marks, {3, 0, 0}), MarkOutcome::unchanged);
  EXPECT_EQ(marks[0], 10);
  // The other end on top: 12, and then never again.
  EXPECT_EQ(m.in_line(marks, {9, 0, 0}), MarkOutcome::marked);
  EXPECT_EQ(marks[0], 12);
  EXPECT_EQ(m.in_line(marks, {9, 0, 0}), MarkOutcome::unchanged);
  EXPECT_EQ(m.in_line(marks, {3, 0, 0}), MarkOutcome::unchanged);
  EXPECT_EQ(marks[0], 12);
  // From 2 (second end marked) a first-end point gives 12.
  std::vector<HostInt> second{2};
  EXPECT_EQ(m.in_line(second, {3, 0, 0}), MarkOutcome::marked);
  EXPECT_EQ(second[0], 12);
}

TEST(PointInLine, ExactlyAThirdIsStillAtTheEnd) {
  const Model m = bar();
  std::vector<HostInt> marks{0};
  EXPECT_EQ(m.in_line(marks, {4, 0, 0}), MarkOutcome::marked);
  EXPECT_EQ(marks[0], 10);
  std::vector<HostInt> beyond{0};
  EXPECT_EQ(m.in_line(beyond, {std::nextafter(4.0, 5.0), 0, 0}), MarkOutcome::unchanged);
}

TEST(PointInLine, NearTheEndTheDirectionIsNotTested) {
  const Model m = bar();
  std::vector<HostInt> marks{0};
  EXPECT_EQ(m.in_line(marks, {0, 0.05, 0}), MarkOutcome::marked);  // off the axis, 0.05 away
  EXPECT_EQ(marks[0], 10);
  // Farther than 0.1 off the axis at the same angle: not marked.
  std::vector<HostInt> off{0};
  EXPECT_EQ(m.in_line(off, {0.0, 1.0, 0}), MarkOutcome::unchanged);
  // Within 8 degrees of the axis: marked; beyond 8.2 degrees: not.
  const double deg = std::acos(-1.0) / 180.0;
  std::vector<HostInt> near{0};
  EXPECT_EQ(m.in_line(near, {2 * std::cos(8.0 * deg), 2 * std::sin(8.0 * deg), 0}),
            MarkOutcome::marked);
  std::vector<HostInt> wide{0};
  EXPECT_EQ(m.in_line(wide, {2 * std::cos(8.2 * deg), 0, 2 * std::sin(8.2 * deg)}),
            MarkOutcome::unchanged);
  // Behind the end: the cosine is -1.
  std::vector<HostInt> behind{0};
  EXPECT_EQ(m.in_line(behind, {-1, 0, 0}), MarkOutcome::unchanged);
}

TEST(PointInLine, ZeroLengthElementOnlyAtItsNode) {
  const Model m{{5}, {5}, {5}, {1, 1}};
  std::vector<HostInt> marks{0};
  EXPECT_EQ(m.in_line(marks, {5.05, 5, 5}), MarkOutcome::unchanged);
  EXPECT_EQ(m.in_line(marks, {5, 5, 5}), MarkOutcome::marked);
  EXPECT_EQ(marks[0], 12);  // both ends, first 10 then 2
}

TEST(PointInLine, OtherMarksAreLeftAloneWithoutOverflow) {
  const Model m = bar();
  for (HostInt odd : {1, 3, 7, 11, 20, std::numeric_limits<HostInt>::max(),
                      std::numeric_limits<HostInt>::min()}) {
    std::vector<HostInt> marks{odd};
    EXPECT_EQ(m.in_line(marks, {3, 0, 0}), MarkOutcome::unchanged) << odd;
    EXPECT_EQ(marks[0], odd);
  }
  // 0 + 2 and -8 + 10 both land on mark values.
  std::vector<HostInt> marks{-8};
  EXPECT_EQ(m.in_line(marks, {3, 0, 0}), MarkOutcome::marked);
  EXPECT_EQ(marks[0], 2);
}

TEST(PointInLine, EveryElementIsVisitedAndNoneWhenThereAreNone) {
  Model m{{0, 12, 0}, {0, 0, 12}, {0, 0, 0}, {1, 2, 1, 3, 3, 2}};
  std::vector<HostInt> marks{0, 0, 0};
  EXPECT_EQ(m.in_line(marks, {0.01, 0.01, 0}), MarkOutcome::marked);
  EXPECT_EQ(marks, (std::vector<HostInt>{10, 10, 0}));
  EXPECT_EQ(point_in_line(m.nodes(), m.pairs(), {0, 0, 0}, {marks.data(), 3}, 0),
            MarkOutcome::unchanged);
}

TEST(PointInLine, NodeNumbersBelowOneAreRefused) {
  Model m = bar();
  m.element_nodes[1] = -1;
  std::vector<HostInt> marks{0};
  EXPECT_EQ(m.in_line(marks, {3, 0, 0}), MarkOutcome::refused);
  EXPECT_EQ(marks[0], 0);
}

}  // namespace
}  // namespace zervola::mesh_geometry
