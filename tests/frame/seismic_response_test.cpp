// The response to a spectrum through the whole program, on frames whose
// modes are known in closed form: a storey on stiff columns is one degree
// of freedom (base shear m Sa(T), sway Sa / omega^2), two storeys have two
// well separated modes (CQC and SRSS agree), and the warnings an engineer
// needs (too few modes, a spectrum too short).

#include <gtest/gtest.h>

#include <zervola/frame.hpp>

#include <fmt/format.h>

#include <cmath>
#include <sstream>
#include <vector>
#include <string>

#include "analyse_json.hpp"

namespace zervola::frame::test {
namespace seismic_response_test {

using nlohmann::json;

constexpr double E = 2.1e8;    // kN/m^2
constexpr double Ic = 1.0e-4;  // m^4
constexpr double h = 4.0;      // m

json section(const char* name, double A, double Iz) {
  return {{"name", name}, {"E", E}, {"G", 8.1e7}, {"A", A}, {"It", 1e-6}, {"Iy", 1e-6},
          {"Iz", Iz}, {"extent_z", 0.3}, {"extent_y", 0.3}};
}

// Plane shear frame: storeys of stiff-beam bays on axially rigid columns,
// mass m at each beam end.
json shear_frame(int storeys, double m, json spectrum) {
  json members = json::array(), masses = json::array();
  for (int s = 0; s < storeys; ++s) {
    const double y0 = s * h, y1 = (s + 1) * h;
    members.push_back({{"name", fmt::format("C{}a", s)}, {"from", {0, y0, 0}}, {"to", {0, y1, 0}}, {"section", "column"}});
    members.push_back({{"name", fmt::format("C{}b", s)}, {"from", {6, y0, 0}}, {"to", {6, y1, 0}}, {"section", "column"}});
    members.push_back({{"name", fmt::format("B{}", s)}, {"from", {0, y1, 0}}, {"to", {6, y1, 0}}, {"section", "beam"}});
    masses.push_back({{"at", {0, y1, 0}}, {"mass", m}});
    masses.push_back({{"at", {6, y1, 0}}, {"mass", m}});
  }
  return {{"units", {{"force", "kN"}, {"length", "m"}}},
          {"frame", "plane"},
          {"sections", {section("column", 10.0, Ic), section("beam", 10.0, 100.0)}},
          {"members", members},
          {"supports", {{{"at", {0, 0, 0}}, {"type", "fixed"}}, {{"at", {6, 0, 0}}, {"type", "fixed"}}}},
          {"masses", masses},
          {"modal", {{"modes", 2 * storeys}, {"mass_matrix", "lumped"}}},
          {"spectrum", spectrum}};
}

json flat_spectrum(double a, const char* modal = "CQC") {
  return {{"table", {{0.0, a}, {20.0, a}}}, {"directions", {"X"}}, {"modal_combination", modal}};
}

TEST(ResponseSpectrum, OneStoreyIsOneDegreeOfFreedom) {
  const double m = 10.0, Sa = 3.0;
  const AnalysisResult r = analyse_json(shear_frame(1, m, flat_spectrum(Sa)));
  ASSERT_TRUE(r.spectrum.has_value());
  const SpectrumResult& s = *r.spectrum;
  const double k = 24.0 * E * Ic / (h * h * h);
  const double omega2 = k / (2.0 * m);
  EXPECT_NEAR(s.base_shear[0] / (2.0 * m * Sa), 1.0, 1e-5);
  EXPECT_EQ(s.base_shear[1], 0.0);
  // The beam's nodes are nodes 2 and 4 of the drawing (1-based).
  EXPECT_NEAR(s.displacements[1][0] / (Sa / omega2), 1.0, 1e-5);
  // Each column takes half the shear, with end moments V h / 2.
  const double V = m * Sa;
  EXPECT_NEAR(s.end_forces[0][1] / V, 1.0, 1e-4);
  EXPECT_NEAR(s.end_forces[0][5] / (V * h / 2.0), 1.0, 1e-4);
  // Magnitudes: the moment vanishes at mid-height, and is largest at the ends.
  const std::vector<StationValues>& column = s.station_values[0];
  EXPECT_NEAR(column[column.size() / 2][5] / (V * h / 2.0), 0.0, 1e-4);
  EXPECT_NEAR(column.front()[5] / (V * h / 2.0), 1.0, 1e-4);
  EXPECT_NEAR(s.stress_bound[0], V * h / 2.0 * 0.15 / Ic, 1e-3 * V * h / 2.0 * 0.15 / Ic);
  ASSERT_EQ(s.reactions.size(), 2U);
  EXPECT_NEAR(s.reactions[0][0] + s.reactions[1][0], 2.0 * m * Sa, 1e-4 * m * Sa);
}

// A spectrum scaled per direction (a vertical spectrum as a share of the
// horizontal one, say), set through the C++ model: the one storey's
// response along X is the factor times that of the whole spectrum.
TEST(ResponseSpectrum, ADirectionsFactorScalesItsSpectrum) {
  const double m = 10.0, Sa = 3.0, factor = 0.4;
  Model model;
  const AnalysisResult whole = analyse_json(shear_frame(1, m, flat_spectrum(Sa)), &model);
  ASSERT_TRUE(model.spectrum.has_value());
  model.spectrum->direction_factors = {factor, 1.0, 1.0};
  const AnalysisResult scaled = analyse(model);
  ASSERT_TRUE(scaled.spectrum.has_value());
  const SpectrumResult& s = *scaled.spectrum;
  ASSERT_FALSE(s.modes.empty());
  EXPECT_NEAR(s.modes[0].acceleration[0], factor * Sa, 1e-12);
  EXPECT_NEAR(s.base_shear[0] / (2.0 * m * factor * Sa), 1.0, 1e-5);
  EXPECT_NEAR(s.displacements[1][0] / whole.spectrum->displacements[1][0], factor, 1e-9);

  // The model file says the same.
  json spectrum = flat_spectrum(Sa);
  spectrum["direction_factors"] = {factor, 1.0, 1.0};
  const AnalysisResult read = analyse_json(shear_frame(1, m, spectrum));
  EXPECT_NEAR(read.spectrum->base_shear[0], s.base_shear[0], 1e-12 * s.base_shear[0]);
  spectrum["direction_factors"] = {0.0, 1.0, 1.0};
  EXPECT_THROW(static_cast<void>(analyse_json(shear_frame(1, m, spectrum))), InputError);
}

// Two storeys: modes at omega_2 / omega_1 = 2.62; CQC with 5 % damping and
// SRSS agree within 1 %, and SRSS is the root of the modes' squares.
TEST(ResponseSpectrum, WellSeparatedModesCombineAlikeByCqcAndSrss) {
  const AnalysisResult cqc = analyse_json(shear_frame(2, 10.0, flat_spectrum(2.0, "CQC")));
  const AnalysisResult srss = analyse_json(shear_frame(2, 10.0, flat_spectrum(2.0, "SRSS")));
  const SpectrumResult& s = *srss.spectrum;
  double squares = 0.0;
  for (const SpectrumModeResponse& mode : s.modes) squares += mode.base_shear[0] * mode.base_shear[0];
  EXPECT_NEAR(s.base_shear[0], std::sqrt(squares), 1e-9 * s.base_shear[0]);
  EXPECT_NEAR(cqc.spectrum->base_shear[0] / s.base_shear[0], 1.0, 1e-2);
  EXPECT_GT(cqc.spectrum->base_shear[0], s.base_shear[0]);  // positive correlation adds
  // Each mode's base shear is its effective mass times Sa.
  for (const SpectrumModeResponse& mode : s.modes)
    EXPECT_NEAR(mode.base_shear[0],
                srss.modal->modes[static_cast<std::size_t>(mode.mode - 1)].effective_mass[0] * 2.0,
                1e-6 * (1.0 + mode.base_shear[0]));
}

TEST(ResponseSpectrum, TooFewModesAndAShortSpectrumAreTold) {
  // Mode 1 (T = 0.51 s) lies below the table; it carries 95 % of the mass
  // along X and none along Y (the columns do not shorten).
  json model = shear_frame(2, 10.0, {{"table", {{1.0, 2.0}, {2.0, 2.0}}}, {"directions", {"X", "Y"}}});
  model["modal"]["modes"] = 1;
  const AnalysisResult r = analyse_json(model);
  bool mass = false, outside = false;
  for (const Warning& w : r.warnings) {
    mass = mass || w.code == "modal_mass_below_90";
    outside = outside || w.code == "period_outside_spectrum";
  }
  EXPECT_TRUE(mass);
  EXPECT_TRUE(outside);
}

// The spectrum's magnitudes cannot be factored into a load case's values.
TEST(ResponseSpectrum, ACombinationNamingTheSpectrumIsRefused) {
  json model = shear_frame(1, 10.0, flat_spectrum(2.0));
  model["spectrum"]["name"] = "E";
  model["load_cases"] = {{{"name", "G"}, {"loads", {{{"at", {0, h, 0}}, {"force", {0, -10, 0}}}}}}};
  model["combinations"] = {{{"name", "seismic"}, {"factors", {{"G", 1.0}, {"E", 1.0}}}}};
  try {
    (void)analyse_json(model);
    ADD_FAILURE() << "accepted";
  } catch (const InputError& e) {
    EXPECT_NE(std::string(e.what()).find("\"E\" is the response spectrum"), std::string::npos) << e.what();
  }
}

std::vector<std::vector<std::string>> csv_rows(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> fields;
    std::istringstream l(line);
    for (std::string f; std::getline(l, f, ',');) fields.push_back(f);
    if (!line.empty() && line.back() == ',') fields.emplace_back();
    rows.push_back(fields);
  }
  return rows;
}

// Every output of the spectrum holds the analysis's numbers, value by value.
TEST(ResponseSpectrum, OutputsHoldTheCombinedMagnitudes) {
  Model model;
  json input = shear_frame(2, 10.0, flat_spectrum(2.0));
  input["spectrum"]["directions"] = {"X", "Y"};
  input["spectrum"]["name"] = "E";
  const AnalysisResult r = analyse_json(input, &model);
  const SpectrumResult& s = *r.spectrum;

  const json doc = json::parse(format_json_results(model, r));
  const json& js = doc.at("spectrum");
  EXPECT_EQ(js.at("name"), "E");
  EXPECT_EQ(js.at("base_shear").at("X").get<double>(), s.base_shear[0]);
  EXPECT_EQ(js.at("base_shear").at("Y").get<double>(), s.base_shear[1]);
  ASSERT_EQ(js.at("modes").size(), s.modes.size());
  for (std::size_t k = 0; k < s.modes.size(); ++k) {
    EXPECT_EQ(js.at("modes")[k].at("period").get<double>(), s.modes[k].period);
    EXPECT_EQ(js.at("modes")[k].at("base_shear").at("X").get<double>(), s.modes[k].base_shear[0]);
  }
  for (std::size_t n = 0; n < s.displacements.size(); ++n)
    for (std::size_t k = 0; k < 6; ++k)
      EXPECT_EQ(js.at("displacements")[n].at("u")[k].get<double>(), s.displacements[n][k]);
  for (std::size_t e = 0; e < s.end_forces.size(); ++e) {
    for (std::size_t k = 0; k < 12; ++k)
      EXPECT_EQ(js.at("members")[e].at("end_forces")[k].get<double>(), s.end_forces[e][k]);
    EXPECT_EQ(js.at("members")[e].at("stations").size(), s.station_x[e].size());
    EXPECT_EQ(js.at("members")[e].at("stations")[0].at("Mz").get<double>(), s.station_values[e][0][5]);
  }
  for (std::size_t k = 0; k < s.reactions.size(); ++k)
    EXPECT_EQ(js.at("reactions")[k].at("node").get<int>(), s.reaction_nodes[k]);
  EXPECT_EQ(js.at("spectrum").at("modal_combination"), "CQC");

  const auto tables = format_csv_tables(model, r);
  const auto modes = csv_rows(tables.at("seismic_modes.csv"));
  ASSERT_EQ(modes.size(), s.modes.size() + 1);
  EXPECT_EQ(std::stod(modes[1][1]), s.modes[0].period);
  EXPECT_EQ(std::stod(modes[1][6]), s.modes[0].base_shear[0]);
  const auto nodes = csv_rows(tables.at("seismic_nodes.csv"));
  ASSERT_EQ(nodes.size(), s.displacements.size() + 1);
  EXPECT_EQ(std::stod(nodes[2][1]), s.displacements[1][0]);
  const auto first_support = static_cast<std::size_t>(s.reaction_nodes[0]);
  EXPECT_EQ(std::stod(nodes[first_support][7]), s.reactions[0][0]);
  const auto members = csv_rows(tables.at("seismic_members.csv"));
  EXPECT_EQ(members[1][0], "C0a");
  EXPECT_EQ(std::stod(members[1][6]), s.end_forces[0][5]);
  EXPECT_EQ(std::stod(members[1][13]), s.stress_bound[0]);

  const std::string report = format_report(model, r, ReportDetail::full);
  EXPECT_NE(report.find("Response spectrum \"E\""), std::string::npos);
  EXPECT_NE(report.find(fmt::format("Base shear, combined (kN): X {:g} Y {:g}", s.base_shear[0],
                                    s.base_shear[1])),
            std::string::npos)
      << report.substr(report.find("Response spectrum"));
}

}  // namespace seismic_response_test
}  // namespace zervola::frame::test
