// The natural modes through the whole program: closed forms of frames
// whose mass sits where the hand calculation puts it, the mass taken from
// loads, the effective masses adding up, and the mistakes of asking for
// them, each named.

#include <gtest/gtest.h>

#include <zervola/frame.hpp>

#include <fmt/format.h>

#include <cmath>
#include <numbers>
#include <string>

#include "analyse_json.hpp"
#include "rigid_beam_portal.hpp"

namespace zervola::frame::test {
namespace natural_modes_test {

using nlohmann::json;

std::string input_error(const json& model) {
  try {
    (void)analyse_json(model);
  } catch (const InputError& e) {
    return e.what();
  }
  return "accepted";
}

TEST(NaturalModes, RigidBeamPortalSwaysAtTheStoreyStiffness) {
  const double m = 12.5;
  const double expected = std::sqrt(24.0 * E * Ic / (h * h * h * 2.0 * m));
  for (const char* matrix : {"consistent", "lumped"}) {
    const AnalysisResult r = analyse_json(rigid_beam_portal(m, matrix));
    ASSERT_TRUE(r.modal.has_value());
    const ModalResult& modal = *r.modal;
    ASSERT_EQ(modal.modes.size(), 2U);
    const Mode& sway = modal.modes[0];
    EXPECT_NEAR(sway.circular_frequency / expected, 1.0, 1e-5) << matrix;
    EXPECT_NEAR(sway.frequency, sway.circular_frequency / (2.0 * std::numbers::pi), 1e-12);
    EXPECT_NEAR(sway.period * sway.frequency, 1.0, 1e-12);
    // All the horizontal mass moves with the sway; none vertically.
    EXPECT_NEAR(modal.movable_mass[0], 2.0 * m, 1e-9);
    EXPECT_NEAR(sway.effective_mass_ratio[0], 1.0, 1e-6);
    EXPECT_NEAR(sway.effective_mass[0], 2.0 * m * sway.effective_mass_ratio[0], 1e-9);
    EXPECT_NEAR(std::fabs(sway.participation[0]), std::sqrt(2.0 * m), 1e-5);
    // Drawn to a largest translation of 1: both beam ends move by 1.
    const double top = sway.shape[1][0] * sway.drawing_scale;
    EXPECT_NEAR(std::fabs(top), 1.0, 1e-6);
    EXPECT_EQ(modal.sturm_count, modal.found_below);
    EXPECT_NEAR(modal.mass.points, 2.0 * m, 1e-12);
    EXPECT_EQ(modal.mass.members, 0.0);
  }
}

// With lumped masses on the translations only, the portal has mass in the
// x and y of its two beam nodes: all four modes carry every direction's
// movable mass between them.
TEST(NaturalModes, EffectiveMassesOfAllModesAddUpToTheMovableMass) {
  json model = rigid_beam_portal(7.0, "lumped");
  model["sections"][0]["density"] = 7.85;
  model["modal"]["modes"] = 4;
  const AnalysisResult r = analyse_json(model);
  ASSERT_EQ(r.modal->directions_with_mass, 4);
  const Mode& last = r.modal->modes.back();
  EXPECT_NEAR(last.cumulative_ratio[0], 1.0, 1e-9);
  EXPECT_NEAR(last.cumulative_ratio[1], 1.0, 1e-9);
  double sum_x = 0.0;
  for (const Mode& mode : r.modal->modes) sum_x += mode.effective_mass[0];
  EXPECT_NEAR(sum_x, r.modal->movable_mass[0], 1e-9 * sum_x);
  // The columns' own mass: density * A * h each; half of it at the feet,
  // which do not move.
  EXPECT_NEAR(r.modal->mass.members, 2.0 * 7.85 * column_area * h, 1e-9);
  EXPECT_NEAR(r.modal->movable_mass[0], 14.0 + 7.85 * column_area * h, 1e-9);
}

// 2 x 98.1 kN downward, half of it taken as mass under g = 9.81 m/s^2,
// moves like the same 5 t placed as masses; an upward load is named.
TEST(NaturalModes, MassFromLoadsIsTheDownwardLoadOverGravity) {
  json model = rigid_beam_portal(5.0, "consistent");
  const AnalysisResult placed = analyse_json(model);
  model.erase("masses");
  model["gravity"] = 9.81;
  model["load_cases"] = {{{"name", "G"},
                          {"loads",
                           {{{"at", {0, h, 0}}, {"force", {0, -98.1, 0}}},
                            {{"at", {bay, h, 0}}, {"force", {0, -98.1, 0}}},
                            {{"at", {bay, h, 0}}, {"force", {0, 4.0, 0}}}}}}};
  model["mass_from_loads"] = {{{"case", "G"}, {"factor", 0.5}}};
  const AnalysisResult from_loads = analyse_json(model);
  ASSERT_EQ(from_loads.modal->mass.from_loads.size(), 1U);
  EXPECT_NEAR(from_loads.modal->mass.from_loads[0].second, 10.0, 1e-12);
  EXPECT_NEAR(from_loads.modal->modes[0].circular_frequency / placed.modal->modes[0].circular_frequency,
              1.0, 1e-9);
  bool told = false;
  for (const Warning& w : from_loads.warnings) told = told || w.code == "upward_load_as_mass";
  EXPECT_TRUE(told);
}

// A uniform member load along a whole beam gives the mass it would weigh:
// a simply supported beam of 24 pieces loaded by w kN/m and nothing else
// vibrates like one of density w / (g A).
TEST(NaturalModes, MemberLoadsBecomeMassAtTheNodes) {
  const double L = 8.0, w = 9.81 * 0.4, A = 1.0e-2;
  json members = json::array();
  for (int k = 0; k < 24; ++k)
    members.push_back({{"name", fmt::format("B{}", k)}, {"from", {L * k / 24.0, 0, 0}},
                       {"to", {L * (k + 1) / 24.0, 0, 0}}, {"section", "beam"}});
  json model = {
      {"units", {{"force", "kN"}, {"length", "m"}}},
      {"frame", "plane"},
      {"gravity", 9.81},
      {"sections", {{{"name", "beam"}, {"E", E}, {"G", 8.1e7}, {"A", A}, {"It", 1e-6}, {"Iy", 1e-6}, {"Iz", Ic}, {"extent_z", 0.3}, {"extent_y", 0.3}}}},
      {"members", members},
      {"supports", {{{"at", {0, 0, 0}}, {"type", "pinned"}}, {{"at", {L, 0, 0}}, {"type", "roller"}, {"direction", "y"}}}},
      {"load_cases", {{{"name", "floor"}, {"member_loads", json::array()}}}},
      {"mass_from_loads", {{{"case", "floor"}}}},
      {"modal", {{"modes", 1}, {"mass_matrix", "lumped"}}}};
  for (int k = 0; k < 24; ++k)
    model["load_cases"][0]["member_loads"].push_back(
        {{"member", fmt::format("B{}", k)}, {"type", "distributed"}, {"value", {0, -w, 0}}});
  const AnalysisResult r = analyse_json(model);
  const double m = w / 9.81;
  const double exact = std::pow(std::numbers::pi / L, 2) * std::sqrt(E * Ic / m);
  EXPECT_NEAR(r.modal->mass.from_loads[0].second, m * L, 1e-9);
  EXPECT_NEAR(r.modal->modes[0].circular_frequency / exact, 1.0, 2e-3);
}

// A flywheel of rotary inertia J and no mass on the tip of a massless
// cantilever: the tip is free to move, so the wheel turns against the
// cantilever's condensed rotational stiffness 4EI/L - (6EI/L^2)^2 /
// (12EI/L^3) = EI/L, at omega = sqrt(EI / (L J)).
TEST(NaturalModes, AFlywheelOfNoMassTurnsAgainstTheCantileversEiOverL) {
  const double J = 2.0, L = 4.0;
  for (const char* matrix : {"consistent", "lumped"}) {
    SCOPED_TRACE(matrix);
    const json model = {
        {"units", {{"force", "kN"}, {"length", "m"}}},
        {"frame", "plane"},
        {"sections", {{{"name", "S"}, {"E", E}, {"G", 8.1e7}, {"A", 0.01}, {"It", 1e-6},
                       {"Iy", 1e-6}, {"Iz", Ic}, {"extent_z", 0.3}, {"extent_y", 0.3}}}},
        {"members", {{{"name", "C"}, {"from", {0, 0, 0}}, {"to", {L, 0, 0}}, {"section", "S"}}}},
        {"supports", {{{"at", {0, 0, 0}}, {"type", "fixed"}}}},
        {"masses", {{{"name", "wheel"}, {"at", {L, 0, 0}}, {"mass", 0}, {"rotary_inertia", {0, 0, J}}}}},
        {"modal", {{"modes", 1}, {"mass_matrix", matrix}}}};
    const AnalysisResult r = analyse_json(model);
    ASSERT_TRUE(r.modal.has_value());
    ASSERT_EQ(r.modal->modes.size(), 1U);
    EXPECT_NEAR(r.modal->modes[0].circular_frequency / std::sqrt(E * Ic / (L * J)), 1.0, 1e-9);
    EXPECT_EQ(r.modal->mass.points, 0.0);
  }
}

// A mode's sign is chosen by its translations alone: the first translation
// of at least half the largest is positive, however much larger its
// rotations are (a stubby cantilever in metres turns more than it moves).
TEST(NaturalModes, EachModesFirstLargeTranslationIsPositive) {
  const double L = 0.3;
  json members = json::array();
  for (int k = 0; k < 3; ++k)
    members.push_back({{"from", {k * L / 3, 0, 0}}, {"to", {(k + 1) * L / 3, 0, 0}}, {"section", "S"}});
  const json model = {
      {"units", {{"force", "kN"}, {"length", "m"}}},
      {"frame", "plane"},
      {"sections", {{{"name", "S"}, {"E", E}, {"G", 8.1e7}, {"A", 0.01}, {"It", 1e-6},
                     {"Iy", 1e-6}, {"Iz", Ic}, {"extent_z", 0.3}, {"extent_y", 0.3},
                     {"density", 7.85}}}},
      {"members", members},
      {"supports", {{{"at", {0, 0, 0}}, {"type", "fixed"}}}},
      {"modal", {{"modes", 6}}}};
  const AnalysisResult r = analyse_json(model);
  ASSERT_TRUE(r.modal.has_value());
  bool turns_more_than_moves = false;
  for (const Mode& mode : r.modal->modes) {
    SCOPED_TRACE(mode.number);
    double translation = 0.0, rotation = 0.0;
    for (const auto& node : mode.shape)
      for (std::size_t d = 0; d < 6; ++d)
        (d < 3 ? translation : rotation) = std::max(d < 3 ? translation : rotation, std::abs(node[d]));
    turns_more_than_moves = turns_more_than_moves || rotation > 2.0 * translation;
    double first = 0.0;
    for (const auto& node : mode.shape) {
      for (std::size_t d = 0; d < 3 && first == 0.0; ++d)
        if (std::abs(node[d]) >= 0.5 * translation) first = node[d];
      if (first != 0.0) break;
    }
    EXPECT_GT(first, 0.0);
  }
  EXPECT_TRUE(turns_more_than_moves);
}

TEST(NaturalModes, MistakesInAskingForModesAreNamed) {
  json too_many = rigid_beam_portal(5.0, "lumped");
  too_many["modal"]["modes"] = 5;
  EXPECT_NE(input_error(too_many).find("\"modes\": asks for 5 modes, but the frame has mass in only 4 directions"),
            std::string::npos)
      << input_error(too_many);

  json off_node = rigid_beam_portal(5.0, "lumped");
  off_node["masses"][0]["at"] = {1.0, h, 0.0};
  EXPECT_NE(input_error(off_node).find("is not a node of the frame"), std::string::npos);

  json massless = rigid_beam_portal(5.0, "lumped");
  massless.erase("masses");
  EXPECT_NE(input_error(massless).find("the model has no mass"), std::string::npos);

  json unknown_case = rigid_beam_portal(5.0, "lumped");
  unknown_case["gravity"] = 9.81;
  unknown_case["load_cases"] = {{{"name", "dead"}, {"loads", json::array()}}};
  unknown_case["mass_from_loads"] = {{{"case", "Dead"}}};
  EXPECT_NE(input_error(unknown_case).find("no load case is named \"Dead\"; nearest: \"dead\""),
            std::string::npos)
      << input_error(unknown_case);

  json bad_matrix = rigid_beam_portal(5.0, "diagonal");
  EXPECT_NE(input_error(bad_matrix).find("neither \"consistent\" nor \"lumped\""), std::string::npos);

  json fractional = rigid_beam_portal(5.0, "lumped");
  fractional["modal"]["modes"] = 2.5;
  EXPECT_NE(input_error(fractional).find("whole number of modes"), std::string::npos);

  json spectrum_alone = rigid_beam_portal(5.0, "lumped");
  spectrum_alone.erase("modal");
  spectrum_alone["load_cases"] = {{{"name", "G"}, {"loads", json::array()}}};
  spectrum_alone["spectrum"] = {{"table", {{0.0, 2.0}, {1.0, 2.0}}}};
  EXPECT_NE(input_error(spectrum_alone).find("give \"modal\""), std::string::npos)
      << input_error(spectrum_alone);
}

}  // namespace natural_modes_test
}  // namespace zervola::frame::test
