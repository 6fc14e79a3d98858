// Several load cases on one factorisation: the substitution of many
// right-hand sides against one at a time, and the load cases against an
// analysis of each case on its own.

#include "global/load_cases.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "frame_fixture.hpp"
#include "global/block_kernels.hpp"
#include "global/case_substitution.hpp"
#include "global/ldlt_solver.hpp"
#include "global/supernodal/supernodal_load_cases.hpp"
#include "skyline_fixtures.hpp"

namespace zervola::global {
namespace {

using test::HostFrame;
using test::HostSkyline;

constexpr VectorPath k_every_path[] = {VectorPath::portable, VectorPath::avx2,
                                       VectorPath::avx512};

class CaseSubstitutionOnPath : public testing::TestWithParam<VectorPath> {
 protected:
  void SetUp() override {
    if (!path_available(GetParam()))
      GTEST_SKIP() << "the " << path_name(GetParam())
                   << " path is not available: this build or processor lacks it";
  }
};

double relative_difference(const std::vector<double>& a, const std::vector<double>& b) {
  double largest = 0.0, difference = 0.0;
  for (std::size_t k = 0; k < a.size(); ++k) {
    largest = std::max(largest, std::abs(b[k]));
    difference = std::max(difference, std::abs(a[k] - b[k]));
  }
  return largest == 0.0 ? difference : difference / largest;
}

// Every case of a pass equals its own substitution, for every number of
// cases a pass can hold, on random profiles; the places past the last case
// do not disturb the cases.
TEST_P(CaseSubstitutionOnPath, EachCaseEqualsItsOwnSubstitution) {
  std::mt19937_64 rng(test::k_base_seed + 170);
  for (const Index n : {1, 2, 37, 211}) {
    HostSkyline s = test::skyline_from_heights(test::random_heights(n, rng));
    test::fill_random_spd(s, rng);
    factorise_columns(s.matrix());
    for (const Index cases : {1, 3, 8, 13, 24, 32}) {
      const Index width = (cases + k_block_width - 1) / k_block_width * k_block_width;
      std::vector<std::vector<double>> f;
      std::vector<double> rows(static_cast<std::size_t>(n * width));
      for (Index c = 0; c < width; ++c) {
        f.push_back(test::random_vector(n, rng));
        for (Index i = 0; i < n; ++i)
          rows[static_cast<std::size_t>(i * width + c)] = f.back()[static_cast<std::size_t>(i)];
      }
      substitute_cases(s.matrix(), rows.data(), width, GetParam());
      for (Index c = 0; c < cases; ++c) {
        std::vector<double> single = f[static_cast<std::size_t>(c)];
        substitute(s.matrix(), test::view(single));
        std::vector<double> together(static_cast<std::size_t>(n));
        for (Index i = 0; i < n; ++i)
          together[static_cast<std::size_t>(i)] = rows[static_cast<std::size_t>(i * width + c)];
        EXPECT_LT(relative_difference(together, single), 1.0e-11)
            << "n " << n << ", case " << c << " of " << cases;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(EveryPath, CaseSubstitutionOnPath, testing::ValuesIn(k_every_path),
                         [](const testing::TestParamInfo<VectorPath>& p) {
                           return std::string(path_name(p.param));
                         });

// A two-storey space frame of 3 x 2 columns: base nodes 1 .. 6, then a
// floor of beams per storey, a diagonal brace, and a released beam.
HostFrame two_storey_frame() {
  HostFrame f;
  for (int level = 0; level < 3; ++level)
    for (int iy = 0; iy < 2; ++iy)
      for (int ix = 0; ix < 3; ++ix) f.add_node(4.0 * ix, 5.0 * iy, 3.5 * level);
  const auto node = [](int ix, int iy, int level) { return 1 + ix + 3 * iy + 6 * level; };
  for (int level = 0; level < 2; ++level)
    for (int iy = 0; iy < 2; ++iy)
      for (int ix = 0; ix < 3; ++ix) f.add_element(node(ix, iy, level), node(ix, iy, level + 1));
  for (int level = 1; level < 3; ++level) {
    for (int iy = 0; iy < 2; ++iy)
      for (int ix = 0; ix < 2; ++ix) f.add_element(node(ix, iy, level), node(ix + 1, iy, level));
    for (int ix = 0; ix < 3; ++ix)
      f.add_element(node(ix, 0, level), node(ix, 1, level), ix == 2 ? 2 : 0);
  }
  f.add_element(node(0, 0, 0), node(1, 0, 1), 3);
  return f;
}

struct CaseValues {
  std::array<double, 6> settlement{};  // of base node 1
  double sway = 0.0;                    // x load on every top node
  double gravity = 0.0;                 // z load on every floor node
  std::array<double, 3> moment{};       // on node 10
};

// Supports: node 1 fully prescribed (its settlement), nodes 2, 3 on their
// translations (node 3 twice: the later values win), nodes 4 and 6 fully
// held, node 5 on two springs, one of which also holds its translations
// at its own values; loads on the floors.
void add_case_records(HostFrame& f, const CaseValues& v) {
  f.records.clear();
  f.n_records = -1;
  f.add_record(116, 1, v.settlement);
  f.add_record(113, 7, {0.0, 0.0, v.settlement[2], 0.0, 0.0, 0.0});
  f.add_record(113, 13, {0.001, 0.0, 0.0, 0.0, 0.0, 0.0});
  f.add_record(113, 13, {0.0, v.settlement[1], 0.0, 0.0, 0.0, 0.0});
  for (const int n : {4, 6}) f.add_record(116, 6 * (n - 1) + 1, {});
  f.add_record(213, 6 * 4 + 1, {3.0e2, 1.0e2, 4.0e2, 50.0, 20.0, 10.0});
  f.add_record(114, 6 * 4 + 1, {2.0e-3, -1.0e-3, 5.0e-4, 30.0, 20.0, 10.0});
  for (int n = 7; n <= 18; ++n) {
    f.add_record(214, 6 * (n - 1) + 1, {n > 12 ? v.sway : 0.0, 0.0, v.gravity, 0.0, 0.0, 0.0});
  }
  f.add_record(214, 6 * 9 + 4, {v.moment[0], v.moment[1], v.moment[2], 0.0, 0.0, 0.0});
  f.add_record(999, 1, {1.0, 2.0, 3.0, 4.0, 5.0, 6.0});  // ignored
}

std::vector<double> single_analysis(HostFrame f, const CaseValues& v) {
  add_case_records(f, v);
  std::vector<double> u(static_cast<std::size_t>(6 * f.n_nodes()), 0.0);
  EXPECT_TRUE(analyse(f.analysis(), test::view(u)).ok());
  return u;
}

// Five distinct cases, then variants of them up to 41 cases: two passes of
// 32 and 9 cases over the factors.
const std::vector<CaseValues>& case_values() {
  static const std::vector<CaseValues> values = [] {
    std::vector<CaseValues> v = {
        {{}, 12.0, -30.0, {}},
        {{0.002, -0.001, -0.015, 0.0004, -0.0003, 0.0002}, 0.0, 0.0, {}},
        {{}, 0.0, 0.0, {}},
        {{0.0, 0.0, -0.01, 0.0, 0.0, 0.0}, -7.5, -10.0, {15.0, -4.0, 9.0}},
        {{}, 0.0, -1.0, {0.0, 0.0, 2.5}}};
    for (int k = 0; v.size() < 41; ++k) {
      CaseValues c = v[static_cast<std::size_t>(k % 5)];
      const double factor = 1.0 + 0.25 * (k + 1);
      for (double& s : c.settlement) s *= factor;
      c.sway = c.sway * factor + k;
      c.gravity *= factor;
      c.moment[static_cast<std::size_t>(k % 3)] += 0.5 * k;
      v.push_back(c);
    }
    return v;
  }();
  return values;
}

// Every case's records, each in its own copy of the frame, and their tables.
struct CaseTables {
  std::vector<HostFrame> own;
  std::vector<NodeRecordTable> tables;
  CaseTables(const HostFrame& f, const std::vector<CaseValues>& values) : own(values.size(), f) {
    for (std::size_t c = 0; c < values.size(); ++c) {
      add_case_records(own[c], values[c]);
      tables.emplace_back(own[c].records.data(), own[c].n_records);
    }
  }
};

// Each load case of one factorisation gives the displacements of its own
// analysis, in space and in the plane, with settlements that differ from
// case to case, springs and equations that records prescribe twice, in
// more cases than one pass holds.
TEST(LoadCases, EachCaseEqualsItsOwnAnalysis) {
  for (const HostInt space_frame : {1, 0}) {
    HostFrame f = two_storey_frame();
    f.space_frame = space_frame;
    ASSERT_TRUE(f.profile().ok());
    const std::vector<CaseValues>& values = case_values();
    const CaseTables every(f, values);
    const std::vector<NodeRecordTable>& tables = every.tables;
    // The shared records set up the stiffness only: their loads and
    // settlement values are none of the cases'.
    HostFrame shared = f;
    add_case_records(shared, {{0.5, 0.5, 0.5, 0.1, 0.1, 0.1}, 1.0e3, 1.0e3, {1.0e3, 0.0, 0.0}});
    const Index n = 6 * f.n_nodes();
    std::vector<double> u(static_cast<std::size_t>(n) * values.size(), -1.0);
    ASSERT_TRUE(
        analyse_load_cases(shared.analysis(), tables,
                           Table1<double>(u.data(), n, static_cast<Index>(values.size())))
            .ok());
    for (std::size_t c = 0; c < values.size(); ++c) {
      const std::vector<double> expected = single_analysis(f, values[c]);
      const std::vector<double> got(u.begin() + static_cast<std::ptrdiff_t>(c) * n,
                                    u.begin() + static_cast<std::ptrdiff_t>(c + 1) * n);
      EXPECT_LT(relative_difference(got, expected), 1.0e-11)
          << "case " << c << (space_frame == 0 ? " (plane)" : " (space)");
      EXPECT_EQ(got[0], values[c].settlement[0]);
      // In the plane the restraint holds uz whatever the records say.
      EXPECT_EQ(got[2], space_frame == 0 ? 0.0 : values[c].settlement[2]);
      EXPECT_EQ(got[12], 0.0);  // node 3 ux: the later record's 0 wins over 0.001
    }
    // One case alone goes through the single substitution: the same again.
    std::vector<double> alone(static_cast<std::size_t>(n));
    ASSERT_TRUE(analyse_load_cases(shared.analysis(), std::span(tables).subspan(1, 1),
                                   Table1<double>(alone.data(), n, 1))
                    .ok());
    EXPECT_LT(relative_difference(alone, single_analysis(f, values[1])), 1.0e-14);
  }
}

// Cases whose springs or prescribed equations are not the frame's are
// refused, naming the case, with the displacements untouched; so are a
// case's bad records, and a table of the wrong shape.
TEST(LoadCases, RefusesCasesThatDoNotShareTheSupports) {
  HostFrame f = two_storey_frame();
  ASSERT_TRUE(f.profile().ok());
  add_case_records(f, case_values().front());
  const Index n = 6 * f.n_nodes();
  const auto run = [&](HostFrame changed, Index columns = 2) {
    std::vector<double> u(static_cast<std::size_t>(n * columns), 7.0);
    const std::vector<NodeRecordTable> tables{NodeRecordTable(f.records.data(), f.n_records),
                                              NodeRecordTable(changed.records.data(),
                                                              changed.n_records)};
    const Status s = analyse_load_cases(f.analysis(), tables, Table1<double>(u.data(), n, columns));
    EXPECT_TRUE(std::all_of(u.begin(), u.end(), [](double v) { return v == 7.0; }));
    return s;
  };
  HostFrame stiffer = f;
  stiffer.records[8 * 6 + 2] *= 2.0;  // the spring record's first value
  EXPECT_EQ(run(stiffer).outcome, Outcome::case_supports_differ);
  EXPECT_EQ(run(stiffer).where, 2);
  HostFrame freed = f;
  freed.records[8 * 4] = 999.0;  // node 4 no longer held
  EXPECT_EQ(run(freed).outcome, Outcome::case_supports_differ);
  HostFrame outside = f;
  outside.records[8 * 10 + 1] = static_cast<double>(n);  // a load past the last equation
  EXPECT_EQ(run(outside).outcome, Outcome::bad_record);
  EXPECT_EQ(run(outside).where, 2);
  EXPECT_EQ(run(f, 3).outcome, Outcome::bad_equation_count);
}

}  // namespace
}  // namespace zervola::global

namespace zervola::global {
namespace {

Index negative_count(const std::vector<double>& pivots) {
  return static_cast<Index>(std::count_if(pivots.begin(), pivots.end(), [](double d) { return d < 0.0; }));
}

// The supernodal factorisation gives the skyline's load cases, in any
// elimination order of the nodes, in space and in the plane, with the
// settlements, springs and twice-prescribed equations of the frame above,
// in two passes of cases; on the tangent stiffness of axial forces too,
// where both count the same negative pivots (the inertia does not depend
// on the order).
TEST(SupernodalLoadCases, EqualTheSkylinesInAnyOrder) {
  std::mt19937_64 rng(test::k_base_seed + 311);
  for (const HostInt space_frame : {1, 0}) {
    HostFrame f = two_storey_frame();
    f.space_frame = space_frame;
    ASSERT_TRUE(f.profile().ok());
    const std::vector<CaseValues>& values = case_values();
    const CaseTables every(f, values);
    const std::vector<NodeRecordTable>& tables = every.tables;
    HostFrame shared = f;
    add_case_records(shared, values.front());
    const Index n = 6 * f.n_nodes();
    const auto cases = static_cast<Index>(values.size());
    // Compression in the columns: moderate, then beyond the first buckling load.
    for (const double squash : {0.0, 1.0e2, 1.0e12}) {
      std::vector<double> axial;
      for (Index e = 0; e < f.n_elements(); ++e)
        axial.push_back(e < 12 ? squash * (1.0 + 0.1 * static_cast<double>(e)) : 0.0);
      const Vector1<const double> N(axial.data(), static_cast<Index>(axial.size()));
      std::vector<double> expected(static_cast<std::size_t>(n * cases));
      EquationPivots skyline_pivots;
      ASSERT_TRUE(analyse_load_cases(shared.analysis(), tables, Table1<double>(expected.data(), n, cases),
                                     skyline_pivots, N)
                      .ok());
      // Beyond buckling the tangent stiffness is indefinite.
      EXPECT_EQ(negative_count(skyline_pivots.pivot) > 0, squash == 1.0e12);
      for (int trial = 0; trial < 4; ++trial) {
        const std::vector<Index> order = test::shuffled_nodes(f.n_nodes(), rng);
        const supernodal::SequentialRunner alone;
        supernodal::SupernodalSetup setup;
        setup.order = order;
        setup.runner = &alone;
        setup.path = best_vector_path();
        std::vector<double> got(static_cast<std::size_t>(n * cases));
        EquationPivots pivots;
        ASSERT_TRUE(supernodal::analyse_load_cases(shared.analysis(), tables,
                                                   Table1<double>(got.data(), n, cases), pivots, &N, setup)
                        .ok());
        EXPECT_EQ(negative_count(pivots.pivot), negative_count(skyline_pivots.pivot))
            << "squash " << squash << " trial " << trial;
        EXPECT_EQ(pivots.diagonal, skyline_pivots.diagonal);
        EXPECT_EQ(pivots.prescribed, skyline_pivots.prescribed);
        EXPECT_EQ(pivots.without_stiffness, skyline_pivots.without_stiffness);
        if (squash < 1.0e12) {
          EXPECT_LT(relative_difference(got, expected), 1.0e-10)
              << "squash " << squash << " trial " << trial << (space_frame == 0 ? " (plane)" : " (space)");
        }
      }
    }
  }
}

// A wrong order or axial forces are refused before anything is written.
TEST(SupernodalLoadCases, RefusesAnOrderThatIsNotOfTheNodes) {
  HostFrame f = two_storey_frame();
  ASSERT_TRUE(f.profile().ok());
  add_case_records(f, case_values().front());
  const NodeRecordTable table(f.records.data(), f.n_records);
  const Index n = 6 * f.n_nodes();
  std::vector<double> u(static_cast<std::size_t>(n), 7.0);
  std::vector<Index> order(static_cast<std::size_t>(f.n_nodes()), 0);  // node 0 every time
  supernodal::SupernodalSetup setup;
  setup.order = order;
  EquationPivots pivots;
  EXPECT_EQ(supernodal::analyse_load_cases(f.analysis(), std::span(&table, 1), Table1<double>(u.data(), n, 1),
                                           pivots, nullptr, setup)
                .outcome,
            Outcome::bad_node_count);
  for (Index v = 0; v < f.n_nodes(); ++v) order[static_cast<std::size_t>(v)] = v;
  std::vector<double> bad(static_cast<std::size_t>(f.n_elements()), 0.0);
  bad[3] = std::nan("");
  const Vector1<const double> N(bad.data(), static_cast<Index>(bad.size()));
  const Status s = supernodal::analyse_load_cases(f.analysis(), std::span(&table, 1),
                                                  Table1<double>(u.data(), n, 1), pivots, &N, setup);
  EXPECT_EQ(s.outcome, Outcome::bad_element);
  EXPECT_EQ(s.where, 4);
  EXPECT_TRUE(std::all_of(u.begin(), u.end(), [](double v) { return v == 7.0; }));
}

}  // namespace
}  // namespace zervola::global

namespace zervola::global {
namespace {

// Beyond the skyline's 32-bit addresses the profile step leaves diag zeros
// and a length of 0. The supernodal solution reads no profile: from such
// arrays it gives the same cases, bit for bit, while the skyline refuses
// them. Its own checks still refuse descending pairs and a spring that
// couples two nodes no element joins.
TEST(SupernodalLoadCases, NeedNoSkylineProfile) {
  HostFrame f = two_storey_frame();
  ASSERT_TRUE(f.profile().ok());
  add_case_records(f, case_values().front());
  const CaseTables every(f, case_values());
  const Index n = 6 * f.n_nodes();
  const auto cases = static_cast<Index>(every.tables.size());
  std::mt19937_64 rng(test::k_base_seed + 313);
  const std::vector<Index> order = test::shuffled_nodes(f.n_nodes(), rng);
  supernodal::SupernodalSetup setup;
  setup.order = order;
  const auto solve = [&](const HostFrame& frame, std::vector<double>& u) {
    u.assign(static_cast<std::size_t>(n * cases), 7.0);
    EquationPivots pivots;
    return supernodal::analyse_load_cases(frame.analysis(), every.tables,
                                          Table1<double>(u.data(), n, cases), pivots, nullptr, setup);
  };
  std::vector<double> with_profile, without_profile;
  ASSERT_TRUE(solve(f, with_profile).ok());
  HostFrame beyond = f;
  std::fill(beyond.diag.begin(), beyond.diag.end(), 0);
  beyond.size = {};
  ASSERT_TRUE(solve(beyond, without_profile).ok());
  EXPECT_EQ(without_profile, with_profile);
  EXPECT_EQ(analyse_load_cases(beyond.analysis(), every.tables,
                               Table1<double>(without_profile.data(), n, cases))
                .outcome,
            Outcome::bad_profile);

  std::vector<double> u;
  HostFrame descending = beyond;
  std::swap(descending.pairs[4], descending.pairs[5]);
  EXPECT_EQ(solve(descending, u).outcome, Outcome::bad_element);
  EXPECT_EQ(solve(descending, u).where, 3);
  EXPECT_TRUE(std::all_of(u.begin(), u.end(), [](double v) { return v == 7.0; }));
  // A spring record from node 1's last equation couples nodes 1 and 2,
  // which no element joins; from node 7's last, nodes 7 and 8, which a
  // beam joins: inside the pattern.
  HostFrame across = beyond;
  across.add_record(213, 6, {1.0, 1.0, 1.0, 0.0, 0.0, 0.0});
  EXPECT_EQ(node_block_status(across.analysis()).outcome, Outcome::bad_record);
  EXPECT_EQ(node_block_status(across.analysis()).where, across.n_records);
  HostFrame joined = beyond;
  joined.add_record(213, 6 * 7, {1.0, 1.0, 1.0, 1.0, 1.0, 1.0});
  EXPECT_TRUE(node_block_status(joined.analysis()).ok());
  EXPECT_TRUE(node_block_status(beyond.analysis()).ok());
}

}  // namespace
}  // namespace zervola::global
