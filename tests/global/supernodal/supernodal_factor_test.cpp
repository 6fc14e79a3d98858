// The supernodal L D L^T against a plain dense one: random symmetric
// systems, positive definite and indefinite, on random graphs and grids, in
// random elimination orders, every vector path, one right-hand side and
// many, one task at a time and on threads.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "global/supernodal/frontal_factorisation.hpp"
#include "global/supernodal/supernodal_factor.hpp"
#include "global/supernodal/supernodal_substitution.hpp"
#include "random_node_system.hpp"

namespace zervola::global::supernodal {
namespace {

using test::DenseMatrix;

// The tasks on `count` threads, taken in turn from a shared counter.
class ThreadRunner final : public TaskRunner {
 public:
  explicit ThreadRunner(Index count) : count_(count) {}
  [[nodiscard]] Index workers() const override { return count_; }
  void run(Index tasks, const std::function<void(Index)>& task) const override {
    std::atomic<Index> next{0};
    std::exception_ptr failure;
    std::mutex guard;
    const auto work = [&] {
      for (Index t = next++; t < tasks; t = next++) {
        try {
          task(t);
        } catch (...) {
          const std::lock_guard<std::mutex> lock(guard);
          failure = std::current_exception();
        }
      }
    };
    std::vector<std::thread> threads;
    for (Index w = 1; w < count_; ++w) threads.emplace_back(work);
    work();
    for (std::thread& t : threads) t.join();
    if (failure) std::rethrow_exception(failure);
  }

 private:
  Index count_;
};

struct Solved {
  std::vector<double> x;  // n x count, column-major, in equation order
  Index negative = 0;
  std::vector<double> factors;
};

// Solves K X = B for `count` right-hand sides (n x count, column-major) by
// the supernodal factor in `order`, `width` columns per pass.
Solved solve(const NodeGraph& g, const SupernodePartition& p, const DenseMatrix& d,
             const std::vector<double>& b, Index count, Index width, VectorPath path,
             const TaskRunner& runner) {
  NodeBlockMatrix K(g, p);
  for (Index j = 0; j < d.n; ++j)
    for (Index i = j; i < d.n; ++i)
      if (K.contains(i + 1, j + 1)) K(i + 1, j + 1) = d(i, j);
  SupernodalFactor f(p);
  f.factorise(K, path, runner);
  Solved out;
  out.negative = f.negative_pivots();
  out.factors.assign(f.block(0), f.block(0) + f.entries());
  const Index n = d.n;
  out.x.assign(static_cast<std::size_t>(n * count), 0.0);
  // Equation 6 v + a sits at elimination place 6 position(v) + a.
  const auto place = [&](Index e) { return 6 * p.position[static_cast<std::size_t>(e / 6)] + e % 6; };
  std::vector<double> rows(static_cast<std::size_t>(n * width));
  for (Index first = 0; first < count; first += width) {
    const Index here = std::min(width, count - first);
    std::fill(rows.begin(), rows.end(), 0.0);
    for (Index c = 0; c < here; ++c)
      for (Index e = 0; e < n; ++e) rows[static_cast<std::size_t>(place(e) * width + c)] = b[static_cast<std::size_t>(e + n * (first + c))];
    substitute(f, rows.data(), width, path);
    for (Index c = 0; c < here; ++c)
      for (Index e = 0; e < n; ++e) out.x[static_cast<std::size_t>(e + n * (first + c))] = rows[static_cast<std::size_t>(place(e) * width + c)];
  }
  return out;
}

double largest_difference(const std::vector<double>& a, const std::vector<double>& b) {
  double largest = 0.0, scale = 0.0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    largest = std::max(largest, std::abs(a[i] - b[i]));
    scale = std::max(scale, std::abs(b[i]));
  }
  return largest / scale;
}

const char* unavailable_path(VectorPath path) {
  return path == VectorPath::avx512 ? "this processor has no AVX-512F" : "this processor has no AVX2 with FMA";
}

class SupernodalSolverTest : public ::testing::TestWithParam<VectorPath> {
 protected:
  void SetUp() override {
    if (!path_available(GetParam())) GTEST_SKIP() << unavailable_path(GetParam());
  }
};

// Many random systems: the solution of several right-hand sides and the
// count of negative pivots equal the dense factorisation's.
TEST_P(SupernodalSolverTest, RandomSystemsMatchTheDenseFactorisation) {
  std::mt19937_64 rng(20261211);
  const SequentialRunner alone;
  int cases = 0;
  for (int trial = 0; trial < 60; ++trial) {
    const Index nodes = 1 + static_cast<Index>(rng() % 40);
    const std::vector<std::int32_t> pairs =
        trial % 3 == 2 ? test::grid_pairs(2 + trial % 4, 3, 1 + trial % 3)
                       : test::random_tree_pairs(nodes, static_cast<Index>(rng() % static_cast<std::uint64_t>(2 * nodes + 1)), rng);
    const Index n_nodes = trial % 3 == 2 ? (2 + trial % 4) * 3 * (1 + trial % 3) : nodes;
    const NodeGraph g = node_graph(n_nodes, pairs);
    const std::vector<Index> order = test::random_order(n_nodes, rng);
    Amalgamation rule;
    if (trial % 4 == 1) rule = Amalgamation{0, {0, 0, 0}, {0.0, 0.0, 0.0}};  // fundamental only
    if (trial % 4 == 3) rule = Amalgamation{64, {64, 64, 64}, {1.0, 1.0, 1.0}};  // everything merges
    const SupernodePartition p = partition_supernodes(g, order, rule);
    NodeBlockMatrix K(g, p);
    const double negative_share = trial % 2 == 0 ? 0.0 : 0.3;
    const DenseMatrix d = test::random_values(K, g, trial % 2 == 0 ? 1.0 : 0.6, negative_share, rng);
    const Index count = 1 + static_cast<Index>(rng() % 40);
    std::vector<double> b(static_cast<std::size_t>(d.n * count), 0.0);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    for (double& v : b) v = value(rng);
    std::vector<double> expected = b;
    const Index negative = test::dense_solve(d, expected, count);
    std::vector<std::vector<double>> by_width;
    for (const Index width : {Index{8}, Index{32}}) {
      const Solved got = solve(g, p, d, b, count, width, GetParam(), alone);
      EXPECT_EQ(got.negative, negative) << "trial " << trial;
      EXPECT_LT(largest_difference(got.x, expected), 1e-11) << "trial " << trial << " width " << width;
      by_width.push_back(got.x);
      ++cases;
    }
    // Many right-hand sides in one pass against eight at a time.
    EXPECT_LT(largest_difference(by_width[1], by_width[0]), 1e-13) << "trial " << trial;
  }
  EXPECT_EQ(cases, 120);
}

// Fronts wider than a column block and than a chunk of the trailing update:
// a dense block of nodes (every pair joined) and a long 3D grid.
TEST_P(SupernodalSolverTest, LargeFrontsMatchTheDenseFactorisation) {
  std::mt19937_64 rng(7);
  const SequentialRunner alone;
  std::vector<std::int32_t> complete;
  const Index clique = 60;  // 360 equations in one front
  for (Index a = 1; a <= clique; ++a)
    for (Index b = a + 1; b <= clique; ++b) complete.insert(complete.end(), {static_cast<std::int32_t>(a), static_cast<std::int32_t>(b)});
  for (const auto& [pairs, nodes] : {std::pair{complete, clique}, std::pair{test::grid_pairs(6, 6, 4), Index{144}}}) {
    const NodeGraph g = node_graph(nodes, pairs);
    const SupernodePartition p = partition_supernodes(g, test::random_order(nodes, rng));
    NodeBlockMatrix K(g, p);
    const DenseMatrix d = test::random_values(K, g, 0.6, 0.2, rng);
    std::vector<double> b(static_cast<std::size_t>(d.n * 3));
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    for (double& v : b) v = value(rng);
    std::vector<double> expected = b;
    const Index negative = test::dense_solve(d, expected, 3);
    const Solved got = solve(g, p, d, b, 3, 8, GetParam(), alone);
    EXPECT_EQ(got.negative, negative);
    EXPECT_LT(largest_difference(got.x, expected), 1e-10);
  }
}

// The threaded factorisation sums every product in the same order as the
// one-thread run: the factors are equal bit for bit.
TEST_P(SupernodalSolverTest, ThreadsGiveTheOneThreadFactorsExactly) {
  std::mt19937_64 rng(11);
  const NodeGraph g = node_graph(6 * 6 * 6, test::grid_pairs(6, 6, 6));
  const SupernodePartition p = partition_supernodes(g, test::random_order(6 * 6 * 6, rng));
  NodeBlockMatrix K(g, p);
  const DenseMatrix d = test::random_values(K, g, 1.0, 0.0, rng);
  std::vector<double> b(static_cast<std::size_t>(d.n), 1.0);
  const Solved one = solve(g, p, d, b, 1, 8, GetParam(), SequentialRunner());
  const Solved two = solve(g, p, d, b, 1, 8, GetParam(), ThreadRunner(2));
  const Solved three = solve(g, p, d, b, 1, 8, GetParam(), ThreadRunner(3));
  EXPECT_EQ(one.factors, two.factors);
  EXPECT_EQ(one.factors, three.factors);
  EXPECT_EQ(one.x, two.x);
}

INSTANTIATE_TEST_SUITE_P(Paths, SupernodalSolverTest,
                         ::testing::Values(VectorPath::portable, VectorPath::avx2, VectorPath::avx512),
                         [](const ::testing::TestParamInfo<VectorPath>& path) {
                           return std::string(path_name(path.param));
                         });

// The partition: every position in one supernode, rows below their
// supernode and ascending, each supernode's parent later, and a chain of
// nodes (a path graph in order) one supernode.
TEST(SupernodePartition, CoversEveryNodeOnceWithOrderedRows) {
  std::mt19937_64 rng(3);
  for (int trial = 0; trial < 40; ++trial) {
    const Index nodes = 1 + static_cast<Index>(rng() % 80);
    const NodeGraph g = node_graph(nodes, test::random_tree_pairs(nodes, nodes, rng));
    const SupernodePartition p = partition_supernodes(g, test::random_order(nodes, rng));
    ASSERT_EQ(p.first_node.front(), 0);
    ASSERT_EQ(p.first_node.back(), nodes);
    for (Index s = 0; s < p.n_supernodes(); ++s) {
      ASSERT_GT(p.column_nodes(s), 0);
      const Index last = p.first_node[static_cast<std::size_t>(s + 1)];
      for (Index t = p.first_row[static_cast<std::size_t>(s)]; t < p.first_row[static_cast<std::size_t>(s + 1)]; ++t) {
        EXPECT_GE(p.rows[static_cast<std::size_t>(t)], last);
        if (t > p.first_row[static_cast<std::size_t>(s)]) {
          EXPECT_GT(p.rows[static_cast<std::size_t>(t)], p.rows[static_cast<std::size_t>(t - 1)]);
        }
      }
      const Index q = p.parent[static_cast<std::size_t>(s)];
      if (q != k_root) {
        EXPECT_GT(q, s);
        // What a front passes on lands in its parent's front: every row
        // below s is a column or a row of its parent.
        for (Index t = p.first_row[static_cast<std::size_t>(s)]; t < p.first_row[static_cast<std::size_t>(s + 1)]; ++t) {
          const Index r = p.rows[static_cast<std::size_t>(t)];
          const bool column = r >= p.first_node[static_cast<std::size_t>(q)] && r < p.first_node[static_cast<std::size_t>(q + 1)];
          const auto begin = p.rows.begin() + p.first_row[static_cast<std::size_t>(q)];
          const auto end = p.rows.begin() + p.first_row[static_cast<std::size_t>(q + 1)];
          EXPECT_TRUE(column || std::binary_search(begin, end, r)) << "supernode " << s << " row " << r;
        }
      } else {
        EXPECT_EQ(p.row_nodes(s), 0);
      }
    }
    std::vector<Index> seen(static_cast<std::size_t>(nodes), 0);
    for (const Index v : p.node_at) ++seen[static_cast<std::size_t>(v)];
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), nodes);
  }
  std::vector<std::int32_t> chain;
  for (std::int32_t v = 1; v < 50; ++v) chain.insert(chain.end(), {v, v + 1});
  std::vector<Index> natural(50);
  for (Index v = 0; v < 50; ++v) natural[static_cast<std::size_t>(v)] = v;
  const SupernodePartition p = partition_supernodes(node_graph(50, chain), natural,
                                                    Amalgamation{0, {0, 0, 0}, {0.0, 0.0, 0.0}});
  // A chain eliminated from one end fills nothing: each column has one row
  // below, so only the last two share a pattern (the last's below the
  // other's); merged freely it is one supernode.
  EXPECT_EQ(p.n_supernodes(), 49);
  EXPECT_EQ(factor_cost(p).entries, 48 * 6 * 12 + 12 * 12);
  const SupernodePartition merged = partition_supernodes(node_graph(50, chain), natural,
                                                         Amalgamation{64, {64, 64, 64}, {1.0, 1.0, 1.0}});
  EXPECT_EQ(merged.n_supernodes(), 1);
}

// What the factorisation holds beside the factor: never less than a front's
// update matrix together with its children's, which are alive at once, nor
// on one worker more than every update matrix at once.
TEST(SupernodalFactor, WorkingStoresHoldEachFrontWithItsChildren) {
  std::mt19937_64 rng(17);
  for (int trial = 0; trial < 20; ++trial) {
    const Index side = 2 + static_cast<Index>(rng() % 5);
    const Index nodes = side * side * side;
    const NodeGraph g = node_graph(nodes, test::grid_pairs(side, side, side));
    const SupernodePartition p = partition_supernodes(g, test::random_order(nodes, rng));
    const auto update = [&](Index s) {
      const Index m = 6 * p.row_nodes(s);
      return static_cast<std::size_t>(m * update_stride(m));
    };
    std::vector<std::size_t> with_children(static_cast<std::size_t>(p.n_supernodes()), 0);
    std::size_t all = 0;
    for (Index s = 0; s < p.n_supernodes(); ++s) {
      with_children[static_cast<std::size_t>(s)] += update(s);
      all += update(s);
      const Index q = p.parent[static_cast<std::size_t>(s)];
      if (q != k_root) with_children[static_cast<std::size_t>(q)] += update(s);
    }
    const std::size_t needed = *std::max_element(with_children.begin(), with_children.end());
    EXPECT_GE(working_entries(p, 1), needed) << "trial " << trial;
    EXPECT_LE(working_entries(p, 1), all) << "trial " << trial;
    // On several workers a front's children may pass from other tasks, and
    // are then held apart from its stack: the same bound.
    for (const Index workers : {2, 3}) EXPECT_GE(working_entries(p, workers), needed) << "trial " << trial;
  }
}

}  // namespace
}  // namespace zervola::global::supernodal
