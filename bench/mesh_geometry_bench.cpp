// Figures for the mesh geometry exports on large drawings: a space frame of
// about 10^6 lines, each endpoint moved by less than half the merge
// tolerance, as the host passes it.
//
// Targets: MESHDISKR and FREELINE each under 1 s on 10^6 lines.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "zervola.h"

namespace {

constexpr double k_spacing = 1000.0;
constexpr double k_jitter = 4.0e-5;  // below half of the merge tolerance

struct Drawing {
  std::vector<double> x, y, z;  // 2 entries per line
  [[nodiscard]] int32_t n_lines() const { return static_cast<int32_t>(x.size() / 2); }
};

// Lines between neighbouring nodes of an n x n x m grid: 3 n^2 m lines about,
// the nodes spacing apart from origin.
Drawing space_frame(int n, int m, bool shuffled, std::uint64_t seed, double spacing,
                    double origin) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> jitter(-k_jitter, k_jitter);
  struct Line {
    int a[3], b[3];
  };
  std::vector<Line> lines;
  for (int k = 0; k < m; ++k)
    for (int j = 0; j < n; ++j)
      for (int i = 0; i < n; ++i) {
        if (i + 1 < n) lines.push_back({{i, j, k}, {i + 1, j, k}});
        if (j + 1 < n) lines.push_back({{i, j, k}, {i, j + 1, k}});
        if (k + 1 < m) lines.push_back({{i, j, k}, {i, j, k + 1}});
      }
  if (shuffled) std::shuffle(lines.begin(), lines.end(), rng);
  Drawing d;
  for (Line& l : lines) {
    if (shuffled && (rng() & 1U) != 0) std::swap(l.a, l.b);
    for (const int* p : {l.a, l.b}) {
      d.x.push_back(origin + p[0] * spacing + jitter(rng));
      d.y.push_back(origin + p[1] * spacing + jitter(rng));
      d.z.push_back(origin + p[2] * spacing + jitter(rng));
    }
  }
  return d;
}

// The drawings of the figures, by argument: 0 lines in drawing order,
// 1 in random order and direction, 2 in random order with nodes off round
// coordinates (spacing 1000 + 1/3 from 0.1234567), so that the search grids
// also look into neighbouring cells, 3 in random order with coordinates of
// four decimals (spacing 1000.37 from 0.123), the least favourable for the
// grids: every node reaches into all its neighbouring cells.
// 70 x 70 x 69 nodes: 999,740 lines.
enum class Order { drawn = 0, shuffled = 1, shuffled_off_grid = 2, shuffled_four_decimals = 3 };

const Drawing& million_lines(std::int64_t arg) {
  static const Drawing drawn = space_frame(70, 69, false, 1, k_spacing, 0.0);
  static const Drawing shuffled = space_frame(70, 69, true, 2, k_spacing, 0.0);
  static const Drawing off_grid = space_frame(70, 69, true, 3, 1000.0 + 1.0 / 3.0, 0.1234567);
  static const Drawing four_decimals = space_frame(70, 69, true, 4, 1000.37, 0.123);
  switch (static_cast<Order>(arg)) {
    case Order::drawn:
      return drawn;
    case Order::shuffled:
      return shuffled;
    case Order::shuffled_off_grid:
      return off_grid;
    case Order::shuffled_four_decimals:
      break;
  }
  return four_decimals;
}

void meshdiskr(benchmark::State& state) {
  const Drawing& d = million_lines(state.range(0));
  const int32_t n_elements = d.n_lines();
  std::vector<int32_t> element_nodes(2 * static_cast<std::size_t>(n_elements));
  int32_t nodes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<double> x = d.x, y = d.y, z = d.z;
    int32_t point_count = 2 * n_elements;
    state.ResumeTiming();
    MESHDISKR(x.data(), y.data(), z.data(), element_nodes.data(), &point_count, &n_elements);
    benchmark::DoNotOptimize(element_nodes.data());
    nodes = point_count;
  }
  state.counters["lines"] = n_elements;
  state.counters["nodes"] = nodes;
}

// FREELINE on the raw drawing: every line has its own two point numbers, so
// connections are found from coordinates alone.
void freeline_drawing(benchmark::State& state) {
  const Drawing& d = million_lines(state.range(0));
  const int32_t n_lines = d.n_lines();
  std::vector<int32_t> line_points(2 * static_cast<std::size_t>(n_lines));
  for (std::size_t i = 0; i < line_points.size(); ++i)
    line_points[i] = static_cast<int32_t>(i + 1);
  // One line apart from the rest, so that the whole figure is searched and a
  // line is named.
  std::vector<double> x = d.x;
  x[x.size() - 2] += 1e7;
  x[x.size() - 1] += 1e7;
  int32_t free_line = 0;
  const int32_t spare = 0;
  for (auto _ : state) {
    FREELINE(x.data(), d.y.data(), d.z.data(), line_points.data(), &free_line, &spare,
             &n_lines);
    benchmark::DoNotOptimize(free_line);
  }
  state.counters["lines"] = n_lines;
  state.counters["free_line"] = free_line;
}

// FREELINE on the model that MESHDISKR makes of the drawing.
void freeline_model(benchmark::State& state) {
  const Drawing& d = million_lines(state.range(0));
  const int32_t n_lines = d.n_lines();
  std::vector<double> x = d.x, y = d.y, z = d.z;
  std::vector<int32_t> element_nodes(2 * static_cast<std::size_t>(n_lines));
  int32_t point_count = 2 * n_lines;
  MESHDISKR(x.data(), y.data(), z.data(), element_nodes.data(), &point_count, &n_lines);
  int32_t free_line = -9;
  const int32_t spare = 0;
  for (auto _ : state) {
    FREELINE(x.data(), y.data(), z.data(), element_nodes.data(), &free_line, &spare, &n_lines);
    benchmark::DoNotOptimize(free_line);
  }
  state.counters["lines"] = n_lines;
  state.counters["free_line"] = free_line;
}

void point_queries(benchmark::State& state) {
  const Drawing& d = million_lines(1);
  const int32_t n_elements = d.n_lines();
  std::vector<double> x = d.x, y = d.y, z = d.z;
  std::vector<int32_t> element_nodes(2 * static_cast<std::size_t>(n_elements));
  int32_t point_count = 2 * n_elements;
  MESHDISKR(x.data(), y.data(), z.data(), element_nodes.data(), &point_count, &n_elements);
  std::vector<int32_t> codes(static_cast<std::size_t>(n_elements), 0), marks = codes;
  const int32_t spare = 0;
  int32_t found = 0, made = 0;
  for (auto _ : state) {
    double picked[3] = {x[0] * 1000, y[0] * 1000, z[0] * 1000};
    POINTINNODE(x.data(), y.data(), z.data(), element_nodes.data(), codes.data(), picked, &spare,
                &n_elements, &found);
    POINT_IN_LINE(x.data(), y.data(), z.data(), element_nodes.data(), picked, marks.data(),
                  &spare, &n_elements, &made);
    benchmark::DoNotOptimize(found);
  }
  state.counters["lines"] = n_elements;
}

// Argument: the drawing, as million_lines.
BENCHMARK(meshdiskr)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(freeline_drawing)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(freeline_model)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(point_queries)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
