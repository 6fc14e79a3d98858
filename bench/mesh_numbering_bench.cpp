// Speed of band renumbering and of end counting on large frames.
// Targets: NODEEQV (any mode) on about 10^6 elements under 1 s; KRINUM on a
// 40 x 40 x 40 grid frame (64,000 nodes) under 2 s.
//
// After the runs, a table of KRINUM on building frames of about 10^4, 10^5
// and 10^6 elements, a block (n x n x n) beside a tower (6 x 6 x storeys),
// one call each, with the growth exponent between sizes: the time of a
// block grows about with the square of its size (the trial that decides a
// start reaches a fixed share of the frame), a tower's linearly.
//
//   mesh_numbering_bench [benchmark flags] [--krinum_largest=ELEMENTS]
//
// --krinum_largest (default 1100000) leaves out the larger frames of the
// table; 0 leaves out the table.

#include <benchmark/benchmark.h>

#include <time.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "grid_frame.hpp"
#include "processor_name.hpp"
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

// KRINUM once on a building frame: wall and processor seconds.
struct KrinumFigures {
  int32_t elements = 0, nodes = 0, bandwidth = 0;
  double wall = 0.0, processor = 0.0;
};

double processor_seconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1.0e-9 * static_cast<double>(t.tv_nsec);
}

KrinumFigures time_krinum(int nx, int ny, int nz) {
  bench::GridFrame g(nx, ny, nz);
  KrinumFigures f;
  f.elements = g.n_elements;
  f.nodes = g.n_nodes;
  const double cpu0 = processor_seconds();
  const auto wall0 = std::chrono::steady_clock::now();
  KRINUM(g.x.data(), g.y.data(), g.z.data(), g.pairs.data(), &g.n_nodes, &g.n_elements,
         &f.bandwidth);
  f.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
  f.processor = processor_seconds() - cpu0;
  return f;
}

// Frames of about 10^4, 10^5 and 10^6 elements (a building of nx x ny x nz
// nodes has about 3 nx ny nz elements).
struct ScalingRow {
  int block_side;     // n x n x n
  int tower_storeys;  // k_tower_bays x k_tower_bays x storeys
};
constexpr int k_tower_bays = 6;
constexpr ScalingRow k_scaling_rows[] = {{15, 104}, {33, 1042}, {70, 10417}};
constexpr long k_default_largest = 1100000;

void print_cell(const KrinumFigures& f, const KrinumFigures* smaller) {
  std::printf(" %9d %8d %6d %9.3f %9.3f", f.elements, f.nodes, f.bandwidth, f.wall, f.processor);
  if (smaller != nullptr && smaller->processor > 0.0 && f.processor > 0.0)
    std::printf(" %5.2f", std::log(f.processor / smaller->processor) /
                              std::log(static_cast<double>(f.elements) / smaller->elements));
  else
    std::printf(" %5s", "-");
}

void print_krinum_scaling(long largest) {
  std::printf("\nKRINUM on building frames, one call each; %s\n",
              bench::processor_name().c_str());
  std::printf("growth: exponent of processor time against elements since the row above\n");
  std::printf("%-7s %9s %8s %6s %9s %9s %5s |%9s %8s %6s %9s %9s %5s\n", "", "elements",
              "nodes", "bw", "wall s", "cpu s", "grow", "elements", "nodes", "bw", "wall s",
              "cpu s", "grow");
  std::printf("%-7s %-50s | %s\n", "", "block n x n x n", "tower 6 x 6 x storeys");
  KrinumFigures block_before, tower_before;
  bool first = true;
  for (const ScalingRow& row : k_scaling_rows) {
    const long side = row.block_side;
    if (3 * side * side * side > largest) break;
    const KrinumFigures block = time_krinum(row.block_side, row.block_side, row.block_side);
    const KrinumFigures tower = time_krinum(k_tower_bays, k_tower_bays, row.tower_storeys);
    std::printf("%-7s", "");
    print_cell(block, first ? nullptr : &block_before);
    std::printf(" |");
    print_cell(tower, first ? nullptr : &tower_before);
    std::printf("\n");
    std::fflush(stdout);
    block_before = block;
    tower_before = tower;
    first = false;
  }
}

// Takes --krinum_largest=ELEMENTS out of the arguments.
long take_largest(int& argc, char** argv) {
  constexpr const char* k_flag = "--krinum_largest=";
  long largest = k_default_largest;
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], k_flag, std::strlen(k_flag)) == 0)
      largest = std::strtol(argv[i] + std::strlen(k_flag), nullptr, 10);
    else
      argv[kept++] = argv[i];
  }
  argc = kept;
  return largest;
}

}  // namespace

int main(int argc, char** argv) {
  const long largest = take_largest(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (largest > 0) print_krinum_scaling(largest);
  return 0;
}
