// Member loads against closed forms: beams under uniform, point and partial
// trapezoidal loads, self-weight of an inclined cantilever, heated bars, and
// the equilibrium of every member with its loads.

#include <gtest/gtest.h>
#include <fmt/format.h>

#include <cmath>
#include <string>

#include <zervola/frame.hpp>
#include "member_load_test_models.hpp"

namespace zervola::frame {
namespace member_loads_test {

// Closed forms are met to this relative accuracy (the solution rounds).
constexpr double k_relative = 1.0e-9;

void expect_close(double expected, double obtained, const char* what) {
  EXPECT_NEAR(obtained, expected, k_relative * std::max(1.0, std::abs(expected))) << what;
  record_closed_form(what, expected, obtained);
}

TEST(MemberLoads, FixedFixedBeamUnderUniformLoad) {
  // Two members, so that midspan is a node; w downwards (global -z).
  const double L = 6.0, w = 10.0;
  const AnalysisResult r = analyse_text(beam_model(
      L, 2, R"([{"type": "fixed"}, null, {"type": "fixed"}])",
      fmt::format(R"([{{"member": "M1", "type": "distributed", "value": [0, 0, {0}]}},
                     {{"member": "M2", "type": "distributed", "value": [0, 0, {0}]}}])",
                  -w)));
  const CaseResult& c = r.cases[0];
  expect_close(w * L * L / 12.0, std::abs(c.end_forces[0][4]), "fixed-fixed uniform: end moment wL^2/12");
  expect_close(w * L * L / 24.0, std::abs(c.end_forces[0][10]), "fixed-fixed uniform: midspan moment wL^2/24");
  expect_close(w * L / 2.0, c.reactions[0].value[2], "fixed-fixed uniform: end reaction wL/2");
  expect_close(w * std::pow(L, 4) / (384.0 * k_E * k_Iy), -c.displacements[1][2],
               "fixed-fixed uniform: midspan deflection wL^4/384EI");
}

TEST(MemberLoads, SimplySupportedBeamUnderUniformLoad) {
  const double L = 5.0, w = 7.0;
  const AnalysisResult r = analyse_text(beam_model(
      L, 2, R"([{"type": "pinned"}, null, {"type": "custom", "restrain": ["uy", "uz", "rx"]}])",
      fmt::format(R"([{{"member": "M1", "type": "distributed", "value": [0, 0, {0}]}},
                     {{"member": "M2", "type": "distributed", "value": [0, 0, {0}]}}])",
                  -w)));
  const CaseResult& c = r.cases[0];
  expect_close(w * L * L / 8.0, std::abs(c.end_forces[0][10]), "simply supported uniform: midspan moment wL^2/8");
  expect_close(5.0 * w * std::pow(L, 4) / (384.0 * k_E * k_Iy), -c.displacements[1][2],
               "simply supported uniform: midspan deflection 5wL^4/384EI");
  expect_close(0.0, c.end_forces[0][4], "simply supported uniform: end moment 0");
}

TEST(MemberLoads, ProppedCantileverWithPointLoad) {
  const double L = 4.0, P = 12.0, a = 1.3, b = L - a;
  for (const char* axes : {"global", "local"}) {
    const AnalysisResult r = analyse_text(beam_model(
        L, 1, R"([{"type": "fixed"}, {"type": "custom", "restrain": ["uy", "uz", "rx"]}])",
        fmt::format(R"([{{"member": "M1", "type": "force", "axes": "{}", "position": {},
                         "value": [0, 0, {}]}}])",
                    axes, a, -P)));
    const CaseResult& c = r.cases[0];
    expect_close(P * a * a * (3.0 * L - a) / (2.0 * L * L * L), c.reactions[1].value[2],
                 "propped cantilever, point load: prop reaction Pa^2(3L-a)/2L^3");
    expect_close(P * b * (L * L - b * b) / (2.0 * L * L), std::abs(c.end_forces[0][4]),
                 "propped cantilever, point load: fixed-end moment Pb(L^2-b^2)/2L^2");
  }
}

TEST(MemberLoads, HingedEndGivesTheProppedCantilever) {
  // The same propped cantilever by a hinge at the member's end and a fixed
  // support: the fixed-end forces must be condensed for the release.
  const double L = 4.0, w = 3.0;
  for (const char* release : {"hinge_end", "hinge_start"}) {
    const bool at_end = std::string(release) == "hinge_end";
    const AnalysisResult r = analyse_text(beam_model(
        L, 1, R"([{"type": "fixed"}, {"type": "fixed"}])",
        fmt::format(R"([{{"member": "M1", "type": "distributed", "value": [0, 0, {}]}}])", -w),
        release));
    const CaseResult& c = r.cases[0];
    expect_close(w * L * L / 8.0, std::abs(c.end_forces[0][at_end ? 4 : 10]),
                 "hinged end, uniform: fixed-end moment wL^2/8");
    expect_close(0.0, c.end_forces[0][at_end ? 10 : 4], "hinged end, uniform: moment at hinge 0");
    expect_close(5.0 * w * L / 8.0, c.reactions[at_end ? 0 : 1].value[2],
                 "hinged end, uniform: reaction at fixed end 5wL/8");
  }
}

TEST(MemberLoads, PartialTrapezoidalLoadOnFixedFixedBeam) {
  const double L = 7.0, a = 1.5, b = 5.0, qa = -4.0, qb = -11.0;
  const AnalysisResult r = analyse_text(beam_model(
      L, 1, R"([{"type": "fixed"}, {"type": "fixed"}])",
      fmt::format(R"([{{"member": "M1", "type": "distributed", "start": {}, "end": {},
                       "start_value": [0, 0, {}], "end_value": [0, 0, {}]}}])",
                  a, b, qa, qb)));
  // Influence functions of a fixed-fixed beam, integrated by composite
  // Simpson's rule on a fine grid (exact: the integrands are quartic).
  const int n = 2000;
  double ma = 0.0, mb = 0.0, ra = 0.0;
  for (int k = 0; k <= n; ++k) {
    const double x = a + (b - a) * k / n;
    const double q = qa + (qb - qa) * (x - a) / (b - a);
    const double weight = (k == 0 || k == n ? 1.0 : (k % 2 == 1 ? 4.0 : 2.0)) * (b - a) / (3.0 * n);
    ma += weight * q * x * (L - x) * (L - x) / (L * L);
    mb += weight * q * x * x * (L - x) / (L * L);
    ra += weight * q * (L - x) * (L - x) * (L + 2.0 * x) / (L * L * L);
  }
  const CaseResult& c = r.cases[0];
  // Sagging load: hogging moments at both ends, of opposite sign in the
  // end-force convention's My about local y.
  expect_close(std::abs(ma), std::abs(c.end_forces[0][4]), "partial trapezoid: moment at i (integrated)");
  expect_close(std::abs(mb), std::abs(c.end_forces[0][10]), "partial trapezoid: moment at j (integrated)");
  expect_close(-ra, c.reactions[0].value[2], "partial trapezoid: reaction at i (integrated)");
}

TEST(MemberLoads, InclinedCantileverUnderSelfWeight) {
  const Point3 tip{3.0, -2.0, 6.0};
  const double rho = 7.85, g = 9.81;
  const AnalysisResult r = analyse_text(cantilever_model(tip, rho, g));
  const double L = std::sqrt(tip.x * tip.x + tip.y * tip.y + tip.z * tip.z);
  const double W = rho * k_A * g * L;
  const CaseResult& c = r.cases[0];
  const Reaction& base = c.reactions[0];
  expect_close(W, base.value[2], "inclined cantilever, self-weight: vertical reaction rho A g L");
  expect_close(0.0, base.value[0], "inclined cantilever, self-weight: horizontal reaction 0");
  // The weight acts at the midpoint: the support's moment balances it.
  expect_close(W * tip.y / 2.0, base.value[3], "inclined cantilever, self-weight: base moment Mx = W y_c");
  expect_close(-W * tip.x / 2.0, base.value[4], "inclined cantilever, self-weight: base moment My = -W x_c");
  for (std::size_t k = 6; k < 12; ++k)
    expect_close(0.0, c.end_forces[0][k], "inclined cantilever, self-weight: free tip carries nothing");
}

TEST(MemberLoads, ProjectedLoadOnAnInclinedCantilever) {
  // Snow on a rafter: q per unit horizontal length, so the total is q times
  // the horizontal projection, whatever the slope.
  const double q = 2.5, dx = 4.0, dy = 1.0, dz = 3.0;
  std::string text = cantilever_model({dx, dy, dz}, 7.85, 9.81);
  const std::string gravity = R"("gravity": [0, 0, -9.81])";
  text.replace(text.find(gravity), gravity.size(),
               fmt::format(R"("member_loads": [{{"member": "M1", "type": "distributed",
                              "axes": "global_projected", "value": [0, 0, {}]}}])",
                           -q));
  const AnalysisResult r = analyse_text(text);
  const CaseResult& c = r.cases[0];
  const double horizontal = std::sqrt(dx * dx + dy * dy);
  expect_close(q * horizontal, c.reactions[0].value[2], "projected load: reaction q times the horizontal length");
  expect_close(-q * horizontal * dx / 2.0, c.reactions[0].value[4], "projected load: base moment My");
}

TEST(MemberLoads, HeatedFixedFixedBar) {
  const double L = 3.0, dT = 40.0, dTy = 15.0, dTz = -25.0;
  const AnalysisResult r = analyse_text(beam_model(
      L, 1, R"([{"type": "fixed"}, {"type": "fixed"}])",
      fmt::format(R"([{{"member": "M1", "type": "temperature", "uniform": {},
                       "difference_y": {}, "difference_z": {}}}])",
                  dT, dTy, dTz)));
  const CaseResult& c = r.cases[0];
  // Compression positive: the restrained bar pushes on its supports.
  expect_close(k_E * k_A * k_alpha * dT, c.end_forces[0][0], "heated fixed bar: axial force EA alpha dT");
  expect_close(k_E * k_A * k_alpha * dT, c.end_forces[0][6], "heated fixed bar: axial force at j");
  const double mz = k_E * k_Iz * k_alpha * dTy / k_extent_y;
  const double my = k_E * k_Iy * k_alpha * std::abs(dTz) / k_extent_z;
  expect_close(mz, std::abs(c.end_forces[0][5]), "heated fixed bar: moment EIz alpha dTy / h_y");
  expect_close(mz, std::abs(c.end_forces[0][11]), "heated fixed bar: moment EIz alpha dTy / h_y at j");
  expect_close(my, std::abs(c.end_forces[0][4]), "heated fixed bar: moment EIy alpha dTz / h_z");
  for (std::size_t k = 0; k < 6; ++k) expect_close(0.0, c.displacements[0][k], "heated fixed bar: no displacement");
  // The stresses include the restrained thermal force and moments.
  const double bending = mz * k_extent_y / (2.0 * k_Iz) + std::abs(my) * k_extent_z / (2.0 * k_Iy);
  expect_close(-k_E * k_alpha * dT + bending, c.stress_max[0], "heated fixed bar: largest stress");
  expect_close(-k_E * k_alpha * dT - bending, c.stress_min[0], "heated fixed bar: smallest stress");
}

}  // namespace member_loads_test
}  // namespace zervola::frame
