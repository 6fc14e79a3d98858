// The host's threads for the core's tasks: every task once, whatever the
// count of threads; an exception a task throws reaches the caller after
// every task has finished; the nested dissection gives a permutation.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <numeric>
#include <stdexcept>
#include <thread>
#include <vector>

#include "analysis/ordering/nested_dissection.hpp"
#include "analysis/ordering/thread_runner.hpp"

namespace zervola::frame {
namespace thread_runner_test {

TEST(ThreadRunner, RunsEveryTaskOnceOnAnyNumberOfThreads) {
  for (const Index threads : {1, 2, 3, 8}) {
    const ThreadRunner runner(threads);
    EXPECT_EQ(runner.workers(), threads);
    for (const Index tasks : {0, 1, 2, 7, 100}) {
      std::vector<std::atomic<int>> runs(static_cast<std::size_t>(tasks));
      runner.run(tasks, [&](Index t) { ++runs[static_cast<std::size_t>(t)]; });
      for (const auto& r : runs) EXPECT_EQ(r.load(), 1) << threads << " threads, " << tasks << " tasks";
    }
  }
  EXPECT_EQ(ThreadRunner(0).workers(), 1);
  EXPECT_GE(available_processors(), 1);
}

TEST(ThreadRunner, AFailingTaskFailsTheRunAfterTheOthersFinish) {
  const ThreadRunner runner(2);
  std::atomic<int> finished{0};
  EXPECT_THROW(runner.run(20,
                          [&](Index t) {
                            if (t == 3) throw std::runtime_error("task 3");
                            ++finished;
                          }),
               std::runtime_error);
  EXPECT_EQ(finished.load(), 19);
}

// A grid's nested dissection is a permutation of its nodes; a graph too
// small to dissect, or without edges, keeps its own order.
TEST(NestedDissection, OrdersEveryNodeOnce) {
  std::vector<std::int32_t> pairs;
  const int side = 12;
  const auto node = [&](int i, int j) { return static_cast<std::int32_t>(1 + i + side * j); };
  for (int j = 0; j < side; ++j)
    for (int i = 0; i < side; ++i) {
      if (i + 1 < side) pairs.insert(pairs.end(), {node(i, j), node(i + 1, j)});
      if (j + 1 < side) pairs.insert(pairs.end(), {node(i, j), node(i, j + 1)});
    }
  const auto graph = global::supernodal::node_graph(side * side, pairs);
  std::vector<Index> order = nested_dissection(graph);
  std::vector<Index> sorted = order;
  std::sort(sorted.begin(), sorted.end());
  std::vector<Index> every(static_cast<std::size_t>(side * side));
  std::iota(every.begin(), every.end(), Index{0});
  EXPECT_EQ(sorted, every);
  EXPECT_NE(order, every);  // dissected, not left in the grid's order
  // The dissection fills far less than the grid's own order.
  const auto cost = [&](const std::vector<Index>& o) {
    return global::supernodal::factor_cost(global::supernodal::partition_supernodes(graph, o)).flops;
  };
  EXPECT_LT(cost(order), cost(every));

  const auto apart = global::supernodal::node_graph(20, {});
  std::vector<Index> alone(20);
  std::iota(alone.begin(), alone.end(), Index{0});
  EXPECT_EQ(nested_dissection(apart), alone);
}

}  // namespace thread_runner_test
}  // namespace zervola::frame

namespace zervola::frame {
namespace thread_runner_test {

// A task that starts a batch of its own gets it on its own thread, and
// batches one after the other reuse the pool.
TEST(ThreadRunner, BatchesInsideTasksAndManyBatchesRun) {
  const ThreadRunner runner(2);
  std::atomic<int> inner{0};
  runner.run(4, [&](Index) { runner.run(3, [&](Index) { ++inner; }); });
  EXPECT_EQ(inner.load(), 12);
  std::atomic<long> sum{0};
  for (int batch = 0; batch < 2000; ++batch) runner.run(5, [&](Index t) { sum += t; });
  EXPECT_EQ(sum.load(), 2000L * 10);
}

}  // namespace thread_runner_test
}  // namespace zervola::frame
