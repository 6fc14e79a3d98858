#include "global/prescription.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

#include "global/ldlt_solver.hpp"
#include "skyline_fixtures.hpp"

namespace zervola::global {
namespace {

using test::Dense;
using test::HostSkyline;

Index highest(const HostSkyline& s) { return s.profile().max_column_height(); }

TEST(Prescription, TwoByTwoSecondEquation) {
  HostSkyline s = test::skyline_from_heights({1, 2});
  s.store = {4.0, 2.0, 3.0};
  std::vector<double> f{8.0, 7.0};
  prescribe(s.matrix(), test::view(f), 2, 1.0, highest(s));
  EXPECT_EQ(f, (std::vector<double>{6.0, 3.0}));
  EXPECT_EQ(s.store, (std::vector<double>{4.0, 0.0, 3.0}));
  solve(s.matrix(), test::view(f));
  EXPECT_EQ(f, (std::vector<double>{1.5, 1.0}));
}

TEST(Prescription, FirstEquationClearsOnlyItsRowAndLastOnlyItsColumn) {
  // Full 3 x 3 profile: store K11 | K12 K22 | K13 K23 K33.
  HostSkyline s = test::skyline_from_heights({1, 2, 3});
  s.store = {10.0, 1.0, 20.0, 2.0, 3.0, 30.0};
  std::vector<double> f{1.0, 1.0, 1.0};
  prescribe(s.matrix(), test::view(f), 1, 2.0, highest(s));
  EXPECT_EQ(s.store, (std::vector<double>{10.0, 0.0, 20.0, 0.0, 3.0, 30.0}));
  EXPECT_EQ(f, (std::vector<double>{20.0, 1.0 - 2.0, 1.0 - 4.0}));

  s.store = {10.0, 1.0, 20.0, 2.0, 3.0, 30.0};
  f = {1.0, 1.0, 1.0};
  prescribe(s.matrix(), test::view(f), 3, 2.0, highest(s));
  EXPECT_EQ(s.store, (std::vector<double>{10.0, 1.0, 20.0, 0.0, 0.0, 30.0}));
  EXPECT_EQ(f, (std::vector<double>{1.0 - 4.0, 1.0 - 6.0, 60.0}));
}

TEST(Prescription, ZeroValueGivesExactZeroAndDiscardsTheLoad) {
  std::mt19937_64 rng(test::k_base_seed + 1);
  HostSkyline s = test::skyline_from_heights(test::random_heights(12, rng));
  test::fill_random_spd(s, rng);
  std::vector<double> f = test::random_vector(12, rng);
  f[4] = 1.0e6;  // a load on the prescribed equation plays no part
  prescribe(s.matrix(), test::view(f), 5, 0.0, highest(s));
  EXPECT_EQ(f[4], 0.0);
  solve(s.matrix(), test::view(f));
  EXPECT_EQ(f[4], 0.0);
}

// A second prescription of the same equation sets its value anew; the other
// equations keep the correction made with the first value (the driver of the
// node records therefore eliminates each equation once, with its last value).
TEST(Prescription, PrescribingAgainSetsTheEquationsValueAnew) {
  std::mt19937_64 rng(test::k_base_seed + 2);
  HostSkyline s = test::skyline_from_heights(test::random_heights(8, rng));
  test::fill_random_spd(s, rng);
  const double K44 = s.matrix()(4, 4);
  std::vector<double> f = test::random_vector(8, rng);
  prescribe(s.matrix(), test::view(f), 4, 3.0, highest(s));
  const std::vector<double> after_first = f;
  prescribe(s.matrix(), test::view(f), 4, -2.0, highest(s));
  EXPECT_EQ(f[3], K44 * -2.0);
  for (std::size_t k = 0; k < f.size(); ++k) {
    if (k != 3) {
      EXPECT_EQ(f[k], after_first[k]);
    }
  }
  solve(s.matrix(), test::view(f));
  EXPECT_NEAR(f[3], -2.0, 4 * test::epsilon());
}

// The oracle: the reduced dense system A_ff u_f = f_f - A_fp x_p.
std::vector<double> dense_prescribed_solve(const Dense& A, const std::vector<double>& f,
                                           const std::vector<Index>& fixed,
                                           const std::vector<double>& values) {
  const Index n = A.n;
  std::vector<double> u(static_cast<std::size_t>(n), 0.0);
  std::vector<bool> is_fixed(static_cast<std::size_t>(n), false);
  for (std::size_t k = 0; k < fixed.size(); ++k) {
    u[static_cast<std::size_t>(fixed[k] - 1)] = values[k];
    is_fixed[static_cast<std::size_t>(fixed[k] - 1)] = true;
  }
  std::vector<Index> free;
  for (Index i = 1; i <= n; ++i)
    if (!is_fixed[static_cast<std::size_t>(i - 1)]) free.push_back(i);
  Dense R(static_cast<Index>(free.size()));
  std::vector<double> g(free.size());
  for (std::size_t a = 0; a < free.size(); ++a) {
    double rhs = f[static_cast<std::size_t>(free[a] - 1)];
    for (std::size_t k = 0; k < fixed.size(); ++k) rhs -= A(free[a], fixed[k]) * values[k];
    g[a] = rhs;
    for (std::size_t b = 0; b < free.size(); ++b)
      R(static_cast<Index>(a + 1), static_cast<Index>(b + 1)) = A(free[a], free[b]);
  }
  const std::vector<double> uf = test::dense_ldlt_solve(R, g);
  for (std::size_t a = 0; a < free.size(); ++a) u[static_cast<std::size_t>(free[a] - 1)] = uf[a];
  return u;
}

TEST(Prescription, RandomPrescriptionsInAnyOrderMatchTheReducedSystem) {
  for (Index n : {2, 3, 6, 12, 40, 90}) {
    for (std::uint64_t trial = 0; trial < 3; ++trial) {
      const std::uint64_t seed =
          test::k_base_seed + 1000 + static_cast<std::uint64_t>(n) * 10 + trial;
      SCOPED_TRACE("n = " + std::to_string(n) + ", seed = " + std::to_string(seed));
      std::mt19937_64 rng(seed);
      HostSkyline s = test::skyline_from_heights(test::random_heights(n, rng));
      test::fill_random_spd(s, rng);
      const Dense A = test::dense_from_skyline(s);
      const std::vector<double> f = test::random_vector(n, rng);

      std::vector<Index> order(static_cast<std::size_t>(n));
      std::iota(order.begin(), order.end(), Index{1});
      std::shuffle(order.begin(), order.end(), rng);
      const std::vector<Index> fixed(order.begin(), order.begin() + (n + 1) / 3);
      const std::vector<double> values = test::random_vector(static_cast<Index>(fixed.size()), rng);
      const std::vector<double> want = dense_prescribed_solve(A, f, fixed, values);
      const double scale = std::max(test::norm_inf(want), 1.0);

      std::vector<std::size_t> sequence(fixed.size());
      std::iota(sequence.begin(), sequence.end(), std::size_t{0});
      for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1) std::reverse(sequence.begin(), sequence.end());
        HostSkyline t = s;
        std::vector<double> u = f;
        for (std::size_t k : sequence)
          prescribe(t.matrix(), test::view(u), fixed[k], values[k], highest(t));
        solve(t.matrix(), test::view(u));
        for (std::size_t k = 0; k < u.size(); ++k)
          EXPECT_LE(std::fabs(u[k] - want[k]),
                    test::k_rounding_threshold * test::epsilon() * scale * static_cast<double>(n))
              << "pass " << pass << ", equation " << k + 1;
      }
    }
  }
}

TEST(PrescriptionStatus, RefusesEquationsOutsideTheSystemAndBrokenColumns) {
  HostSkyline s = test::skyline_from_heights({1, 2, 3});
  const Vector1<const HostInt> diag(s.diag.data(), 3);
  EXPECT_TRUE(prescription_status(diag, 1, 6, 3).ok());
  EXPECT_EQ(prescription_status(diag, 0, 6, 3).outcome, Outcome::bad_equation);
  EXPECT_EQ(prescription_status(diag, 4, 6, 3).outcome, Outcome::bad_equation);
  EXPECT_EQ(prescription_status(diag, 2, 5, 3).outcome, Outcome::bad_profile);  // store too short
  std::vector<HostInt> broken{1, 3, 4};  // column 3 of height 1
  EXPECT_EQ(prescription_status(Vector1<const HostInt>(broken.data(), 3), 3, 4, 3).outcome,
            Outcome::bad_profile);
  std::vector<HostInt> negative{1, -5, 2};
  EXPECT_EQ(prescription_status(Vector1<const HostInt>(negative.data(), 3), 3, 6, 3).outcome,
            Outcome::bad_profile);
}

}  // namespace
}  // namespace zervola::global
