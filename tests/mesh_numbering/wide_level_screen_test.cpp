#include "mesh_numbering/wide_level_screen.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <vector>

#include "host_model.hpp"
#include "mesh_numbering/neighbour_graph.hpp"
#include "oracles.hpp"
#include "random_models.hpp"

namespace zervola::mesh_numbering {
namespace {

// The size of the largest breadth-first level L >= 1 from start, by a plain
// search.
Index widest_level(const NodeLists& neighbours, HostInt start) {
  const Index n = neighbours.n_lists();
  std::vector<Index> distance(static_cast<std::size_t>(n) + 1, -1);
  std::vector<Index> level_size(static_cast<std::size_t>(n) + 1, 0);
  std::vector<HostInt> queue{start};
  distance[static_cast<std::size_t>(start)] = 0;
  for (std::size_t h = 0; h < queue.size(); ++h) {
    const HostInt v = queue[h];
    for (const HostInt w : neighbours(v)) {
      if (distance[static_cast<std::size_t>(w)] >= 0) continue;
      distance[static_cast<std::size_t>(w)] = distance[static_cast<std::size_t>(v)] + 1;
      ++level_size[static_cast<std::size_t>(distance[static_cast<std::size_t>(w)])];
      queue.push_back(w);
    }
  }
  return *std::max_element(level_size.begin(), level_size.end());
}

// Under one bound the screen marks exactly the starts with a level of bound
// nodes or more, on either vector path.
void expect_exact_marks(const oracle::Mesh& mesh, Index bound) {
  std::vector<HostInt> pairs = mesh.element_nodes;
  const NeighbourGraph graph = build_neighbour_graph(
      ElementNodes(pairs.data(), 2, mesh.n_elements()), mesh.n_nodes());
  WideLevelScreen widest(graph.neighbours, VectorUnits::widest);
  WideLevelScreen portable(graph.neighbours, VectorUnits::portable);
  for (HostInt s = 1; s <= mesh.n_nodes(); ++s) {
    const bool wide = widest_level(graph.neighbours, s) >= bound;
    EXPECT_EQ(widest.certainly_abandoned(s, bound), wide) << "start " << s;
    EXPECT_EQ(portable.certainly_abandoned(s, bound), wide) << "start " << s;
  }
}

TEST(WideLevelScreen, MarksExactlyTheStartsWithAWideLevel) {
  test::ModelMaker maker(31337);
  std::cout << "seed 31337\n";
  for (int round = 0; round < 120; ++round) {
    const auto shape = static_cast<test::Shape>(round % static_cast<int>(test::Shape::two_pieces));
    // Sizes across one and several groups of starts.
    const oracle::Mesh mesh = maker.make(shape, maker.uniform(2, round % 3 == 0 ? 900 : 120));
    if (!oracle::in_one_piece(mesh)) continue;
    SCOPED_TRACE(testing::Message() << "round " << round);
    expect_exact_marks(mesh, maker.uniform(1, 12));
  }
}

TEST(WideLevelScreen, FallingBoundSweepsUnmarkedStartsAgain) {
  test::ModelMaker maker(2718);
  std::cout << "seed 2718\n";
  const oracle::Mesh mesh = maker.make(test::Shape::grid, 700, {false, false});
  std::vector<HostInt> pairs = mesh.element_nodes;
  const NeighbourGraph graph = build_neighbour_graph(
      ElementNodes(pairs.data(), 2, mesh.n_elements()), mesh.n_nodes());
  for (const VectorUnits units : {VectorUnits::widest, VectorUnits::portable}) {
    WideLevelScreen screen(graph.neighbours, units);
    // The whole first group under a large bound, then every start under a
    // smaller one: a start is marked when a level reaches the smaller bound.
    static_cast<void>(screen.certainly_abandoned(1, 1000));
    for (HostInt s = 1; s <= mesh.n_nodes(); ++s)
      EXPECT_EQ(screen.certainly_abandoned(s, 8), widest_level(graph.neighbours, s) >= 8)
          << "start " << s;
  }
}

}  // namespace
}  // namespace zervola::mesh_numbering
