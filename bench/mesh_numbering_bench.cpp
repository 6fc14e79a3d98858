// Speed of band renumbering and of end counting on large frames.
// Targets: NODEEQV (any mode) on about 10^6 elements under 1 s; KRINUM on a
// 40 x 40 x 40 grid frame (64,000 nodes) under 2 s.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "zervola.h"

namespace {

struct Frame {
  std::vector<double> x, y, z;
  std::vector<int32_t> element_nodes, end_codes;
  [[nodiscard]] int32_t n_nodes() const { return static_cast<int32_t>(x.size()); }
  [[nodiscard]] int32_t n_elements() const {
    return static_cast<int32_t>(element_nodes.size() / 2);
  }
};

// An n x n x n grid of nodes numbered along x first, with the bars along x, y
// and z from every node in node order.
Frame grid_frame(int32_t n) {
  Frame f;
  auto number = [n](int32_t i, int32_t j, int32_t k) { return 1 + i + n * (j + n * k); };
  for (int32_t k = 0; k < n; ++k)
    for (int32_t j = 0; j < n; ++j)
      for (int32_t i = 0; i < n; ++i) {
        f.x.push_back(i);
        f.y.push_back(j);
        f.z.push_back(k);
        const int32_t p = number(i, j, k);
        if (i + 1 < n) f.element_nodes.insert(f.element_nodes.end(), {p, number(i + 1, j, k)});
        if (j + 1 < n) f.element_nodes.insert(f.element_nodes.end(), {p, number(i, j + 1, k)});
        if (k + 1 < n) f.element_nodes.insert(f.element_nodes.end(), {p, number(i, j, k + 1)});
      }
  f.end_codes.assign(f.element_nodes.size() / 2, -1);
  return f;
}

// One chain of n_elements bars bending slightly at every node, with every
// other element pointing backwards; codes -1 and -2 alternate.
Frame kinked_chain(int32_t n_elements) {
  Frame f;
  double angle = 0.0;
  double px = 0.0, py = 0.0;
  for (int32_t p = 0; p <= n_elements; ++p) {
    f.x.push_back(px);
    f.y.push_back(py);
    f.z.push_back(0.0);
    angle += (p % 3 == 0 ? 0.05 : -0.05);
    px += std::cos(angle);
    py += std::sin(angle);
  }
  for (int32_t e = 1; e <= n_elements; ++e) {
    if (e % 2 == 0) f.element_nodes.insert(f.element_nodes.end(), {e + 1, e});
    else f.element_nodes.insert(f.element_nodes.end(), {e, e + 1});
    f.end_codes.push_back(e % 2 == 0 ? -1 : -2);
  }
  return f;
}

void run_nodeeqv(benchmark::State& state, const Frame& model) {
  const int32_t mode = static_cast<int32_t>(state.range(0));
  std::vector<int32_t> end_count(model.x.size());
  for (auto _ : state) {
    state.PauseTiming();
    Frame f = model;
    state.ResumeTiming();
    int32_t max_end_count = 0;
    const int32_t n_nodes = f.n_nodes(), n_elements = f.n_elements();
    NODEEQV(f.x.data(), f.y.data(), f.z.data(), f.element_nodes.data(), end_count.data(),
            f.end_codes.data(), &max_end_count, &n_nodes, &n_elements, &mode);
    benchmark::DoNotOptimize(max_end_count);
  }
  state.counters["elements"] = model.n_elements();
  state.counters["nodes"] = model.n_nodes();
}

void BM_NodeeqvGrid(benchmark::State& state) {
  static const Frame model = grid_frame(70);  // 1,014,300 elements
  run_nodeeqv(state, model);
}
BENCHMARK(BM_NodeeqvGrid)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_NodeeqvChain(benchmark::State& state) {
  static const Frame model = kinked_chain(1000000);
  run_nodeeqv(state, model);
}
BENCHMARK(BM_NodeeqvChain)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_KrinumGrid(benchmark::State& state) {
  // Built per size, outside the timed loop.
  const Frame model = grid_frame(static_cast<int32_t>(state.range(0)));
  int32_t bandwidth = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Frame f = model;
    state.ResumeTiming();
    const int32_t n_nodes = f.n_nodes(), n_elements = f.n_elements();
    KRINUM(f.x.data(), f.y.data(), f.z.data(), f.element_nodes.data(), &n_nodes, &n_elements,
           &bandwidth);
    benchmark::DoNotOptimize(bandwidth);
  }
  state.counters["nodes"] = model.n_nodes();
  state.counters["bandwidth"] = bandwidth;
}
BENCHMARK(BM_KrinumGrid)->Arg(20)->Arg(30)->Arg(40)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
