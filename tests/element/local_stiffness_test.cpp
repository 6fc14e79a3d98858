#include "element/local_stiffness.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <random>
#include <utility>

#include "support/matrix_checks.hpp"

namespace zervola::element {
namespace {

constexpr SectionProperties k_section{210000.0, 81000.0, 5300.0, 2.1e5, 3.9e7, 1.4e7};

BarGeometry geometry_of_length(double L) { return {L, 0.0, 0.0, L, L * L, L * L * L}; }

using Entries = std::map<std::pair<Index, Index>, double>;

// Upper-triangle entries named for each form, written out from the textbook
// stiffness of a prismatic Euler-Bernoulli bar.
Entries named_entries(EndForm form, const SectionProperties& s, double L) {
  const double E = s.E;
  const double L2 = L * L, L3 = L * L * L;
  Entries e;
  e[{1, 1}] = E * s.A / L;
  e[{7, 7}] = E * s.A / L;
  e[{1, 7}] = -E * s.A / L;
  e[{4, 4}] = s.G * s.It / L;
  e[{10, 10}] = s.G * s.It / L;
  e[{4, 10}] = -s.G * s.It / L;
  const auto bending = [&](double I, Index t, Index r_i, Index r_j, double sign) {
    // t: translation at node i; r_i, r_j: the rotations coupled with it.
    const Index t_j = t + 6;
    if (form == EndForm::rigid) {
      e[{t, t}] = 12 * E * I / L3;
      e[{t_j, t_j}] = 12 * E * I / L3;
      e[{t, t_j}] = -12 * E * I / L3;
      e[{t, r_i}] = sign * 6 * E * I / L2;
      e[{r_i, t_j}] = -sign * 6 * E * I / L2;
      e[{t, r_j}] = sign * 6 * E * I / L2;
      e[{t_j, r_j}] = -sign * 6 * E * I / L2;
      e[{r_i, r_i}] = 4 * E * I / L;
      e[{r_j, r_j}] = 4 * E * I / L;
      e[{r_i, r_j}] = 2 * E * I / L;
    } else {
      const Index r_kept = form == EndForm::hinge_start ? r_j : r_i;
      e[{t, t}] = 3 * E * I / L3;
      e[{t_j, t_j}] = 3 * E * I / L3;
      e[{t, t_j}] = -3 * E * I / L3;
      e[{std::min(t, r_kept), std::max(t, r_kept)}] = sign * 3 * E * I / L2;
      e[{std::min(t_j, r_kept), std::max(t_j, r_kept)}] = -sign * 3 * E * I / L2;
      e[{r_kept, r_kept}] = 3 * E * I / L;
    }
  };
  bending(s.Iz, 2, 6, 12, +1.0);
  bending(s.Iy, 3, 5, 11, -1.0);
  return e;
}

TEST(LocalStiffness, EveryEntryOfTheFrameFormsMatchesTheClosedForm) {
  const double L = 3700.0;
  for (EndForm form : {EndForm::rigid, EndForm::hinge_start, EndForm::hinge_end}) {
    const Matrix12 K = local_stiffness(k_section, geometry_of_length(L), form);
    const Entries expected = named_entries(form, k_section, L);
    EXPECT_TRUE(test::is_symmetric(K));
    for (Index c = 1; c <= 12; ++c)
      for (Index r = 1; r <= c; ++r) {
        const auto it = expected.find({r, c});
        const double want = it == expected.end() ? 0.0 : it->second;
        EXPECT_NEAR(K(r, c), want, 4 * test::epsilon() * std::fabs(want))
            << "form " << static_cast<int>(form) << " entry (" << r << ", " << c << ")";
      }
  }
}

TEST(LocalStiffness, SmallWorkedCaseAndCodeEquivalences) {
  const SectionProperties s{1.0, 1.0, 2.0, 1.0, 1.0, 1.0};
  const BarGeometry g{4.0, 0.0, 0.0, 4.0, 16.0, 64.0};
  const Matrix12 K = local_stiffness(s, g, end_form(0));
  EXPECT_EQ(K(1, 1), 0.5);
  EXPECT_EQ(K(7, 7), 0.5);
  EXPECT_EQ(K(1, 7), -0.5);
  EXPECT_EQ(K(7, 1), -0.5);
  EXPECT_EQ(local_stiffness(s, g, end_form(-1)), K);
  EXPECT_EQ(local_stiffness(s, g, end_form(-2)), K);
  for (HostInt code : {4, 7, -3, 1000, -1000}) {
    EXPECT_EQ(end_form(code), EndForm::none);
    EXPECT_EQ(local_stiffness(s, g, end_form(code)), Matrix12{}) << code;
  }
}

TEST(LocalStiffness, HingesFreeTheBendingOfTheirNode) {
  const double L = 2.5;
  const Matrix12 K1 = local_stiffness(k_section, geometry_of_length(L), EndForm::hinge_start);
  const Matrix12 K2 = local_stiffness(k_section, geometry_of_length(L), EndForm::hinge_end);
  for (Index k = 1; k <= 12; ++k) {
    for (Index released : {5, 6}) {
      EXPECT_EQ(K1(released, k), 0.0);
      EXPECT_EQ(K1(k, released), 0.0);
    }
    for (Index released : {11, 12}) {
      EXPECT_EQ(K2(released, k), 0.0);
      EXPECT_EQ(K2(k, released), 0.0);
    }
  }
  EXPECT_DOUBLE_EQ(K1(12, 12), 3 * k_section.E * k_section.Iz / L);
  EXPECT_DOUBLE_EQ(K2(6, 6), 3 * k_section.E * k_section.Iz / L);
}

TEST(LocalStiffness, EachTermUsesItsOwnLengthArgument) {
  const SectionProperties s{1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
  const BarGeometry g{0.0, 0.0, 0.0, 2.0, 10.0, 100.0};
  const Matrix12 K = local_stiffness(s, g, EndForm::rigid);
  EXPECT_EQ(K(1, 1), 0.5);     // E A / length
  EXPECT_EQ(K(2, 6), 0.6);     // 6 E Iz / length_sq
  EXPECT_EQ(K(2, 2), 0.12);    // 12 E Iz / length_cu
  EXPECT_EQ(K(6, 12), 1.0);    // 2 E Iz / length
}

TEST(LocalStiffness, PinEndedBarIsTheAxialBarInGlobalAxes) {
  const double L = 5.0;
  const double EA_L = k_section.E * k_section.A / L;
  const Matrix12 Kx = local_stiffness(k_section, {L, 0, 0, L, L * L, L * L * L}, EndForm::pin_ended);
  const Matrix12 Kz = local_stiffness(k_section, {0, 0, L, L, L * L, L * L * L}, EndForm::pin_ended);
  for (Index c = 1; c <= 12; ++c)
    for (Index r = 1; r <= 12; ++r) {
      const double sx = (r == 1 || r == 7) && (c == 1 || c == 7) ? (r == c ? 1.0 : -1.0) : 0.0;
      const double sz = (r == 3 || r == 9) && (c == 3 || c == 9) ? (r == c ? 1.0 : -1.0) : 0.0;
      EXPECT_DOUBLE_EQ(Kx(r, c), sx * EA_L);
      EXPECT_DOUBLE_EQ(Kz(r, c), sz * EA_L);
    }

  // A general direction: every entry (E A / L) c_a c_b, off-diagonal terms
  // of the node blocks not doubled by the symmetrising step.
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> coord(-10.0, 10.0);
  for (int trial = 0; trial < 100; ++trial) {
    const double d[3] = {coord(rng), coord(rng), coord(rng)};
    const double L2 = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    const double Lg = std::sqrt(L2);
    const Matrix12 K = local_stiffness(k_section, {d[0], d[1], d[2], Lg, L2, Lg * L2}, EndForm::pin_ended);
    EXPECT_TRUE(test::is_symmetric(K));
    const double f = k_section.E * k_section.A / Lg;
    for (Index a = 1; a <= 3; ++a)
      for (Index b = 1; b <= 3; ++b) {
        const double want = f * (d[a - 1] / Lg) * (d[b - 1] / Lg);
        const double tol = 1e-12 * f;
        EXPECT_NEAR(K(a, b), want, tol);
        EXPECT_NEAR(K(6 + a, 6 + b), want, tol);
        EXPECT_NEAR(K(a, 6 + b), -want, tol);
        EXPECT_NEAR(K(6 + a, b), -want, tol);
      }
    for (Index k = 1; k <= 12; ++k)
      for (Index rot : {4, 5, 6, 10, 11, 12}) {
        EXPECT_EQ(K(rot, k), 0.0);
        EXPECT_EQ(K(k, rot), 0.0);
      }
  }
}

// The six rigid-body motions of a bar along local x: translations, and
// rotations about the start node (a rotation about z moves node j along y by
// L times the angle, a rotation about y moves it along z by -L times).
std::array<Vector12, 6> rigid_body_modes(double L) {
  std::array<Vector12, 6> modes{};
  for (Index k = 1; k <= 3; ++k) {
    modes[static_cast<std::size_t>(k - 1)](k) = 1.0;
    modes[static_cast<std::size_t>(k - 1)](k + 6) = 1.0;
  }
  Vector12& rx = modes[3];
  rx(4) = rx(10) = 1.0;
  Vector12& ry = modes[4];
  ry(5) = ry(11) = 1.0;
  ry(9) = -L;
  Vector12& rz = modes[5];
  rz(6) = rz(12) = 1.0;
  rz(8) = L;
  return modes;
}

TEST(LocalStiffness, RigidBodyMotionsCarryNoForce) {
  const double L = 4200.0;
  for (EndForm form : {EndForm::rigid, EndForm::hinge_start, EndForm::hinge_end}) {
    const Matrix12 K = local_stiffness(k_section, geometry_of_length(L), form);
    for (const Vector12& mode : rigid_body_modes(L)) {
      const Vector12 f = multiply(K, mode);
      EXPECT_LT(test::max_abs(f), test::k_rounding_threshold * test::epsilon() * test::max_abs(K) * L);
    }
  }
}

TEST(LocalStiffness, CantileverFlexibilityMatchesBeamTheory) {
  // Node i clamped: the node-j block must invert to the cantilever flexibility
  // (tip load P: deflection P L^3 / 3EI, rotation P L^2 / 2EI; axial PL/EA;
  // torsion TL/GIt). Checked by applying the closed-form displacements of a
  // unit tip load and comparing the forces they need.
  const double L = 3.0;
  const SectionProperties& s = k_section;
  const Matrix12 K = local_stiffness(s, geometry_of_length(L), EndForm::rigid);
  const auto tip_forces = [&](const std::array<double, 6>& u) {
    std::array<double, 6> f{};
    for (Index r = 0; r < 6; ++r)
      for (Index c = 0; c < 6; ++c) f[static_cast<std::size_t>(r)] += K(7 + r, 7 + c) * u[static_cast<std::size_t>(c)];
    return f;
  };
  // Unit load along local y: v = L^3/3EIz, theta_z = L^2/2EIz.
  const auto fy = tip_forces({0, L * L * L / (3 * s.E * s.Iz), 0, 0, 0, L * L / (2 * s.E * s.Iz)});
  const auto fz = tip_forces({0, 0, L * L * L / (3 * s.E * s.Iy), 0, -L * L / (2 * s.E * s.Iy), 0});
  const auto fx = tip_forces({L / (s.E * s.A), 0, 0, 0, 0, 0});
  const auto mx = tip_forces({0, 0, 0, L / (s.G * s.It), 0, 0});
  const std::array<double, 6> ey{0, 1, 0, 0, 0, 0}, ez{0, 0, 1, 0, 0, 0}, ex{1, 0, 0, 0, 0, 0},
      etx{0, 0, 0, 1, 0, 0};
  for (std::size_t k = 0; k < 6; ++k) {
    EXPECT_NEAR(fy[k], ey[k], 1e-12);
    EXPECT_NEAR(fz[k], ez[k], 1e-12);
    EXPECT_NEAR(fx[k], ex[k], 1e-12);
    EXPECT_NEAR(mx[k], etx[k], 1e-12);
  }
}

}  // namespace
}  // namespace zervola::element
