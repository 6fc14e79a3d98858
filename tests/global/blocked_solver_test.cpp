// The blocked factorisation against the column algorithm, and both against a
// dense solve, on random symmetric positive definite matrices in irregular
// profiles, with every vector path forced in turn; a path that this build or
// processor lacks is skipped, and says so.

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

constexpr VectorPath k_every_path[] = {VectorPath::portable, VectorPath::avx2,
                                       VectorPath::avx512};

std::string unavailable(VectorPath path) {
  return std::string("the ") + path_name(path) +
         " path is not available: this build or processor lacks it";
}

// Each test of this suite runs once per path, and is skipped where the
// path is not available.
class BlockedSolverOnPath : public testing::TestWithParam<VectorPath> {
 protected:
  void SetUp() override {
    if (!path_available(GetParam())) GTEST_SKIP() << unavailable(GetParam());
  }
};

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

// A random positive definite matrix in a stepped band profile (n = 2000) or
// an irregular one.
HostSkyline large_profile(Index n, std::mt19937_64& rng) {
  HostSkyline s = test::skyline_from_heights(n == 2000 ? stepped_heights(n, 150, 6)
                                                       : irregular_heights(n, rng));
  test::fill_random_spd(s, rng);
  return s;
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

void check_path(VectorPath path, const HostSkyline& s, std::uint64_t seed,
                const std::vector<Index>& widths) {
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

  for (Index width : widths)
    for (Index blocked_rows : {Index{0}, k_blocked_panel_rows}) {
        SCOPED_TRACE(std::string("path ") + path_name(path) + ", panel width " + std::to_string(width) +
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

// Every block height, group count and stretch length, against products
// summed in order. The groups lie either apart (as in the panel's copy) or
// side by side in wider rows (as in a dense product); the panel is read with
// a row step wider than the block, and nothing but the block's targets is
// written.
TEST_P(BlockedSolverOnPath, BlockKernelsSubtractEveryProductOfTheBlock) {
  const std::uint64_t seed = test::k_base_seed + 901;
  SCOPED_TRACE("seed = " + std::to_string(seed));
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  constexpr Index k_out_step = k_block_width + 5;
  constexpr Index k_out_group_step = k_block_rows * k_out_step + 3;
  constexpr double k_untouched = 12345.0;
  const BlockProducts products = block_products_for(GetParam());
  for (Index groups : {1, 2, 3, 4, 5, 6, 9})
    for (Index length : {0, 1, 2, 3, 4, 5, 7, 8, 9, 31, 64, 257}) {
      const bool apart = groups % 2 == 1;
      const Index panel_step = apart ? 2 * k_block_width + 3 : groups * k_block_width + 3;
      const Index panel_group_step = apart ? (length + 1) * panel_step + 5 : k_block_width;
      std::vector<std::vector<double>> multipliers(k_block_rows);
      for (auto& m : multipliers) {
        m.resize(static_cast<std::size_t>(length) + 1);
        for (double& x : m) x = value(rng);
      }
      std::vector<double> panel(static_cast<std::size_t>(groups * panel_group_step +
                                                         (length + 1) * panel_step));
      for (double& x : panel) x = value(rng);
      for (Index rows = 1; rows <= k_block_rows; ++rows) {
        std::vector<const double*> row;
        for (Index a = 0; a < rows; ++a)
          row.push_back(multipliers[static_cast<std::size_t>(a)].data());
        std::vector<double> out(static_cast<std::size_t>(groups * k_out_group_step), k_untouched);
        BlockUpdate update;
        update.row = row.data();
        update.rows = rows;
        update.panel = panel.data();
        update.panel_step = panel_step;
        update.panel_group_step = panel_group_step;
        update.groups = groups;
        update.length = length;
        update.out = out.data();
        update.out_step = k_out_step;
        update.out_group_step = k_out_group_step;
        products(update);
        for (Index c = 0; c < groups; ++c)
          for (Index a = 0; a * k_out_step < k_out_group_step; ++a)
            for (Index v = 0; v < k_out_step && a * k_out_step + v < k_out_group_step; ++v) {
              const double got =
                  out[static_cast<std::size_t>(c * k_out_group_step + a * k_out_step + v)];
              if (a >= rows || v >= k_block_width) {
                EXPECT_EQ(got, k_untouched) << "outside the block";
                continue;
              }
              double sum = 0.0, magnitude = 0.0;
              for (Index k = 0; k < length; ++k) {
                const double t =
                    row[static_cast<std::size_t>(a)][k] *
                    panel[static_cast<std::size_t>(c * panel_group_step + k * panel_step + v)];
                sum += t;
                magnitude += std::fabs(t);
              }
              EXPECT_LE(std::fabs(got - (k_untouched - sum)),
                        4.0 * test::epsilon() * (magnitude + k_untouched) *
                            static_cast<double>(length + 1))
                  << rows << " rows, " << groups << " groups, length " << length << ", group "
                  << c << ", row " << a << ", column " << v;
            }
      }
    }
}

TEST_P(BlockedSolverOnPath, TwoByTwoSystemGivesTheSameFactors) {
  for (Index width : {1, 2, 32}) {
    HostSkyline s = test::skyline_from_heights({1, 2});
    s.store = {4.0, 2.0, 3.0};
    factorise_blocked(s.matrix(), GetParam(), width, 0);
    EXPECT_EQ(s.store, (std::vector<double>{4.0, 0.5, 2.0})) << width;
  }
}

TEST_P(BlockedSolverOnPath, RandomProfilesOfEverySmallSizeMatchTheColumnAlgorithm) {
  for (Index n = 1; n <= 40; ++n) {
    const std::uint64_t seed = test::k_base_seed + 5000 + static_cast<std::uint64_t>(n);
    SCOPED_TRACE("n = " + std::to_string(n) + ", seed = " + std::to_string(seed));
    std::mt19937_64 rng(seed);
    HostSkyline s = test::skyline_from_heights(n % 2 == 0 ? test::random_heights(n, rng)
                                                          : irregular_heights(n, rng));
    test::fill_random_spd(s, rng);
    check_path(GetParam(), s, seed, {1, 2, 3, 4, 5, 7, 8, 13, 32});
  }
}

TEST_P(BlockedSolverOnPath, IrregularProfilesMatchTheColumnAlgorithmAndDenseSolve) {
  for (Index n : {57, 100, 173, 256, 400, 777}) {
    for (std::uint64_t trial = 0; trial < 3; ++trial) {
      const std::uint64_t seed =
          test::k_base_seed + 6000 + static_cast<std::uint64_t>(n) * 10 + trial;
      SCOPED_TRACE("n = " + std::to_string(n) + ", seed = " + std::to_string(seed));
      std::mt19937_64 rng(seed);
      HostSkyline s = test::skyline_from_heights(trial == 0 ? test::random_heights(n, rng)
                                                            : irregular_heights(n, rng));
      test::fill_random_spd(s, rng);
      check_path(GetParam(), s, seed, {3, 16, 32, 61});
    }
  }
}

TEST_P(BlockedSolverOnPath, PanelBoundariesAtEveryPositionOfTheSteps) {
  for (Index step : {1, 3, 6}) {
    const Index n = 150;
    const std::uint64_t seed = test::k_base_seed + 7000 + static_cast<std::uint64_t>(step);
    SCOPED_TRACE("step = " + std::to_string(step) + ", seed = " + std::to_string(seed));
    std::mt19937_64 rng(seed);
    HostSkyline s = test::skyline_from_heights(stepped_heights(n, 40, step));
    test::fill_random_spd(s, rng);
    check_path(GetParam(), s, seed, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
  }
}

// Chunks of source rows from one row to several blocks, so that chunk
// boundaries fall inside blocks' common stretches, inside the rows that one
// equation holds above them, and at panel boundaries.
TEST_P(BlockedSolverOnPath, ChunkBoundariesAnywhereInTheRowsAboveThePanel) {
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
    for (Index width : {5, 32, 61})
      for (Index chunk : {1, 5, 6, 7, 30, 1000}) {
        SCOPED_TRACE("width " + std::to_string(width) + ", chunk " + std::to_string(chunk));
        HostSkyline blocked = s;
        factorise_blocked(blocked.matrix(), GetParam(), width, 0, chunk);
        for (std::size_t k = 0; k < blocked.store.size(); ++k)
          ASSERT_LE(std::fabs(blocked.store[k] - column.store[k]), tolerance)
              << "store position " << k + 1;
      }
  }
}

TEST_P(BlockedSolverOnPath, LargeProfilesMatchTheColumnAlgorithm) {
  for (Index n : {1200, 2000}) {
    const std::uint64_t seed = test::k_base_seed + 8000 + static_cast<std::uint64_t>(n);
    SCOPED_TRACE("n = " + std::to_string(n) + ", seed = " + std::to_string(seed));
    std::mt19937_64 rng(seed);
    const HostSkyline s = large_profile(n, rng);
    check_path(GetParam(), s, seed, {k_panel_width});
  }
}

INSTANTIATE_TEST_SUITE_P(EveryPath, BlockedSolverOnPath, testing::ValuesIn(k_every_path),
                         [](const testing::TestParamInfo<VectorPath>& path) {
                           return std::string(path_name(path.param));
                         });

// The AVX2 and AVX-512 kernels both sum each product in increasing order
// with fused multiply-adds, and the factorisation hands both the same
// stretches: their factors agree bit for bit.
TEST(BlockedSolver, WidePathsGiveTheSameFactorsBitForBit) {
  if (!path_available(VectorPath::avx512))
    GTEST_SKIP() << unavailable(VectorPath::avx512);
  for (Index n : {173, 777, 2000}) {
    const std::uint64_t seed = test::k_base_seed + 8500 + static_cast<std::uint64_t>(n);
    SCOPED_TRACE("n = " + std::to_string(n) + ", seed = " + std::to_string(seed));
    std::mt19937_64 rng(seed);
    const HostSkyline s = large_profile(n, rng);
    for (Index width : {5, 32, 61}) {
      HostSkyline avx2 = s, avx512 = s;
      factorise_blocked(avx2.matrix(), VectorPath::avx2, width, 0);
      factorise_blocked(avx512.matrix(), VectorPath::avx512, width, 0);
      EXPECT_EQ(avx2.store, avx512.store) << "panel width " << width;
    }
  }
}

}  // namespace
}  // namespace zervola::global
