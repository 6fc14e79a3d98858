// The result-recovery exports called through zervola.dll: the end forces of
// the analysed cantilever against statics, the Linux cases of
// tests/results/results_exports_test.cpp, and a turn into global axes worked
// by hand.

#include <array>
#include <cmath>
#include <string>

#include "cantilever.hpp"
#include "dll_harness.hpp"

namespace zervola::windows_test {
namespace {

constexpr double k_garbage = -777.25;

using Vector = std::array<double, 12>;
using Transform = std::array<double, 144>;

struct Recovered {
  Transform t{};
  Vector ed{}, ef{}, efg{};
};

Recovered recover(const Dll& dll, Report& report, const Cantilever& c, int32_t element,
                  int32_t reverse) {
  Recovered r;
  ZERVOLA_CALL_EXPORT(dll, report, MATRIXCOS3P, r.t.data(), c.x.data(), c.y.data(), c.z.data(),
                      c.ox.data(), c.oy.data(), c.oz.data(), c.pairs.data(), &c.n_nodes,
                      &c.n_elements, &element, &reverse);
  r.ed.fill(k_garbage);
  r.ef.fill(k_garbage);
  r.efg.fill(k_garbage);
  const int32_t spare = 0, end_code = c.end_codes[static_cast<std::size_t>(element - 1)];
  ZERVOLA_CALL_EXPORT(dll, report, GLOBTOLOC, r.t.data(), c.u.data(), r.ed.data(), r.ef.data(),
                      r.efg.data(), c.x.data(), c.y.data(), c.z.data(), c.pairs.data(),
                      c.sections.data(), c.table.data(), &spare, &c.n_nodes, &c.n_elements,
                      &element, &reverse, &end_code);
  return r;
}

// Tip pull N and tip force P: along the whole bar axial force -N (tension),
// shear -P, moment P times the distance to the tip.
void cantilever_end_forces(const Dll& dll, Report& report) {
  Cantilever c;
  c.analyse(dll, report);
  const double L = Cantilever::L, N = Cantilever::N, P = Cantilever::P;
  const double tol = 1e-7 * P * L;
  const Recovered first = recover(dll, report, c, 1, 0), second = recover(dll, report, c, 2, 0);
  report.check(within(first.ef[0], -N, 1e-9 * N) && within(first.ef[6], -N, 1e-9 * N),
               "GLOBTOLOC axial force -E A / L times the elongation");
  report.check(within(first.ef[1], -P, 1e-7 * P) && within(second.ef[7], -P, 1e-7 * P),
               "GLOBTOLOC shear -P");
  report.check(within(first.ef[5], P * L, tol) && within(first.ef[11], P * L / 2, tol) &&
                   within(second.ef[5], P * L / 2, tol) && within(second.ef[11], 0.0, tol),
               "GLOBTOLOC moments P (L - x)");
  report.check(within(first.ed[6], c.u[6], 0.0) && within(first.ed[7], c.u[7], 0.0),
               "GLOBTOLOC end displacements of a bar along +X");
  Vector g{};
  ZERVOLA_CALL_EXPORT(dll, report, LOCTOGLOB, first.t.data(), first.ef.data(), g.data());
  report.check(g == first.efg, "LOCTOGLOB gives GLOBTOLOC's global end forces");

  // Element 1 (end code -1) meets element 2 at node 2.
  const int32_t spare = 0, element = 1;
  for (int32_t component : {1, 6, 12}) {
    double fe = k_garbage, fn = k_garbage;
    ZERVOLA_CALL_EXPORT(dll, report, QE1QE2, c.u.data(), c.x.data(), c.y.data(), c.z.data(),
                        c.ox.data(), c.oy.data(), c.oz.data(), c.pairs.data(), c.sections.data(),
                        c.table.data(), c.end_codes.data(), &fe, &fn, &spare, &component,
                        &c.n_nodes, &c.n_elements, &element);
    const auto k = static_cast<std::size_t>(component - 1);
    report.check(fe == first.ef[k] && fn == second.ef[k],
                 "QE1QE2 component " + std::to_string(component) + " of element and neighbour");
  }
  double fe = k_garbage, fn = k_garbage;
  const int32_t component = 13;
  ZERVOLA_CALL_EXPORT(dll, report, QE1QE2, c.u.data(), c.x.data(), c.y.data(), c.z.data(),
                      c.ox.data(), c.oy.data(), c.oz.data(), c.pairs.data(), c.sections.data(),
                      c.table.data(), c.end_codes.data(), &fe, &fn, &spare, &component,
                      &c.n_nodes, &c.n_elements, &element);
  report.check(std::isnan(fe) && fn == k_garbage, "QE1QE2 component 13 gives NaN");

  // Stresses at the clamped end: N / A -+ (P L / Iz) (extent_y / 2), in MPa.
  double temperature = 0.0, smax = k_garbage, smin = k_garbage;
  ZERVOLA_CALL_EXPORT(dll, report, SILFACT, first.ef.data(), c.table.data(), &temperature, &smax,
                      &smin);
  const double axial = N / Cantilever::A, bending = P * L / Cantilever::Iz * 75.0;
  report.check(within(smax, (axial + bending) * 1e-6, 1e-12) &&
                   within(smin, (axial - bending) * 1e-6, 1e-12),
               "SILFACT extreme stresses of the clamped end");

  int32_t bad_reverse = 2;
  Recovered r;
  const int32_t end_code = 0;
  ZERVOLA_CALL_EXPORT(dll, report, GLOBTOLOC, first.t.data(), c.u.data(), r.ed.data(),
                      r.ef.data(), r.efg.data(), c.x.data(), c.y.data(), c.z.data(),
                      c.pairs.data(), c.sections.data(), c.table.data(), &spare, &c.n_nodes,
                      &c.n_elements, &element, &bad_reverse, &end_code);
  bool all_nan = true;
  for (std::size_t k = 0; k < 12; ++k)
    all_nan = all_nan && std::isnan(r.ed[k]) && std::isnan(r.ef[k]) && std::isnan(r.efg[k]);
  report.check(all_nan, "GLOBTOLOC reverse_flag 2 gives NaN");
}

void hand_cases(const Dll& dll, Report& report) {
  // A bar along +Y: rows (0, 1, 0), (-1, 0, 0), (0, 0, 1), so global
  // (x, y, z) = (-local y, local x, local z) in each block.
  const std::array<double, 2> x{0, 0}, y{0, 4}, z{0, 0};
  const std::array<double, 1> o{12345678.0};
  const std::array<int32_t, 2> pair{1, 2};
  const int32_t n_nodes = 2, n_elements = 1, element = 1, reverse = 0;
  Transform t{};
  ZERVOLA_CALL_EXPORT(dll, report, MATRIXCOS3P, t.data(), x.data(), y.data(), z.data(), o.data(),
                      o.data(), o.data(), pair.data(), &n_nodes, &n_elements, &element, &reverse);
  Vector v{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, g{};
  g.fill(k_garbage);
  ZERVOLA_CALL_EXPORT(dll, report, LOCTOGLOB, t.data(), v.data(), g.data());
  const Vector want{-2, 1, 3, -5, 4, 6, -8, 7, 9, -11, 10, 12};
  report.check(g == want, "LOCTOGLOB of a bar along +Y");
  ZERVOLA_CALL_EXPORT(dll, report, LOCTOGLOB, t.data(), v.data(), v.data());
  report.check(v == want, "LOCTOGLOB in place");

  // A pull of 6e5 on a section of area 3000: (6e5 / 3000) 1e-6 everywhere.
  Vector f{};
  f[0] = -6.0e5;
  f[6] = -6.0e5;
  const std::array<double, 10> section{200000, 80000, 3000, 4e6, 2.5e7, 9e6, 0, 300, 150, 1.2e-5};
  double temperature = 0.0, smax = k_garbage, smin = k_garbage;
  ZERVOLA_CALL_EXPORT(dll, report, SILFACT, f.data(), section.data(), &temperature, &smax, &smin);
  report.check(smax == (6.0e5 / 3000.0) * 1.0E-6 && smin == smax, "SILFACT uniform tension");
}

}  // namespace

void results_cases(const Dll& dll, Report& report) {
  cantilever_end_forces(dll, report);
  hand_cases(dll, report);
}

}  // namespace zervola::windows_test
