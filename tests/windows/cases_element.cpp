// The element exports called through zervola.dll, on the cases of the Linux
// ABI test (tests/abi/element_exports_test.cpp), so both platforms agree.

#include <array>
#include <cmath>
#include <vector>

#include "dll_harness.hpp"

namespace zervola::windows_test {
namespace {

constexpr double k_garbage = -777.25;
constexpr double k_marker = 12345678.0;

struct TwoNodes {
  std::array<double, 2> x{0, 0}, y{0, 4}, z{0, 0};
  std::array<double, 1> ox{k_marker}, oy{k_marker}, oz{k_marker};
  std::array<int32_t, 2> pair{1, 2};
  int32_t n_nodes = 2, n_elements = 1, element = 1;
};

void transforms(const Dll& dll, Report& report) {
  TwoNodes m;
  for (int32_t reverse : {0, 1}) {
    const std::string at = " (reverse_flag " + std::to_string(reverse) + ")";
    std::array<double, 144> t{};
    t.fill(k_garbage);
    ZERVOLA_CALL_EXPORT(dll, report, MATRIXCOS, t.data(), m.x.data(), m.y.data(), m.z.data(),
                        m.pair.data(), &m.n_nodes, &m.n_elements, &m.element, &reverse);
    std::array<double, 144> t3p{};
    t3p.fill(k_garbage);
    ZERVOLA_CALL_EXPORT(dll, report, MATRIXCOS3P, t3p.data(), m.x.data(), m.y.data(), m.z.data(),
                        m.ox.data(), m.oy.data(), m.oz.data(), m.pair.data(), &m.n_nodes,
                        &m.n_elements, &m.element, &reverse);
    report.check(t == t3p, "MATRIXCOS3P without orientation point equals MATRIXCOS" + at);
    // Bar along +Y: rows (0, 1, 0), (-1, 0, 0), (0, 0, 1); reversing flips x and y.
    const double s = reverse == 0 ? 1.0 : -1.0;
    for (std::size_t copy = 0; copy < 4; ++copy) {
      const std::size_t o = copy * 3 * 13;
      report.check(same(t[o + 12], s) && same(t[o + 1], -s) && same(t[o + 26], 1.0),
                   "MATRIXCOS block " + std::to_string(copy + 1) + at);
    }
    int nonzero = 0;
    for (double v : t) nonzero += v != 0.0;
    report.check(nonzero == 12, "MATRIXCOS has 12 non-zero entries" + at);
  }
  for (int32_t reverse : {2, -1}) {
    std::array<double, 144> t{};
    ZERVOLA_CALL_EXPORT(dll, report, MATRIXCOS, t.data(), m.x.data(), m.y.data(), m.z.data(),
                        m.pair.data(), &m.n_nodes, &m.n_elements, &m.element, &reverse);
    bool all_nan = true;
    for (double v : t) all_nan = all_nan && std::isnan(v);
    report.check(all_nan, "MATRIXCOS reverse_flag " + std::to_string(reverse) + " gives NaN");
  }
}

void user_coordinate_system(const Dll& dll, Report& report) {
  for (int32_t mode : {0, 1, 5}) {
    std::array<double, 3> origin{k_garbage, k_garbage, k_garbage};
    std::array<double, 3> a{0, 0, 0}, b{1, 0, 0};
    const std::array<double, 3> c{0, 1, 0};
    ZERVOLA_CALL_EXPORT(dll, report, MATRIXUCS, origin.data(), a.data(), b.data(), c.data(), &mode);
    const std::string at = " (ucs_mode " + std::to_string(mode) + ")";
    report.check(origin == std::array<double, 3>{0, 0, 0}, "MATRIXUCS origin" + at);
    if (mode == 0) {
      report.check(a == std::array<double, 3>{0, 1, 0} && b == std::array<double, 3>{1, 0, 0},
                   "MATRIXUCS axes" + at);
    } else {
      report.check(a == std::array<double, 3>{1, 0, 0} && b == std::array<double, 3>{0, 0, -1},
                   "MATRIXUCS axes" + at);
    }
  }
  // The origin is the first point as passed in, not the returned axis.
  int32_t mode = 0;
  std::array<double, 3> origin{}, a{3, 4, 5}, b{3, 4, 9};
  const std::array<double, 3> c{k_marker, k_marker, k_marker};
  ZERVOLA_CALL_EXPORT(dll, report, MATRIXUCS, origin.data(), a.data(), b.data(), c.data(), &mode);
  report.check(origin == std::array<double, 3>{3, 4, 5}, "MATRIXUCS keeps the first point");
  report.check(b == std::array<double, 3>{0, 0, 1} && a == std::array<double, 3>{1, 0, 0},
               "MATRIXUCS axes of an upward bar");
}

void element_matrices(const Dll& dll, Report& report) {
  TwoNodes m;
  const std::vector<double> table{200000, 80000, 3000, 4e6, 2.5e7, 9e6, 0, 0, 0, 0};
  const std::array<int32_t, 1> sections{1};
  const int32_t frame = 0, end_code = 0;
  std::array<double, 144> first{}, second{};
  first.fill(k_garbage);
  second.fill(3.5);
  for (int32_t space_frame : {0, 1}) {
    auto& out = space_frame == 0 ? first : second;
    ZERVOLA_CALL_EXPORT(dll, report, MATRIXE, out.data(), m.x.data(), m.y.data(), m.z.data(),
                        m.ox.data(), m.oy.data(), m.oz.data(), m.pair.data(), sections.data(),
                        &space_frame, table.data(), &m.element, &m.n_nodes, &m.n_elements, &frame,
                        &end_code);
  }
  report.check(first == second, "MATRIXE ignores space_frame");
  report.check(within(first[13], 200000.0 * 3000 / 4, 1e-6), "MATRIXE K(2, 2) = EA/L");
  report.check(same(first[2], 0.0), "MATRIXE K(3, 1) = 0");

  std::array<double, 144> k{};
  k.fill(k_garbage);
  const double e = 1, g = 1, a = 1, it = 1, iy = 1, iz = 1, d = 1, l = 1;
  const int32_t none = 4;
  ZERVOLA_CALL_EXPORT(dll, report, MTRXE_012SHR, k.data(), &e, &g, &a, &it, &iy, &iz, &d, &d, &d,
                      &l, &l, &l, &none);
  bool all_zero = true;
  for (double v : k) all_zero = all_zero && v == 0.0;
  report.check(all_zero, "MTRXE_012SHR end code 4 gives a zero matrix");
}

}  // namespace

void element_cases(const Dll& dll, Report& report) {
  transforms(dll, report);
  user_coordinate_system(dll, report);
  element_matrices(dll, report);
}

}  // namespace zervola::windows_test
