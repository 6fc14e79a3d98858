#include "element/local_mass.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "element/global_matrix.hpp"
#include "element/local_axes.hpp"
#include "support/matrix_checks.hpp"

namespace zervola::element {
namespace {

BarGeometry geometry_of_length(double L) {
  BarGeometry g;
  g.dx = L;
  g.L = L;
  g.L2 = L * L;
  g.L3 = L * L * L;
  return g;
}

double quadratic_form(const Matrix12& M, const std::array<double, 12>& u) {
  double s = 0.0;
  for (Index r = 1; r <= 12; ++r)
    for (Index c = 1; c <= 12; ++c)
      s += u[static_cast<std::size_t>(r - 1)] * M(r, c) * u[static_cast<std::size_t>(c - 1)];
  return s;
}

constexpr std::array<EndForm, 3> k_beam_forms{EndForm::rigid, EndForm::hinge_start,
                                              EndForm::hinge_end};

// Every rigid motion lies in the span of the shape functions of each form,
// so the kinetic energy of each is that of the bar as a rigid body: m L v^2
// in translation, m L^3 / 12 w^2 turning about a transverse axis through the
// middle, and rho Ip L w^2 about its own axis (2 T = u^T M u).
TEST(LocalMass, ConsistentMatricesGiveTheRigidBodyInertiaOfTheBar) {
  const double L = 2.5;
  const BarMass m{3.0, 0.7};
  const BarGeometry g = geometry_of_length(L);
  for (EndForm form : k_beam_forms) {
    const Matrix12 M = local_mass(m, g, form, MassForm::consistent);
    for (Index d = 1; d <= 3; ++d) {
      std::array<double, 12> u{};
      u[static_cast<std::size_t>(d - 1)] = 1.0;
      u[static_cast<std::size_t>(d + 5)] = 1.0;
      EXPECT_NEAR(quadratic_form(M, u), m.translational * L, 1e-12) << "direction " << d;
    }
    // Turning about local z through the middle: v = w (x - L/2), theta_z = w.
    std::array<double, 12> about_z{};
    about_z[1] = -L / 2.0;
    about_z[5] = 1.0;
    about_z[7] = L / 2.0;
    about_z[11] = 1.0;
    EXPECT_NEAR(quadratic_form(M, about_z), m.translational * L * L * L / 12.0, 1e-12);
    // Turning about local y: w = -theta_y (x - L/2).
    std::array<double, 12> about_y{};
    about_y[2] = L / 2.0;
    about_y[4] = 1.0;
    about_y[8] = -L / 2.0;
    about_y[10] = 1.0;
    EXPECT_NEAR(quadratic_form(M, about_y), m.translational * L * L * L / 12.0, 1e-12);
    std::array<double, 12> twist{};
    twist[3] = 1.0;
    twist[9] = 1.0;
    EXPECT_NEAR(quadratic_form(M, twist), m.polar * L, 1e-12);
    EXPECT_LT(test::max_abs_difference(M, test::transpose(M)), 1e-15);
  }
}

TEST(LocalMass, HingeGivesItsEndNoBendingInertiaAndKeepsTheRest) {
  const BarGeometry g = geometry_of_length(4.0);
  const BarMass m{2.0, 0.5};
  const Matrix12 start = local_mass(m, g, EndForm::hinge_start, MassForm::consistent);
  const Matrix12 end = local_mass(m, g, EndForm::hinge_end, MassForm::consistent);
  for (Index c = 1; c <= 12; ++c) {
    for (Index r : {5, 6}) {
      EXPECT_EQ(start(r, c), 0.0);
      EXPECT_EQ(start(c, r), 0.0);
    }
    for (Index r : {11, 12}) {
      EXPECT_EQ(end(r, c), 0.0);
      EXPECT_EQ(end(c, r), 0.0);
    }
  }
  // With the start hinged, a unit translation of the end node alone (its
  // rotation held) bends the bar into the cubic with v(0) = 0, v''(0) = 0,
  // v(1) = 1, v'(1) = 0, that is v = (3 s - s^3) / 2 for s = x / L; then
  // u^T M u = m L int_0^1 v^2 ds = m L (3 - 6/5 + 1/7) / 4 = m L 17 / 35.
  std::array<double, 12> end_translation{};
  end_translation[7] = 1.0;
  const double hinged_start = quadratic_form(start, end_translation);
  const double expected = m.translational * g.L * 17.0 / 35.0;
  EXPECT_NEAR(hinged_start, expected, 1e-12);
  // Axial and torsion terms are those of the rigid bar.
  const Matrix12 rigid = local_mass(m, g, EndForm::rigid, MassForm::consistent);
  for (Index r : {1, 4, 7, 10})
    for (Index c : {1, 4, 7, 10}) EXPECT_EQ(start(r, c), rigid(r, c));
}

TEST(LocalMass, LumpedMatricesPutHalfTheBarOnEachEnd) {
  const BarGeometry g = geometry_of_length(3.0);
  const BarMass m{2.0, 0.4};
  for (EndForm form : k_beam_forms) {
    const Matrix12 M = local_mass(m, g, form, MassForm::lumped);
    for (Index d : {1, 2, 3, 7, 8, 9}) EXPECT_DOUBLE_EQ(M(d, d), 3.0);
    EXPECT_DOUBLE_EQ(M(4, 4), 0.6);
    EXPECT_DOUBLE_EQ(M(10, 10), 0.6);
    for (Index d : {5, 6, 11, 12}) EXPECT_EQ(M(d, d), 0.0);
    double off = 0.0;
    for (Index r = 1; r <= 12; ++r)
      for (Index c = 1; c <= 12; ++c)
        if (r != c) off += std::fabs(M(r, c));
    EXPECT_EQ(off, 0.0);
  }
  const Matrix12 pin = local_mass(m, g, EndForm::pin_ended, MassForm::lumped);
  EXPECT_EQ(pin(4, 4), 0.0);
  EXPECT_DOUBLE_EQ(pin(8, 8), 3.0);
}

TEST(LocalMass, PinEndedBarMovesLinearlyInEveryDirection) {
  const BarGeometry g = geometry_of_length(6.0);
  const Matrix12 M = local_mass({1.5, 9.0}, g, EndForm::pin_ended, MassForm::consistent);
  for (Index d = 1; d <= 3; ++d) {
    EXPECT_DOUBLE_EQ(M(d, d), 1.5 * 6.0 / 3.0);
    EXPECT_DOUBLE_EQ(M(d, d + 6), 1.5 * 6.0 / 6.0);
    EXPECT_EQ(M(d + 3, d + 3), 0.0);
  }
  EXPECT_EQ(local_mass({1.5, 9.0}, g, EndForm::none, MassForm::consistent), Matrix12());
}

// In global axes the bar keeps its mass in every global direction and its
// rigid-body inertia, whatever its direction and orientation.
TEST(ElementMass, GlobalMatrixOfATurnedBarKeepsItsTranslationalMass) {
  std::vector<double> x{0.3, 2.1}, y{-0.4, 1.7}, z{0.9, 3.2};
  std::vector<double> ox{5.0}, oy{-1.0}, oz{2.0};
  std::vector<HostInt> pair{1, 2}, sections{1}, rigid_link{-1};
  std::vector<double> table{200000.0, 80000.0, 3000.0, 4.0e6, 2.5e7, 9.0e6, 0.0, 300.0, 150.0, 1.2e-5};
  const ElementModel model{{{x.data(), 2}, {y.data(), 2}, {z.data(), 2}},
                           {{ox.data(), 1}, {oy.data(), 1}, {oz.data(), 1}},
                           ElementNodes(pair.data(), 2, 1),
                           {sections.data(), 1},
                           SectionTable(table.data(), 10, 1)};
  const double L = std::sqrt(1.8 * 1.8 + 2.1 * 2.1 + 2.3 * 2.3);
  for (HostInt code : {0, 1, 2, 3}) {
    for (MassForm kind : {MassForm::consistent, MassForm::lumped}) {
      const Matrix12 M = element_mass_matrix(model, 1, code, {2.0, 0.3}, kind);
      EXPECT_LT(test::max_abs_difference(M, test::transpose(M)), 1e-14);
      for (Index d = 1; d <= 3; ++d) {
        std::array<double, 12> u{};
        u[static_cast<std::size_t>(d - 1)] = 1.0;
        u[static_cast<std::size_t>(d + 5)] = 1.0;
        EXPECT_NEAR(quadratic_form(M, u), 2.0 * L, 1e-12) << "code " << code;
      }
    }
  }
  const ElementModel link{model.nodes, model.orientation, model.element_nodes,
                          {rigid_link.data(), 1}, model.section_table};
  EXPECT_EQ(element_mass_matrix(link, 1, 0, {2.0, 0.3}, MassForm::consistent), Matrix12());
}

}  // namespace
}  // namespace zervola::element
