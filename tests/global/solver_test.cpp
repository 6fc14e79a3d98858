#include "global/ldlt_solver.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "skyline_fixtures.hpp"

namespace zervola::global {
namespace {

using test::Dense;
using test::HostSkyline;

// The factorisation transcribed literally, entry by entry through store
// positions, every sum in increasing order: the oracle for the kernels.
void literal_factorise(HostSkyline& s) {
  const Index n = s.n();
  auto at = [&](Index i, Index j) -> double& {
    return s.store[static_cast<std::size_t>(s.diag[static_cast<std::size_t>(j - 1)] - (j - i) - 1)];
  };
  for (Index j = 2; j <= n; ++j) {
    for (Index i = s.top(j) + 1; i <= j - 1; ++i) {
      double sum = 0.0;
      for (Index r = std::max(s.top(i), s.top(j)); r <= i - 1; ++r) sum += at(r, i) * at(r, j);
      at(i, j) -= sum;
    }
    double sum = 0.0;
    for (Index i = s.top(j); i <= j - 1; ++i) {
      const double g = at(i, j);
      at(i, j) = g / at(i, i);
      sum += g * at(i, j);
    }
    at(j, j) -= sum;
  }
}

TEST(SkylineSolver, TwoByTwoSystemGivesItsFactorsAndSolution) {
  HostSkyline s = test::skyline_from_heights({1, 2});
  s.store = {4.0, 2.0, 3.0};
  std::vector<double> f{8.0, 7.0};
  solve(s.matrix(), test::view(f));
  EXPECT_EQ(s.store, (std::vector<double>{4.0, 0.5, 2.0}));
  EXPECT_EQ(f, (std::vector<double>{1.25, 1.5}));
}

TEST(SkylineSolver, DiagonalMatrixDividesEachEquation) {
  HostSkyline s = test::skyline_from_heights({1, 2, 2, 2, 2});
  const std::vector<double> d{2.0, 4.0, 0.5, 8.0, 3.0};
  for (Index j = 1; j <= 5; ++j)
    s.store[static_cast<std::size_t>(s.diag[static_cast<std::size_t>(j - 1)] - 1)] =
        d[static_cast<std::size_t>(j - 1)];
  std::vector<double> f{1.0, 2.0, 3.0, 4.0, 5.0};
  solve(s.matrix(), test::view(f));
  for (std::size_t k = 0; k < 5; ++k) EXPECT_EQ(f[k], (1.0 + static_cast<double>(k)) / d[k]);
}

TEST(SkylineSolver, OneEquationIsOneDivisionAndNoneIsNothing) {
  HostSkyline one = test::skyline_from_heights({1});
  one.store = {4.0};
  std::vector<double> f{2.0};
  solve(one.matrix(), test::view(f));
  EXPECT_EQ(f[0], 0.5);

  HostSkyline none;
  std::vector<double> g;
  solve(none.matrix(), test::view(g));
  EXPECT_TRUE(g.empty());
}

TEST(SkylineSolver, ZeroPivotGivesNonFiniteValuesUnreported) {
  HostSkyline s = test::skyline_from_heights({1, 2});
  s.store = {1.0, 1.0, 1.0};  // singular: D(2) = 0
  std::vector<double> f{1.0, 2.0};
  solve(s.matrix(), test::view(f));
  EXPECT_FALSE(std::isfinite(f[1]));
}

// Random symmetric positive definite matrices held in random valid profiles:
// the kernels agree with the literal transcription to rounding, and the
// solution has a residual of the order of machine precision and agrees with
// a dense solve.
TEST(SkylineSolver, RandomProfilesMatchDenseSolveAndLiteralFactors) {
  for (Index n : {1, 2, 3, 5, 10, 17, 50, 120, 300}) {
    for (std::uint64_t trial = 0; trial < 4; ++trial) {
      const std::uint64_t seed = test::k_base_seed + static_cast<std::uint64_t>(n) * 100 + trial;
      SCOPED_TRACE("n = " + std::to_string(n) + ", seed = " + std::to_string(seed));
      std::mt19937_64 rng(seed);
      HostSkyline s = test::skyline_from_heights(test::random_heights(n, rng));
      test::fill_random_spd(s, rng);
      const Dense A = test::dense_from_skyline(s);
      const std::vector<double> f = test::random_vector(n, rng);

      HostSkyline literal = s;
      literal_factorise(literal);

      std::vector<double> u = f;
      solve(s.matrix(), test::view(u));

      double largest = 0.0;
      for (double v : literal.store) largest = std::max(largest, std::fabs(v));
      for (std::size_t k = 0; k < s.store.size(); ++k)
        ASSERT_LE(std::fabs(s.store[k] - literal.store[k]),
                  test::k_rounding_threshold * test::epsilon() * largest * static_cast<double>(n))
            << "store position " << k + 1;

      EXPECT_LE(test::scaled_residual(A, u, f), test::k_rounding_threshold);
      const std::vector<double> dense = test::dense_ldlt_solve(A, f);
      const double scale = test::norm_inf(dense);
      for (std::size_t k = 0; k < u.size(); ++k)
        EXPECT_LE(std::fabs(u[k] - dense[k]),
                  test::k_rounding_threshold * test::epsilon() * scale * static_cast<double>(n))
            << "equation " << k + 1;
    }
  }
}

TEST(SkylineSolver, LargeBandedProfileHasSmallResidual) {
  const Index n = 600;
  const std::uint64_t seed = test::k_base_seed + 7;
  SCOPED_TRACE("seed = " + std::to_string(seed));
  std::mt19937_64 rng(seed);
  std::vector<Index> heights{1};
  for (Index j = 2; j <= n; ++j) heights.push_back(std::min<Index>(j, 40 + (j % 23)));
  HostSkyline s = test::skyline_from_heights(heights);
  test::fill_random_spd(s, rng);
  const Dense A = test::dense_from_skyline(s);
  const std::vector<double> f = test::random_vector(n, rng);
  std::vector<double> u = f;
  solve(s.matrix(), test::view(u));
  EXPECT_LE(test::scaled_residual(A, u, f), test::k_rounding_threshold);
}

}  // namespace
}  // namespace zervola::global
