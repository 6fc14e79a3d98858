// Building-like frames (grid_frame.hpp): times the profile (ZEBMUK6), the
// whole analysis (MATRIXG), and the blocked factorisation for a range of
// panel widths. The solver's comparison with the column algorithm, the
// kernel's peak and CHOLMOD is solver_bench.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "global/ldlt_solver.hpp"
#include "global/skyline_matrix.hpp"
#include "global/vector_path.hpp"
#include "grid_frame.hpp"
#include "zervola.h"

namespace {

using bench::GridFrame;
using bench::Profile;

void report(benchmark::State& state, const GridFrame& g, const Profile& p) {
  state.counters["equations"] = g.n_equations;
  state.counters["profile_length"] = p.profile_length;
  state.counters["max_height"] = p.max_column_height;
  state.counters["sum_h2"] = p.sum_h2;
  state.counters["GFLOP/s"] =
      benchmark::Counter(p.sum_h2 * 1.0e-9, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Profile(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  GridFrame g(n, n, n);
  Profile p;
  for (auto _ : state) {
    p = bench::profile(g);
    benchmark::DoNotOptimize(p.diag.data());
  }
  state.counters["equations"] = g.n_equations;
  state.counters["profile_length"] = p.profile_length;
}

void BM_Analysis(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  GridFrame g(n, n, n);
  const Profile p = bench::profile(g);
  std::vector<double> u;
  for (auto _ : state) {
    u.assign(static_cast<std::size_t>(g.n_equations), 0.0);
    MATRIXG(u.data(), g.records.data(), g.x.data(), g.y.data(), g.z.data(), g.ox.data(),
            g.oy.data(), g.oz.data(), g.pairs.data(), g.sections.data(), p.diag.data(),
            g.codes.data(), &g.space_frame, g.table.data(), &g.n_nodes, &g.n_elements,
            &p.profile_length, &g.n_equations, &g.n_records, &p.max_column_height,
            &g.element_frame);
    benchmark::DoNotOptimize(u.data());
  }
  report(state, g, p);
  state.counters["last_node_ux"] = u[u.size() - 6];
}

// The blocked factorisation with the widest path and a given panel width,
// on a diagonally dominant matrix in the frame's profile.
void BM_PanelWidth(benchmark::State& state) {
  namespace zg = zervola::global;
  const int n = static_cast<int>(state.range(0));
  GridFrame g(n, n, n);
  const Profile p = bench::profile(g);
  std::vector<double> original(static_cast<std::size_t>(p.profile_length), 0.0);
  std::mt19937_64 rng(20240611);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  for (double& v : original) v = value(rng);
  for (int32_t d : p.diag) original[static_cast<std::size_t>(d - 1)] = 1.0e6;
  std::vector<double> store;
  const zg::SkylineProfile sp(
      zervola::Vector1<const int32_t>(p.diag.data(), static_cast<zervola::Index>(p.diag.size())));
  for (auto _ : state) {
    state.PauseTiming();
    store = original;
    const zg::SkylineMatrix K(sp, zervola::Vector1<double>(store.data(), p.profile_length));
    state.ResumeTiming();
    zg::factorise_blocked(K, zg::best_vector_path(), state.range(1));
    benchmark::DoNotOptimize(store.data());
  }
  report(state, g, p);
}

}  // namespace

BENCHMARK(BM_PanelWidth)->ArgsProduct({{10}, {8, 16, 32, 64, 128}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Profile)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Analysis)->Arg(10)->Arg(15)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Analysis)->Arg(20)->Iterations(1)->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
