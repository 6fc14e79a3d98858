// The node-block matrix against a plain dense one: random entries written
// by equation, every coupling of an equation found once, cleared as the
// elimination of a prescribed equation clears them, and every stored entry
// listed once, in any order of the nodes.

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <utility>
#include <vector>

#include "global/supernodal/node_block_matrix.hpp"
#include "random_node_system.hpp"

namespace zervola::global::supernodal {
namespace {

TEST(NodeBlockMatrix, CouplingsAndEntriesMatchTheDenseMatrix) {
  std::mt19937_64 rng(41);
  for (int trial = 0; trial < 30; ++trial) {
    const Index nodes = 2 + static_cast<Index>(rng() % 12);
    const NodeGraph g = node_graph(nodes, test::random_tree_pairs(nodes, nodes / 2, rng));
    const SupernodePartition p = partition_supernodes(g, test::random_order(nodes, rng));
    NodeBlockMatrix K(g, p);
    test::DenseMatrix d = test::random_values(K, g, 1.0, 0.0, rng);
    const Index n = d.n;
    // Symmetric by equation, whichever way it is asked.
    for (Index i = 1; i <= n; ++i)
      for (Index j = 1; j <= n; ++j)
        if (K.contains(i, j)) {
          EXPECT_EQ(K(i, j), d(i - 1, j - 1));
          EXPECT_EQ(static_cast<const NodeBlockMatrix&>(K)(j, i), d(i - 1, j - 1));
        } else {
          EXPECT_EQ(d(i - 1, j - 1), 0.0);
        }
    // Every entry once.
    std::map<std::pair<Index, Index>, double> listed;
    K.for_each_entry([&](Index i, Index j, double v) {
      EXPECT_LE(i, j);
      EXPECT_TRUE(listed.emplace(std::pair{i, j}, v).second) << i << ", " << j;
    });
    for (Index j = 1; j <= n; ++j)
      for (Index i = 1; i <= j; ++i)
        if (d(i - 1, j - 1) != 0.0) {
          EXPECT_EQ(listed.at({i, j}), d(i - 1, j - 1));
        }
    // An equation's couplings, then cleared.
    const Index k = 1 + static_cast<Index>(rng() % static_cast<std::uint64_t>(n));
    std::map<Index, double> couplings;
    K.for_each_coupling(k, [&](Index i, double v) {
      EXPECT_NE(i, k);
      EXPECT_TRUE(couplings.emplace(i, v).second);
    });
    for (Index i = 1; i <= n; ++i)
      if (i != k && d(i - 1, k - 1) != 0.0) {
        EXPECT_EQ(couplings.at(i), d(i - 1, k - 1));
      }
    const double diagonal = K(k, k);
    K.clear_couplings(k);
    for (Index i = 1; i <= n; ++i) {
      if (i == k || !K.contains(i, k)) continue;
      EXPECT_EQ(K(i, k), 0.0);
      d(i - 1, k - 1) = d(k - 1, i - 1) = 0.0;
    }
    EXPECT_EQ(K(k, k), diagonal);
    for (Index i = 1; i <= n; ++i)
      for (Index j = 1; j <= n; ++j)
        if (K.contains(i, j)) {
          EXPECT_EQ(K(i, j), d(i - 1, j - 1));
        }
    // Outside the pattern: refused when written, zero when read.
    for (Index i = 1; i <= n; ++i)
      for (Index j = 1; j <= n; ++j)
        if (!K.contains(i, j)) {
          EXPECT_THROW((void)K(i, j), std::out_of_range);
          EXPECT_EQ(static_cast<const NodeBlockMatrix&>(K)(i, j), 0.0);
        }
  }
}

}  // namespace
}  // namespace zervola::global::supernodal
