#include "global/profile_builder.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>
#include <vector>

#include "global/skyline_profile.hpp"
#include "skyline_fixtures.hpp"

namespace zervola::global {
namespace {

struct Frame {
  std::vector<HostInt> pairs;
  std::vector<HostInt> codes;
  std::vector<HostInt> diag;
  Index n_nodes = 0;
  ProfileSize size;

  Frame(Index nodes, std::vector<HostInt> p, std::vector<HostInt> c)
      : pairs(std::move(p)),
        codes(std::move(c)),
        diag(static_cast<std::size_t>(6 * nodes), -99),
        n_nodes(nodes) {}

  Status run(Index n_equations) {
    const Index n_elements = static_cast<Index>(codes.size());
    const Connectivity c{Table1<HostInt>(pairs.data(), 2, n_elements),
                         Vector1<HostInt>(codes.data(), n_elements)};
    return profile_frame(c, Vector1<HostInt>(diag.data(), static_cast<Index>(diag.size())), n_nodes,
                         n_equations, size);
  }
  Status run() { return run(6 * n_nodes); }
  [[nodiscard]] std::vector<Index> heights() const {
    std::vector<Index> h;
    for (std::size_t k = 0; k < diag.size(); ++k) h.push_back(diag[k] - (k == 0 ? 0 : diag[k - 1]));
    return h;
  }
};

TEST(SkylineProfileBuilder, TwoElementsInALine) {
  Frame f(3, {1, 2, 2, 3}, {0, 0});
  ASSERT_TRUE(f.run().ok());
  EXPECT_EQ(f.heights(),
            (std::vector<Index>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(f.diag, (std::vector<HostInt>{1, 3, 6, 10, 15, 21, 28, 36, 45, 55, 66, 78, 85, 93, 102,
                                          112, 123, 135}));
  EXPECT_EQ(f.size.profile_length, 135);
  EXPECT_EQ(f.size.max_column_height, 12);
  // The work measure: 1^2 + ... + 12^2 for the first two nodes' columns,
  // 7^2 + ... + 12^2 for the third's.
  const SkylineProfile profile(Vector1<const HostInt>(f.diag.data(), 18));
  EXPECT_EQ(profile.sum_of_squared_heights(), 650.0 + 559.0);
}

TEST(SkylineProfileBuilder, DescendingPairIsSwappedWithItsCode) {
  Frame f(3, {3, 2}, {1});
  ASSERT_TRUE(f.run().ok());
  EXPECT_EQ(f.pairs, (std::vector<HostInt>{2, 3}));
  EXPECT_EQ(f.codes, (std::vector<HostInt>{2}));
  EXPECT_EQ(f.diag, (std::vector<HostInt>{1, 3, 6, 10, 15, 21, 23, 25, 28, 32, 37, 43, 50, 58, 67,
                                          77, 88, 100}));
  EXPECT_EQ(f.size.profile_length, 100);
  EXPECT_EQ(f.size.max_column_height, 12);
}

TEST(SkylineProfileBuilder, TwoElementsFromNodeOne) {
  Frame f(3, {2, 1, 3, 1}, {-1, 2});
  ASSERT_TRUE(f.run().ok());
  EXPECT_EQ(f.pairs, (std::vector<HostInt>{1, 2, 1, 3}));
  EXPECT_EQ(f.codes, (std::vector<HostInt>{-2, 1}));
  EXPECT_EQ(f.size.profile_length, 171);
  EXPECT_EQ(f.size.max_column_height, 18);
}

TEST(SkylineProfileBuilder, SwapRuleFollowsNamedEndsOnly) {
  const std::vector<HostInt> before{0, 1, 2, -1, -2, 3, 4, -3, 77, -9};
  const std::vector<HostInt> after{0, 2, 1, -2, -1, 3, 4, -3, 77, -9};
  std::vector<HostInt> pairs;
  for (std::size_t k = 0; k < before.size(); ++k) pairs.insert(pairs.end(), {2, 1});
  Frame swapped(2, pairs, before);
  ASSERT_TRUE(swapped.run().ok());
  EXPECT_EQ(swapped.codes, after);

  std::vector<HostInt> ascending;
  for (std::size_t k = 0; k < before.size(); ++k) ascending.insert(ascending.end(), {1, 2});
  Frame kept(2, ascending, before);
  ASSERT_TRUE(kept.run().ok());
  EXPECT_EQ(kept.codes, before);
  EXPECT_EQ(kept.pairs, ascending);

  // An element whose two ends are one node is not turned round: its named
  // ends keep their codes.
  std::vector<HostInt> on_one_node;
  for (std::size_t k = 0; k < before.size(); ++k) on_one_node.insert(on_one_node.end(), {2, 2});
  on_one_node.insert(on_one_node.end(), {1, 2});
  std::vector<HostInt> codes = before;
  codes.push_back(0);
  Frame same(2, on_one_node, codes);
  ASSERT_TRUE(same.run().ok());
  EXPECT_EQ(same.codes, codes);
}

TEST(SkylineProfileBuilder, IsolatedNodesAndNoElements) {
  Frame none(3, {}, {});
  ASSERT_TRUE(none.run().ok());
  EXPECT_EQ(none.heights(),
            (std::vector<Index>{1, 2, 3, 4, 5, 6, 2, 2, 3, 4, 5, 6, 2, 2, 3, 4, 5, 6}));
  EXPECT_EQ(none.size.max_column_height, 6);

  Frame isolated_middle(3, {1, 3}, {0});
  ASSERT_TRUE(isolated_middle.run().ok());
  const std::vector<Index> h = isolated_middle.heights();
  EXPECT_EQ(std::vector<Index>(h.begin() + 6, h.begin() + 12),
            (std::vector<Index>{2, 2, 3, 4, 5, 6}));
  EXPECT_EQ(isolated_middle.size.max_column_height, 18);

  Frame empty(0, {}, {});
  ASSERT_TRUE(empty.run().ok());
  EXPECT_EQ(empty.size.profile_length, 0);
  EXPECT_EQ(empty.size.max_column_height, 0);
}

TEST(SkylineProfileBuilder, BadInputWritesNothing) {
  for (const std::vector<HostInt>& pairs :
       {std::vector<HostInt>{2, 1, 0, 2}, std::vector<HostInt>{2, 1, 1, 4},
        std::vector<HostInt>{2, 1, -3, 2}}) {
    Frame f(3, pairs, {1, 2});
    const Status s = f.run();
    EXPECT_EQ(s.outcome, Outcome::bad_element);
    EXPECT_EQ(s.where, 2);
    EXPECT_EQ(f.pairs, pairs);
    EXPECT_EQ(f.codes, (std::vector<HostInt>{1, 2}));
    EXPECT_TRUE(std::all_of(f.diag.begin(), f.diag.end(), [](HostInt d) { return d == -99; }));
    EXPECT_EQ(f.size.profile_length, 0);
    EXPECT_EQ(f.size.max_column_height, 0);
  }
  Frame f(3, {2, 1}, {1});
  EXPECT_EQ(f.run(17).outcome, Outcome::bad_equation_count);
  EXPECT_EQ(f.pairs, (std::vector<HostInt>{2, 1}));
  Frame negative(0, {}, {});
  negative.n_nodes = -1;
  EXPECT_EQ(negative.run(-6).outcome, Outcome::bad_node_count);
}

TEST(SkylineProfileBuilder, ProfileLongerThanTheHostCanCountIsRefused) {
  // Every node joined to node 1: column heights about 6 n, total about 18 n^2.
  const Index n = 11000;
  std::vector<HostInt> pairs, codes;
  for (Index j = 2; j <= n; ++j) {
    pairs.insert(pairs.end(), {1, static_cast<HostInt>(j)});
    codes.push_back(0);
  }
  Frame f(n, pairs, codes);
  const Status s = f.run();
  EXPECT_EQ(s.outcome, Outcome::profile_too_long);
  EXPECT_TRUE(std::all_of(f.diag.begin(), f.diag.end(), [](HostInt d) { return d == 0; }));
  EXPECT_EQ(f.size.profile_length, 0);

  // Counted in 64 bits the store is still measured: node 1's columns are
  // 1 .. 6 high, node j's 6j - 5 .. 6j.
  const SkylineCount count = count_skyline(Table1<const HostInt>(f.pairs.data(), 2, n - 1), n);
  EXPECT_EQ(count.entries, 21 + 36 * (n * (n + 1) / 2 - 1) - 15 * (n - 1));
  EXPECT_GT(count.entries, Index{std::numeric_limits<HostInt>::max()});
  EXPECT_EQ(count.max_column_height, 6 * n);
}

// Random connectivity: the built profile is valid and has every invariant
// that assembly and solution rely on.
TEST(SkylineProfileBuilder, RandomFramesGiveValidProfilesWithTheirInvariants) {
  for (std::uint64_t trial = 0; trial < 40; ++trial) {
    const std::uint64_t seed = test::k_base_seed + 5000 + trial;
    SCOPED_TRACE("seed = " + std::to_string(seed));
    std::mt19937_64 rng(seed);
    const Index n_nodes = std::uniform_int_distribution<Index>(1, 30)(rng);
    const Index n_elements = std::uniform_int_distribution<Index>(0, 40)(rng);
    std::uniform_int_distribution<HostInt> node(1, static_cast<HostInt>(n_nodes));
    std::uniform_int_distribution<HostInt> code(-3, 4);
    std::vector<HostInt> pairs, codes;
    for (Index e = 0; e < n_elements; ++e) {
      pairs.insert(pairs.end(), {node(rng), node(rng)});
      codes.push_back(code(rng));
    }
    const std::vector<HostInt> original = pairs;
    Frame f(n_nodes, pairs, codes);
    ASSERT_TRUE(f.run().ok());

    const Vector1<const HostInt> diag(f.diag.data(), 6 * n_nodes);
    ASSERT_TRUE(profile_status(diag, f.size.profile_length).ok());
    const SkylineProfile p(diag);
    EXPECT_EQ(f.size.max_column_height, p.max_column_height());
    // The 64-bit count of the same store.
    const SkylineCount count = count_skyline(Table1<const HostInt>(f.pairs.data(), 2, n_elements), n_nodes);
    EXPECT_EQ(count.entries, f.size.profile_length);
    EXPECT_EQ(count.max_column_height, f.size.max_column_height);
    EXPECT_EQ(count.squared_heights, p.sum_of_squared_heights());
    double flops = 0.0;
    for (Index j = 1; j <= 6 * n_nodes; ++j) {
      const auto below = static_cast<double>(p.height(j) - 1);
      flops += below * below + below;
    }
    EXPECT_EQ(count.flops, flops);
    for (Index node_n = 1; node_n <= n_nodes; ++node_n)
      for (Index k = 0; k < 6; ++k) EXPECT_LE(p.top(6 * node_n - 5 + k), 6 * node_n - 5);
    for (Index e = 0; e < n_elements; ++e) {
      const Index a = f.pairs[static_cast<std::size_t>(2 * e)];
      const Index b = f.pairs[static_cast<std::size_t>(2 * e + 1)];
      EXPECT_LE(a, b);
      EXPECT_EQ(std::min(original[static_cast<std::size_t>(2 * e)],
                         original[static_cast<std::size_t>(2 * e + 1)]),
                a);
      for (Index k = 0; k < 6; ++k) EXPECT_LE(p.top(6 * b - 5 + k), 6 * a - 5);
    }
  }
}

TEST(SkylineProfileStatus, NamesTheFirstBrokenColumn) {
  std::vector<HostInt> good{1, 3, 6, 8};
  EXPECT_TRUE(profile_status(Vector1<const HostInt>(good.data(), 4), 8).ok());
  // A longer store holds the profile; a shorter one cuts the last column.
  EXPECT_TRUE(profile_status(Vector1<const HostInt>(good.data(), 4), 9).ok());
  const Status short_store = profile_status(Vector1<const HostInt>(good.data(), 4), 7);
  EXPECT_EQ(short_store.outcome, Outcome::bad_profile);
  EXPECT_EQ(short_store.where, 4);
  std::vector<HostInt> first_not_one{2, 4};
  EXPECT_EQ(profile_status(Vector1<const HostInt>(first_not_one.data(), 2), 4).where, 1);
  std::vector<HostInt> height_one{1, 3, 4, 6};
  EXPECT_EQ(profile_status(Vector1<const HostInt>(height_one.data(), 4), 6).where, 3);
  std::vector<HostInt> too_high{1, 3, 7};  // column 3 of height 4
  EXPECT_EQ(profile_status(Vector1<const HostInt>(too_high.data(), 3), 7).where, 3);
  EXPECT_TRUE(profile_status(Vector1<const HostInt>(nullptr, 0), 0).ok());
  EXPECT_TRUE(profile_status(Vector1<const HostInt>(nullptr, 0), 3).ok());
  EXPECT_FALSE(profile_status(Vector1<const HostInt>(nullptr, 0), -1).ok());
}

}  // namespace
}  // namespace zervola::global
