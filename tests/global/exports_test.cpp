// The global-system exports as a host calls them: through the public header,
// with guard entries after every array that must stay untouched.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "zervola.h"

namespace {

constexpr double k_guard = -777.25;
constexpr int32_t k_int_guard = -7777;

bool all_nan(const double* v, std::size_t n) {
  for (std::size_t k = 0; k < n; ++k)
    if (!std::isnan(v[k])) return false;
  return true;
}

TEST(GlobalExports, ProfileOfTheWorkedExample) {
  std::vector<int32_t> pairs{3, 2, k_int_guard}, codes{1, k_int_guard}, diag(19, k_int_guard);
  const int32_t n_nodes = 3, n_equations = 18, n_elements = 1;
  int32_t length = -1, highest = -1;
  ZEBMUK6(pairs.data(), diag.data(), codes.data(), &n_nodes, &n_equations, &n_elements, &length,
          &highest);
  EXPECT_EQ(pairs, (std::vector<int32_t>{2, 3, k_int_guard}));
  EXPECT_EQ(codes, (std::vector<int32_t>{2, k_int_guard}));
  EXPECT_EQ(diag[6], 23);
  EXPECT_EQ(diag[17], 100);
  EXPECT_EQ(diag[18], k_int_guard);
  EXPECT_EQ(length, 100);
  EXPECT_EQ(highest, 12);
}

TEST(GlobalExports, ProfileOfBadConnectivityWritesNothing) {
  std::vector<int32_t> pairs{3, 2, 1, 9}, codes{1, 2}, diag(18, k_int_guard);
  const int32_t n_nodes = 3, n_elements = 2;
  for (int32_t n_equations : {18, 17}) {
    if (n_equations == 17) pairs[3] = 1;
    const std::vector<int32_t> before = pairs;
    int32_t length = -1, highest = -1;
    ZEBMUK6(pairs.data(), diag.data(), codes.data(), &n_nodes, &n_equations, &n_elements, &length,
            &highest);
    EXPECT_EQ(pairs, before);
    EXPECT_EQ(codes, (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(diag, std::vector<int32_t>(18, k_int_guard));
    EXPECT_EQ(length, 0);
    EXPECT_EQ(highest, 0);
  }
}

TEST(GlobalExports, SolveAndPrescribeTheTwoByTwoSystem) {
  std::vector<double> store{4.0, 2.0, 3.0, k_guard}, f{8.0, 7.0, k_guard};
  const std::vector<int32_t> diag{1, 3};
  const int32_t n = 2, length = 3, highest = 2, k = 2;
  const double x = 1.0;
  ZEBGUT(store.data(), f.data(), diag.data(), &x, &k, &n, &length, &highest);
  EXPECT_EQ(f, (std::vector<double>{6.0, 3.0, k_guard}));
  EXPECT_EQ(store, (std::vector<double>{4.0, 0.0, 3.0, k_guard}));
  ZEBSLA(store.data(), f.data(), diag.data(), &n, &length);
  EXPECT_EQ(f, (std::vector<double>{1.5, 1.0, k_guard}));
  EXPECT_EQ(store, (std::vector<double>{4.0, 0.0, 3.0, k_guard}));
}

TEST(GlobalExports, SolveRefusesABrokenProfileWithNaN) {
  const int32_t n = 2;
  for (const auto& [diag, length] :
       {std::pair{std::vector<int32_t>{1, 3}, 2}, std::pair{std::vector<int32_t>{1, 2}, 2},
        std::pair{std::vector<int32_t>{1, 300}, 300}, std::pair{std::vector<int32_t>{2, 4}, 4}}) {
    std::vector<double> store{4.0, 2.0, 3.0, k_guard}, f{8.0, 7.0, k_guard};
    ZEBSLA(store.data(), f.data(), diag.data(), &n, &length);
    EXPECT_TRUE(all_nan(f.data(), 2));
    EXPECT_EQ(f[2], k_guard);
    EXPECT_EQ(store, (std::vector<double>{4.0, 2.0, 3.0, k_guard}));
  }
}

// A host may hold the profile in a longer store: the solution is the same
// and the entries past the profile stay as they were.
TEST(GlobalExports, SolveAcceptsAStoreLongerThanTheProfile) {
  const int32_t n = 2;
  const std::vector<int32_t> diag{1, 3};
  std::vector<double> exact{4.0, 2.0, 3.0}, f_exact{8.0, 7.0};
  const int32_t exact_length = 3;
  ZEBSLA(exact.data(), f_exact.data(), diag.data(), &n, &exact_length);
  for (const int32_t length : {4, 6}) {
    std::vector<double> store{4.0, 2.0, 3.0, k_guard, k_guard, k_guard, k_guard}, f{8.0, 7.0, k_guard};
    ZEBSLA(store.data(), f.data(), diag.data(), &n, &length);
    EXPECT_EQ(f, (std::vector<double>{f_exact[0], f_exact[1], k_guard}));
    EXPECT_EQ(std::vector<double>(store.begin(), store.begin() + 3), exact);
    for (std::size_t k = 3; k < store.size(); ++k) EXPECT_EQ(store[k], k_guard);
  }
}

TEST(GlobalExports, PrescribeRefusesAnEquationOutsideTheSystemWithNaN) {
  const std::vector<int32_t> diag{1, 3};
  const int32_t n = 2, length = 3, highest = 2;
  const double x = 1.0;
  for (int32_t k : {0, 3, -1}) {
    std::vector<double> store{4.0, 2.0, 3.0}, f{8.0, 7.0, k_guard};
    ZEBGUT(store.data(), f.data(), diag.data(), &x, &k, &n, &length, &highest);
    EXPECT_TRUE(all_nan(f.data(), 2));
    EXPECT_EQ(f[2], k_guard);
    EXPECT_EQ(store, (std::vector<double>{4.0, 2.0, 3.0}));
  }
}

// The store need hold only the columns the call reads (k .. k +
// max_column_height - 1): a store shorter than the whole profile is legal,
// in every build.
TEST(GlobalExports, PrescribeReadsOnlyTheColumnsItNeeds) {
  std::vector<int32_t> diag(12);
  int32_t top = 0;
  for (std::size_t j = 0; j < diag.size(); ++j) diag[j] = top += static_cast<int32_t>(j) + 1;
  const int32_t n = 12, highest = 6, k = 1, length = diag[11] - 1;
  std::vector<double> store(static_cast<std::size_t>(length) + 1, 0.0), f(13, 0.0);
  for (int32_t d : diag)
    if (d <= length) store[static_cast<std::size_t>(d - 1)] = 4.0;
  store.back() = k_guard;
  f.back() = k_guard;
  const double x = 0.5;
  ZEBGUT(store.data(), f.data(), diag.data(), &x, &k, &n, &length, &highest);
  EXPECT_EQ(f[0], 2.0);  // K(1, 1) x
  EXPECT_EQ(f.back(), k_guard);
  EXPECT_EQ(store.back(), k_guard);
}

// One free node with a spring on each of its six equations, held by records.
struct SpringNode {
  std::vector<double> store;
  std::vector<int32_t> diag{1, 3, 6, 10, 15, 21};
  std::vector<double> f{1, 2, 3, 4, 5, 6, k_guard};
  std::vector<double> records{214, 1, 1, 1, 1, 0, 0, 0, 116, 1, 0.5, 0, 0, 0, 0, 0};
  int32_t length = 21, n = 6, highest = 6, space_frame = 1, n_records = 1;

  SpringNode() : store(21, 0.0) {
    for (int32_t d : diag) store[static_cast<std::size_t>(d - 1)] = 2.0;
  }
  void run() {
    GUKATOK(store.data(), f.data(), records.data(), diag.data(), &length, &n, &n_records, &highest,
            &space_frame);
  }
};

TEST(GlobalExports, SupportsAndLoadsThroughTheDriver) {
  SpringNode s;
  s.run();
  EXPECT_EQ(s.f, (std::vector<double>{0.5, 0, 0, 0, 0, 0, k_guard}));
  s = SpringNode();
  s.records[8] = 0;  // the prescription record does nothing now
  s.run();
  EXPECT_EQ(s.f, (std::vector<double>{1.0, 1.5, 2.0, 2.0, 2.5, 3.0, k_guard}));
}

TEST(GlobalExports, DriverAcceptsAStoreLongerThanTheProfile) {
  SpringNode exact;
  exact.run();
  SpringNode longer;
  longer.store.resize(25, k_guard);
  longer.length = 25;
  longer.run();
  EXPECT_EQ(longer.f, exact.f);
  EXPECT_EQ(std::vector<double>(longer.store.begin(), longer.store.begin() + 21), exact.store);
  for (std::size_t k = 21; k < longer.store.size(); ++k) EXPECT_EQ(longer.store[k], k_guard);
}

TEST(GlobalExports, DriverRefusesBadInputWithNaN) {
  auto expect_refused = [](SpringNode s) {
    const std::vector<double> store = s.store;
    s.run();
    // Exactly n_equations entries are marked.
    EXPECT_TRUE(all_nan(s.f.data(), static_cast<std::size_t>(s.n)));
    EXPECT_FALSE(std::isnan(s.f[static_cast<std::size_t>(s.n)]));
    EXPECT_EQ(s.store, store);
  };
  SpringNode record_outside;
  record_outside.records[9] = 5;  // 116 on equations 5..10
  expect_refused(record_outside);
  SpringNode low;
  low.highest = 5;
  expect_refused(low);
  SpringNode part_node;
  part_node.n = 5;
  part_node.length = 15;
  part_node.space_frame = 0;
  part_node.records = {};
  part_node.n_records = -1;
  expect_refused(part_node);
  SpringNode broken;
  broken.diag[3] = 8;  // column 4 of height 2, column 5 of height 7
  expect_refused(broken);
}

// Two nodes joined by one bar; node 1 fixed.
struct Bar {
  std::vector<double> x{0, 2}, y{0, 0}, z{0, 1};
  std::vector<double> ox{12345678.0}, oy{12345678.0}, oz{12345678.0};
  std::vector<int32_t> pairs{1, 2}, sections{1}, codes{0}, diag;
  std::vector<double> table{200000.0, 80000.0, 3000.0, 4.0e6, 2.5e7, 9.0e6, 0.0, 300.0, 150.0, 0.0};
  std::vector<double> records{116, 1, 0, 0, 0, 0, 0, 0};
  std::vector<double> u;
  int32_t n_nodes = 2, n_elements = 1, n_equations = 12, n_records = 0, space_frame = 1,
          element_frame = 0, length = 0, highest = 0;

  Bar() : diag(12, 0), u(13, 0.0) {
    u[6] = 100.0;
    u[12] = k_guard;
    ZEBMUK6(pairs.data(), diag.data(), codes.data(), &n_nodes, &n_equations, &n_elements, &length,
            &highest);
  }
  void run() {
    MATRIXG(u.data(), records.data(), x.data(), y.data(), z.data(), ox.data(), oy.data(), oz.data(),
            pairs.data(), sections.data(), diag.data(), codes.data(), &space_frame, table.data(),
            &n_nodes, &n_elements, &length, &n_equations, &n_records, &highest, &element_frame);
  }
};

TEST(GlobalExports, AnalysisOfABar) {
  Bar b;
  b.run();
  for (std::size_t k = 0; k < 6; ++k) EXPECT_EQ(b.u[k], 0.0);
  EXPECT_TRUE(std::isfinite(b.u[6]));
  EXPECT_GT(b.u[6], 0.0);
  EXPECT_EQ(b.u[12], k_guard);
}

TEST(GlobalExports, AnalysisWithALongerStoreGivesTheSameDisplacements) {
  Bar exact;
  exact.run();
  Bar longer;
  longer.length += 5;
  longer.run();
  EXPECT_EQ(longer.u, exact.u);
}

TEST(GlobalExports, AnalysisRefusesBadInputWithNaN) {
  auto expect_refused = [](Bar b) {
    b.run();
    EXPECT_TRUE(all_nan(b.u.data(), static_cast<std::size_t>(b.n_equations)));
    EXPECT_FALSE(std::isnan(b.u[static_cast<std::size_t>(b.n_equations)]));
  };
  Bar descending;
  descending.pairs = {2, 1};
  expect_refused(descending);
  Bar outside;
  outside.pairs = {1, 3};
  expect_refused(outside);
  Bar count;
  count.n_equations = 11;
  expect_refused(count);
  Bar store;
  store.length -= 1;
  expect_refused(store);
  Bar record;
  record.records[1] = 8;
  expect_refused(record);
  Bar section;
  section.sections = {0};
  expect_refused(section);
}

}  // namespace
