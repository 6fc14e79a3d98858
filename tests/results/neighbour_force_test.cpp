#include "results/neighbour_force.hpp"

#include <gtest/gtest.h>

#include "host_frame.hpp"
#include "results/end_forces.hpp"

namespace zervola::results {
namespace {

using element::Walk;
using test::HostFrame;

// Nodes 1..5 in space; element 1 from node 1 to node 2. Elements 2 and 3
// meet element 1 at node 2 (element 2 with its second end), element 4 at
// node 1, element 5 is elsewhere.
HostFrame star(HostInt end_code_of_element_1) {
  HostFrame f;
  f.add_node({0, 0, 0});
  f.add_node({3000, 0, 0});
  f.add_node({3000, 4000, 0});
  f.add_node({3000, 0, 2500});
  f.add_node({-2000, 1000, 500});
  const HostInt s1 = static_cast<HostInt>(f.add_section({}));
  test::Section other;
  other.A = 1234.0;
  other.Iz = 3.3e7;
  const HostInt s2 = static_cast<HostInt>(f.add_section(other));
  f.add_element(1, 2, s1, end_code_of_element_1, {1500, 2000, 3000});
  f.add_element(3, 2, s2, 0);
  f.add_element(2, 4, s1, 2);
  f.add_element(5, 1, s2, 0);
  f.add_element(4, 5, s1, 0);
  for (std::size_t k = 0; k < f.displacements.size(); ++k)
    f.displacements[k] = 1.0e-3 * static_cast<double>((k * 37) % 11) - 4.0e-3;
  return f;
}

double component_alone(const HostFrame& f, Index element, Index component) {
  const EndForces e =
      element_end_forces(f.transform(element, Walk::forward), f.recovery(), element, Walk::forward,
                         f.end_codes[static_cast<std::size_t>(element - 1)]);
  return e.end_forces(component);
}

TEST(NeighbourForce, MeetingNodeIsTheEndTheCodeDoesNotName) {
  const HostFrame f = star(0);
  const ElementNodes en = f.recovery().element_nodes;
  EXPECT_EQ(meeting_node(en, 1, 1), 2);
  EXPECT_EQ(meeting_node(en, 1, -1), 2);
  EXPECT_EQ(meeting_node(en, 1, 2), 1);
  EXPECT_EQ(meeting_node(en, 1, -2), 1);
  for (HostInt code : {0, 3, 4, -3, 12})
    EXPECT_FALSE(meeting_node(en, 1, code).has_value()) << code;
}

TEST(NeighbourForce, SearchTakesTheLowestNumberedOtherElement) {
  const HostFrame f = star(0);
  const ElementNodes en = f.recovery().element_nodes;
  EXPECT_EQ(first_other_element_at(en, 5, 1, 2), 2);  // 2 and 3 meet there
  EXPECT_EQ(first_other_element_at(en, 5, 2, 2), 1);
  EXPECT_EQ(first_other_element_at(en, 5, 1, 1), 4);  // 4 touches with its second end
  EXPECT_EQ(first_other_element_at(en, 5, 5, 5), 4);
  EXPECT_FALSE(first_other_element_at(en, 5, 2, 3).has_value());  // only element 2 itself
  // n_elements bounds the search.
  EXPECT_FALSE(first_other_element_at(en, 3, 1, 1).has_value());
  EXPECT_FALSE(first_other_element_at(en, 0, 1, 2).has_value());
}

TEST(NeighbourForce, HingeAtTheStartLooksAtTheSecondNode) {
  const HostFrame f = star(1);
  for (Index component = 1; component <= 12; ++component) {
    const auto r = element_and_neighbour_force(f.frame(), 1, component, 5);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->element, component_alone(f, 1, component));
    ASSERT_TRUE(r->neighbour.has_value());
    // Element 2, in its own axes and numbering: component 1 is at its start
    // node 3, though it touches node 2 with its second end.
    EXPECT_EQ(*r->neighbour, component_alone(f, 2, component));
  }
}

TEST(NeighbourForce, HingeAtTheEndLooksAtTheFirstNode) {
  const HostFrame f = star(2);
  const auto r = element_and_neighbour_force(f.frame(), 1, 12, 5);
  ASSERT_TRUE(r.has_value());
  ASSERT_TRUE(r->neighbour.has_value());
  EXPECT_EQ(*r->neighbour, component_alone(f, 4, 12));
  EXPECT_EQ(r->element, 0.0);  // the hinge at the end node carries no moment
}

TEST(NeighbourForce, NegativeCodeSearchesLikeItsAbsoluteValueButReleasesNothing) {
  const HostFrame rigid = star(0);
  const HostFrame named = star(-1);
  for (Index component = 1; component <= 12; ++component) {
    const auto r = element_and_neighbour_force(named.frame(), 1, component, 5);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->element, component_alone(rigid, 1, component));
    ASSERT_TRUE(r->neighbour.has_value());
    EXPECT_EQ(*r->neighbour, component_alone(named, 2, component));
  }
  const auto r = element_and_neighbour_force(star(-2).frame(), 1, 1, 5);
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(*r->neighbour, component_alone(rigid, 4, 1));
}

TEST(NeighbourForce, NoNeighbourWithoutANamedEnd) {
  for (HostInt code : {0, 3, 5}) {
    const HostFrame f = star(code);
    const auto r = element_and_neighbour_force(f.frame(), 1, 2, 5);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->element, component_alone(f, 1, 2));
    EXPECT_FALSE(r->neighbour.has_value()) << code;
  }
}

TEST(NeighbourForce, NoNeighbourWhenNothingElseMeetsTheNode) {
  // Element 2 (node 3 to node 2) with a hinge at node 2 looks at node 3.
  HostFrame f = star(0);
  f.end_codes[1] = 2;
  const auto r = element_and_neighbour_force(f.frame(), 2, 1, 5);
  ASSERT_TRUE(r.has_value());
  EXPECT_FALSE(r->neighbour.has_value());
}

TEST(NeighbourForce, ComponentOutsideTheVectorHasNoValue) {
  const HostFrame f = star(1);
  for (Index component : {0, 13, -1, 1000})
    EXPECT_FALSE(element_and_neighbour_force(f.frame(), 1, component, 5).has_value());
}

}  // namespace
}  // namespace zervola::results
