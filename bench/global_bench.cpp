// Building-like frames: an nx x ny x nz grid of nodes, columns between
// floors, beams along x and y on every floor above the ground, fixed bases
// and a lateral load at every node above the ground. Times the profile
// (ZEBMUK6) and the whole analysis (MATRIXG), and reports the profile length,
// the sum of the squared column heights (the factorisation's flop count:
// about h^2 / 2 multiply-adds per column of height h) and its rate.

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <vector>

#include "zervola.h"

namespace {

constexpr double k_bay = 5000.0;     // mm between columns
constexpr double k_storey = 3500.0;  // mm between floors
constexpr double k_marker = 12345678.0;
constexpr double k_lateral_load = 1000.0;  // N along x at every node above the ground

struct GridFrame {
  int32_t n_nodes = 0, n_elements = 0, n_equations = 0, n_records = -1;
  int32_t space_frame = 1, element_frame = 0;
  std::vector<double> x, y, z, ox, oy, oz, records;
  std::vector<int32_t> pairs, sections, codes;
  std::vector<double> table{210000.0, 81000.0, 1.0e4, 1.0e8, 2.0e8, 1.0e8, 0.0, 300.0, 200.0, 0.0};

  GridFrame(int nx, int ny, int nz) {
    auto id = [&](int ix, int iy, int iz) { return 1 + ix + nx * (iy + ny * iz); };
    for (int iz = 0; iz < nz; ++iz)
      for (int iy = 0; iy < ny; ++iy)
        for (int ix = 0; ix < nx; ++ix) {
          x.push_back(ix * k_bay);
          y.push_back(iy * k_bay);
          z.push_back(iz * k_storey);
        }
    n_nodes = nx * ny * nz;
    n_equations = 6 * n_nodes;
    auto element = [&](int a, int b) {
      pairs.insert(pairs.end(), {a, b});
      sections.push_back(1);
      codes.push_back(0);
      ox.push_back(k_marker);
      oy.push_back(k_marker);
      oz.push_back(k_marker);
    };
    for (int iz = 0; iz < nz; ++iz)
      for (int iy = 0; iy < ny; ++iy)
        for (int ix = 0; ix < nx; ++ix) {
          if (iz + 1 < nz) element(id(ix, iy, iz), id(ix, iy, iz + 1));
          if (iz == 0) continue;
          if (ix + 1 < nx) element(id(ix, iy, iz), id(ix + 1, iy, iz));
          if (iy + 1 < ny) element(id(ix, iy, iz), id(ix, iy + 1, iz));
        }
    n_elements = static_cast<int32_t>(codes.size());
    auto record = [&](double code, int node, std::array<double, 6> p) {
      records.insert(records.end(), {code, 6.0 * node - 5.0});
      records.insert(records.end(), p.begin(), p.end());
      ++n_records;
    };
    for (int node = 1; node <= n_nodes; ++node)
      record(node <= nx * ny ? 116.0 : 214.0, node,
             node <= nx * ny ? std::array<double, 6>{} : std::array<double, 6>{k_lateral_load});
  }
};

struct Profile {
  std::vector<int32_t> diag;
  int32_t profile_length = 0, max_column_height = 0;
  double sum_h2 = 0.0;
};

Profile profile(GridFrame& g) {
  Profile p;
  p.diag.assign(static_cast<std::size_t>(g.n_equations), 0);
  ZEBMUK6(g.pairs.data(), p.diag.data(), g.codes.data(), &g.n_nodes, &g.n_equations, &g.n_elements,
          &p.profile_length, &p.max_column_height);
  int32_t previous = 0;
  for (int32_t d : p.diag) {
    const double h = d - previous;
    p.sum_h2 += h * h;
    previous = d;
  }
  return p;
}

void report(benchmark::State& state, const GridFrame& g, const Profile& p) {
  state.counters["equations"] = g.n_equations;
  state.counters["profile_length"] = p.profile_length;
  state.counters["max_height"] = p.max_column_height;
  state.counters["sum_h2"] = p.sum_h2;
}

void BM_Profile(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  GridFrame g(n, n, n);
  Profile p;
  for (auto _ : state) {
    p = profile(g);
    benchmark::DoNotOptimize(p.diag.data());
  }
  report(state, g, p);
}

void BM_Analysis(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  GridFrame g(n, n, n);
  const Profile p = profile(g);
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
  state.counters["GFLOP/s"] =
      benchmark::Counter(p.sum_h2 * 1.0e-9, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["last_node_ux"] = u[u.size() - 6];
}

}  // namespace

BENCHMARK(BM_Profile)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Analysis)->Arg(10)->Arg(15)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Analysis)->Arg(20)->Iterations(1)->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
