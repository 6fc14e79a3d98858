#include "global/supports.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "global/ldlt_solver.hpp"
#include "global/prescription.hpp"
#include "skyline_fixtures.hpp"

namespace zervola::global {
namespace {

using test::Dense;
using test::HostSkyline;

struct Record {
  double code = 0.0;
  double R = 0.0;
  std::array<double, 6> p{};
};

std::vector<double> table_of(const std::vector<Record>& records) {
  std::vector<double> t;
  for (const Record& r : records) {
    t.push_back(r.code);
    t.push_back(r.R);
    t.insert(t.end(), r.p.begin(), r.p.end());
  }
  return t;
}

// Three nodes, a node pair (1, 2) and (2, 3) as the profile builder gives
// them, with random positive definite entries.
struct System {
  HostSkyline s;
  std::vector<double> f;

  explicit System(std::uint64_t seed) {
    std::vector<Index> h;
    for (Index j = 1; j <= 12; ++j) h.push_back(j);
    for (Index j = 13; j <= 18; ++j) h.push_back(j - 6);
    s = test::skyline_from_heights(h);
    std::mt19937_64 rng(seed);
    test::fill_random_spd(s, rng);
    f = test::random_vector(18, rng);
  }

  Status run(const std::vector<Record>& records, FrameMode mode = FrameMode::space,
             Index n_records = -2) {
    const std::vector<double> t = table_of(records);
    const Index last = n_records == -2 ? static_cast<Index>(records.size()) - 1 : n_records;
    const Supports supports{NodeRecordTable(t.data(), last), s.profile().max_column_height(), mode};
    const Status checked = supports_status(supports, s.profile());
    if (!checked.ok()) return checked;
    return apply_records_and_solve(s.matrix(), test::view(f), supports);
  }
};

std::vector<double> plain_solve(System system) {
  solve(system.s.matrix(), test::view(system.f));
  return system.f;
}

void expect_close(const std::vector<double>& a, const std::vector<double>& b) {
  ASSERT_EQ(a.size(), b.size());
  const double scale = std::max(test::norm_inf(b), 1.0);
  for (std::size_t k = 0; k < a.size(); ++k)
    EXPECT_LE(std::fabs(a[k] - b[k]), test::k_rounding_threshold * test::epsilon() * scale * 18.0)
        << "equation " << k + 1;
}

TEST(NodeRecords, NoRecordsSolvesWithTheHostsLoads) {
  System sys(test::k_base_seed + 1);
  const std::vector<double> want = plain_solve(sys);
  ASSERT_TRUE(sys.run({}).ok());
  EXPECT_EQ(sys.f, want);
  System minus_one(test::k_base_seed + 1);
  ASSERT_TRUE(minus_one.run({{113, 1, {}}}, FrameMode::space, -1).ok());  // table not read
  EXPECT_EQ(minus_one.f, want);
}

TEST(NodeRecords, RecordZeroIsReadAndCodeZeroDoesNothing) {
  System fixed(test::k_base_seed + 2);
  ASSERT_TRUE(fixed.run({{113, 7, {0.5, -0.25, 2.0}}}).ok());
  EXPECT_NEAR(fixed.f[6], 0.5, 4 * test::epsilon());
  EXPECT_NEAR(fixed.f[7], -0.25, 4 * test::epsilon());
  EXPECT_NEAR(fixed.f[8], 2.0, 8 * test::epsilon());

  System nothing(test::k_base_seed + 2);
  const std::vector<double> want = plain_solve(nothing);
  ASSERT_TRUE(nothing.run({{0, 7, {1, 2, 3, 4, 5, 6}}, {999, 1, {1, 2, 3}}, {-113, 1, {}}}).ok());
  EXPECT_EQ(nothing.f, want);
}

TEST(NodeRecords, PrescribedNodeTakesAllSixValues) {
  System sys(test::k_base_seed + 3);
  ASSERT_TRUE(sys.run({{116, 13, {1, 2, 3, 4, 5, 6}}}).ok());
  for (std::size_t k = 0; k < 6; ++k)
    EXPECT_NEAR(sys.f[12 + k], 1.0 + static_cast<double>(k), 1e-14);
}

TEST(NodeRecords, FieldsAreTruncatedTowardZero) {
  System exact(test::k_base_seed + 4);
  ASSERT_TRUE(exact.run({{113, 7, {1, 2, 3}}}).ok());
  System fractional(test::k_base_seed + 4);
  ASSERT_TRUE(fractional.run({{113.9, 7.99, {1, 2, 3}}}).ok());
  EXPECT_EQ(fractional.f, exact.f);
  System not_a_code(test::k_base_seed + 4);
  const std::vector<double> want = plain_solve(not_a_code);
  ASSERT_TRUE(not_a_code
                  .run({{std::numeric_limits<double>::quiet_NaN(), 7, {1, 2, 3}},
                        {1.0e300, 7, {1, 2, 3}},
                        {112.99, 7, {1, 2, 3}}})
                  .ok());
  EXPECT_EQ(not_a_code.f, want);
}

// Springs and loads accumulate: the result equals the dense solution of
// K + sum of the outer products, with the summed loads.
TEST(NodeRecords, SpringsAndLoadsAccumulate) {
  System sys(test::k_base_seed + 5);
  Dense A = test::dense_from_skyline(sys.s);
  std::vector<double> f = sys.f;
  const std::array<double, 6> p{2, -1, 3, 0.5, 1.5, -2};
  const std::array<double, 6> q{1, 4, -2, 2, 0.25, 1};
  for (const auto& v : {p, q})
    for (Index block = 0; block < 2; ++block)
      for (Index a = 0; a < 3; ++a)
        for (Index b = 0; b < 3; ++b)
          A(7 + 3 * block + a, 7 + 3 * block + b) += v[static_cast<std::size_t>(3 * block + a)] *
                                                     v[static_cast<std::size_t>(3 * block + b)];
  f[12] += 5.0 + 1.0;
  f[13] += -7.0;
  f[14] += 2.0 + 2.0;
  const std::vector<double> want = test::dense_ldlt_solve(A, f);
  ASSERT_TRUE(
      sys.run({{213, 7, p}, {214, 13, {5, -7, 2}}, {246, 7, q}, {214, 13, {1, 0, 2}}}).ok());
  expect_close(sys.f, want);
}

TEST(NodeRecords, SpringWithPrescribedTranslationsKeepsItsRotations) {
  const std::array<double, 6> p{2, -1, 3, 0.5, 1.5, -2};
  System combined(test::k_base_seed + 6);
  ASSERT_TRUE(combined.run({{114, 7, p}}).ok());
  System separate(test::k_base_seed + 6);
  ASSERT_TRUE(separate.run({{213, 7, p}, {113, 7, {2, -1, 3}}}).ok());
  EXPECT_EQ(combined.f, separate.f);
  EXPECT_NEAR(combined.f[6], 2.0, 1e-14);
}

TEST(NodeRecords, LoadOnAPrescribedEquationHasNoEffect) {
  System loaded(test::k_base_seed + 7);
  ASSERT_TRUE(loaded.run({{214, 7, {100, 200, 300}}, {113, 7, {0, 0, 0}}}).ok());
  System unloaded(test::k_base_seed + 7);
  ASSERT_TRUE(unloaded.run({{113, 7, {0, 0, 0}}}).ok());
  EXPECT_EQ(loaded.f, unloaded.f);
  EXPECT_EQ(loaded.f[6], 0.0);
}

// The later record wins, and the solution is the one of that prescription
// alone: the neighbours see the value that the equation takes.
TEST(NodeRecords, LaterPrescriptionWinsConsistently) {
  System twice(test::k_base_seed + 8);
  ASSERT_TRUE(
      twice.run({{113, 7, {5, 6, 7}}, {116, 7, {-1, -2, -3, 0.1, 0.2, 0.3}}, {113, 7, {1, 2, 3}}})
          .ok());
  System once(test::k_base_seed + 8);
  ASSERT_TRUE(once.run({{116, 7, {1, 2, 3, 0.1, 0.2, 0.3}}}).ok());
  expect_close(twice.f, once.f);
  EXPECT_NEAR(twice.f[6], 1.0, 1e-14);
}

TEST(NodeRecords, PlaneFrameHoldsOutOfPlaneEquationsAtExactlyZero) {
  System sys(test::k_base_seed + 9);
  ASSERT_TRUE(sys.run({{113, 1, {0.5, 0.5, 0.5}}, {214, 9, {1, 1, 1}}}, FrameMode::plane).ok());
  for (Index node = 1; node <= 3; ++node)
    for (Index k : {3, 4, 5})
      EXPECT_EQ(sys.f[static_cast<std::size_t>(6 * (node - 1) + k - 1)], 0.0);
  EXPECT_NEAR(sys.f[0], 0.5, 1e-14);
}

TEST(NodeRecordsStatus, RefusesRecordsOutsideTheSystemOrProfile) {
  System sys(test::k_base_seed + 10);
  EXPECT_EQ(sys.run({{214, 17, {}}}).outcome, Outcome::bad_record);
  EXPECT_EQ(sys.run({{113, 0, {}}}).outcome, Outcome::bad_record);
  EXPECT_EQ(sys.run({{116, 14, {}}}).outcome, Outcome::bad_record);
  EXPECT_EQ(sys.run({{213, 13.5, {}}, {246, 14, {}}}).where, 1);
  HostSkyline thin = test::skyline_from_heights({1, 2, 2, 2, 2, 2});
  const std::vector<double> spring = table_of({{213, 1, {}}});  // (1, 3) outside the profile
  const Supports outside{NodeRecordTable(spring.data(), 0), 2, FrameMode::space};
  EXPECT_EQ(supports_status(outside, thin.profile()).outcome, Outcome::bad_record);
  EXPECT_EQ(sys.run({{113, std::numeric_limits<double>::infinity(), {}}}).outcome,
            Outcome::bad_record);
  EXPECT_EQ(sys.run({{113, std::numeric_limits<double>::quiet_NaN(), {}}}).outcome,
            Outcome::bad_record);
  EXPECT_TRUE(sys.run({{0, -5, {}}, {214, 16, {}}}).ok());  // not acting / inside
}

TEST(NodeRecordsStatus, RefusesTooSmallColumnHeightAndPartNodesInPlaneFrames) {
  HostSkyline s = test::skyline_from_heights({1, 2, 3, 4, 5, 6, 7});
  const std::vector<double> none;
  const Supports low{NodeRecordTable(none.data(), -1), 6, FrameMode::space};
  EXPECT_EQ(supports_status(low, s.profile()).outcome, Outcome::bad_column_height);
  const Supports plane{NodeRecordTable(none.data(), -1), 7, FrameMode::plane};
  EXPECT_EQ(supports_status(plane, s.profile()).outcome, Outcome::bad_equation_count);
  const Supports space{NodeRecordTable(none.data(), -1), 9, FrameMode::space};
  EXPECT_TRUE(supports_status(space, s.profile()).ok());
}

}  // namespace
}  // namespace zervola::global
