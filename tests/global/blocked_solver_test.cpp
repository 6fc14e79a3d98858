// The blocked factorisation against the column algorithm, and both against a
// dense solve, on random symmetric positive definite matrices in irregular
// profiles, with every vector path this processor offers forced in turn.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "global/ldlt_solver.hpp"
#include "global/block_kernels.hpp"
#include "global/vector_path.hpp"
#include "skyline_fixtures.hpp"

namespace zervola::global {
namespace {

using test::Dense;
using test::HostSkyline;

std::vector<VectorPath> available_paths() {
  std::vector<VectorPath> paths;
  for (VectorPath path : {VectorPath::portable, VectorPath::avx2})
    if (path_available(path)) paths.push_back(path);
  return paths;
}

std::string path_name(VectorPath path) { return path == VectorPath::avx2 ? "avx2" : "portable"; }

// Heights of an irregular profile: runs of columns sharing a top (as a
// node's columns do), height-2 columns between tall ones, tall columns
// whose tops fall anywhere, full columns.
std::vector<Index> irregular_heights(Index n, std::mt19937_64& rng) {
  std::vector<Index> h{1};
  std::uniform_int_distribution<int> kind(0, 5);
  std::uniform_int_distribution<Index> run(1, 7);
  Index j = 2;
  while (j <= n) {
    const int k = kind(rng);
    const Index length = std::min(run(rng), n - j + 1);
    std::uniform_int_distribution<Index> any_top(1, j - 1);
    const Index top = k == 0 ? j - 1 : k == 1 ? 1 : any_top(rng);
    for (Index c = 0; c < length; ++c, ++j) h.push_back(k == 0 ? 2 : j - std::min(top, j - 1) + 1);
  }
  return h;
}

// A band of width `band` with steps every `step` columns: every column of a
// step shares its top, so that the panel boundaries (width 1 .. 13) fall at
// every position relative to the steps.
std::vector<Index> stepped_heights(Index n, Index band, Index step) {
  std::vector<Index> h{1};
  for (Index j = 2; j <= n; ++j) {
    const Index step_first = ((j - 1) / step) * step + 1;
    const Index top = std::max<Index>(1, std::min(step_first - band, j - 1));
    h.push_back(j - top + 1);
  }
  return h;
}

double largest_magnitude(const std::vector<double>& v) {
  double largest = 0.0;
  for (double x : v) largest = std::max(largest, std::fabs(x));
  return largest;
}

// Factorises s with the column algorithm and with the blocked one for each
// path and panel width, blocked in every panel and with the library's
// choice between blocks and columns; the factors agree to rounding, and the solution
// agrees with a dense solve (up to n = k_dense_limit) and has a small residual.
constexpr Index k_dense_limit = 400;

void check_all_paths(const HostSkyline& s, std::uint64_t seed, const std::vector<Index>& widths) {
  const Index n = s.n();
  std::mt19937_64 rng(seed + 1);
  const std::vector<double> f = test::random_vector(n, rng);

  HostSkyline column = s;
  factorise_columns(column.matrix());
  const double largest = largest_magnitude(column.store);
  const double tolerance =
      test::k_rounding_threshold * test::epsilon() * largest * static_cast<double>(n);

  const Dense A = test::dense_from_skyline(s);
  std::vector<double> dense;
  if (n <= k_dense_limit) dense = test::dense_ldlt_solve(A, f);

  for (VectorPath path : available_paths())
    for (Index width : widths)
      for (Index blocked_rows : {Index{0}, k_blocked_panel_rows}) {
        SCOPED_TRACE("path " + path_name(path) + ", panel width " + std::to_string(width) +
                     ", blocked from " + std::to_string(blocked_rows) + " rows");
        HostSkyline blocked = s;
        factorise_blocked(blocked.matrix(), path, width, blocked_rows);
        for (std::size_t k = 0; k < blocked.store.size(); ++k)
          ASSERT_LE(std::fabs(blocked.store[k] - column.store[k]), tolerance)
              << "store position " << k + 1;
        std::vector<double> u = f;
        substitute(blocked.matrix(), test::view(u));
        EXPECT_LE(test::scaled_residual(A, u, f), test::k_rounding_threshold);
        if (!dense.empty()) {
          const double scale = test::norm_inf(dense);
          for (std::size_t k = 0; k < u.size(); ++k)
            ASSERT_LE(std::fabs(u[k] - dense[k]),
                      test::k_rounding_threshold * test::epsilon() * scale * static_cast<double>(n))
                << "equation " << k + 1;
        }
      }
}

TEST(BlockedSolver, PortablePathIsAlwaysAvailableAndTheBestIsAvailable) {
  EXPECT_TRUE(path_available(VectorPath::portable));
  EXPECT_TRUE(path_available(best_vector_path()));
#if !ZERVOLA_HAVE_X86_PATHS
  EXPECT_FALSE(path_available(VectorPath::avx2));
#endif
}

// Every block height and stretch length, against products summed in order;
// the panel is read with a row step wider than the block, and nothing but
// the block's targets is written.
TEST(BlockedSolver, BlockKernelsSubtractEveryProductOfTheBlock) {
  const std::uint64_t seed = test::k_base_seed + 901;
  SCOPED_TRACE("seed = " + std::to_string(seed));
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  constexpr Index k_panel_step = 2 * k_block_width + 3;
  constexpr Index k_out_step = k_block_width + 5;
  constexpr double k_untouched = 12345.0;
  for (VectorPath path : available_paths()) {
    SCOPED_TRACE("path " + path_name(path));
    const BlockProducts products = block_products_for(path);
    for (Index length : {0, 1, 2, 3, 4, 5, 7, 8, 9, 31, 64, 257}) {
      std::vector<std::vector<double>> multipliers(k_block_rows);
      for (auto& m : multipliers) {
        m.resize(static_cast<std::size_t>(length) + 1);
        for (double& x : m) x = value(rng);
      }
      std::vector<double> panel(static_cast<std::size_t>((length + 1) * k_panel_step));
      for (double& x : panel) x = value(rng);
      for (Index rows = 1; rows <= k_block_rows; ++rows) {
        std::vector<const double*> row;
        for (Index a = 0; a < rows; ++a) row.push_back(multipliers[static_cast<std::size_t>(a)].data());
        std::vector<double> out(static_cast<std::size_t>(k_block_rows * k_out_step), k_untouched);
        products(row.data(), rows, panel.data(), k_panel_step, length, out.data(), k_out_step);
        for (Index a = 0; a < k_block_rows; ++a)
          for (Index v = 0; v < k_out_step; ++v) {
            const double got = out[static_cast<std::size_t>(a * k_out_step + v)];
            if (a >= rows || v >= k_block_width) {
              EXPECT_EQ(got, k_untouched) << "outside the block";
              continue;
            }
            double sum = 0.0, magnitude = 0.0;
            for (Index k = 0; k < length; ++k) {
              const double t = row[static_cast<std::size_t>(a)][k] *
                               panel[static_cast<std::size_t>(k * k_panel_step + v)];
              sum += t;
              magnitude += std::fabs(t);
            }
            EXPECT_LE(std::fabs(got - (k_untouched - sum)),
                      4.0 * test::epsilon() * (magnitude + k_untouched) *
                          static_cast<double>(length + 1))
                << rows << " rows, length " << length << ", row " << a << ", column " << v;
          }
      }
    }
  }
}

TEST(BlockedSolver, TwoByTwoSystemGivesTheSameFactorsOnEveryPath) {
  for (VectorPath path : available_paths())
    for (Index width : {1, 2, 32}) {
      HostSkyline s = test::skyline_from_heights({1, 2});
      s.store = {4.0, 2.0, 3.0};
      factorise_blocked(s.matrix(), path, width, 0);
      EXPECT_EQ(s.store, (std::vector<double>{4.0, 0.5, 2.0})) << path_name(path) << " " << width;
    }
}

TEST(BlockedSolver, RandomProfilesOfEverySmallSizeMatchTheColumnAlgorithm) {
  for (Index n = 1; n <= 40; ++n) {
    const std::uint64_t seed = test::k_base_seed + 5000 + static_cast<std::uint64_t>(n);
    SCOPED_TRACE("n = " + std::to_string(n) + ", seed = " + std::to_string(seed));
    std::mt19937_64 rng(seed);
    HostSkyline s = test::skyline_from_heights(n % 2 == 0 ? test::random_heights(n, rng)
                                                          : irregular_heights(n, rng));
    test::fill_random_spd(s, rng);
    check_all_paths(s, seed, {1, 2, 3, 4, 5, 7, 8, 13, 32});
  }
}

TEST(BlockedSolver, IrregularProfilesMatchTheColumnAlgorithmAndDenseSolve) {
  for (Index n : {57, 100, 173, 256, 400, 777}) {
    for (std::uint64_t trial = 0; trial < 3; ++trial) {
      const std::uint64_t seed =
          test::k_base_seed + 6000 + static_cast<std::uint64_t>(n) * 10 + trial;
      SCOPED_TRACE("n = " + std::to_string(n) + ", seed = " + std::to_string(seed));
      std::mt19937_64 rng(seed);
      HostSkyline s = test::skyline_from_heights(trial == 0 ? test::random_heights(n, rng)
                                                            : irregular_heights(n, rng));
      test::fill_random_spd(s, rng);
      check_all_paths(s, seed, {3, 16, 32, 61});
    }
  }
}

TEST(BlockedSolver, PanelBoundariesAtEveryPositionOfTheSteps) {
  for (Index step : {1, 3, 6}) {
    const Index n = 150;
    const std::uint64_t seed = test::k_base_seed + 7000 + static_cast<std::uint64_t>(step);
    SCOPED_TRACE("step = " + std::to_string(step) + ", seed = " + std::to_string(seed));
    std::mt19937_64 rng(seed);
    HostSkyline s = test::skyline_from_heights(stepped_heights(n, 40, step));
    test::fill_random_spd(s, rng);
    check_all_paths(s, seed, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
  }
}

// Chunks of source rows from one row to several blocks, so that chunk
// boundaries fall inside blocks' common stretches, inside the rows that one
// equation holds above them, and at panel boundaries.
TEST(BlockedSolver, ChunkBoundariesAnywhereInTheRowsAboveThePanel) {
  for (Index n : {90, 300}) {
    const std::uint64_t seed = test::k_base_seed + 7500 + static_cast<std::uint64_t>(n);
    SCOPED_TRACE("n = " + std::to_string(n) + ", seed = " + std::to_string(seed));
    std::mt19937_64 rng(seed);
    HostSkyline s = test::skyline_from_heights(irregular_heights(n, rng));
    test::fill_random_spd(s, rng);
    HostSkyline column = s;
    factorise_columns(column.matrix());
    const double tolerance = test::k_rounding_threshold * test::epsilon() *
                             largest_magnitude(column.store) * static_cast<double>(n);
    for (VectorPath path : available_paths())
      for (Index width : {5, 32})
        for (Index chunk : {1, 5, 6, 7, 30, 1000}) {
          SCOPED_TRACE(path_name(path) + ", width " + std::to_string(width) + ", chunk " +
                       std::to_string(chunk));
          HostSkyline blocked = s;
          factorise_blocked(blocked.matrix(), path, width, 0, chunk);
          for (std::size_t k = 0; k < blocked.store.size(); ++k)
            ASSERT_LE(std::fabs(blocked.store[k] - column.store[k]), tolerance)
                << "store position " << k + 1;
        }
  }
}

TEST(BlockedSolver, LargeProfilesMatchTheColumnAlgorithm) {
  for (Index n : {1200, 2000}) {
    const std::uint64_t seed = test::k_base_seed + 8000 + static_cast<std::uint64_t>(n);
    SCOPED_TRACE("n = " + std::to_string(n) + ", seed = " + std::to_string(seed));
    std::mt19937_64 rng(seed);
    HostSkyline s = test::skyline_from_heights(n == 2000 ? stepped_heights(n, 150, 6)
                                                         : irregular_heights(n, rng));
    test::fill_random_spd(s, rng);
    check_all_paths(s, seed, {k_panel_width});
  }
}

}  // namespace
}  // namespace zervola::global
