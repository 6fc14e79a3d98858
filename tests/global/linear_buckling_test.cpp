#include "global/linear_buckling.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <numeric>
#include <vector>

#include "element/geometric_stiffness.hpp"
#include "element/global_matrix.hpp"
#include "dense_frame.hpp"
#include "frame_fixture.hpp"
#include "support/dense_eigen.hpp"

namespace zervola::global {
namespace {

using test::HostFrame;

constexpr double k_prescribed_node = 116;
constexpr double k_prescribed_translations = 113;
constexpr double k_spring = 213;

// Section of the fixture's table (N, mm).
constexpr double E = 200000.0;
constexpr double Iy = 2.5e7;
constexpr double Iz = 9.0e6;
constexpr double pi2 = std::numbers::pi * std::numbers::pi;
constexpr double k_tan_root = 4.493409457909064;  // the least u > 0 with tan u = u

enum class Ends { pinned_pinned, fixed_free, fixed_fixed };

// A column of n elements over length L along z (or x), node 1 at the origin.
// pinned: translations held, and a torsional spring at node 1 so that the
// column cannot turn about its own axis.
HostFrame column(Index n, double L, Ends ends, bool along_x = false) {
  HostFrame f;
  for (Index i = 0; i <= n; ++i) {
    const double s = L * static_cast<double>(i) / static_cast<double>(n);
    if (along_x)
      f.add_node(s, 0.0, 0.0);
    else
      f.add_node(0.0, 0.0, s);
  }
  for (Index i = 1; i <= n; ++i) f.add_element(static_cast<HostInt>(i), static_cast<HostInt>(i + 1));
  const auto top = static_cast<double>(6 * n + 1);
  switch (ends) {
    case Ends::pinned_pinned:
      f.add_record(k_prescribed_translations, 1, {});
      f.add_record(k_prescribed_translations, top, {});
      // A torsional spring about the column's axis.
      f.add_record(k_spring, 1, along_x ? std::array<double, 6>{0.0, 0.0, 0.0, 1.0e5, 0.0, 0.0}
                                        : std::array<double, 6>{0.0, 0.0, 0.0, 0.0, 0.0, 1.0e5});
      break;
    case Ends::fixed_free:
      f.add_record(k_prescribed_node, 1, {});
      break;
    case Ends::fixed_fixed:
      f.add_record(k_prescribed_node, 1, {});
      f.add_record(k_prescribed_node, top, {});
      break;
  }
  EXPECT_TRUE(f.profile().ok());
  return f;
}

BucklingResult buckle(const HostFrame& f, const std::vector<double>& N, Index modes, Index block = 8,
                      const supernodal::SupernodalSetup* setup = nullptr) {
  BucklingRequest request;
  request.modes = modes;
  request.block_size = block;
  BucklingResult result;
  const Status s =
      linear_buckling(f.analysis(), {N.data(), static_cast<Index>(N.size())}, request, result, setup);
  EXPECT_TRUE(s.ok());
  return result;
}

using test::DenseSystem;

// The dense reference: K and Kg (B) of the free equations written out
// plainly.
DenseSystem dense_system(const HostFrame& f, const std::vector<double>& N,
                         const std::vector<Index>& fixed_equations) {
  return test::dense_system(
      f,
      [&](const element::ElementModel& model, Index e, HostInt code) {
        return element::element_geometric_matrix(model, e, code, N[static_cast<std::size_t>(e - 1)]);
      },
      {}, fixed_equations);
}

// The positive alpha ascending of (K + alpha Kg) phi = 0, from G x = mu K x
// with G = -Kg (K positive definite): alpha = 1 / mu for mu > 0.
std::vector<double> dense_alphas(const DenseSystem& d) {
  std::vector<double> G = d.B;
  for (double& g : G) g = -g;
  const zervola::test::DenseEigen e = zervola::test::dense_generalised_eigen(G, d.K, d.n);
  double largest = 0.0;
  for (double mu : e.values) largest = std::max(largest, std::fabs(mu));
  std::vector<double> alpha;
  for (double mu : e.values)
    if (mu > k_least_theta_share * largest) alpha.push_back(1.0 / mu);
  std::sort(alpha.begin(), alpha.end());
  return alpha;
}

// (K + alpha Kg) phi against the size of the terms of K phi, and phi^T K phi = 1.
void expect_buckling_pairs(const DenseSystem& d, const BucklingResult& r) {
  const std::size_t n = d.n;
  for (std::size_t k = 0; k < r.alphas.size(); ++k) {
    const double* phi = r.shapes.data() + k * n;
    double residual = 0.0, scale = 0.0, norm = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
      double kp = 0.0, gp = 0.0, terms = 0.0;
      for (std::size_t j = 0; j < n; ++j) {
        terms += std::fabs(d.K[j * n + i] * phi[j]);
        kp += d.K[j * n + i] * phi[j];
        gp += d.B[j * n + i] * phi[j];
      }
      residual = std::max(residual, std::fabs(kp + r.alphas[k] * gp));
      scale = std::max(scale, terms);
      norm += phi[i] * kp;
    }
    EXPECT_LT(residual, 1e-6 * scale) << "mode " << k + 1;
    EXPECT_NEAR(norm, 1.0, 1e-9) << "mode " << k + 1;
  }
}

// Euler's loads k^2 pi^2 E I / (c L)^2 of both planes, ascending.
std::vector<double> euler_loads(double L, Ends ends, std::size_t count) {
  std::vector<double> loads;
  for (double I : {Iy, Iz})
    for (double k = 1.0; k <= static_cast<double>(count); k += 1.0) {
      switch (ends) {
        case Ends::pinned_pinned: loads.push_back(k * k * pi2 * E * I / (L * L)); break;
        case Ends::fixed_free: loads.push_back((2 * k - 1) * (2 * k - 1) * pi2 * E * I / (4 * L * L)); break;
        case Ends::fixed_fixed:  // the symmetric 4 pi^2, then the antisymmetric (2u)^2, tan u = u
          loads.push_back((k == 1.0 ? 4.0 * pi2 : 4.0 * k_tan_root * k_tan_root) * E * I / (L * L));
          break;
      }
    }
  std::sort(loads.begin(), loads.end());
  loads.resize(count);
  return loads;
}

TEST(LinearBuckling, EulerColumnsConvergeFromAboveInBothPlanes) {
  const double L = 4000.0;
  for (Ends ends : {Ends::pinned_pinned, Ends::fixed_free, Ends::fixed_fixed})
    for (bool along_x : {false, true}) {
      const std::size_t modes = ends == Ends::fixed_fixed ? 2 : 3;
      const std::vector<double> exact = euler_loads(L, ends, modes);
      std::vector<double> previous_error(modes, 1.0);
      for (Index n : {2, 4, 8, 16}) {
        const HostFrame f = column(n, L, ends, along_x);
        const BucklingResult r = buckle(f, std::vector<double>(static_cast<std::size_t>(n), 1.0),
                                        static_cast<Index>(modes));
        ASSERT_EQ(r.outcome, BucklingOutcome::solved) << "n " << n;
        ASSERT_EQ(r.found, static_cast<Index>(modes));
        EXPECT_EQ(r.sturm_count, r.found_below_sturm_shift);
        for (std::size_t k = 0; k < modes; ++k) {
          const double error = r.alphas[k] / exact[k] - 1.0;
          EXPECT_GT(error, -1e-9) << "n " << n << " mode " << k + 1;
          EXPECT_LT(error, previous_error[k] + 1e-12) << "n " << n << " mode " << k + 1;
          previous_error[k] = error;
        }
      }
      // Cubic shapes: the error falls as (L / n)^4; at n = 16 about 2e-6
      // (pinned), 3e-5 (fixed-fixed: half the wave per element count).
      EXPECT_LT(previous_error[0], 5e-5);
      EXPECT_LT(previous_error[1], 2e-4);
    }
}

// A pinned-pinned column's two lowest loads, one per plane, are those of
// Iz then Iy: their ratio is Iy / Iz.
TEST(LinearBuckling, TheTwoPlanesGiveTheirOwnLoads) {
  const HostFrame f = column(12, 3000.0, Ends::pinned_pinned);
  const BucklingResult r = buckle(f, std::vector<double>(12, 1.0), 2);
  ASSERT_EQ(r.outcome, BucklingOutcome::solved);
  EXPECT_NEAR(r.alphas[0] / (pi2 * E * Iz / 9.0e6), 1.0, 1e-5);
  EXPECT_NEAR(r.alphas[1] / r.alphas[0], Iy / Iz, 1e-5);
}

// A fixed-base portal in its plane, the columns in compression and the beam
// in a little tension: sway buckling between the column as a cantilever and
// as a column held against rotation at its top (effective length 2h to h).
TEST(LinearBuckling, PortalFrameSwaysAsTheDenseSolverSays) {
  const double h = 4000.0, b = 6000.0;
  const Index per = 6;
  HostFrame f;
  f.space_frame = 0;
  // Left column up (nodes 1..per+1), beam across, right column down.
  for (Index i = 0; i <= per; ++i) f.add_node(0.0, h * static_cast<double>(i) / static_cast<double>(per), 0.0);
  for (Index i = 1; i <= per; ++i) f.add_node(b * static_cast<double>(i) / static_cast<double>(per), h, 0.0);
  for (Index i = per - 1; i >= 0; --i) f.add_node(b, h * static_cast<double>(i) / static_cast<double>(per), 0.0);
  const Index nodes = f.n_nodes();
  for (Index i = 1; i < nodes; ++i) f.add_element(static_cast<HostInt>(i), static_cast<HostInt>(i + 1));
  f.add_record(k_prescribed_node, 1, {});
  f.add_record(k_prescribed_node, static_cast<double>(6 * nodes - 5), {});
  ASSERT_TRUE(f.profile().ok());
  std::vector<double> N(static_cast<std::size_t>(f.n_elements()), 1000.0);
  for (Index e = per + 1; e <= 2 * per; ++e) N[static_cast<std::size_t>(e - 1)] = -50.0;
  std::vector<Index> fixed{1, 2, 3, 4, 5, 6};
  for (Index q = 6 * nodes - 5; q <= 6 * nodes; ++q) fixed.push_back(q);
  for (Index node = 1; node <= nodes; ++node)
    for (Index q : {3, 4, 5}) fixed.push_back(6 * (node - 1) + q);
  const DenseSystem d = dense_system(f, N, fixed);
  const std::vector<double> exact = dense_alphas(d);
  const BucklingResult r = buckle(f, N, 4);
  ASSERT_EQ(r.outcome, BucklingOutcome::solved);
  for (std::size_t k = 0; k < 4; ++k) EXPECT_NEAR(r.alphas[k] / exact[k], 1.0, 1e-9) << "mode " << k + 1;
  const double I_low = std::min(Iy, Iz), I_high = std::max(Iy, Iz);
  EXPECT_GT(r.alphas[0] * 1000.0, pi2 * E * I_low / (4 * h * h));
  EXPECT_LT(r.alphas[0] * 1000.0, pi2 * E * I_high / (h * h));
  // Sway: both column tops move the same way along x.
  const double left = r.shapes[static_cast<std::size_t>(6 * per)];
  const double right = r.shapes[static_cast<std::size_t>(6 * 2 * per)];
  EXPECT_GT(left * right, 0.0);
  EXPECT_NEAR(left / right, 1.0, 0.05);
  expect_buckling_pairs(d, r);
}

// Random frames with random axial forces, some in tension: every critical
// factor against the dense generalised solver, and the Sturm count against
// the dense count below the same shift.
TEST(LinearBuckling, RandomFramesAgreeWithTheDenseSolver) {
  std::mt19937 rng(20270311);
  std::uniform_real_distribution<double> coordinate(0.0, 4000.0);
  std::uniform_real_distribution<double> force(-600.0, 1000.0);
  int compared = 0;
  for (int trial = 0; trial < 24; ++trial) {
    HostFrame f;
    const Index nodes = 3 + static_cast<Index>(rng() % 6);
    for (Index i = 0; i < nodes; ++i) f.add_node(coordinate(rng), coordinate(rng), coordinate(rng));
    for (Index i = 1; i < nodes; ++i) f.add_element(static_cast<HostInt>(i), static_cast<HostInt>(i + 1));
    for (int extra = 0; extra < 3; ++extra) {
      const auto a = static_cast<HostInt>(1 + rng() % static_cast<unsigned>(nodes - 1));
      const auto b = static_cast<HostInt>(a + 1 + static_cast<HostInt>(rng() % static_cast<unsigned>(nodes - a)));
      if (b == a + 1) continue;
      f.add_element(a, b, static_cast<HostInt>(rng() % 3));
    }
    f.add_record(k_prescribed_node, 1, {});
    f.add_record(k_prescribed_translations, static_cast<double>(6 * nodes - 5), {});
    ASSERT_TRUE(f.profile().ok());
    std::vector<double> N(static_cast<std::size_t>(f.n_elements()));
    for (double& v : N) v = force(rng);
    N[0] = 500.0;  // one member in compression at least
    const std::vector<Index> fixed{1, 2, 3, 4, 5, 6, 6 * nodes - 5, 6 * nodes - 4, 6 * nodes - 3};
    const DenseSystem d = dense_system(f, N, fixed);
    const std::vector<double> exact = dense_alphas(d);
    if (exact.empty()) continue;
    const Index modes = std::min<Index>(1 + trial % 6, static_cast<Index>(exact.size()));
    // On the skyline, then on supernodes in a random order of the nodes,
    // from arrays without a profile (as beyond the skyline's addresses).
    const std::vector<Index> order = test::shuffled_nodes(nodes, rng);
    supernodal::SupernodalSetup setup;
    setup.order = order;
    HostFrame without_profile = f;
    std::fill(without_profile.diag.begin(), without_profile.diag.end(), 0);
    without_profile.size = {};
    const supernodal::SupernodalSetup* const solvers[] = {nullptr, &setup};
    for (const supernodal::SupernodalSetup* on : solvers) {
      SCOPED_TRACE(on == nullptr ? "skyline" : "supernodal");
      const BucklingResult r = buckle(on == nullptr ? f : without_profile, N, modes, 1 + trial % 4, on);
      ASSERT_EQ(r.outcome, BucklingOutcome::solved) << "trial " << trial;
      ASSERT_EQ(r.alphas.size(), static_cast<std::size_t>(modes)) << "trial " << trial;
      for (Index k = 0; k < modes; ++k)
        EXPECT_NEAR(r.alphas[static_cast<std::size_t>(k)] / exact[static_cast<std::size_t>(k)], 1.0, 1e-9)
            << "trial " << trial << " mode " << k + 1;
      const auto below = static_cast<Index>(std::count_if(
          exact.begin(), exact.end(), [&](double a) { return a < r.sturm_shift; }));
      EXPECT_EQ(r.sturm_count, below) << "trial " << trial;
      // The same count from the dense K + s Kg.
      std::vector<double> shifted = d.K;
      for (std::size_t t = 0; t < shifted.size(); ++t) shifted[t] += r.sturm_shift * d.B[t];
      EXPECT_EQ(static_cast<std::size_t>(r.sturm_count), zervola::test::dense_negative_count(shifted, d.n))
          << "trial " << trial;
      expect_buckling_pairs(d, r);
    }
    ++compared;
  }
  EXPECT_GE(compared, 20);
}

// Every member in tension: no positive critical factor.
TEST(LinearBuckling, TensionEverywhereHasNoCriticalFactor) {
  const HostFrame f = column(6, 3000.0, Ends::fixed_free);
  const BucklingResult r = buckle(f, std::vector<double>(6, -1.0), 3);
  EXPECT_EQ(r.outcome, BucklingOutcome::no_compression);
  EXPECT_TRUE(r.alphas.empty());
  EXPECT_EQ(r.found, 0);
}

// Two members side by side between the same nodes, one pulled harder than
// the other is pushed: some member is in compression, yet the frame has no
// positive critical factor, which the search finds out.
TEST(LinearBuckling, CompressionOutweighedByTensionHasNoCriticalFactor) {
  HostFrame f;
  f.add_node(0.0, 0.0, 0.0);
  f.add_node(0.0, 0.0, 3000.0);
  f.add_element(1, 2);
  f.add_element(1, 2);
  f.add_record(k_prescribed_node, 1, {});
  ASSERT_TRUE(f.profile().ok());
  const BucklingResult r = buckle(f, {1.0, -2.0}, 2);
  EXPECT_EQ(r.outcome, BucklingOutcome::no_compression);
  EXPECT_TRUE(r.alphas.empty());
}

// One element, fixed at its base: G has rank 5 (two bending planes of two
// directions each, and torsion), so five critical factors exist; asking for
// eight reports those five.
TEST(LinearBuckling, FewerCriticalFactorsThanAskedAreAllReported) {
  const HostFrame f = column(1, 3000.0, Ends::fixed_free);
  const std::vector<double> N{1.0};
  const BucklingResult r = buckle(f, N, 8);
  ASSERT_EQ(r.outcome, BucklingOutcome::solved);
  const std::vector<double> exact = dense_alphas(dense_system(f, N, {1, 2, 3, 4, 5, 6}));
  ASSERT_EQ(exact.size(), 5U);
  ASSERT_EQ(r.found, 5);
  for (std::size_t k = 0; k < 5; ++k) EXPECT_NEAR(r.alphas[k] / exact[k], 1.0, 1e-9) << k;
  EXPECT_EQ(r.sturm_count, 5);
}

// A square section buckles at the same load in both planes. A search with
// blocks of one vector meets one direction of the pair only; the Sturm count
// finds the other, and the search that follows finds it.
TEST(LinearBuckling, RepeatedFactorHiddenFromOneVectorIsStillFound) {
  HostFrame f = column(10, 3000.0, Ends::fixed_free);
  f.table[4] = f.table[5];  // Iy = Iz
  const std::vector<double> N(10, 1.0);
  const std::vector<double> exact = dense_alphas(dense_system(f, N, {1, 2, 3, 4, 5, 6}));
  ASSERT_NEAR(exact[0] / exact[1], 1.0, 1e-12);
  const BucklingResult r = buckle(f, N, 3, 1);
  ASSERT_EQ(r.outcome, BucklingOutcome::solved);
  for (std::size_t k = 0; k < 3; ++k) EXPECT_NEAR(r.alphas[k] / exact[k], 1.0, 1e-9) << k;
  EXPECT_NEAR(r.alphas[0] / (pi2 * E * Iz / (4 * 9.0e6)), 1.0, 1e-5);
  EXPECT_EQ(r.sturm_count, r.found_below_sturm_shift);
  // The first search meets the second pair in one direction only.
  EXPECT_GE(r.searches, 2);
}

// A column without any support moves as a rigid body: a mechanism.
TEST(LinearBuckling, UnsupportedColumnIsAMechanism) {
  HostFrame f;
  for (Index i = 0; i <= 4; ++i) f.add_node(0.0, 0.0, 1000.0 * static_cast<double>(i));
  for (Index i = 1; i <= 4; ++i) f.add_element(static_cast<HostInt>(i), static_cast<HostInt>(i + 1));
  ASSERT_TRUE(f.profile().ok());
  const std::vector<Index> order{4, 0, 2, 1, 3};
  supernodal::SupernodalSetup setup;
  setup.order = order;
  const supernodal::SupernodalSetup* const solvers[] = {nullptr, &setup};
  for (const supernodal::SupernodalSetup* on : solvers) {
  const BucklingResult r = buckle(f, std::vector<double>(4, 1.0), 2, 8, on);
  EXPECT_EQ(r.outcome, BucklingOutcome::mechanism);
  EXPECT_FALSE(r.pivots.shapes.empty());
  EXPECT_TRUE(r.alphas.empty());
  }
}

TEST(LinearBuckling, AxialForcesOfTheWrongCountOrNotFiniteAreRefused) {
  const HostFrame f = column(3, 3000.0, Ends::fixed_free);
  BucklingRequest request;
  BucklingResult r;
  const std::vector<double> short_list{1.0, 1.0};
  EXPECT_EQ(linear_buckling(f.analysis(), {short_list.data(), 2}, request, r).outcome, Outcome::bad_element);
  const std::vector<double> bad{1.0, std::nan(""), 1.0};
  const Status s = linear_buckling(f.analysis(), {bad.data(), 3}, request, r);
  EXPECT_EQ(s.outcome, Outcome::bad_element);
  EXPECT_EQ(s.where, 2);
}

}  // namespace
}  // namespace zervola::global
