#include "element/global_matrix.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "element/local_axes.hpp"
#include "element/local_stiffness.hpp"
#include "support/matrix_checks.hpp"

namespace zervola::element {
namespace {

constexpr double k_marker = k_no_orientation_marker;

// A host-style model of one element between two nodes, with two sections
// (the second one used for rigid links, -2).
struct OneElementModel {
  std::vector<double> x, y, z, ox, oy, oz, table;
  std::vector<HostInt> pair{1, 2}, sections{1};

  OneElementModel(Point3 a, Point3 b, Point3 orientation = {k_marker, k_marker, k_marker},
                  HostInt section_code = 1)
      : x{a.x, b.x}, y{a.y, b.y}, z{a.z, b.z}, ox{orientation.x}, oy{orientation.y},
        oz{orientation.z}, sections{section_code} {
    table = {200000.0, 80000.0, 3000.0, 4.0e6, 2.5e7, 9.0e6, 0.0, 300.0, 150.0, 1.2e-5,
             1.0,      2.0,     3.0,    4.0,   5.0,   6.0,   0.0, 0.0,   0.0,   0.0};
  }
  [[nodiscard]] ElementModel view() const {
    return {{{x.data(), 2}, {y.data(), 2}, {z.data(), 2}},
            {{ox.data(), 1}, {oy.data(), 1}, {oz.data(), 1}},
            ElementNodes(pair.data(), 2, 1),
            {sections.data(), 1},
            SectionTable(table.data(), 10, 2)};
  }
  [[nodiscard]] Matrix12 matrix(HostInt element_frame, HostInt end_code) const {
    return element_matrix(view(), 1, element_frame, end_code);
  }
  [[nodiscard]] SectionProperties section() const {
    return {table[0], table[1], table[2], table[3], table[4], table[5]};
  }
};

TEST(ElementMatrix, RigidLinkTiesTranslationsWhateverElseIsGiven) {
  for (HostInt code : {-1, -2}) {
    for (HostInt frame : {0, 1, 7}) {
      for (HostInt end_code : {0, 1, 3, 9}) {
        const OneElementModel m({0, 0, 0}, {1, 2, 3}, {5, 5, 5}, code);
        const Matrix12 K = m.matrix(frame, end_code);
        for (Index c = 1; c <= 12; ++c)
          for (Index r = 1; r <= 12; ++r) {
            double want = 0.0;
            const bool translations = (r <= 3 || (r >= 7 && r <= 9)) && (c <= 3 || (c >= 7 && c <= 9));
            if (translations && r == c) want = k_rigid_link_penalty;
            if (translations && std::abs(r - c) == 6) want = -k_rigid_link_penalty;
            EXPECT_EQ(K(r, c), want) << r << "," << c;
          }
      }
    }
  }
}

TEST(ElementMatrix, LocalFrameFlagReturnsTheLocalStiffness) {
  const OneElementModel m({1, 2, 3}, {4, 6, 3.5}, {0, 10, 0});
  const double dx = 3, dy = 4, dz = 0.5;
  const double L2 = dx * dx + dy * dy + dz * dz, L = std::sqrt(L2);
  for (HostInt end_code : {0, 1, 2, -1, 3, 8}) {
    EXPECT_EQ(m.matrix(k_element_frame_local, end_code),
              local_stiffness(m.section(), {dx, dy, dz, L, L2, L * L2}, end_form(end_code)));
  }
}

TEST(ElementMatrix, BarAlongXIsUnchangedByTheTransformation) {
  const OneElementModel m({0, 0, 0}, {2.5, 0, 0});
  for (HostInt end_code : {0, 1, 2}) EXPECT_EQ(m.matrix(0, end_code), m.matrix(1, end_code));
}

TEST(ElementMatrix, BarAlongYAndVerticalBarWithOrientationPoint) {
  const double L = 2.0;
  const OneElementModel along_y({0, 0, 0}, {0, L, 0});
  const SectionProperties s = along_y.section();
  const Matrix12 Ky = along_y.matrix(0, 0);
  const double tol = 1e-9;
  EXPECT_NEAR(Ky(1, 1), 12 * s.E * s.Iz / (L * L * L), tol);
  EXPECT_NEAR(Ky(2, 2), s.E * s.A / L, tol);
  EXPECT_NEAR(Ky(3, 3), 12 * s.E * s.Iy / (L * L * L), tol);
  EXPECT_NEAR(Ky(4, 4), 4 * s.E * s.Iy / L, tol);
  EXPECT_NEAR(Ky(5, 5), s.G * s.It / L, tol);
  EXPECT_NEAR(Ky(6, 6), 4 * s.E * s.Iz / L, tol);

  const OneElementModel vertical({0, 0, 0}, {0, 0, L}, {0, 1, L / 2});
  const Matrix12 Kz = vertical.matrix(0, 0);
  const double diag[6] = {12 * s.E * s.Iz / (L * L * L), 12 * s.E * s.Iy / (L * L * L), s.E * s.A / L,
                          4 * s.E * s.Iy / L,            4 * s.E * s.Iz / L,            s.G * s.It / L};
  for (Index k = 1; k <= 6; ++k) {
    EXPECT_NEAR(Kz(k, k), diag[k - 1], tol);
    EXPECT_NEAR(Kz(k + 6, k + 6), diag[k - 1], tol);
  }
}

// A pin-ended bar is built in global axes and must not be turned a second
// time: its matrix is (E A / L) c c^T whatever the element frame flag.
TEST(ElementMatrix, PinEndedBarKeepsItsGlobalAxialStiffness) {
  const OneElementModel along_y({0, 0, 0}, {0, 3, 0});
  const double EA_L = along_y.section().E * along_y.section().A / 3.0;
  for (HostInt frame : {0, 1}) {
    const Matrix12 K = along_y.matrix(frame, 3);
    for (Index c = 1; c <= 12; ++c)
      for (Index r = 1; r <= 12; ++r) {
        const double want =
            (r == 2 || r == 8) && (c == 2 || c == 8) ? (r == c ? EA_L : -EA_L) : 0.0;
        EXPECT_DOUBLE_EQ(K(r, c), want) << frame << ": " << r << "," << c;
      }
  }
  const Point3 a{1, -2, 0.5}, b{-3, 4, 2};
  const OneElementModel general(a, b, {9, 9, 9});
  const double d[3] = {b.x - a.x, b.y - a.y, b.z - a.z};
  const double L = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  const double f = general.section().E * general.section().A / L;
  for (HostInt frame : {0, 1}) {
    const Matrix12 K = general.matrix(frame, 3);
    for (Index i = 1; i <= 3; ++i)
      for (Index j = 1; j <= 3; ++j) {
        const double want = f * d[i - 1] * d[j - 1] / (L * L);
        EXPECT_NEAR(K(i, j), want, 1e-12 * f);
        EXPECT_NEAR(K(i, j + 6), -want, 1e-12 * f);
      }
  }
}

Matrix12 rotation_blocks(const std::array<std::array<double, 3>, 3>& R) {
  DirectionCosines d;
  d.rows = R;
  return transformation_matrix(d);
}

// Rotation matrix from three random angles.
std::array<std::array<double, 3>, 3> random_rotation(std::mt19937_64& rng) {
  std::uniform_real_distribution<double> angle(-3.14159, 3.14159);
  const double a = angle(rng), b = angle(rng), c = angle(rng);
  const std::array<std::array<double, 3>, 3> Rz{{{std::cos(a), -std::sin(a), 0}, {std::sin(a), std::cos(a), 0}, {0, 0, 1}}};
  const std::array<std::array<double, 3>, 3> Ry{{{std::cos(b), 0, std::sin(b)}, {0, 1, 0}, {-std::sin(b), 0, std::cos(b)}}};
  const std::array<std::array<double, 3>, 3> Rx{{{1, 0, 0}, {0, std::cos(c), -std::sin(c)}, {0, std::sin(c), std::cos(c)}}};
  const auto mul = [](const auto& P, const auto& Q) {
    std::array<std::array<double, 3>, 3> S{};
    for (std::size_t i = 0; i < 3; ++i)
      for (std::size_t j = 0; j < 3; ++j)
        for (std::size_t k = 0; k < 3; ++k) S[i][j] += P[i][k] * Q[k][j];
    return S;
  };
  return mul(Rz, mul(Ry, Rx));
}

Point3 rotate(const std::array<std::array<double, 3>, 3>& R, Point3 p) {
  return {R[0][0] * p.x + R[0][1] * p.y + R[0][2] * p.z, R[1][0] * p.x + R[1][1] * p.y + R[1][2] * p.z,
          R[2][0] * p.x + R[2][1] * p.y + R[2][2] * p.z};
}

TEST(ElementMatrix, RigidBodyMotionsInGlobalAxesCarryNoForce) {
  std::mt19937_64 rng(42);
  std::uniform_real_distribution<double> coord(-5.0, 5.0);
  for (int trial = 0; trial < 200; ++trial) {
    const Point3 a{coord(rng), coord(rng), coord(rng)}, b{coord(rng), coord(rng), coord(rng)};
    const Point3 p = trial % 2 ? Point3{coord(rng), coord(rng), coord(rng)}
                               : Point3{k_marker, k_marker, k_marker};
    const OneElementModel m(a, b, p);
    for (HostInt end_code : {0, 1, 2, 3}) {
      const Matrix12 K = m.matrix(0, end_code);
      EXPECT_LT(test::max_abs_difference(K, test::transpose(K)), 1e-13 * test::max_abs(K));
      const double scale = test::max_abs(K) * 20.0;
      for (int mode = 0; mode < 6; ++mode) {
        // Translation t, or rotation w about the origin: u = w x x at each node.
        double t[3] = {0, 0, 0}, w[3] = {0, 0, 0};
        (mode < 3 ? t : w)[mode % 3] = 1.0;
        Vector12 u;
        const Point3 nodes[2] = {a, b};
        for (Index n = 0; n < 2; ++n) {
          const Point3 x = nodes[n];
          u(6 * n + 1) = t[0] + w[1] * x.z - w[2] * x.y;
          u(6 * n + 2) = t[1] + w[2] * x.x - w[0] * x.z;
          u(6 * n + 3) = t[2] + w[0] * x.y - w[1] * x.x;
          if (end_code != 3)
            for (Index k = 0; k < 3; ++k) u(6 * n + 4 + k) = w[k];
        }
        const Vector12 f = multiply(K, u);
        EXPECT_LT(test::max_abs(f), 1e3 * test::epsilon() * scale) << trial << " " << end_code;
      }
    }
  }
}

TEST(ElementMatrix, RotatingTheBarAndItsLoadTogetherChangesNothing) {
  std::mt19937_64 rng(1234);
  std::uniform_real_distribution<double> coord(-5.0, 5.0);
  for (int trial = 0; trial < 100; ++trial) {
    const Point3 a{coord(rng), coord(rng), coord(rng)}, b{coord(rng), coord(rng), coord(rng)};
    const Point3 p{coord(rng), coord(rng), coord(rng)};
    const auto R = random_rotation(rng);
    const Matrix12 Rb = rotation_blocks(R);
    for (HostInt end_code : {0, 1, 2, 3}) {
      const Matrix12 K = OneElementModel(a, b, p).matrix(0, end_code);
      const Matrix12 K_rotated =
          OneElementModel(rotate(R, a), rotate(R, b), rotate(R, p)).matrix(0, end_code);
      // K' = Rb K Rb^T.
      const Matrix12 expected = multiply(Rb, multiply(K, test::transpose(Rb)));
      EXPECT_LT(test::max_abs_difference(K_rotated, expected), 1e-10 * test::max_abs(K))
          << trial << " " << end_code;
    }
  }
}

}  // namespace
}  // namespace zervola::element
