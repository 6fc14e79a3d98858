#include "results/end_forces.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "element/global_matrix.hpp"
#include "element/local_stiffness.hpp"
#include "host_frame.hpp"
#include "support/matrix_checks.hpp"

namespace zervola::results {
namespace {

using element::Walk;
using test::HostFrame;
using test::RandomFrames;

constexpr unsigned k_seed = 20261209;
constexpr int k_random_bars = 200;

EndForces forces_of(const HostFrame& f, Index element, Walk walk, HostInt end_code) {
  return element_end_forces(f.transform(element, walk), f.recovery(), element, walk, end_code);
}

// A bar from the origin to (L, 0, 0), default axes, section as given.
HostFrame bar_along_x(double L, const test::Section& s, HostInt end_code) {
  HostFrame f;
  f.add_node({0, 0, 0});
  f.add_node({L, 0, 0});
  f.add_element(1, 2, static_cast<HostInt>(f.add_section(s)), end_code);
  return f;
}

double length_of(const HostFrame& f) {
  const double dx = f.x[1] - f.x[0], dy = f.y[1] - f.y[0], dz = f.z[1] - f.z[0];
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// Rounding bound of the end forces of a bar: the largest row sum of
// |K| |u| (rigid form, which bounds every other one; each local component at
// most sqrt(3) times the largest global one of its kind), times the length
// for the moment relations, in units of a generous multiple of epsilon.
double tolerance(const HostFrame& f) {
  const double L = length_of(f);
  const element::SectionProperties s{f.table[0], f.table[1], f.table[2],
                                     f.table[3], f.table[4], f.table[5]};
  const Matrix12 K =
      element::local_stiffness(s, {L, 0, 0, L, L * L, L * L * L}, element::EndForm::rigid);
  double translation = 0.0, rotation = 0.0;
  for (std::size_t k = 0; k < f.displacements.size(); ++k) {
    double& largest = k % 6 < 3 ? translation : rotation;
    largest = std::max(largest, std::fabs(f.displacements[k]));
  }
  double scale = 0.0;
  for (Index r = 1; r <= 12; ++r) {
    double row = 0.0;
    for (Index k = 1; k <= 12; ++k)
      row += std::fabs(K(r, k)) * std::sqrt(3.0) * ((k - 1) % 6 < 3 ? translation : rotation);
    scale = std::max(scale, row);
  }
  return 1024.0 * test::epsilon() * scale * (1.0 + L);
}

TEST(EndForces, ZeroDisplacementsGiveZero) {
  RandomFrames r(k_seed);
  for (HostInt code : {0, 1, 2, 3}) {
    HostFrame f = r.bar(code);
    for (double& v : f.displacements) v = 0.0;
    const EndForces e = forces_of(f, 1, Walk::forward, code);
    for (Index k = 1; k <= 12; ++k) {
      EXPECT_EQ(e.end_displacements(k), 0.0);
      EXPECT_EQ(e.end_forces(k), 0.0);
      EXPECT_EQ(e.end_forces_global(k), 0.0);
    }
  }
}

TEST(EndForces, StretchedBarAlongXCarriesTensionAtBothEnds) {
  const test::Section s;
  const double L = 2500.0, d = 0.75;
  HostFrame f = bar_along_x(L, s, 0);
  f.u(1, 2) = d;
  const EndForces e = forces_of(f, 1, Walk::forward, 0);
  const double want = -(s.E * s.A / L) * d;
  EXPECT_DOUBLE_EQ(e.end_forces(1), want);
  EXPECT_DOUBLE_EQ(e.end_forces(7), want);
  for (Index k = 1; k <= 12; ++k) {
    if (k == 1 || k == 7) continue;
    EXPECT_EQ(e.end_forces(k), 0.0) << k;
  }
  EXPECT_EQ(e.end_displacements(7), d);
}

// Cantilever along x fixed at its start, loaded at its tip by P along y,
// P along z and a torque Mt: the closed-form tip displacements give the
// support reactions as end forces.
TEST(EndForces, CantileverTipLoadsByHand) {
  const test::Section s;
  const double L = 2000.0, P = 1000.0, Mt = 5.0e5;
  HostFrame f = bar_along_x(L, s, 0);
  f.u(2, 2) = P * L * L * L / (3.0 * s.E * s.Iz);
  f.u(6, 2) = P * L * L / (2.0 * s.E * s.Iz);
  f.u(3, 2) = P * L * L * L / (3.0 * s.E * s.Iy);
  f.u(5, 2) = -P * L * L / (2.0 * s.E * s.Iy);
  f.u(4, 2) = Mt * L / (s.G * s.It);
  const EndForces e = forces_of(f, 1, Walk::forward, 0);
  const double tol = 1.0e-9 * P * L;
  EXPECT_NEAR(e.end_forces(2), -P, 1.0e-9 * P);
  EXPECT_NEAR(e.end_forces(8), -P, 1.0e-9 * P);
  EXPECT_NEAR(e.end_forces(6), P * L, tol);
  EXPECT_NEAR(e.end_forces(12), 0.0, tol);
  EXPECT_NEAR(e.end_forces(3), -P, 1.0e-9 * P);
  EXPECT_NEAR(e.end_forces(9), -P, 1.0e-9 * P);
  EXPECT_NEAR(e.end_forces(5), -P * L, tol);
  EXPECT_NEAR(e.end_forces(11), 0.0, tol);
  EXPECT_NEAR(e.end_forces(4), Mt, 1.0e-9 * Mt);
  EXPECT_NEAR(e.end_forces(10), Mt, 1.0e-9 * Mt);
  EXPECT_EQ(e.end_forces(1), 0.0);
  EXPECT_EQ(e.end_forces(7), 0.0);
}

// With no load between the ends, each quantity reads with one sign along
// the bar, and the end moments differ by the shear force times the length.
TEST(EndForces, SignConventionIdentitiesOnRandomBars) {
  RandomFrames r(k_seed + 1);
  SCOPED_TRACE(::testing::Message() << "seed " << k_seed + 1);
  for (int n = 0; n < k_random_bars; ++n) {
    for (HostInt code : {0, 1, 2, 3, -1, -2}) {
      const HostFrame f = r.bar(code);
      const double L = length_of(f);
      const double tol = tolerance(f);
      for (Walk walk : {Walk::forward, Walk::reversed}) {
        const Vector12 e = forces_of(f, 1, walk, code).end_forces;
        for (Index k = 1; k <= 4; ++k) EXPECT_NEAR(e(k), e(k + 6), tol) << "k " << k;
        EXPECT_NEAR(e(12), e(6) + L * e(2), tol);
        EXPECT_NEAR(e(11), e(5) - L * e(3), tol);
        // The hinge carries no bending moment, at the same node in both walks.
        const bool hinge_at_start =
            (code == 1 && walk == Walk::forward) || (code == 2 && walk == Walk::reversed);
        const bool hinge_at_end =
            (code == 2 && walk == Walk::forward) || (code == 1 && walk == Walk::reversed);
        if (hinge_at_start) {
          EXPECT_EQ(e(5), 0.0);
          EXPECT_EQ(e(6), 0.0);
        }
        if (hinge_at_end) {
          EXPECT_EQ(e(11), 0.0);
          EXPECT_EQ(e(12), 0.0);
        }
      }
    }
  }
}

// Translation t plus a small rotation w about a point: u(p) = t + w x (p - c)
// at both nodes, with rotations w.
TEST(EndForces, RigidBodyMotionGivesZeroForces) {
  RandomFrames r(k_seed + 2);
  SCOPED_TRACE(::testing::Message() << "seed " << k_seed + 2);
  for (int n = 0; n < k_random_bars; ++n) {
    for (HostInt code : {0, 1, 2, 3}) {
      HostFrame f = r.bar(code);
      const Point3 t = r.point(1.0), w = r.point(1.0e-3), c = r.point(1000.0);
      for (Index node = 1; node <= 2; ++node) {
        const std::size_t i = static_cast<std::size_t>(node - 1);
        const double px = f.x[i] - c.x, py = f.y[i] - c.y, pz = f.z[i] - c.z;
        f.u(1, node) = t.x + (w.y * pz - w.z * py);
        f.u(2, node) = t.y + (w.z * px - w.x * pz);
        f.u(3, node) = t.z + (w.x * py - w.y * px);
        f.u(4, node) = w.x;
        f.u(5, node) = w.y;
        f.u(6, node) = w.z;
      }
      const double tol = tolerance(f);
      for (Walk walk : {Walk::forward, Walk::reversed}) {
        const EndForces e = forces_of(f, 1, walk, code);
        for (Index k = 1; k <= 12; ++k) {
          EXPECT_NEAR(e.end_forces(k), 0.0, tol) << "code " << code << " k " << k;
          EXPECT_NEAR(e.end_forces_global(k), 0.0, tol) << "code " << code << " k " << k;
        }
      }
    }
  }
}

// The end forces agree with the element matrix of the assembly: S f equals
// T (K_global u_global) for every form, the pin-ended bar in any direction
// included.
TEST(EndForces, AgreeWithTheAssembledElementMatrix) {
  RandomFrames r(k_seed + 3);
  SCOPED_TRACE(::testing::Message() << "seed " << k_seed + 3);
  for (int n = 0; n < k_random_bars; ++n) {
    for (HostInt code : {0, 1, 2, 3}) {
      const HostFrame f = r.bar(code);
      const RecoveryModel m = f.recovery();
      const element::ElementModel em{m.nodes, f.orientation(), m.element_nodes, m.section_codes,
                                     m.section_table};
      const Matrix12 Kg = element::element_matrix(em, 1, 0, code);
      const Vector12 u = read_vector12(f.displacements.data());
      const Vector12 want = multiply(f.transform(1, Walk::forward), multiply(Kg, u));
      const EndForces e = forces_of(f, 1, Walk::forward, code);
      const Vector12 got = apply_end_force_sign_convention(e.end_forces);
      const double tol = tolerance(f);
      for (Index k = 1; k <= 12; ++k) EXPECT_NEAR(got(k), want(k), tol) << "code " << code;
      // In global axes the unsigned forces are K_global u.
      const Vector12 global = multiply(Kg, u);
      const Vector12 got_global = local_to_global(f.transform(1, Walk::forward), got);
      for (Index k = 1; k <= 12; ++k) EXPECT_NEAR(got_global(k), global(k), tol);
    }
  }
}

TEST(EndForces, PinEndedBarInAnyDirectionCarriesItsAxialForce) {
  RandomFrames r(k_seed + 4);
  SCOPED_TRACE(::testing::Message() << "seed " << k_seed + 4);
  for (int n = 0; n < k_random_bars; ++n) {
    const HostFrame f = r.bar(3);
    const double L = length_of(f);
    const double c[3] = {(f.x[1] - f.x[0]) / L, (f.y[1] - f.y[0]) / L, (f.z[1] - f.z[0]) / L};
    double elongation = 0.0;
    for (std::size_t k = 0; k < 3; ++k)
      elongation += c[k] * (f.displacements[6 + k] - f.displacements[k]);
    const double want = -f.table[0] * f.table[2] / L * elongation;
    for (Walk walk : {Walk::forward, Walk::reversed}) {
      const Vector12 e = forces_of(f, 1, walk, 3).end_forces;
      EXPECT_NEAR(e(1), want, tolerance(f));
      EXPECT_EQ(e(1), e(7));
      for (Index k = 1; k <= 12; ++k) {
        if (k == 1 || k == 7) continue;
        EXPECT_EQ(e(k), 0.0) << k;
      }
    }
  }
}

// The same element walked the other way: the forces the nodes exert on it,
// in global axes, are the same at each node.
TEST(EndForces, ReversedWalkGivesTheSamePhysicalForces) {
  RandomFrames r(k_seed + 5);
  SCOPED_TRACE(::testing::Message() << "seed " << k_seed + 5);
  for (int n = 0; n < k_random_bars; ++n) {
    for (HostInt code : {0, 1, 2, 3, -1, -2}) {
      for (bool ascending : {true, false}) {
        const HostFrame f = r.bar(code, ascending);
        const EndForces fw = forces_of(f, 1, Walk::forward, code);
        const EndForces rv = forces_of(f, 1, Walk::reversed, code);
        const Vector12 pf = local_to_global(f.transform(1, Walk::forward),
                                            apply_end_force_sign_convention(fw.end_forces));
        const Vector12 pr = local_to_global(f.transform(1, Walk::reversed),
                                            apply_end_force_sign_convention(rv.end_forces));
        const double tol = tolerance(f);
        for (Index k = 1; k <= 6; ++k) {
          EXPECT_NEAR(pr(k), pf(k + 6), tol) << "code " << code << " k " << k;
          EXPECT_NEAR(pr(k + 6), pf(k), tol) << "code " << code << " k " << k;
        }
        // The axial force does not depend on the walk.
        EXPECT_NEAR(rv.end_forces(1), fw.end_forces(1), tol);
      }
    }
  }
}

TEST(EndForces, NamedEndsWithoutReleaseAreRigid) {
  RandomFrames r(k_seed + 6);
  for (int n = 0; n < 20; ++n) {
    const HostFrame f = r.bar(0);
    for (Walk walk : {Walk::forward, Walk::reversed}) {
      const EndForces rigid = forces_of(f, 1, walk, 0);
      for (HostInt code : {-1, -2}) {
        const EndForces e = forces_of(f, 1, walk, code);
        EXPECT_EQ(e.end_forces, rigid.end_forces);
        EXPECT_EQ(e.end_forces_global, rigid.end_forces_global);
        EXPECT_EQ(e.end_displacements, rigid.end_displacements);
      }
    }
  }
}

TEST(EndForces, CodesWithoutStiffnessGiveZeroForcesInBothWalks) {
  RandomFrames r(k_seed + 7);
  const HostFrame f = r.bar(0);
  for (HostInt code : {4, 7, -3, 100}) {
    for (Walk walk : {Walk::forward, Walk::reversed}) {
      const EndForces e = forces_of(f, 1, walk, code);
      for (Index k = 1; k <= 12; ++k) EXPECT_EQ(e.end_forces(k), 0.0) << code;
    }
  }
}

TEST(EndForces, StiffnessCodeFollowsTheWalk) {
  EXPECT_EQ(recovery_end_code(1, Walk::forward), 1);
  EXPECT_EQ(recovery_end_code(2, Walk::forward), 2);
  EXPECT_EQ(recovery_end_code(1, Walk::reversed), 2);
  EXPECT_EQ(recovery_end_code(2, Walk::reversed), 1);
  for (Walk walk : {Walk::forward, Walk::reversed}) {
    EXPECT_EQ(recovery_end_code(0, walk), 0);
    EXPECT_EQ(recovery_end_code(-1, walk), 0);
    EXPECT_EQ(recovery_end_code(-2, walk), 0);
    EXPECT_EQ(recovery_end_code(3, walk), 3);
    EXPECT_EQ(recovery_end_code(5, walk), 5);
    EXPECT_EQ(element::end_form(recovery_end_code(-3, walk)), element::EndForm::none);
    EXPECT_EQ(element::end_form(recovery_end_code(4, walk)), element::EndForm::none);
  }
}

TEST(EndForces, RigidLinkSectionCodeIsReadByItsAbsoluteValue) {
  RandomFrames r(k_seed + 8);
  HostFrame f = r.bar(0);
  const EndForces plain = forces_of(f, 1, Walk::forward, 0);
  f.section_codes[0] = -1;
  const EndForces link = forces_of(f, 1, Walk::forward, 0);
  EXPECT_EQ(plain.end_forces, link.end_forces);
}

TEST(EndForces, GlobalForcesAreTheLocalOnesTurnedBack) {
  RandomFrames r(k_seed + 9);
  SCOPED_TRACE(::testing::Message() << "seed " << k_seed + 9);
  for (int n = 0; n < k_random_bars; ++n) {
    const HostFrame f = r.bar(n % 3);
    for (Walk walk : {Walk::forward, Walk::reversed}) {
      const Matrix12 T = f.transform(1, walk);
      const EndForces e = forces_of(f, 1, walk, f.end_codes[0]);
      EXPECT_EQ(local_to_global(T, e.end_forces), e.end_forces_global);
      // transform * (transform^T v) = v: the transformation is orthogonal.
      const Vector12 back = multiply(T, e.end_forces_global);
      for (Index k = 1; k <= 12; ++k)
        EXPECT_NEAR(back(k), e.end_forces(k), 1.0e-14 * test::max_abs(e.end_forces));
      // The end displacements are the gathered ones in local axes.
      Vector12 gathered;
      const Index a = walk == Walk::forward ? 1 : 2, b = 3 - a;
      for (Index c = 1; c <= 6; ++c) {
        gathered(c) = f.displacements[static_cast<std::size_t>(6 * (a - 1) + c - 1)];
        gathered(c + 6) = f.displacements[static_cast<std::size_t>(6 * (b - 1) + c - 1)];
      }
      EXPECT_EQ(e.end_displacements, multiply(T, gathered));
    }
  }
}

TEST(EndForces, SignConventionIsItsOwnInverse) {
  Vector12 v;
  for (Index k = 1; k <= 12; ++k) v(k) = static_cast<double>(k);
  const Vector12 s = apply_end_force_sign_convention(v);
  for (Index k = 1; k <= 12; ++k) EXPECT_EQ(s(k), (k >= 4 && k <= 9) ? -v(k) : v(k));
  EXPECT_EQ(apply_end_force_sign_convention(s), v);
}

TEST(EndForces, PinEndedGeometryLiesAlongLocalX) {
  const element::BarGeometry g =
      recovery_geometry({1, 2, 3}, {4, 6, 3}, element::EndForm::pin_ended);
  EXPECT_EQ(g.L, 5.0);
  EXPECT_EQ(g.L2, 25.0);
  EXPECT_EQ(g.L3, 125.0);
  EXPECT_EQ(g.dx, 5.0);
  EXPECT_EQ(g.dy, 0.0);
  EXPECT_EQ(g.dz, 0.0);
  const element::BarGeometry h = recovery_geometry({1, 2, 3}, {4, 6, 3}, element::EndForm::rigid);
  EXPECT_EQ(h.dx, 3.0);
  EXPECT_EQ(h.dy, 4.0);
  EXPECT_EQ(h.dz, 0.0);
}

}  // namespace
}  // namespace zervola::results
