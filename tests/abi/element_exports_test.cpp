// The element exports as a host calls them: through the public header, with
// arrays the host owns and dirty memory around the results.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "zervola.h"

namespace {

constexpr double k_garbage = -777.25;
constexpr double k_marker = 12345678.0;

struct TwoNodes {
  std::array<double, 2> x{0, 0}, y{0, 4}, z{0, 0};
  std::array<double, 1> ox{k_marker}, oy{k_marker}, oz{k_marker};
  std::array<int32_t, 2> pair{1, 2};
  int32_t n_nodes = 2, n_elements = 1, element = 1;
};

TEST(ElementExports, TransformsOverwriteEveryEntry) {
  TwoNodes m;
  std::array<double, 144> t{};
  for (int32_t reverse : {0, 1}) {
    t.fill(k_garbage);
    MATRIXCOS(t.data(), m.x.data(), m.y.data(), m.z.data(), m.pair.data(), &m.n_nodes,
              &m.n_elements, &m.element, &reverse);
    std::array<double, 144> t3p{};
    t3p.fill(k_garbage);
    MATRIXCOS3P(t3p.data(), m.x.data(), m.y.data(), m.z.data(), m.ox.data(), m.oy.data(),
                m.oz.data(), m.pair.data(), &m.n_nodes, &m.n_elements, &m.element, &reverse);
    EXPECT_EQ(t, t3p);
    const double s = reverse == 0 ? 1.0 : -1.0;
    // Bar along +Y: rows (0, 1, 0), (-1, 0, 0), (0, 0, 1); reversing flips x and y.
    for (int copy = 0; copy < 4; ++copy) {
      const int o = copy * 3 * 13;
      EXPECT_EQ(t[static_cast<std::size_t>(o + 12)], s * 1.0);   // (1, 2)
      EXPECT_EQ(t[static_cast<std::size_t>(o + 1)], s * -1.0);   // (2, 1)
      EXPECT_EQ(t[static_cast<std::size_t>(o + 26)], 1.0);       // (3, 3)
    }
    int nonzero = 0;
    for (double v : t) nonzero += v != 0.0;
    EXPECT_EQ(nonzero, 12);
  }
}

TEST(ElementExports, ReverseFlagOutsideTheDataModelGivesNaN) {
  TwoNodes m;
  std::array<double, 144> t{};
  for (int32_t reverse : {2, -1}) {
    MATRIXCOS(t.data(), m.x.data(), m.y.data(), m.z.data(), m.pair.data(), &m.n_nodes,
              &m.n_elements, &m.element, &reverse);
    for (double v : t) EXPECT_TRUE(std::isnan(v));
  }
}

TEST(ElementExports, NumbersBelowOneAreRefusedWithNaN) {
  TwoNodes m;
  const std::vector<double> table{200000, 80000, 3000, 4e6, 2.5e7, 9e6, 0, 0, 0, 0};
  const int32_t reverse = 0, frame = 0, end_code = 0, space_frame = 1;
  const auto all_nan = [](const std::array<double, 144>& a) {
    for (double v : a)
      if (!std::isnan(v)) return false;
    return true;
  };
  std::array<double, 144> out{};
  int32_t element = 0;
  MATRIXCOS3P(out.data(), m.x.data(), m.y.data(), m.z.data(), m.ox.data(), m.oy.data(),
              m.oz.data(), m.pair.data(), &m.n_nodes, &m.n_elements, &element, &reverse);
  EXPECT_TRUE(all_nan(out));
  m.pair = {0, 2};
  MATRIXCOS(out.data(), m.x.data(), m.y.data(), m.z.data(), m.pair.data(), &m.n_nodes,
            &m.n_elements, &m.element, &reverse);
  EXPECT_TRUE(all_nan(out));
  m.pair = {1, 2};
  const std::array<int32_t, 1> no_section{0};
  MATRIXE(out.data(), m.x.data(), m.y.data(), m.z.data(), m.ox.data(), m.oy.data(), m.oz.data(),
          m.pair.data(), no_section.data(), &space_frame, table.data(), &m.element, &m.n_nodes,
          &m.n_elements, &frame, &end_code);
  EXPECT_TRUE(all_nan(out));
}

TEST(ElementExports, UserCoordinateSystem) {
  for (int32_t mode : {0, 1, 5}) {
    std::array<double, 3> origin{k_garbage, k_garbage, k_garbage};
    std::array<double, 3> a{0, 0, 0}, b{1, 0, 0};
    const std::array<double, 3> c{0, 1, 0};
    MATRIXUCS(origin.data(), a.data(), b.data(), c.data(), &mode);
    EXPECT_EQ(origin, (std::array<double, 3>{0, 0, 0}));
    if (mode == 0) {
      EXPECT_EQ(a, (std::array<double, 3>{0, 1, 0}));
      EXPECT_EQ(b, (std::array<double, 3>{1, 0, 0}));
    } else {
      EXPECT_EQ(a, (std::array<double, 3>{1, 0, 0}));
      EXPECT_EQ(b, (std::array<double, 3>{0, 0, -1}));
    }
  }
  // The origin is the first point as passed in, not the returned axis.
  int32_t mode = 0;
  std::array<double, 3> origin{}, a{3, 4, 5}, b{3, 4, 9};
  const std::array<double, 3> c{k_marker, k_marker, k_marker};
  MATRIXUCS(origin.data(), a.data(), b.data(), c.data(), &mode);
  EXPECT_EQ(origin, (std::array<double, 3>{3, 4, 5}));
  EXPECT_EQ(b, (std::array<double, 3>{0, 0, 1}));  // local x of an upward bar
  EXPECT_EQ(a, (std::array<double, 3>{1, 0, 0}));  // its local z
}

TEST(ElementExports, ElementMatrixOverwritesEveryEntryAndIgnoresSpaceFrame) {
  TwoNodes m;
  const std::vector<double> table{200000, 80000, 3000, 4e6, 2.5e7, 9e6, 0, 0, 0, 0};
  const std::array<int32_t, 1> sections{1};
  const int32_t frame = 0, end_code = 0;
  std::array<double, 144> first{}, second{};
  first.fill(k_garbage);
  second.fill(3.5);
  for (int32_t space_frame : {0, 1}) {
    auto& out = space_frame == 0 ? first : second;
    MATRIXE(out.data(), m.x.data(), m.y.data(), m.z.data(), m.ox.data(), m.oy.data(), m.oz.data(),
            m.pair.data(), sections.data(), &space_frame, table.data(), &m.element, &m.n_nodes,
            &m.n_elements, &frame, &end_code);
  }
  EXPECT_EQ(first, second);
  EXPECT_NEAR(first[13], 200000.0 * 3000 / 4, 1e-6);  // K(2, 2) = EA/L for a bar along Y
  EXPECT_EQ(first[2], 0.0);

  std::array<double, 144> k{};
  k.fill(k_garbage);
  const double e = 1, g = 1, a = 1, it = 1, iy = 1, iz = 1, d = 1, l = 1;
  const int32_t none = 4;
  MTRXE_012SHR(k.data(), &e, &g, &a, &it, &iy, &iz, &d, &d, &d, &l, &l, &l, &none);
  for (double v : k) EXPECT_EQ(v, 0.0);
}

}  // namespace
