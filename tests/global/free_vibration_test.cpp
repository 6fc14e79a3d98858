#include "global/free_vibration.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <numeric>
#include <vector>

#include "element/global_matrix.hpp"
#include "dense_frame.hpp"
#include "frame_fixture.hpp"
#include "global/block_lanczos.hpp"
#include "support/dense_eigen.hpp"

namespace zervola::global {
namespace {

using test::HostFrame;

constexpr double k_prescribed_node = 116;
constexpr double k_prescribed_translations = 113;

// Section of the fixture's table: E, G, A, It, Iy, Iz (N, mm).
constexpr double E = 200000.0;
constexpr double G = 80000.0;
constexpr double A = 3000.0;
constexpr double It = 4.0e6;
constexpr double Iy = 2.5e7;
constexpr double Iz = 9.0e6;
constexpr double rho = 7.85e-9;  // t/mm^3: masses in t, frequencies in rad/s

struct FrameMass {
  std::vector<double> bar;
  std::vector<double> polar;
  std::vector<EquationMass> points;
  element::MassForm form = element::MassForm::consistent;

  [[nodiscard]] MassModel view() const {
    const auto n = static_cast<Index>(bar.size());
    return {{bar.data(), n}, {polar.data(), n}, form, points};
  }
};

FrameMass steel_mass(const HostFrame& f, element::MassForm form) {
  FrameMass m;
  m.bar.assign(static_cast<std::size_t>(f.n_elements()), rho * A);
  m.polar.assign(static_cast<std::size_t>(f.n_elements()), rho * (Iy + Iz));
  m.form = form;
  return m;
}

// A bar along x of n elements over length L, fixed at its first node
// unless free.
HostFrame bar_along_x(Index n, double L, bool fixed = true) {
  HostFrame f;
  for (Index i = 0; i <= n; ++i) f.add_node(L * static_cast<double>(i) / static_cast<double>(n), 0.0, 0.0);
  for (Index i = 1; i <= n; ++i) f.add_element(static_cast<HostInt>(i), static_cast<HostInt>(i + 1));
  if (fixed) f.add_record(k_prescribed_node, 1, {});
  EXPECT_TRUE(f.profile().ok());
  return f;
}

VibrationResult vibrate(const HostFrame& f, const FrameMass& m, Index modes, Index block = 8,
                        const supernodal::SupernodalSetup* setup = nullptr) {
  VibrationRequest request;
  request.modes = modes;
  request.block_size = block;
  VibrationResult result;
  const Status s = free_vibration(f.analysis(), m.view(), request, result, setup);
  EXPECT_TRUE(s.ok());
  return result;
}

double omega(const VibrationResult& r, std::size_t k) { return std::sqrt(r.eigenvalues[k]); }

using test::DenseSystem;

// The dense reference: K and M (B) of the free equations written out
// plainly, the point masses on M's diagonal.
DenseSystem dense_system(const HostFrame& f, const FrameMass& m,
                         const std::vector<Index>& fixed_equations) {
  std::vector<std::pair<Index, double>> points;
  for (const EquationMass& p : m.points) points.emplace_back(p.equation, p.mass);
  return test::dense_system(
      f,
      [&](const element::ElementModel& model, Index e, HostInt code) {
        return element::element_mass_matrix(
            model, e, code,
            {m.bar[static_cast<std::size_t>(e - 1)], m.polar[static_cast<std::size_t>(e - 1)]}, m.form);
      },
      points, fixed_equations);
}

// omega^2 ascending of K phi = omega^2 M phi, from M phi = mu K phi (K
// positive definite, M only semi-definite): omega^2 = 1 / mu for mu > 0.
std::vector<double> dense_eigenvalues(const DenseSystem& d) {
  const zervola::test::DenseEigen e = zervola::test::dense_generalised_eigen(d.B, d.K, d.n);
  std::vector<double> lambda;
  for (double mu : e.values)
    if (mu > 1e-14 * e.values.back()) lambda.push_back(1.0 / mu);
  std::sort(lambda.begin(), lambda.end());
  return lambda;
}

// Residual of K phi - lambda M phi against the size of the terms of K phi
// (a rotation's terms are large and cancel), and the M-norm of each shape.
void expect_eigenpairs(const DenseSystem& d, const VibrationResult& r) {
  const std::size_t n = d.n;
  for (std::size_t k = 0; k < r.eigenvalues.size(); ++k) {
    const double* phi = r.shapes.data() + k * n;
    double residual = 0.0, scale = 0.0, norm = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
      double kp = 0.0, mp = 0.0, terms = 0.0;
      for (std::size_t j = 0; j < n; ++j) {
        terms += std::fabs(d.K[j * n + i] * phi[j]);
        kp += d.K[j * n + i] * phi[j];
        mp += d.B[j * n + i] * phi[j];
      }
      residual = std::max(residual, std::fabs(kp - r.eigenvalues[k] * mp));
      scale = std::max(scale, terms);
      norm += phi[i] * mp;
    }
    EXPECT_LT(residual, 1e-6 * scale) << "mode " << k + 1;
    EXPECT_NEAR(norm, 1.0, 1e-9) << "mode " << k + 1;
  }
}

// Cantilever of length L: bending omega = (beta L)^2 sqrt(E I / (m L^4)),
// beta L = 1.8751, 4.6941, 7.8548; axial and torsional omega = (2k - 1) pi /
// (2 L) sqrt(E A / m) and sqrt(G It / (rho Ip)).
std::vector<double> cantilever_frequencies(double L) {
  const double m = rho * A;
  std::vector<double> w;
  for (double bl : {1.87510407, 4.69409113, 7.85475744}) {
    w.push_back(bl * bl * std::sqrt(E * Iz / (m * std::pow(L, 4))));
    w.push_back(bl * bl * std::sqrt(E * Iy / (m * std::pow(L, 4))));
  }
  w.push_back(std::numbers::pi / (2.0 * L) * std::sqrt(E * A / m));
  w.push_back(std::numbers::pi / (2.0 * L) * std::sqrt(G * It / (rho * (Iy + Iz))));
  std::sort(w.begin(), w.end());
  return w;
}

TEST(FreeVibration, CantileverConvergesFromAboveWithConsistentAndFromBelowWithLumpedMass) {
  const double L = 3000.0;
  const std::vector<double> exact = cantilever_frequencies(L);
  const std::size_t modes = 5;
  for (element::MassForm form : {element::MassForm::consistent, element::MassForm::lumped}) {
    std::vector<double> previous_error(modes, 1.0);
    for (Index n : {4, 8, 16, 32}) {
      const HostFrame f = bar_along_x(n, L);
      const VibrationResult r = vibrate(f, steel_mass(f, form), static_cast<Index>(modes));
      ASSERT_EQ(r.outcome, VibrationOutcome::solved);
      EXPECT_EQ(r.sturm_count, r.found_below_sturm_shift);
      for (std::size_t k = 0; k < modes; ++k) {
        const double error = omega(r, k) / exact[k] - 1.0;
        if (form == element::MassForm::consistent)
          EXPECT_GT(error, -1e-9) << "n " << n << " mode " << k + 1;
        else
          EXPECT_LT(error, 1e-9) << "n " << n << " mode " << k + 1;
        EXPECT_LT(std::fabs(error), std::fabs(previous_error[k]) + 1e-9) << "n " << n << " mode " << k + 1;
        previous_error[k] = error;
      }
    }
    for (std::size_t k = 0; k < modes; ++k)
      EXPECT_LT(std::fabs(previous_error[k]), 2e-3) << "mode " << k + 1;
  }
}

// A simply supported beam in a plane frame (held at one end, on a roller
// at the other): bending omega_k = (k pi / L)^2 sqrt(E Iz / m) and the
// fixed-free axial omega = (2k - 1) pi / (2 L) sqrt(E A / m).
TEST(FreeVibration, SimplySupportedPlaneBeamGivesTheSineModes) {
  const double L = 6000.0;
  const Index n = 24;
  HostFrame f;
  f.space_frame = 0;
  for (Index i = 0; i <= n; ++i) f.add_node(L * static_cast<double>(i) / static_cast<double>(n), 0.0, 0.0);
  for (Index i = 1; i <= n; ++i) f.add_element(static_cast<HostInt>(i), static_cast<HostInt>(i + 1));
  f.add_record(k_prescribed_translations, 1, {});
  f.add_record(k_prescribed_translations, static_cast<double>(6 * n + 2), {});  // u_y (u_z, theta_x)
  ASSERT_TRUE(f.profile().ok());
  const VibrationResult r = vibrate(f, steel_mass(f, element::MassForm::consistent), 4);
  ASSERT_EQ(r.outcome, VibrationOutcome::solved);
  const double m = rho * A;
  std::vector<double> exact;
  for (double k : {1.0, 2.0, 3.0, 4.0}) exact.push_back(std::pow(k * std::numbers::pi / L, 2) * std::sqrt(E * Iz / m));
  for (double k : {1.0, 2.0}) exact.push_back((2.0 * k - 1.0) * std::numbers::pi / (2.0 * L) * std::sqrt(E * A / m));
  std::sort(exact.begin(), exact.end());
  for (std::size_t k = 0; k < 4; ++k) EXPECT_NEAR(omega(r, k) / exact[k], 1.0, 1e-4) << "mode " << k + 1;
}

// Random frames: every eigenpair against the dense generalised solver, and
// the Sturm count against the dense count below the same shift.
TEST(FreeVibration, RandomFramesAgreeWithTheDenseSolver) {
  std::mt19937 rng(20261211);
  std::uniform_real_distribution<double> coordinate(0.0, 4000.0);
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
    const element::MassForm form = trial % 2 == 0 ? element::MassForm::consistent : element::MassForm::lumped;
    FrameMass m = steel_mass(f, form);
    m.points.push_back({6 * 2 - 4, 0.05});  // a mass on node 2's y translation
    const std::vector<Index> fixed{1, 2, 3, 4, 5, 6, 6 * nodes - 5, 6 * nodes - 4, 6 * nodes - 3};
    const DenseSystem d = dense_system(f, m, fixed);
    const std::vector<double> exact = dense_eigenvalues(d);
    const Index modes = std::min<Index>(1 + trial % 7, static_cast<Index>(exact.size()));
    // On the skyline, then on supernodes in a random order of the nodes,
    // from arrays without a profile (as beyond the skyline's addresses),
    // which the supernodal solver does not read.
    const std::vector<Index> order = test::shuffled_nodes(nodes, rng);
    supernodal::SupernodalSetup setup;
    setup.order = order;
    HostFrame without_profile = f;
    std::fill(without_profile.diag.begin(), without_profile.diag.end(), 0);
    without_profile.size = {};
    const supernodal::SupernodalSetup* const solvers[] = {nullptr, &setup};
    for (const supernodal::SupernodalSetup* on : solvers) {
      SCOPED_TRACE(on == nullptr ? "skyline" : "supernodal");
      const VibrationResult r = vibrate(on == nullptr ? f : without_profile, m, modes, 1 + trial % 4, on);
      ASSERT_EQ(r.outcome, VibrationOutcome::solved) << "trial " << trial;
      ASSERT_EQ(r.eigenvalues.size(), static_cast<std::size_t>(modes));
      for (Index k = 0; k < modes; ++k)
        EXPECT_NEAR(r.eigenvalues[static_cast<std::size_t>(k)] / exact[static_cast<std::size_t>(k)], 1.0, 1e-9)
            << "trial " << trial << " mode " << k + 1;
      const auto below = static_cast<Index>(std::count_if(
          exact.begin(), exact.end(), [&](double l) { return l < r.sturm_shift; }));
      EXPECT_EQ(r.sturm_count, below) << "trial " << trial;
      EXPECT_EQ(r.directions_with_mass, static_cast<Index>(exact.size())) << "trial " << trial;
      expect_eigenpairs(d, r);
    }
  }
}

// A square section has every bending frequency twice. A search with blocks
// of one vector sees one direction of each pair only (the Krylov space of
// one start vector holds one vector of each eigenspace); the Sturm count
// finds the other, and the search that follows finds it.
TEST(FreeVibration, RepeatedFrequencyHiddenFromOneVectorIsStillFound) {
  HostFrame f = bar_along_x(10, 3000.0);
  f.table[4] = f.table[5];  // Iy = Iz
  FrameMass m = steel_mass(f, element::MassForm::consistent);
  const std::vector<Index> fixed{1, 2, 3, 4, 5, 6};
  const std::vector<double> exact = dense_eigenvalues(dense_system(f, m, fixed));
  ASSERT_NEAR(exact[0] / exact[1], 1.0, 1e-12);
  const VibrationResult r = vibrate(f, m, 4, 1);
  ASSERT_EQ(r.outcome, VibrationOutcome::solved);
  for (std::size_t k = 0; k < 4; ++k) EXPECT_NEAR(r.eigenvalues[k] / exact[k], 1.0, 1e-9) << k;
  EXPECT_EQ(r.sturm_count, r.found_below_sturm_shift);
}

// Two close frequencies, a third requested beyond them: none is skipped.
TEST(FreeVibration, CloseFrequenciesAreAllFound) {
  HostFrame f = bar_along_x(12, 3000.0);
  f.table[4] = f.table[5] * 1.0001;  // Iy just above Iz
  FrameMass m = steel_mass(f, element::MassForm::lumped);
  const std::vector<double> exact = dense_eigenvalues(dense_system(f, m, {1, 2, 3, 4, 5, 6}));
  for (Index block : {1, 2, 8}) {
    const VibrationResult r = vibrate(f, m, 3, block);
    ASSERT_EQ(r.outcome, VibrationOutcome::solved) << "block " << block;
    for (std::size_t k = 0; k < 3; ++k)
      EXPECT_NEAR(r.eigenvalues[k] / exact[k], 1.0, 1e-9) << "block " << block << " mode " << k;
  }
}

// Without supports: six rigid-body modes at omega = 0, then the free-free
// beam's bending, beta L = 4.7300.
TEST(FreeVibration, FreeFrameHasSixRigidBodyModesThenFreeFreeBending) {
  const double L = 4000.0;
  const HostFrame f = bar_along_x(16, L, false);
  const VibrationResult r = vibrate(f, steel_mass(f, element::MassForm::consistent), 8);
  ASSERT_EQ(r.outcome, VibrationOutcome::solved);
  EXPECT_LT(r.shift, 0.0);
  const double first = std::pow(4.73004074, 2) * std::sqrt(E * Iz / (rho * A * std::pow(L, 4)));
  for (std::size_t k = 0; k < 6; ++k) EXPECT_LT(std::fabs(r.eigenvalues[k]), 1e-9 * first * first) << k;
  EXPECT_NEAR(omega(r, 6) / first, 1.0, 1e-4);
  EXPECT_EQ(r.sturm_count, 8);
}

// Only one node carries mass, and only in translation: the bar turning
// about it is free and has no inertia.
TEST(FreeVibration, StrainFreeMotionWithoutMassIsReported) {
  const HostFrame f = bar_along_x(2, 1000.0, false);
  FrameMass m;
  m.bar.assign(2, 0.0);
  m.polar.assign(2, 0.0);
  m.points = {{1, 1.0}, {2, 1.0}, {3, 1.0}};
  VibrationRequest request;
  request.modes = 2;
  const std::vector<Index> order{2, 0, 1};
  supernodal::SupernodalSetup setup;
  setup.order = order;
  const supernodal::SupernodalSetup* const solvers[] = {nullptr, &setup};
  for (const supernodal::SupernodalSetup* on : solvers) {
    VibrationResult r;
    ASSERT_TRUE(free_vibration(f.analysis(), m.view(), request, r, on).ok());
    EXPECT_EQ(r.outcome, VibrationOutcome::mechanism_without_mass);
    EXPECT_FALSE(r.pivots.shapes.empty());
  }
  // An order that is not one of the nodes is refused.
  const std::vector<Index> short_order{0, 1};
  setup.order = short_order;
  VibrationResult r;
  EXPECT_EQ(free_vibration(f.analysis(), m.view(), request, r, &setup).outcome, Outcome::bad_node_count);
}

// Lumped masses leave bending rotations without inertia: a two-element
// cantilever without polar mass has six directions with mass.
TEST(FreeVibration, ModesBeyondTheDirectionsWithMassAreRefusedAndAllOfThemFound) {
  const HostFrame f = bar_along_x(2, 2000.0);
  FrameMass m = steel_mass(f, element::MassForm::lumped);
  std::fill(m.polar.begin(), m.polar.end(), 0.0);
  const VibrationResult too_many = vibrate(f, m, 7);
  EXPECT_EQ(too_many.outcome, VibrationOutcome::too_many_modes);
  EXPECT_EQ(too_many.directions_with_mass, 6);
  const VibrationResult all = vibrate(f, m, 6);
  ASSERT_EQ(all.outcome, VibrationOutcome::solved);
  const std::vector<double> exact = dense_eigenvalues(dense_system(f, m, {1, 2, 3, 4, 5, 6}));
  ASSERT_EQ(exact.size(), 6U);
  for (std::size_t k = 0; k < 6; ++k) EXPECT_NEAR(all.eigenvalues[k] / exact[k], 1.0, 1e-9) << k;
}

TEST(BlockLanczos, DiagonalOperatorGivesItsLargestEntries) {
  const Index n = 200;
  std::vector<double> d(static_cast<std::size_t>(n));
  for (Index i = 0; i < n; ++i) d[static_cast<std::size_t>(i)] = 1.0 / (1.0 + 0.37 * static_cast<double>((i * 7919) % n));
  LanczosProblem p;
  p.n = n;
  p.rank = n;
  p.apply = [&](const double* X, double* Y, Index k) {
    for (Index c = 0; c < k; ++c)
      for (Index i = 0; i < n; ++i) Y[c * n + i] = d[static_cast<std::size_t>(i)] * X[c * n + i];
  };
  p.inner = [&](const double* X, double* Y, Index k) { std::copy(X, X + n * k, Y); };
  LanczosSettings s;
  s.wanted = 6;
  s.block_size = 3;
  const RitzPairs r = largest_ritz_pairs(p, s);
  std::vector<double> sorted = d;
  std::sort(sorted.rbegin(), sorted.rend());
  ASSERT_GE(r.converged, 6);
  for (std::size_t k = 0; k < 6; ++k) EXPECT_NEAR(r.theta[k], sorted[k], 1e-12) << k;
}

}  // namespace
}  // namespace zervola::global
