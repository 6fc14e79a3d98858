// The result-recovery exports as a host calls them: through the public
// header, with arrays the host owns, dirty memory around the results and
// outputs that share memory with inputs.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "zervola.h"

namespace {

constexpr double k_garbage = -777.25;
constexpr double k_marker = 12345678.0;

// Two elements: 1 from node 1 to node 2 (hinge at node 1), 2 from node 2 to
// node 3, each with an orientation point or the marker.
struct HostModel {
  std::vector<double> x{0, 3000, 3000}, y{0, 1000, 4000}, z{0, 500, 2000};
  std::vector<double> ox{1500, k_marker}, oy{500, k_marker}, oz{3000, k_marker};
  std::vector<int32_t> pairs{1, 2, 2, 3}, sections{1, 2}, end_codes{1, 0};
  std::vector<double> table{200000, 80000, 3000, 4e6, 2.5e7, 9e6, 0, 300, 150, 1.2e-5,
                            210000, 81000, 2000, 3e6, 1.5e7, 8e6, 0, 250, 120, 1.1e-5};
  std::vector<double> u;
  int32_t spare = 0, n_nodes = 3, n_elements = 2;

  HostModel() {
    for (int k = 0; k < 18; ++k) u.push_back(0.01 * static_cast<double>((k * 7) % 5) - 0.02);
  }

  std::array<double, 144> transform(int32_t element, int32_t reverse) const {
    std::array<double, 144> t{};
    MATRIXCOS3P(t.data(), x.data(), y.data(), z.data(), ox.data(), oy.data(), oz.data(),
                pairs.data(), &n_nodes, &n_elements, &element, &reverse);
    return t;
  }

  void globtoloc(const double* t, double* ed, double* ef, double* efg, int32_t element,
                 int32_t reverse, int32_t end_code) const {
    GLOBTOLOC(t, u.data(), ed, ef, efg, x.data(), y.data(), z.data(), pairs.data(), sections.data(),
              table.data(), &spare, &n_nodes, &n_elements, &element, &reverse, &end_code);
  }

  struct Out {
    std::array<double, 12> ed, ef, efg;
  };
  Out separate(int32_t element, int32_t reverse) const {
    Out o;
    o.ed.fill(k_garbage);
    o.ef.fill(k_garbage);
    o.efg.fill(k_garbage);
    const auto t = transform(element, reverse);
    globtoloc(t.data(), o.ed.data(), o.ef.data(), o.efg.data(), element, reverse,
              end_codes[static_cast<std::size_t>(element - 1)]);
    return o;
  }
};

TEST(ResultExports, GlobToLocWritesAllThreeVectors) {
  const HostModel m;
  for (int32_t reverse : {0, 1}) {
    const auto o = m.separate(1, reverse);
    for (std::size_t k = 0; k < 12; ++k) {
      EXPECT_NE(o.ed[k], k_garbage);
      EXPECT_NE(o.ef[k], k_garbage);
      EXPECT_NE(o.efg[k], k_garbage);
    }
    // LOCTOGLOB of the end forces is the third output.
    const auto t = m.transform(1, reverse);
    std::array<double, 12> g{};
    LOCTOGLOB(t.data(), o.ef.data(), g.data());
    EXPECT_EQ(g, o.efg);
  }
}

TEST(ResultExports, GlobToLocOutputsMayShareMemory) {
  const HostModel m;
  const auto want = m.separate(2, 0);
  const auto t = m.transform(2, 0);
  std::array<double, 12> one{};
  one.fill(k_garbage);
  m.globtoloc(t.data(), one.data(), one.data(), one.data(), 2, 0, 0);
  EXPECT_EQ(one, want.efg);  // the last output written stands

  std::array<double, 12> ed{}, shared{};
  m.globtoloc(t.data(), ed.data(), shared.data(), shared.data(), 2, 0, 0);
  EXPECT_EQ(ed, want.ed);
  EXPECT_EQ(shared, want.efg);

  // The transform itself may receive an output: it is read first.
  std::array<double, 144> t_out = t;
  std::array<double, 12> ef{}, efg{};
  m.globtoloc(t_out.data(), t_out.data(), ef.data(), efg.data(), 2, 0, 0);
  EXPECT_EQ(ef, want.ef);
  EXPECT_EQ(efg, want.efg);
}

TEST(ResultExports, GlobToLocReverseFlagOutsideTheDataModelGivesNaN) {
  const HostModel m;
  const auto t = m.transform(1, 0);
  for (int32_t reverse : {2, -1}) {
    std::array<double, 12> ed{}, ef{}, efg{};
    m.globtoloc(t.data(), ed.data(), ef.data(), efg.data(), 1, reverse, 0);
    for (std::size_t k = 0; k < 12; ++k) {
      EXPECT_TRUE(std::isnan(ed[k]));
      EXPECT_TRUE(std::isnan(ef[k]));
      EXPECT_TRUE(std::isnan(efg[k]));
    }
  }
}

TEST(ResultExports, NumbersBelowOneAndSectionZeroAreRefusedWithNaN) {
  const auto t = HostModel().transform(2, 0);
  const auto refused = [&t](const HostModel& m, int32_t element) {
    std::array<double, 12> ed{}, ef{}, efg{};
    m.globtoloc(t.data(), ed.data(), ef.data(), efg.data(), element, 0, 0);
    for (std::size_t k = 0; k < 12; ++k)
      if (!std::isnan(ed[k]) || !std::isnan(ef[k]) || !std::isnan(efg[k])) return false;
    return true;
  };
  HostModel m;
  EXPECT_TRUE(refused(m, 0));
  m.pairs = {1, 2, 0, 3};
  EXPECT_TRUE(refused(m, 2));
  m.pairs = {1, 2, 2, 3};
  m.sections = {1, 0};
  EXPECT_TRUE(refused(m, 2));

  // Element 1 is hinged at node 1 and looks for its neighbour at node 2:
  // element 2, whose section code 0 cannot be read. Element 1's own value
  // stands.
  int32_t element = 1, component = 1;
  double fe = k_garbage, fn = k_garbage;
  QE1QE2(m.u.data(), m.x.data(), m.y.data(), m.z.data(), m.ox.data(), m.oy.data(), m.oz.data(),
         m.pairs.data(), m.sections.data(), m.table.data(), m.end_codes.data(), &fe, &fn, &m.spare,
         &component, &m.n_nodes, &m.n_elements, &element);
  EXPECT_EQ(fe, m.separate(1, 0).ef[0]);
  EXPECT_TRUE(std::isnan(fn));
}

TEST(ResultExports, LocToGlobInPlace) {
  const HostModel m;
  const auto t = m.transform(1, 1);
  std::array<double, 12> v{}, want{};
  for (std::size_t k = 0; k < 12; ++k) v[k] = static_cast<double>(k) - 5.5;
  LOCTOGLOB(t.data(), v.data(), want.data());
  LOCTOGLOB(t.data(), v.data(), v.data());
  EXPECT_EQ(v, want);
}

TEST(ResultExports, QE1QE2MatchesGlobToLocForTheElementAndItsNeighbour) {
  const HostModel m;
  int32_t element = 1;
  const auto e1 = m.separate(1, 0);
  const auto e2 = m.separate(2, 0);
  for (int32_t component = 1; component <= 12; ++component) {
    double fe = k_garbage, fn = k_garbage;
    QE1QE2(m.u.data(), m.x.data(), m.y.data(), m.z.data(), m.ox.data(), m.oy.data(), m.oz.data(),
           m.pairs.data(), m.sections.data(), m.table.data(), m.end_codes.data(), &fe, &fn,
           &m.spare, &component, &m.n_nodes, &m.n_elements, &element);
    EXPECT_EQ(fe, e1.ef[static_cast<std::size_t>(component - 1)]);
    EXPECT_EQ(fn, e2.ef[static_cast<std::size_t>(component - 1)]);
  }
}

TEST(ResultExports, QE1QE2LeavesTheNeighbourAloneWhenThereIsNone) {
  HostModel m;
  int32_t component = 7;
  for (int32_t element : {1, 2}) {
    m.end_codes = {2, 0};  // element 1: hinge at node 2, looks at node 1: nothing else there
    double fe = k_garbage, fn = k_garbage;
    QE1QE2(m.u.data(), m.x.data(), m.y.data(), m.z.data(), m.ox.data(), m.oy.data(), m.oz.data(),
           m.pairs.data(), m.sections.data(), m.table.data(), m.end_codes.data(), &fe, &fn,
           &m.spare, &component, &m.n_nodes, &m.n_elements, &element);
    EXPECT_NE(fe, k_garbage);
    EXPECT_EQ(fn, k_garbage);
  }
}

TEST(ResultExports, QE1QE2ComponentOutsideTheVectorGivesNaN) {
  const HostModel m;
  int32_t element = 1;
  for (int32_t component : {0, 13}) {
    double fe = k_garbage, fn = k_garbage;
    QE1QE2(m.u.data(), m.x.data(), m.y.data(), m.z.data(), m.ox.data(), m.oy.data(), m.oz.data(),
           m.pairs.data(), m.sections.data(), m.table.data(), m.end_codes.data(), &fe, &fn,
           &m.spare, &component, &m.n_nodes, &m.n_elements, &element);
    EXPECT_TRUE(std::isnan(fe));
    EXPECT_EQ(fn, k_garbage);
  }
}

TEST(ResultExports, SilfactStressesByHand) {
  std::array<double, 12> f{};
  f[0] = -6.0e5;  // tension 6e5 at the start
  f[6] = -6.0e5;
  const std::array<double, 10> section{200000, 80000, 3000, 4e6, 2.5e7, 9e6, 0, 300, 150, 1.2e-5};
  double t = 0.0, smax = k_garbage, smin = k_garbage;
  SILFACT(f.data(), section.data(), &t, &smax, &smin);
  EXPECT_EQ(smax, (6.0e5 / 3000.0) * 1.0E-6);
  EXPECT_EQ(smin, smax);
}

}  // namespace
