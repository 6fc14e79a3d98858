#include "global/assembly.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "frame_fixture.hpp"
#include "skyline_fixtures.hpp"

namespace zervola::global {
namespace {

using test::Dense;
using test::HostFrame;
using test::HostSkyline;

Matrix12 random_symmetric(std::mt19937_64& rng) {
  std::uniform_real_distribution<double> v(-5.0, 5.0);
  Matrix12 E;
  for (Index c = 1; c <= 12; ++c)
    for (Index r = c; r <= 12; ++r) E(r, c) = E(c, r) = v(rng);
  return E;
}

HostSkyline full_profile(Index n) {
  std::vector<Index> h;
  for (Index j = 1; j <= n; ++j) h.push_back(j);
  return test::skyline_from_heights(h);
}

TEST(Assembly, ElementLandsOnItsNodesEquationsFromItsLowerTriangle) {
  std::mt19937_64 rng(test::k_base_seed + 20);
  const Matrix12 E = random_symmetric(rng);
  Matrix12 lower_only = E;
  for (Index c = 2; c <= 12; ++c)
    for (Index r = 1; r < c; ++r) lower_only(r, c) = 1.0e9;

  HostSkyline s = full_profile(18);
  add_element(s.matrix(), E, 1, 3);
  HostSkyline t = full_profile(18);
  add_element(t.matrix(), lower_only, 1, 3);
  EXPECT_EQ(s.store, t.store);

  const Dense K = test::dense_from_skyline(s);
  auto equation = [](Index local) { return local <= 6 ? local : local + 6; };  // nodes 1 and 3
  for (Index c = 1; c <= 12; ++c)
    for (Index r = 1; r <= 12; ++r)
      EXPECT_EQ(K(equation(r), equation(c)), E(r, c)) << r << "," << c;
  for (Index j = 7; j <= 12; ++j)
    for (Index i = 1; i <= 18; ++i) EXPECT_EQ(K(i, j), 0.0);
}

TEST(Assembly, NoElementsReturnsTheLoads) {
  HostFrame f;
  for (int k = 0; k < 3; ++k) f.add_node(k, 0, 0);
  ASSERT_TRUE(f.profile().ok());
  std::vector<double> load(18);
  for (std::size_t k = 0; k < load.size(); ++k) load[k] = 1.5 * static_cast<double>(k) - 4.0;
  std::vector<double> u = load;
  ASSERT_TRUE(analyse(f.analysis(), test::view(u)).ok());
  EXPECT_EQ(u, load);

  f.space_frame = 0;
  u = load;
  ASSERT_TRUE(analyse(f.analysis(), test::view(u)).ok());
  for (std::size_t k = 0; k < u.size(); ++k)
    EXPECT_EQ(u[k], (k % 6 >= 2 && k % 6 <= 4) ? 0.0 : load[k]);
}

TEST(Assembly, NodeThatNoElementReachesReturnsItsLoads) {
  HostFrame f;
  f.add_node(0, 0, 0);
  f.add_node(3, 0, 0);
  f.add_node(9, 9, 9);
  f.add_element(1, 2);
  f.add_record(116, 1, {});
  ASSERT_TRUE(f.profile().ok());
  std::vector<double> u(18, 0.0);
  for (std::size_t k = 12; k < 18; ++k) u[k] = static_cast<double>(k);
  ASSERT_TRUE(analyse(f.analysis(), test::view(u)).ok());
  for (std::size_t k = 12; k < 18; ++k) EXPECT_EQ(u[k], static_cast<double>(k));
}

// A cantilever of one element, node 1 fixed: node 2 moves by the inverse of
// the element's lower-right block applied to the load.
TEST(Assembly, CantileverMatchesTheInverseOfItsEndBlock) {
  for (HostInt reversed = 0; reversed <= 1; ++reversed) {
    HostFrame f;
    f.add_node(0, 0, 0);
    f.add_node(2.0, 1.0, 1.5);
    if (reversed)
      f.add_element(2, 1, 0);
    else
      f.add_element(1, 2, 0);
    f.add_record(116, 1, {});
    ASSERT_TRUE(f.profile().ok());
    const std::vector<double> load{0, 0, 0, 0, 0, 0, 10.0, -20.0, 5.0, 3.0, -1.0, 2.0};
    std::vector<double> u = load;
    ASSERT_TRUE(analyse(f.analysis(), test::view(u)).ok());

    const Matrix12 E = element::element_matrix(f.model(), 1, f.element_frame, f.codes[0]);
    Dense B(6);
    for (Index c = 1; c <= 6; ++c)
      for (Index r = 1; r <= 6; ++r) B(r, c) = E(r + 6, c + 6);
    const std::vector<double> want =
        test::dense_ldlt_solve(B, std::vector<double>(load.begin() + 6, load.end()));
    for (std::size_t k = 0; k < 6; ++k) {
      EXPECT_EQ(u[k], 0.0);
      EXPECT_NEAR(u[6 + k], want[k], 1e-12 * test::norm_inf(want));
    }
  }
}

// A random space frame: the solution satisfies K u = f at every equation
// without a prescription, K assembled densely from the element matrices.
TEST(Assembly, RandomFramesAreInEquilibrium) {
  for (std::uint64_t trial = 0; trial < 10; ++trial) {
    const std::uint64_t seed = test::k_base_seed + 3000 + trial;
    SCOPED_TRACE("seed = " + std::to_string(seed));
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> coordinate(-5.0, 5.0);
    HostFrame f;
    const Index n = 8;
    for (Index k = 0; k < n; ++k) f.add_node(coordinate(rng), coordinate(rng), coordinate(rng));
    for (HostInt k = 2; k <= n; ++k) {  // a chain keeps it connected, then random braces
      f.add_element(k, k - 1, static_cast<HostInt>(trial % 3));
      f.add_element(static_cast<HostInt>(std::uniform_int_distribution<HostInt>(1, k - 1)(rng)), k);
    }
    f.add_record(116, 1, {});
    f.add_record(113, 6 * n - 5, {});
    ASSERT_TRUE(f.profile().ok());
    const std::vector<double> load = test::random_vector(6 * n, rng);
    std::vector<double> u = load;
    ASSERT_TRUE(analyse(f.analysis(), test::view(u)).ok());

    Dense K(6 * n);
    for (Index e = 1; e <= f.n_elements(); ++e) {
      const Matrix12 E = element::element_matrix(f.model(), e, f.element_frame,
                                                 f.codes[static_cast<std::size_t>(e - 1)]);
      const Index a = f.pairs[static_cast<std::size_t>(2 * e - 2)],
                  b = f.pairs[static_cast<std::size_t>(2 * e - 1)];
      for (Index c = 1; c <= 12; ++c)
        for (Index r = 1; r <= 12; ++r) {
          const Index i = r <= 6 ? 6 * (a - 1) + r : 6 * (b - 1) + r - 6;
          const Index j = c <= 6 ? 6 * (a - 1) + c : 6 * (b - 1) + c - 6;
          K(i, j) += E(r, c);
        }
    }
    const std::vector<double> Ku = test::multiply(K, u);
    const double scale = test::norm_inf(K) * test::norm_inf(u);
    for (Index k = 7; k <= 6 * n - 6; ++k)
      EXPECT_LE(
          std::fabs(Ku[static_cast<std::size_t>(k - 1)] - load[static_cast<std::size_t>(k - 1)]),
          1e-9 * scale)
          << "equation " << k;
  }
}

TEST(AssemblyStatus, RefusesInputThatWouldReachOutsideItsArrays) {
  auto frame = [] {
    HostFrame f;
    for (int k = 0; k < 3; ++k) f.add_node(k, k * k, 0);
    f.add_element(1, 2);
    f.add_element(2, 3);
    EXPECT_TRUE(f.profile().ok());
    return f;
  };
  EXPECT_TRUE(analysis_status(frame().analysis()).ok());

  HostFrame descending = frame();
  descending.pairs = {2, 1, 2, 3};
  EXPECT_EQ(analysis_status(descending.analysis()).outcome, Outcome::bad_element);
  HostFrame same = frame();
  same.pairs = {2, 2, 2, 3};
  EXPECT_EQ(analysis_status(same.analysis()).where, 1);
  HostFrame outside = frame();
  outside.pairs = {1, 2, 2, 4};
  EXPECT_EQ(analysis_status(outside.analysis()).where, 2);
  HostFrame no_section = frame();
  no_section.sections = {1, 0};
  EXPECT_EQ(analysis_status(no_section.analysis()).outcome, Outcome::bad_element);
  HostFrame wide = frame();
  wide.pairs = {1, 2, 1, 3};  // (1, 3) is not inside the profile built for (2, 3)
  EXPECT_EQ(analysis_status(wide.analysis()).outcome, Outcome::element_outside_profile);
  HostFrame short_store = frame();
  short_store.size.profile_length -= 1;
  EXPECT_EQ(analysis_status(short_store.analysis()).outcome, Outcome::bad_profile);
  HostFrame low = frame();
  low.size.max_column_height -= 1;
  EXPECT_EQ(analysis_status(low.analysis()).outcome, Outcome::bad_column_height);
  HostFrame bad_record = frame();
  bad_record.add_record(116, 14, {});
  EXPECT_EQ(analysis_status(bad_record.analysis()).outcome, Outcome::bad_record);
  const HostFrame counted = frame();
  FrameAnalysis wrong_count = counted.analysis();
  wrong_count.n_equations = 17;
  EXPECT_EQ(analysis_status(wrong_count).outcome, Outcome::bad_equation_count);
}

}  // namespace
}  // namespace zervola::global
