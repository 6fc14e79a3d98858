// Building-like frames (grid_frame.hpp): times the profile (ZEBMUK6). The
// whole analysis (MATRIXG), the factorisation by each method, the kernel's
// peak and the panel widths are solver_bench.

#include <benchmark/benchmark.h>

#include "grid_frame.hpp"

namespace {

void BM_Profile(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  bench::GridFrame g(n, n, n);
  bench::Profile p;
  for (auto _ : state) {
    p = bench::profile(g);
    benchmark::DoNotOptimize(p.diag.data());
  }
  state.counters["equations"] = g.n_equations;
  state.counters["profile_length"] = p.profile_length;
  state.counters["max_height"] = p.max_column_height;
}

}  // namespace

BENCHMARK(BM_Profile)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
