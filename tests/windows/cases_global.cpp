// The global-system exports called through zervola.dll, on the cases of the
// Linux tests (tests/global/exports_test.cpp) and a cantilever against beam
// theory, so both platforms agree.

#include <array>
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "cantilever.hpp"
#include "dll_harness.hpp"

namespace zervola::windows_test {
namespace {

constexpr double k_guard = -777.25;
constexpr int32_t k_int_guard = -7777;

void profiles(const Dll& dll, Report& report) {
  // Three nodes, one element given as (3, 2) with a hinge at node 3.
  std::array<int32_t, 3> pairs{3, 2, k_int_guard};
  std::array<int32_t, 2> codes{1, k_int_guard};
  std::array<int32_t, 19> diag{};
  diag.fill(k_int_guard);
  int32_t n_nodes = 3, n_equations = 18, n_elements = 1, length = -1, highest = -1;
  ZERVOLA_CALL_EXPORT(dll, report, ZEBMUK6, pairs.data(), diag.data(), codes.data(), &n_nodes,
                      &n_equations, &n_elements, &length, &highest);
  report.check(pairs == std::array<int32_t, 3>{2, 3, k_int_guard}, "ZEBMUK6 orders the pair");
  report.check(codes == std::array<int32_t, 2>{2, k_int_guard}, "ZEBMUK6 end code follows its end");
  report.check(diag[6] == 23 && diag[17] == 100 && diag[18] == k_int_guard,
               "ZEBMUK6 diagonal addresses");
  report.check(length == 100 && highest == 12, "ZEBMUK6 profile length 100, highest column 12");

  n_equations = 17;  // not 6 n_nodes: nothing written
  ZERVOLA_CALL_EXPORT(dll, report, ZEBMUK6, pairs.data(), diag.data(), codes.data(), &n_nodes,
                      &n_equations, &n_elements, &length, &highest);
  report.check(length == 0 && highest == 0 && diag[6] == 23, "ZEBMUK6 refuses n_equations 17");
}

void two_by_two(const Dll& dll, Report& report) {
  // K = [[4, 2], [2, 3]], f = (8, 7): u = (1.25, 1.5); K = L D L^T with
  // D = (4, 2), L(2, 1) = 0.5.
  const std::array<int32_t, 2> diag{1, 3};
  int32_t n = 2, length = 3, highest = 2;
  std::array<double, 4> store{4, 2, 3, k_guard};
  std::array<double, 3> f{8, 7, k_guard};
  ZERVOLA_CALL_EXPORT(dll, report, ZEBSLA, store.data(), f.data(), diag.data(), &n, &length);
  report.check(f == std::array<double, 3>{1.25, 1.5, k_guard}, "ZEBSLA solves the 2x2 system");
  report.check(store == std::array<double, 4>{4, 0.5, 2, k_guard}, "ZEBSLA leaves L D L^T");

  // u(2) = 1 prescribed: f = (6, 3), K(1, 2) cleared, then u = (1.5, 1).
  store = {4, 2, 3, k_guard};
  f = {8, 7, k_guard};
  const double x = 1.0;
  int32_t k = 2;
  ZERVOLA_CALL_EXPORT(dll, report, ZEBGUT, store.data(), f.data(), diag.data(), &x, &k, &n,
                      &length, &highest);
  report.check(f == std::array<double, 3>{6, 3, k_guard}, "ZEBGUT corrects the loads");
  report.check(store == std::array<double, 4>{4, 0, 3, k_guard}, "ZEBGUT clears the coupling");
  ZERVOLA_CALL_EXPORT(dll, report, ZEBSLA, store.data(), f.data(), diag.data(), &n, &length);
  report.check(f == std::array<double, 3>{1.5, 1, k_guard}, "ZEBSLA after ZEBGUT");

  // A broken profile is refused with NaN, the store untouched.
  const std::array<int32_t, 2> broken{1, 300};
  length = 300;
  store = {4, 2, 3, k_guard};
  f = {8, 7, k_guard};
  ZERVOLA_CALL_EXPORT(dll, report, ZEBSLA, store.data(), f.data(), broken.data(), &n, &length);
  report.check(std::isnan(f[0]) && std::isnan(f[1]) && f[2] == k_guard &&
                   store == std::array<double, 4>{4, 2, 3, k_guard},
               "ZEBSLA refuses a broken profile with NaN");
}

// A banded system tall enough for the blocked factorisation and its widest
// vector path: K u = K 1 must give u = 1 to rounding.
void banded_system(const Dll& dll, Report& report) {
  const int32_t n = 600, band = 300;
  std::vector<int32_t> diag;
  int32_t address = 0;
  for (int32_t j = 1; j <= n; ++j) {
    address += std::min(j, band);
    diag.push_back(address);
  }
  std::vector<double> store(static_cast<std::size_t>(address), 0.0);
  std::vector<double> f(static_cast<std::size_t>(n), 0.0);
  std::vector<double> row(static_cast<std::size_t>(n), 0.0);
  for (int32_t j = 1; j <= n; ++j) {
    const int32_t top = j - std::min(j, band) + 1;
    for (int32_t i = top; i < j; ++i) {
      const double v = 0.001 * static_cast<double>((i * 7 + j * 3) % 11 - 5);
      store[static_cast<std::size_t>(diag[static_cast<std::size_t>(j - 1)] - (j - i) - 1)] = v;
      row[static_cast<std::size_t>(i - 1)] += std::fabs(v);
      row[static_cast<std::size_t>(j - 1)] += std::fabs(v);
      f[static_cast<std::size_t>(i - 1)] += v;
      f[static_cast<std::size_t>(j - 1)] += v;
    }
  }
  for (int32_t j = 1; j <= n; ++j) {
    const double d = row[static_cast<std::size_t>(j - 1)] + 1.0;
    store[static_cast<std::size_t>(diag[static_cast<std::size_t>(j - 1)] - 1)] = d;
    f[static_cast<std::size_t>(j - 1)] += d;
  }
  int32_t n_equations = n, length = address;
  ZERVOLA_CALL_EXPORT(dll, report, ZEBSLA, store.data(), f.data(), diag.data(), &n_equations,
                      &length);
  double worst = 0.0;
  for (double u : f) worst = std::max(worst, std::fabs(u - 1.0));
  report.check(worst < 1.0e-12, "ZEBSLA solves a banded system of 600 equations");
}

void driver(const Dll& dll, Report& report) {
  // One free node, diagonal 2 on each equation; record 0 adds 1 to the loads
  // at 1..3, record 1 prescribes u(1..6) = (0.5, 0, ..., 0).
  for (double second_code : {116.0, 0.0}) {
    std::array<double, 21> store{};
    const std::array<int32_t, 6> diag{1, 3, 6, 10, 15, 21};
    for (int32_t d : diag) store[static_cast<std::size_t>(d - 1)] = 2.0;
    std::array<double, 7> f{1, 2, 3, 4, 5, 6, k_guard};
    const std::array<double, 16> records{214, 1, 1, 1, 1, 0, 0, 0,
                                         second_code, 1, 0.5, 0, 0, 0, 0, 0};
    int32_t length = 21, n = 6, n_records = 1, highest = 6, space_frame = 1;
    ZERVOLA_CALL_EXPORT(dll, report, GUKATOK, store.data(), f.data(), records.data(), diag.data(),
                        &length, &n, &n_records, &highest, &space_frame);
    const std::array<double, 7> want =
        second_code == 116.0 ? std::array<double, 7>{0.5, 0, 0, 0, 0, 0, k_guard}
                             : std::array<double, 7>{1.0, 1.5, 2.0, 2.0, 2.5, 3.0, k_guard};
    report.check(f == want, "GUKATOK loads and supports (second record code " +
                                std::to_string(static_cast<int>(second_code)) + ")");
  }
}

void cantilever(const Dll& dll, Report& report) {
  Cantilever c;
  c.analyse(dll, report);
  report.check(c.pairs == std::array<int32_t, 4>{1, 2, 2, 3} &&
                   c.end_codes == std::array<int32_t, 2>{-1, 0},
               "ZEBMUK6 turns the cantilever's first element");
  report.check(c.diag[5] == 21 && c.diag[11] == 78 && c.diag[17] == 135 &&
                   c.profile_length == 135 && c.max_column_height == 12,
               "ZEBMUK6 cantilever profile");
  const double ei = Cantilever::E * Cantilever::Iz, ea = Cantilever::E * Cantilever::A;
  const double L = Cantilever::L, N = Cantilever::N, P = Cantilever::P;
  const auto close_to = [](double got, double want) {
    return within(got, want, 1e-9 * std::fabs(want));
  };
  bool clamped = true;
  for (std::size_t k = 0; k < 6; ++k) clamped = clamped && c.u[k] == 0.0;
  report.check(clamped, "MATRIXG keeps the clamped node at rest");
  report.check(close_to(c.u[12], N * L / ea), "MATRIXG tip u_x = N L / (E A)");
  report.check(close_to(c.u[13], P * L * L * L / (3 * ei)), "MATRIXG tip u_y = P L^3 / (3 E Iz)");
  report.check(close_to(c.u[17], P * L * L / (2 * ei)), "MATRIXG tip theta_z = P L^2 / (2 E Iz)");
  report.check(close_to(c.u[6], N * L / 2 / ea) && close_to(c.u[7], 5 * P * L * L * L / (48 * ei)),
               "MATRIXG mid-span displacements");
  report.check(c.u[14] == 0.0 && c.u[15] == 0.0 && c.u[16] == 0.0,
               "MATRIXG plane frame holds u_z, theta_x, theta_y");

  Cantilever bad;
  bad.analyse(dll, report);
  bad.n_equations = 17;
  ZERVOLA_CALL_EXPORT(dll, report, MATRIXG, bad.u.data(), bad.records.data(), bad.x.data(),
                      bad.y.data(), bad.z.data(), bad.ox.data(), bad.oy.data(), bad.oz.data(),
                      bad.pairs.data(), bad.sections.data(), bad.diag.data(),
                      bad.end_codes.data(), &bad.space_frame, bad.table.data(), &bad.n_nodes,
                      &bad.n_elements, &bad.profile_length, &bad.n_equations, &bad.n_records,
                      &bad.max_column_height, &bad.element_frame);
  bool all_nan = true;
  for (std::size_t k = 0; k < 17; ++k) all_nan = all_nan && std::isnan(bad.u[k]);
  report.check(all_nan, "MATRIXG refuses n_equations 17 with NaN");
}

}  // namespace

void global_cases(const Dll& dll, Report& report) {
  profiles(dll, report);
  two_by_two(dll, report);
  banded_system(dll, report);
  driver(dll, report);
  cantilever(dll, report);
}

}  // namespace zervola::windows_test
