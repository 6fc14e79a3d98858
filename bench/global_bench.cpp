// Building-like frames: an nx x ny x nz grid of nodes, columns between
// floors, beams along x and y on every floor above the ground, fixed bases
// and a lateral load at every node above the ground. Times the profile
// (ZEBMUK6) and the whole analysis (MATRIXG), and reports the profile length,
// the sum of the squared column heights (the factorisation's flop count:
// about h^2 / 2 multiply-adds per column of height h) and its rate. The
// factorisation alone is timed on the same profiles by the library's
// blocked solver and by the plain column algorithm, and the tile kernel on
// a dense product (the practical peak); their GFLOP/s side by side give the
// ratios.

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "global/ldlt_solver.hpp"
#include "global/skyline_matrix.hpp"
#include "global/block_kernels.hpp"
#include "global/vector_path.hpp"
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

// A symmetric, diagonally dominant matrix in the frame's profile: the
// factorisation's work depends on the profile alone.
std::vector<double> dominant_store(const Profile& p) {
  std::vector<double> store(static_cast<std::size_t>(p.profile_length));
  std::vector<double> row_sum(p.diag.size(), 0.0);
  std::mt19937_64 rng(20240611);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  int32_t previous = 0;
  for (std::size_t j = 0; j < p.diag.size(); ++j) {
    const int32_t height = p.diag[j] - previous;
    for (int32_t k = 0; k + 1 < height; ++k) {
      const double v = value(rng);
      store[static_cast<std::size_t>(previous + k)] = v;
      row_sum[j] += std::fabs(v);
      row_sum[j + 1 - static_cast<std::size_t>(height - k)] += std::fabs(v);
    }
    previous = p.diag[j];
  }
  for (std::size_t j = 0; j < p.diag.size(); ++j)
    store[static_cast<std::size_t>(p.diag[j] - 1)] = row_sum[j] + 1.0;
  return store;
}

enum class Method : int64_t { blocked, columns };

// Factorisation alone of the frame's profile, by the library's blocked
// solver (widest path) or the plain column algorithm. Rate: sum of h^2 flops.
// Arguments: grid size n, the method, and nz: an n x n x nz frame, or
// n x n x n when nz is 0.
void BM_Factorise(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const auto method = static_cast<Method>(state.range(1));
  const int nz = state.range(2) > 0 ? static_cast<int>(state.range(2)) : n;
  GridFrame g(n, n, nz);
  const Profile p = profile(g);
  const std::vector<double> original = dominant_store(p);
  std::vector<double> store;
  namespace zg = zervola::global;
  const zg::SkylineProfile sp(
      zervola::Vector1<const int32_t>(p.diag.data(), static_cast<zervola::Index>(p.diag.size())));
  for (auto _ : state) {
    state.PauseTiming();
    store = original;
    const zg::SkylineMatrix K(sp, zervola::Vector1<double>(store.data(), p.profile_length));
    state.ResumeTiming();
    if (method == Method::blocked)
      zg::factorise(K);
    else
      zg::factorise_columns(K);
    benchmark::DoNotOptimize(store.data());
  }
  report(state, g, p);
  state.counters["GFLOP/s"] =
      benchmark::Counter(p.sum_h2 * 1.0e-9, benchmark::Counter::kIsIterationInvariantRate);
  state.SetLabel(method == Method::blocked ? "blocked" : "columns");
}

// The blocked factorisation with the widest path and a given panel width.
void BM_PanelWidth(benchmark::State& state) {
  namespace zg = zervola::global;
  const int n = static_cast<int>(state.range(0));
  GridFrame g(n, n, n);
  const Profile p = profile(g);
  const std::vector<double> original = dominant_store(p);
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
  state.counters["GFLOP/s"] =
      benchmark::Counter(p.sum_h2 * 1.0e-9, benchmark::Counter::kIsIterationInvariantRate);
}

// The block kernel of the widest path on a dense product C -= A B of
// `size` x `size` matrices (A by rows, B and C row-major), block by block
// over the whole inner dimension: the practical peak of the kernel.
void BM_DenseProduct(benchmark::State& state) {
  namespace zg = zervola::global;
  const auto size = static_cast<zervola::Index>(state.range(0));
  const auto count = static_cast<std::size_t>(size * size);
  std::vector<double> a(count, 0.5), b(count, 0.25), c(count, 0.0);
  const zg::BlockProducts products = zg::block_products_for(zg::best_vector_path());
  const zervola::Index rows = size / zg::k_block_rows * zg::k_block_rows;
  const zervola::Index columns = size / zg::k_block_width * zg::k_block_width;
  for (auto _ : state) {
    for (zervola::Index i = 0; i < rows; i += zg::k_block_rows) {
      std::array<const double*, zg::k_block_rows> row{};
      for (zervola::Index r = 0; r < zg::k_block_rows; ++r)
        row[static_cast<std::size_t>(r)] = a.data() + (i + r) * size;
      for (zervola::Index j = 0; j < columns; j += zg::k_block_width)
        products(row.data(), zg::k_block_rows, b.data() + j, size, size, c.data() + i * size + j,
                 size);
    }
    benchmark::DoNotOptimize(c.data());
  }
  state.counters["GFLOP/s"] = benchmark::Counter(
      2.0 * static_cast<double>(rows) * static_cast<double>(columns) * static_cast<double>(size) *
          1.0e-9,
      benchmark::Counter::kIsIterationInvariantRate);
  state.SetLabel(zg::best_vector_path() == zg::VectorPath::avx2 ? "avx2" : "portable");
}

}  // namespace

BENCHMARK(BM_DenseProduct)->Arg(96)->Arg(480)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Factorise)->Args({10, 0, 0})->Args({10, 1, 0})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Factorise)
    ->Args({20, 0, 0})
    ->Args({20, 1, 0})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);
BENCHMARK(BM_Factorise)->Args({3, 0, 1000})->Args({3, 1, 1000})->Unit(benchmark::kMillisecond);
// The 30 x 30 x 30 frame takes about a minute blocked (the column algorithm,
// about ten): run it with --benchmark_filter=Factorise/30.
BENCHMARK(BM_Factorise)->Args({30, 0, 0})->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_PanelWidth)->ArgsProduct({{10}, {8, 16, 32, 64, 128}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Profile)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Analysis)->Arg(10)->Arg(15)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Analysis)->Arg(20)->Iterations(1)->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
