// Stability through the whole program: Euler columns and their rate of
// convergence, a portal's sway buckling against its closed form, buckling
// lengths, P-Delta against the closed-form amplification, tension that
// stiffens, and the mistakes of asking for either, each named.

#include <gtest/gtest.h>

#include <zervola/frame.hpp>

#include <fmt/format.h>

#include <cmath>
#include <numbers>
#include <string>

#include "analyse_json.hpp"

namespace zervola::frame::test {
namespace stability_test {

using nlohmann::json;

constexpr double E = 2.1e8;   // kN/m^2
constexpr double I = 1.0e-4;  // m^4
constexpr double A = 1.0e-2;  // m^2
constexpr double L = 4.0;     // m
constexpr double pi = std::numbers::pi;

json section(const std::string& name, double inertia, double area) {
  return {{"name", name}, {"E", E}, {"G", 8.1e7}, {"A", area}, {"It", 1e-6}, {"Iy", inertia},
          {"Iz", inertia}, {"extent_z", 0.3}, {"extent_y", 0.3}};
}

// A plane column along y from (x, 0) to (x, L) in n members.
json column_members(int n, double x = 0.0, const std::string& prefix = "C") {
  json members = json::array();
  for (int i = 0; i < n; ++i)
    members.push_back({{"name", fmt::format("{}{}", prefix, i + 1)},
                       {"from", {x, L * i / n, 0}},
                       {"to", {x, L * (i + 1) / n, 0}},
                       {"section", "S"}});
  return members;
}

json support(double x, double y, const std::string& type, const std::string& restrain = "") {
  json s = {{"at", {x, y, 0}}, {"type", type}};
  if (!restrain.empty()) s["restrain"] = json::parse(restrain);
  return s;
}

// A column under a downward top load P, its feet and head as given, and the
// critical factor asked for.
json euler_column(int n, const json& foot, const json& head, double P) {
  json supports = json::array({foot});
  if (!head.is_null()) supports.push_back(head);
  return {{"units", {{"force", "kN"}, {"length", "m"}}},
          {"frame", "plane"},
          {"sections", {section("S", I, A)}},
          {"members", column_members(n)},
          {"supports", supports},
          {"load_cases", {{{"name", "P"}, {"loads", {{{"at", {0, L, 0}}, {"force", {0, -P, 0}}}}}}}},
          {"buckling", {{"sets", {"P"}}, {"modes", 1}}}};
}

double first_factor(const json& model) {
  const AnalysisResult r = analyse_json(model);
  EXPECT_EQ(r.buckling.size(), 1U);
  EXPECT_FALSE(r.buckling.front().modes.empty());
  return r.buckling.front().modes.front().factor;
}

struct EulerCase {
  const char* name;
  json foot;
  json head;
  double effective_length_factor;
};

std::vector<EulerCase> euler_cases() {
  // 4.4934 is the lowest root of tan(x) = x: fixed-pinned P_cr = x^2 EI/L^2.
  const double fixed_pinned = pi / 4.493409457909064;
  return {{"pinned-pinned", support(0, 0, "pinned"), support(0, L, "custom", R"(["ux"])"), 1.0},
          {"fixed-free", support(0, 0, "fixed"), json(), 2.0},
          {"fixed-fixed", support(0, 0, "fixed"), support(0, L, "custom", R"(["ux", "rz"])"), 0.5},
          {"fixed-pinned", support(0, 0, "fixed"), support(0, L, "custom", R"(["ux"])"),
           fixed_pinned}};
}

TEST(LinearBuckling, EulerColumnsWithinATenthOfAPercentAndConvergingAtTheFourthPower) {
  const double P = 100.0;
  for (const EulerCase& c : euler_cases()) {
    const double exact = pi * pi * E * I / std::pow(c.effective_length_factor * L, 2) / P;
    const double coarse = first_factor(euler_column(4, c.foot, c.head, P));
    const double fine = first_factor(euler_column(8, c.foot, c.head, P));
    const double error_fine = (fine - exact) / exact;
    const double error_coarse = (coarse - exact) / exact;
    EXPECT_LT(std::fabs(error_fine), 1.0e-3) << c.name;
    // From above (the consistent matrices are stiffer), and halving the
    // elements divides the error by about 2^4.
    EXPECT_GT(error_fine, -1.0e-9) << c.name;
    EXPECT_GT(error_coarse / error_fine, 10.0) << c.name;
    std::printf("%s: alpha_cr %.6g exact %.6g error %.3e (4 members %.3e)\n", c.name, fine, exact,
                error_fine, error_coarse);
  }
}

TEST(LinearBuckling, PinnedColumnBucklesOverItsLength) {
  const EulerCase c = euler_cases().front();
  const AnalysisResult r = analyse_json(euler_column(8, c.foot, c.head, 100.0));
  const BucklingSet& b = r.buckling.front();
  ASSERT_EQ(b.members.size(), 8U);
  for (const BucklingMember& m : b.members) {
    EXPECT_NEAR(m.axial_force, 100.0, 1e-9);  // compression positive
    EXPECT_NEAR(m.buckling_length_z, L, 1e-3 * L);
    EXPECT_NEAR(m.critical_force, b.modes.front().factor * 100.0, 1e-9);
  }
  EXPECT_EQ(b.sturm_count, b.found_below);
}

// The drawing holds a panel per buckling mode, after the load sets',
// its shape at the pinned column's middle bulging most.
TEST(LinearBuckling, DrawingHasAPanelPerBucklingMode) {
  const EulerCase c = euler_cases().front();
  json model = euler_column(8, c.foot, c.head, 100.0);
  model["buckling"]["modes"] = 2;
  Model read;
  const AnalysisResult r = analyse_json(model, &read);
  const std::string svg = draw_svg(read, r, {});
  EXPECT_NE(svg.find("<g id=\"buckling-1-1\">"), std::string::npos);
  EXPECT_NE(svg.find("<g id=\"buckling-1-2\">"), std::string::npos);
  EXPECT_LT(svg.find("<g id=\"case-1\">"), svg.find("<g id=\"buckling-1-1\">"));
  EXPECT_NE(svg.find("Buckling mode 1 of load case \"P\": alpha_cr = "), std::string::npos);
  const BucklingMode& first = r.buckling.front().modes.front();
  double largest = 0.0;
  std::size_t at = 0;
  for (std::size_t n = 0; n < first.shape.size(); ++n)
    if (std::fabs(first.shape[n][0]) > largest) {
      largest = std::fabs(first.shape[n][0]);
      at = n;
    }
  EXPECT_NEAR(r.nodes[at].y, L / 2.0, 1e-9);
  EXPECT_NEAR(largest * first.drawing_scale, 1.0, 1e-12);
}

// A fixed-base portal whose beam is a million times stiffer than its
// columns, which do not shorten (else the beam turns as they lengthen and
// shorten in the sway, and the factor falls by about 0.2 %), P on each
// column head: its sway buckling is that of a column
// fixed at both ends that sways, P_cr = pi^2 E I / h^2.
TEST(LinearBuckling, RigidBeamPortalSwaysAtTheClosedForm) {
  json members = column_members(8, 0.0, "L");
  for (const json& m : column_members(8, 6.0, "R")) members.push_back(m);
  members.push_back({{"name", "B"}, {"from", {0, L, 0}}, {"to", {6, L, 0}}, {"section", "beam"}});
  const double P = 100.0;
  const json model = {
      {"units", {{"force", "kN"}, {"length", "m"}}},
      {"frame", "plane"},
      {"sections", {section("S", I, 10.0), section("beam", 1e6 * I, 10.0)}},
      {"members", members},
      {"supports", {support(0, 0, "fixed"), support(6, 0, "fixed")}},
      {"load_cases",
       {{{"name", "P"},
         {"loads", {{{"at", {0, L, 0}}, {"force", {0, -P, 0}}}, {{"at", {6, L, 0}}, {"force", {0, -P, 0}}}}}}}},
      {"buckling", {{"sets", {"P"}}, {"modes", 2}}}};
  const AnalysisResult r = analyse_json(model);
  const double exact = pi * pi * E * I / (L * L) / P;
  EXPECT_NEAR(r.buckling.front().modes.front().factor, exact, 1e-3 * exact);
  // The second shape is the columns' symmetric buckling, fixed at both ends
  // without sway: 4 times the first.
  EXPECT_NEAR(r.buckling.front().modes[1].factor, 4.0 * exact, 2e-3 * 4.0 * exact);
}

TEST(LinearBuckling, ASetWithoutCompressionIsToldSo) {
  const EulerCase c = euler_cases()[1];
  const AnalysisResult r = analyse_json(euler_column(8, c.foot, c.head, -100.0));
  EXPECT_FALSE(r.buckling.front().compression);
  EXPECT_TRUE(r.buckling.front().modes.empty());
  EXPECT_TRUE(r.buckling.front().members.empty());
}

// A cantilever column under P and a lateral H at its head, P a share of
// P_cr, analysed in second order.
json cantilever(double share, double H, bool second_order) {
  const double P_cr = pi * pi * E * I / (4.0 * L * L);
  json model = euler_column(8, support(0, 0, "fixed"), json(), share * P_cr);
  model["load_cases"][0]["loads"][0]["force"] = {H, -share * P_cr, 0};
  model["load_cases"][0]["second_order"] = second_order;
  model.erase("buckling");
  return model;
}

double head_sway(const AnalysisResult& r) {
  // The head is the last node of the column.
  return r.cases.front().displacements.back()[0];
}

TEST(SecondOrder, CantileverAmplifiesItsSwayAsTheClosedForm) {
  for (double share : {0.1, 0.2, 0.3}) {
    const AnalysisResult first = analyse_json(cantilever(share, 10.0, false));
    const AnalysisResult second = analyse_json(cantilever(share, 10.0, true));
    const double amplification = head_sway(second) / head_sway(first);
    const double closed = 1.0 / (1.0 - share);
    EXPECT_NEAR(amplification, closed, 0.01 * closed) << share;
    ASSERT_EQ(second.second_order.size(), 1U);
    const SecondOrderSet& s = second.second_order.front();
    EXPECT_GE(s.iterations, 1);
    EXPECT_LT(s.change, k_second_order_tolerance);
    EXPECT_NEAR(s.critical_factor, 1.0 / share, 1e-3 / share);
    // The equilibrium of the deformed state holds with its P-Delta moment:
    // P times the head's sway, about z.
    EXPECT_LT(second.cases.front().equilibrium.relative_moment_residual, 1e-9);
    EXPECT_NEAR(std::fabs(s.p_delta_moment[2]), share * pi * pi * E * I / (4 * L * L) * head_sway(second),
                1e-6 * std::fabs(s.p_delta_moment[2]));
    // The foot's moment grows by it too.
    EXPECT_NEAR(std::fabs(second.cases.front().reactions.front().value[5]),
                10.0 * L + std::fabs(s.p_delta_moment[2]), 1e-6 * 10.0 * L);
    std::printf("P/P_cr %.2f: amplification %.6f closed form %.6f (%.3f %%)\n", share,
                amplification, closed, 100.0 * (amplification - closed) / closed);
  }
}

TEST(SecondOrder, TensionStiffens) {
  json tension = cantilever(-0.3, 10.0, true);
  const AnalysisResult first = analyse_json(cantilever(-0.3, 10.0, false));
  const AnalysisResult second = analyse_json(tension);
  EXPECT_LT(std::fabs(head_sway(second)), std::fabs(head_sway(first)));
  EXPECT_FALSE(second.second_order.front().compression);
}

TEST(SecondOrder, EqualsFirstOrderAsTheLoadsVanish) {
  const AnalysisResult first = analyse_json(cantilever(1e-7, 1e-3, false));
  const AnalysisResult second = analyse_json(cantilever(1e-7, 1e-3, true));
  EXPECT_NEAR(head_sway(second) / head_sway(first), 1.0, 1e-6);
}

TEST(SecondOrder, CombinationCombinesItsLoadsFirst) {
  json model = cantilever(0.2, 0.0, false);
  const double P_cr = pi * pi * E * I / (4.0 * L * L);
  model["load_cases"] = {
      {{"name", "G"}, {"loads", {{{"at", {0, L, 0}}, {"force", {0, -0.1 * P_cr, 0}}}}}},
      {{"name", "W"}, {"loads", {{{"at", {0, L, 0}}, {"force", {10.0, 0, 0}}}}}}};
  model["combinations"] = {{{"name", "ULS"}, {"factors", {{"G", 2.0}, {"W", 1.0}}}, {"second_order", true}}};
  const AnalysisResult r = analyse_json(model);
  const double first = r.cases[1].displacements.back()[0];
  EXPECT_NEAR(r.combinations.front().displacements.back()[0] / first, 1.25, 0.0125);
  EXPECT_NEAR(r.second_order.front().critical_factor, 5.0, 5e-3);
}

TEST(SecondOrder, SwayImperfectionIsPhiTimesTheVerticalLoad) {
  json model = cantilever(0.2, 0.0, true);
  model["load_cases"][0]["imperfection"] = {{"direction", "X"}, {"phi", 1.0 / 200.0}};
  const AnalysisResult r = analyse_json(model);
  const double P = 0.2 * pi * pi * E * I / (4.0 * L * L);
  EXPECT_NEAR(r.second_order.front().imperfection_force, P / 200.0, 1e-9 * P);
  EXPECT_GT(head_sway(r), 0.0);
}

TEST(SecondOrder, WithoutPhiTheSwayImperfectionIsTheBasicOneOver200) {
  // EN 1993-1-1 5.3.2: phi_0 = 1/200 when the model gives no inclination.
  json model = cantilever(0.2, 0.0, true);
  model["load_cases"][0]["imperfection"] = {{"direction", "X"}};
  const AnalysisResult r = analyse_json(model);
  const double P = 0.2 * pi * pi * E * I / (4.0 * L * L);
  EXPECT_NEAR(r.second_order.front().imperfection_force, P / 200.0, 1e-9 * P);
}

TEST(SecondOrder, ACombinationSettlesItsSupportsByTheCasesFactors) {
  // The cantilever's foot settles 10 mm in one case; a second-order
  // combination of 1.5 times it and the compression moves the foot 15 mm
  // down, and the head by as much more as the column shortens: the same
  // as the combination in first order, the column not swaying.
  json model = cantilever(0.2, 0.0, false);
  const double P_cr = pi * pi * E * I / (4.0 * L * L);
  model["load_cases"] = {
      {{"name", "G"}, {"loads", {{{"at", {0, L, 0}}, {"force", {0, -0.2 * P_cr, 0}}}}}},
      {{"name", "settle"},
       {"loads", json::array()},
       {"support_displacements", {{{"at", {0, 0, 0}}, {"displacement", {{"uy", -0.01}}}}}}}};
  model["combinations"] = {
      {{"name", "second"}, {"factors", {{"G", 1.0}, {"settle", 1.5}}}, {"second_order", true}},
      {{"name", "first"}, {"factors", {{"G", 1.0}, {"settle", 1.5}}}}};
  const AnalysisResult r = analyse_json(model);
  ASSERT_EQ(r.combinations.size(), 2U);
  const CaseResult& second = r.combinations[0];
  const CaseResult& first = r.combinations[1];
  EXPECT_NEAR(second.displacements.front()[1], -0.015, 1e-12);
  const double shortening = 0.2 * P_cr * L / (E * A);
  EXPECT_NEAR(second.displacements.back()[1], -0.015 - shortening, 1e-9);
  EXPECT_NEAR(second.displacements.back()[1], first.displacements.back()[1], 1e-9);
}

TEST(SecondOrder, ASetAtOrBeyondBucklingIsRefusedWithItsFactor) {
  try {
    (void)analyse_json(cantilever(1.5, 1.0, true));
    FAIL() << "accepted";
  } catch (const AnalysisError& e) {
    EXPECT_NE(std::string(e.what()).find("alpha_cr = 0.66"), std::string::npos) << e.what();
  }
}

std::string input_error(const json& model) {
  try {
    (void)analyse_json(model);
  } catch (const InputError& e) {
    return e.what();
  }
  return "accepted";
}

TEST(StabilityInput, NamesWhatIsWrong) {
  json model = euler_column(8, support(0, 0, "fixed"), json(), 1.0);
  model["buckling"]["sets"] = {"Q"};
  EXPECT_NE(input_error(model).find("no load case or combination is named \"Q\""), std::string::npos)
      << input_error(model);
  model = cantilever(0.1, 1.0, true);
  model["load_cases"][0]["imperfection"] = {{"direction", "Z"}};
  EXPECT_NE(input_error(model).find("\"Z\" is not a direction"), std::string::npos) << input_error(model);
  model["load_cases"][0]["imperfection"] = {{"direction", "Y"}};
  EXPECT_NE(input_error(model).find("plane frame's vertical is Y"), std::string::npos) << input_error(model);
  model = cantilever(0.1, 1.0, false);
  model["load_cases"][0]["imperfection"] = {{"direction", "X"}};
  EXPECT_NE(input_error(model).find("\"second_order\": true"), std::string::npos) << input_error(model);
}

}  // namespace stability_test
}  // namespace zervola::frame::test
