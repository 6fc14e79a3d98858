// Frames whose sections are given by name: the same frame in three sets of
// units gives the same physical results, a plane portal and the same portal
// standing in a space frame bend alike, a density in kg/m^3 is the same
// self-weight as in t/m^3, and every mistake of naming is refused with the
// item, the field and the nearest names, or warned of.

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <zervola/frame.hpp>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "analyse_json.hpp"
#include "run_program.hpp"

namespace zervola::frame::test {
namespace section_models_test {

using nlohmann::json;

std::string input_error(const json& model) {
  try {
    (void)analyse_json(model);
  } catch (const InputError& e) {
    return e.what();
  }
  return "accepted";
}

// ---------------------------------------------------------------------------
// One frame in three sets of units
// ---------------------------------------------------------------------------

struct UnitSet {
  const char* force;
  const char* length;
  double newtons;  // per force unit
  double metres;   // per length unit
};

constexpr UnitSet k_kn_m = {"kN", "m", 1000.0, 1.0};
constexpr UnitSet k_n_mm = {"N", "mm", 1.0, 0.001};
constexpr UnitSet k_kip_in = {"kip", "in", 4448.2216152605, 0.0254};

// A one-bay, two-frame space frame (metres and kilonewtons, written in the
// set's units): HEB 200 columns, IPE 300 beams in both directions, W12X26
// braces' worth of a tie beam, S355, its self-weight, a wind load at the
// eaves, and a distributed load along one beam.
json three_dimensional_frame(const UnitSet& u) {
  const double to_length = 1.0 / u.metres;
  const double to_force = 1000.0 / u.newtons;
  const auto p = [&](double x, double y, double z) {
    return json::array({x * to_length, y * to_length, z * to_length});
  };
  json members = json::array();
  const auto member = [&](const std::string& name, const json& a, const json& b,
                          const std::string& section) {
    members.push_back({{"name", name}, {"from", a}, {"to", b}, {"section", section}});
  };
  member("C1", p(0, 0, 0), p(0, 0, 4), "column");
  member("C2", p(6, 0, 0), p(6, 0, 4), "column");
  member("C3", p(0, 5, 0), p(0, 5, 4), "column");
  member("C4", p(6, 5, 0), p(6, 5, 4), "column");
  member("B1", p(0, 0, 4), p(6, 0, 4), "IPE 300");
  member("B2", p(0, 5, 4), p(6, 5, 4), "IPE 300");
  member("T1", p(0, 0, 4), p(0, 5, 4), "W12X26");
  member("T2", p(6, 0, 4), p(6, 5, 4), "W12X26");
  json supports = json::array();
  for (const json& at : {p(0, 0, 0), p(6, 0, 0), p(0, 5, 0), p(6, 5, 0)})
    supports.push_back({{"at", at}, {"type", "fixed"}});
  return {{"units", {{"force", u.force}, {"length", u.length}}},
          {"frame", "space"},
          {"material", "S355"},
          {"sections", json::array({{{"name", "column"}, {"profile", "HEB 200"}}})},
          {"members", members},
          {"supports", supports},
          {"load_cases",
           json::array({{{"name", "dead"}, {"self_weight", true}},
                        {{"name", "wind"},
                         {"loads", json::array({{{"at", p(0, 0, 4)},
                                                 {"force", {12.0 * to_force, 3.0 * to_force, 0}}}})},
                         {"member_loads",
                          json::array({{{"member", "B2"},
                                        {"type", "distributed"},
                                        {"value", {0, 0, -15.0 * to_force / to_length}}}})}}})}};
}

// The largest magnitude of a quantity over a result, to compare relative to.
double scale_of(const std::vector<double>& v) {
  double m = 0.0;
  for (double x : v) m = std::max(m, std::abs(x));
  return m;
}

// Every number of a result in SI units, grouped by kind.
struct SiResults {
  std::vector<double> translations, rotations, forces, moments, stresses;
};

SiResults in_si(const AnalysisResult& r, const UnitSet& u) {
  SiResults s;
  for (const CaseResult& c : r.cases) {
    for (const auto& d : c.displacements)
      for (std::size_t k = 0; k < 6; ++k)
        (k < 3 ? s.translations : s.rotations).push_back(k < 3 ? d[k] * u.metres : d[k]);
    for (const Reaction& x : c.reactions)
      for (std::size_t k = 0; k < 6; ++k)
        (k < 3 ? s.forces : s.moments)
            .push_back(k < 3 ? x.value[k] * u.newtons : x.value[k] * u.newtons * u.metres);
    for (const auto& f : c.end_forces)
      for (std::size_t k = 0; k < 12; ++k)
        (k % 6 < 3 ? s.forces : s.moments)
            .push_back(k % 6 < 3 ? f[k] * u.newtons : f[k] * u.newtons * u.metres);
    for (std::size_t e = 0; e < c.stress_max.size(); ++e) {
      s.stresses.push_back(c.stress_max[e] * u.newtons / (u.metres * u.metres));
      s.stresses.push_back(c.stress_min[e] * u.newtons / (u.metres * u.metres));
    }
  }
  return s;
}

void expect_same(const std::vector<double>& a, const std::vector<double>& b, const char* what) {
  ASSERT_EQ(a.size(), b.size()) << what;
  const double scale = scale_of(b);
  ASSERT_GT(scale, 0.0) << what;
  double worst = 0.0;
  for (std::size_t k = 0; k < a.size(); ++k) worst = std::max(worst, std::abs(a[k] - b[k]) / scale);
  EXPECT_LT(worst, 1.0e-12) << what;
}

TEST(SectionModels, TheSameFrameInKnMetresNewtonMillimetresAndKipInchesGivesTheSameResults) {
  const SiResults kn_m = in_si(analyse_json(three_dimensional_frame(k_kn_m)), k_kn_m);
  for (const UnitSet& u : {k_n_mm, k_kip_in}) {
    SCOPED_TRACE(u.length);
    const SiResults other = in_si(analyse_json(three_dimensional_frame(u)), u);
    expect_same(other.translations, kn_m.translations, "translations");
    expect_same(other.rotations, kn_m.rotations, "rotations");
    expect_same(other.forces, kn_m.forces, "forces");
    expect_same(other.moments, kn_m.moments, "moments");
    expect_same(other.stresses, kn_m.stresses, "stresses");
  }
}

TEST(SectionModels, SelfWeightIsTheCatalogueMassUnderStandardGravity) {
  Model model;
  const AnalysisResult r = analyse_json(three_dimensional_frame(k_kn_m), &model);
  // Total vertical reaction of the dead load: sum of rho A L g over members.
  double weight = 0.0;
  for (const Member& m : model.members) {
    const Section& s = *std::find_if(model.sections.begin(), model.sections.end(),
                                     [&](const Section& x) { return x.name == m.section; });
    const double L = std::hypot(m.to.x - m.from.x, m.to.y - m.from.y, m.to.z - m.from.z);
    weight += *s.density * s.area * L * 9.81;
  }
  EXPECT_NEAR(r.cases[0].equilibrium.reaction_force[2] / weight, 1.0, 1e-12);
  // 7850 kg/m^3 is 7.85 t/m^3 in a kN-m model; HEB 200 weighs 61.3 kg/m as tabulated.
  EXPECT_NEAR(*model.sections[0].density, 7.85, 1e-14);
  EXPECT_NEAR(*model.sections[0].density * model.sections[0].area * 1000.0, 61.3, 0.05);
}

// ---------------------------------------------------------------------------
// Plane and space
// ---------------------------------------------------------------------------

// A portal 6 m wide, 4 m high: HEB 200 columns, an IPE 300 beam under a
// uniform load, a horizontal load at the eaves. In a plane frame in x-y, or
// standing in the x-z plane of a space frame (z up), with the same words.
json portal(FrameKind kind) {
  const bool plane = kind == FrameKind::plane;
  const auto p = [&](double x, double up) {
    return plane ? json::array({x, up, 0}) : json::array({x, 0, up});
  };
  const auto v = [&](double along, double up) {
    return plane ? json::array({along, up, 0}) : json::array({along, 0, up});
  };
  json model = {
      {"units", {{"force", "kN"}, {"length", "m"}}},
      {"frame", plane ? "plane" : "space"},
      {"material", "S355"},
      {"members", json::array({{{"name", "C1"}, {"from", p(0, 0)}, {"to", p(0, 4)}, {"section", "HEB 200"}},
                               {{"name", "B"}, {"from", p(0, 4)}, {"to", p(6, 4)}, {"section", "IPE 300"}},
                               {{"name", "C2"}, {"from", p(6, 0)}, {"to", p(6, 4)}, {"section", "HEB 200"}}})},
      {"supports", json::array({{{"at", p(0, 0)}, {"type", "fixed"}}, {{"at", p(6, 0)}, {"type", "fixed"}}})},
      {"load_cases",
       json::array({{{"name", "gravity"},
                     {"loads", json::array({{{"at", p(0, 4)}, {"force", v(5, 0)}}})},
                     {"member_loads", json::array({{{"member", "B"}, {"type", "distributed"}, {"value", v(0, -20)}}})}}})}};
  if (!plane) {
    // Hold the space frame out of its plane, as the plane frame is held.
    for (json& s : model["supports"]) s["type"] = "fixed";
    model["springs"] = json::array({{{"at", p(0, 4)}, {"ky", 1e6}, {"krx", 1e6}, {"krz", 1e6}},
                                    {{"at", p(6, 4)}, {"ky", 1e6}, {"krx", 1e6}, {"krz", 1e6}}});
  }
  return model;
}

TEST(SectionModels, APlanePortalAndTheSamePortalStandingInASpaceFrameBendAlike) {
  const AnalysisResult plane = analyse_json(portal(FrameKind::plane));
  const AnalysisResult space = analyse_json(portal(FrameKind::space));
  const CaseResult& a = plane.cases[0];
  const CaseResult& b = space.cases[0];
  ASSERT_EQ(a.displacements.size(), b.displacements.size());
  double largest = 0.0;
  for (const auto& d : a.displacements) largest = std::max({largest, std::abs(d[0]), std::abs(d[1])});
  ASSERT_GT(largest, 1e-3);  // millimetres of sway and sag
  for (std::size_t n = 0; n < a.displacements.size(); ++n) {
    // Plane (x, y, rz) is space (x, z, -ry): y up becomes z up.
    EXPECT_NEAR(a.displacements[n][0], b.displacements[n][0], 1e-12 * largest) << n;
    EXPECT_NEAR(a.displacements[n][1], b.displacements[n][2], 1e-12 * largest) << n;
    EXPECT_NEAR(a.displacements[n][5], -b.displacements[n][4], 1e-12) << n;
  }
  double moment = 0.0;
  for (const auto& f : a.end_forces) moment = std::max({moment, std::abs(f[5]), std::abs(f[11])});
  ASSERT_GT(moment, 10.0);
  for (std::size_t e = 0; e < a.end_forces.size(); ++e)
    for (std::size_t end : {5u, 11u}) {
      // In-plane moments: about local z in the plane frame, local y in
      // space (whose local z is the plane frame's local y).
      EXPECT_NEAR(std::abs(a.end_forces[e][end]), std::abs(b.end_forces[e][end - 1]), 1e-9 * moment)
          << "member " << e << " component " << end;
      EXPECT_NEAR(a.stress_max[e], b.stress_max[e], 1e-9 * std::abs(a.stress_max[e])) << e;
    }
}

TEST(SectionModels, StrongAndWeakInertiasGiveTheSameBeamInBothKinds) {
  // IPE 300 typed by its axes, as an engineer copies it between models.
  const auto typed = [](json model) {
    model["sections"] = json::array({{{"name", "beam"}, {"A", 53.81e-4}, {"It", 20.12e-8},
                                      {"I_strong", 8356e-8}, {"I_weak", 603.8e-8},
                                      {"depth", 0.3}, {"width", 0.15}}});
    model["members"][1]["section"] = "beam";
    return model;
  };
  const AnalysisResult catalogue = analyse_json(portal(FrameKind::space));
  for (FrameKind kind : {FrameKind::plane, FrameKind::space}) {
    const AnalysisResult r = analyse_json(typed(portal(kind)));
    const std::size_t up = kind == FrameKind::plane ? 1 : 2;
    // Mid-span is not a node; the beam's end rotations and the eaves' sway.
    EXPECT_NEAR(r.cases[0].displacements[1][0] / catalogue.cases[0].displacements[1][0], 1.0, 2e-3);
    EXPECT_NEAR(r.cases[0].displacements[1][up] / catalogue.cases[0].displacements[1][2], 1.0, 2e-3);
  }
}

TEST(SectionModels, StrongAndWeakAxesTypedTakeTheStressesAtTheSectionsDepth) {
  // IPE 300 typed by its axes (depth 300, width 150 mm) carries the
  // catalogue beam's stresses, whose fibre distance is 2 Iy / Wel,y =
  // 299.98 mm, in either kind of frame.
  const json typed = {{"name", "beam"}, {"A", 53.81e-4}, {"It", 20.12e-8}, {"I_strong", 8356e-8},
                      {"I_weak", 603.8e-8}, {"depth", 0.3}, {"width", 0.15}};
  for (FrameKind kind : {FrameKind::plane, FrameKind::space}) {
    SCOPED_TRACE(kind == FrameKind::plane ? "plane" : "space");
    const AnalysisResult catalogue = analyse_json(portal(kind));
    json m = portal(kind);
    m["sections"] = json::array({typed});
    m["members"][1]["section"] = "beam";
    Model model;
    const AnalysisResult r = analyse_json(m, &model);
    const Section& beam = model.sections[0];
    EXPECT_DOUBLE_EQ(kind == FrameKind::space ? beam.extent_z : beam.extent_y, 0.3);
    EXPECT_DOUBLE_EQ(kind == FrameKind::space ? beam.extent_y : beam.extent_z, 0.15);
    ASSERT_GT(std::abs(catalogue.cases[0].stress_max[1]), 1000.0);  // kN/m^2
    EXPECT_NEAR(r.cases[0].stress_max[1] / catalogue.cases[0].stress_max[1], 1.0, 1e-3);
    EXPECT_NEAR(r.cases[0].stress_min[1] / catalogue.cases[0].stress_min[1], 1.0, 1e-3);
  }
}

TEST(SectionModels, EveryShapeIsReadWithEachOfItsDimensions) {
  const double pi = std::numbers::pi;
  struct Shape {
    json fields;
    double area;
    const char* text;
  };
  const std::vector<Shape> shapes = {
      {{{"shape", "rectangle"}, {"b", 0.2}, {"h", 0.4}}, 0.2 * 0.4, "rectangle b 0.2, h 0.4"},
      {{{"shape", "circle"}, {"d", 0.3}}, pi * 0.3 * 0.3 / 4, "circle d 0.3"},
      {{{"shape", "hollow_circle"}, {"d", 0.2}, {"t", 0.01}}, pi * (0.2 * 0.2 - 0.18 * 0.18) / 4,
       "hollow_circle d 0.2, t 0.01"},
      {{{"shape", "hollow_rectangle"}, {"b", 0.1}, {"h", 0.2}, {"t", 0.005}},
       0.1 * 0.2 - 0.09 * 0.19, "hollow_rectangle b 0.1, h 0.2, t 0.005"},
      {{{"shape", "i"}, {"h", 0.3}, {"b", 0.15}, {"tw", 0.0071}, {"tf", 0.0107}},
       2 * 0.15 * 0.0107 + (0.3 - 2 * 0.0107) * 0.0071, "i h 0.3, b 0.15, tw 0.0071, tf 0.0107"},
  };
  for (const Shape& shape : shapes) {
    SCOPED_TRACE(shape.text);
    json m = portal(FrameKind::plane);
    json section = shape.fields;
    section["name"] = "beam";
    m["sections"] = json::array({section});
    m["members"][1]["section"] = "beam";
    Model model;
    (void)analyse_json(m, &model);
    const Section& beam = *std::find_if(model.sections.begin(), model.sections.end(),
                                        [](const Section& s) { return s.name == "beam"; });
    EXPECT_NEAR(beam.area / shape.area, 1.0, 1e-12);
    EXPECT_EQ(beam.shape, shape.text);
  }
}

// ---------------------------------------------------------------------------
// Density units
// ---------------------------------------------------------------------------

TEST(SectionModels, ADensityInKgPerCubicMetreIsTheSameSelfWeightAsInTonnesPerCubicMetre) {
  json tonnes = portal(FrameKind::plane);
  tonnes.erase("material");
  tonnes["sections"] = json::array({{{"name", "S"}, {"E", 2.1e8}, {"G", 8.1e7}, {"A", 7.81e-3},
                                     {"It", 5.9e-7}, {"Iy", 2.0e-5}, {"Iz", 5.7e-5},
                                     {"extent_z", 0.2}, {"extent_y", 0.2}, {"density", 7.85}}});
  for (json& m : tonnes["members"]) m["section"] = "S";
  tonnes["load_cases"] = json::array({{{"name", "dead"}, {"gravity", {0, -9.81, 0}}},
                                      {{"name", "dead again"}, {"self_weight", true}}});
  json kilograms = tonnes;
  kilograms["density_unit"] = "kg/m3";
  kilograms["sections"][0]["density"] = 7850;
  const AnalysisResult t = analyse_json(tonnes);
  const AnalysisResult k = analyse_json(kilograms);
  for (std::size_t c = 0; c < 2; ++c)
    for (std::size_t n = 0; n < t.cases[c].displacements.size(); ++n)
      for (std::size_t d = 0; d < 6; ++d)
        EXPECT_NEAR(k.cases[c].displacements[n][d], t.cases[0].displacements[n][d],
                    1e-12 * std::abs(t.cases[0].displacements[n][d]) + 1e-300)
            << c << " " << n << " " << d;
}

TEST(SectionModels, ADensityInKgPerCubicMetreInANewtonMillimetreModel) {
  // A 6 m beam of 7810 mm^2 fixed at both ends, in N and mm: 7850 kg/m^3
  // is 7.85e-9 N s^2/mm^4, and under 9810 mm/s^2 the beam weighs
  // rho A L g = 7850 x 7.81e-3 x 6 x 9.81 = 3608.6 N.
  const json model = {
      {"units", {{"force", "N"}, {"length", "mm"}}},
      {"frame", "plane"},
      {"density_unit", "kg/m3"},
      {"sections", json::array({{{"name", "S"}, {"E", 210000}, {"G", 81000}, {"A", 7810},
                                 {"It", 5.9e5}, {"Iy", 2.0e7}, {"Iz", 5.7e7}, {"extent_z", 200},
                                 {"extent_y", 200}, {"density", 7850}}})},
      {"members", json::array({{{"name", "B"}, {"from", {0, 0, 0}}, {"to", {6000, 0, 0}},
                                {"section", "S"}}})},
      {"supports", json::array({{{"at", {0, 0, 0}}, {"type", "fixed"}},
                                {{"at", {6000, 0, 0}}, {"type", "fixed"}}})},
      {"load_cases", json::array({{{"name", "dead"}, {"gravity", {0, -9810, 0}}}})}};
  Model read;
  const AnalysisResult r = analyse_json(model, &read);
  ASSERT_TRUE(read.sections[0].density.has_value());
  EXPECT_NEAR(*read.sections[0].density / 7.85e-9, 1.0, 1e-12);
  EXPECT_NEAR(r.cases[0].equilibrium.reaction_force[1] / (7850 * 7.81e-3 * 6 * 9.81), 1.0, 1e-9);
}

// ---------------------------------------------------------------------------
// Mistakes of naming, refused or warned of
// ---------------------------------------------------------------------------

TEST(SectionModels, NamesThatAreNotThereAreRefusedWithTheNearestNames) {
  json m = portal(FrameKind::plane);
  m["members"][1]["section"] = "IPE 310";
  std::string e = input_error(m);
  EXPECT_NE(e.find("member \"B\" (members[1]): field \"section\": unknown section \"IPE 310\""), std::string::npos) << e;
  EXPECT_NE(e.find("nearest: \"IPE 300\""), std::string::npos) << e;

  m = portal(FrameKind::plane);
  m["sections"] = json::array({{{"name", "beam"}, {"profile", "HEA 310"}}});
  e = input_error(m);
  EXPECT_NE(e.find("section \"beam\" (sections[0]): field \"profile\": \"HEA 310\" is not in the section catalogue; nearest: \"HEA 300\""), std::string::npos) << e;

  m = portal(FrameKind::plane);
  m["material"] = "S335";
  e = input_error(m);
  EXPECT_NE(e.find("model: field \"material\": unknown material \"S335\"; nearest: "), std::string::npos) << e;
  EXPECT_NE(e.find("\"S355\""), std::string::npos) << e;

  m = portal(FrameKind::plane);
  m["sections"] = json::array({{{"name", "col"}, {"shape", "rectangle"}, {"b", 0.3}, {"h", 0.5}, {"material", "C30/73"}}});
  e = input_error(m);
  EXPECT_NE(e.find("section \"col\" (sections[0]): field \"material\": unknown material \"C30/73\"; nearest: \"C30/37\""), std::string::npos) << e;
}

TEST(SectionModels, FormsThatContradictEachOtherAreRefused) {
  json m = portal(FrameKind::plane);
  m["sections"] = json::array({{{"name", "beam"}, {"profile", "IPE 300"}, {"A", 0.01}}});
  EXPECT_NE(input_error(m).find("field \"A\": a section given by \"profile\" takes no \"A\""), std::string::npos);
  m["sections"] = json::array({{{"name", "beam"}, {"shape", "rectangle"}, {"b", 0.3}, {"h", 0.5}, {"d", 0.1}}});
  EXPECT_NE(input_error(m).find("field \"d\": a \"rectangle\" has no dimension \"d\""), std::string::npos);
  m["sections"] = json::array({{{"name", "beam"}, {"shape", "hexagon"}, {"b", 0.3}}});
  EXPECT_NE(input_error(m).find("field \"shape\": \"hexagon\" is not a shape"), std::string::npos);
  m["sections"] = json::array({{{"name", "beam"}, {"A", 0.01}, {"It", 1e-6}, {"Iy", 1e-4},
                                {"I_strong", 1e-4}, {"I_weak", 1e-5}, {"depth", 0.3}, {"width", 0.2}}});
  EXPECT_NE(input_error(m).find("not both"), std::string::npos);
  m["sections"] = json::array({{{"name", "beam"}, {"shape", "hollow_circle"}, {"d", 0.1}, {"t", 0.05}}});
  EXPECT_NE(input_error(m).find("field \"t\": a wall of 0.05 is half the diameter 0.1 or more"), std::string::npos);
  // A profile needs a material; typed properties without one need E and G.
  m = portal(FrameKind::plane);
  m.erase("material");
  EXPECT_NE(input_error(m).find("the catalogue profile \"HEB 200\" needs a material"), std::string::npos);
  m["sections"] = json::array({{{"name", "beam"}, {"A", 0.01}, {"It", 1e-6}, {"I_strong", 1e-4},
                                {"I_weak", 1e-5}, {"depth", 0.3}, {"width", 0.2}, {"E", 2.1e8}}});
  EXPECT_NE(input_error(m).find("field \"G\": missing field (give E and G, or a \"material\""), std::string::npos);
}

TEST(SectionModels, UnitsThatAreOnlyLabelsRunWithOneWarningButNameNothingByName) {
  json m = portal(FrameKind::plane);
  m.erase("material");
  m["units"] = {{"force", "kN"}, {"length", "metre"}};
  m["sections"] = json::array({{{"name", "S"}, {"E", 2.1e8}, {"G", 8.1e7}, {"A", 0.01}, {"It", 1e-6},
                                {"Iy", 1e-4}, {"Iz", 1e-4}, {"extent_z", 0.3}, {"extent_y", 0.3}}});
  for (json& member : m["members"]) member["section"] = "S";
  const AnalysisResult r = analyse_json(m);
  ASSERT_EQ(r.warnings.size(), 1u);
  EXPECT_EQ(r.warnings[0].code, "unknown_units");
  EXPECT_NE(r.warnings[0].message.find("length \"metre\" are not among the units zervola converts"), std::string::npos);

  m["sections"].push_back({{"name", "beam"}, {"profile", "IPE 300"}, {"E", 2.1e8}, {"G", 8.1e7}});
  std::string e = input_error(m);
  EXPECT_NE(e.find("section \"beam\" (sections[1]): the catalogue section \"IPE 300\" needs units that "
                   "zervola can convert into, but the model's units are force \"kN\", length \"metre\": give "
                   "\"units\" a force among N, kN, MN, lbf, kip and a length among mm, cm, m, in, ft"),
            std::string::npos)
      << e;
  m["sections"].erase(1);
  m["material"] = "S355";
  e = input_error(m);
  EXPECT_NE(e.find("section \"S\" (sections[0]): the material \"S355\" needs units"), std::string::npos) << e;
  m.erase("material");
  m["members"][1]["section"] = "S";
  m["load_cases"][0]["self_weight"] = true;
  m["sections"][0]["density"] = 7.85;
  EXPECT_NE(input_error(m).find("field \"self_weight\": needs the acceleration of gravity"), std::string::npos);
  m["gravity"] = 9.81;
  EXPECT_NO_THROW((void)analyse_json(m));
}

TEST(SectionModels, ASectionCopiedFromAPlaneFrameIntoASpaceFrameIsWarnedOf) {
  // The plane frame's IPE 300 typed in local axes: Iz is its strong axis.
  const json copied = {{"name", "IPE300"}, {"E", 2.1e8}, {"G", 8.1e7}, {"A", 5.381e-3}, {"It", 2.012e-7},
                       {"Iy", 6.038e-6}, {"Iz", 8.356e-5}, {"extent_z", 0.15}, {"extent_y", 0.3}};
  json plane = portal(FrameKind::plane);
  plane["sections"] = json::array({copied});
  plane["members"][1]["section"] = "IPE300";
  EXPECT_TRUE(analyse_json(plane).warnings.empty());

  json space = portal(FrameKind::space);
  space["sections"] = json::array({copied});
  space["members"][1]["section"] = "IPE300";
  const AnalysisResult wrong = analyse_json(space);
  ASSERT_EQ(wrong.warnings.size(), 1u);
  EXPECT_EQ(wrong.warnings[0].code, "weak_axis_bending");
  EXPECT_EQ(wrong.warnings[0].items, (std::vector<std::string>{"IPE300", "B"}));
  // The catalogue's IPE 300 is the beam meant, and no warning: the copy,
  // 13.8 times as flexible, turns its ends (held by the columns) further.
  const AnalysisResult right = analyse_json(portal(FrameKind::space));
  EXPECT_TRUE(right.warnings.empty());
  const double ratio = wrong.cases[0].displacements[1][4] / right.cases[0].displacements[1][4];
  EXPECT_GT(ratio, 1.5);

  // The other way round: a space frame's section in a plane frame.
  plane["sections"][0]["Iy"] = 8.356e-5;
  plane["sections"][0]["Iz"] = 6.038e-6;
  const AnalysisResult flat = analyse_json(plane);
  ASSERT_EQ(flat.warnings.size(), 1u);
  EXPECT_EQ(flat.warnings[0].code, "weak_axis_bending");
}

TEST(SectionModels, ADrawingsLayerMayNameACatalogueProfile) {
  const ScratchDirectory dir;
  dir.write("frame.dxf",
            "0\nSECTION\n2\nENTITIES\n"
            "0\nLINE\n8\nHEB200\n10\n0\n20\n0\n30\n0\n11\n0\n21\n4\n31\n0\n"
            "0\nLINE\n8\nIPE 300\n10\n0\n20\n4\n30\n0\n11\n6\n21\n4\n31\n0\n"
            "0\nLINE\n8\nHEB200\n10\n6\n20\n0\n30\n0\n11\n6\n21\n4\n31\n0\n"
            "0\nENDSEC\n0\nEOF\n");
  json m = portal(FrameKind::plane);
  m.erase("members");
  m["dxf"] = "frame.dxf";
  m["load_cases"][0].erase("member_loads");
  const Model drawn = read_model(dir.write("model.json", m.dump()));
  ASSERT_EQ(drawn.sections.size(), 2u);
  EXPECT_EQ(drawn.sections[0].name, "HEB200");
  EXPECT_EQ(drawn.sections[0].profile, "HEB 200");
  EXPECT_EQ(drawn.sections[1].name, "IPE 300");
  EXPECT_EQ(drawn.sections[1].material, "S355");
  EXPECT_NEAR(drawn.sections[1].inertia_z, 8356e-8, 1e-18);  // strong axis in the plane

  // The same frame with the members in the model file gives the same numbers.
  json written = portal(FrameKind::plane);
  written["members"][0]["section"] = "HEB200";
  written["members"][2]["section"] = "HEB200";
  written["load_cases"][0].erase("member_loads");
  const AnalysisResult a = analyse(drawn);
  const AnalysisResult b = analyse_json(written);
  for (std::size_t n = 0; n < a.cases[0].displacements.size(); ++n)
    EXPECT_EQ(a.cases[0].displacements[n], b.cases[0].displacements[n]) << n;
}

TEST(SectionModels, TheCommandLineListsTheCatalogue) {
  RunResult r = run_frame({"--sections", "ipe 30"});
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_NE(r.out.find("IPE 300"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("8356"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("IPE 330"), std::string::npos) << r.out;
  r = run_frame({"--sections", "w12x2"});
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_NE(r.out.find("W12X26"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("in4"), std::string::npos) << r.out;
  // Each row in the table's own units, as published: EN 10365 for IPE 300
  // (mm, cm^2, cm^4, kg/m), AISC for W12X26 (in, in^2, in^4, lb/ft).
  const auto row = [](const std::string& listing, const std::string& designation) {
    std::vector<std::string> words;
    const auto at = listing.find("\n  " + designation + " ");
    if (at == std::string::npos) return words;
    const auto end = listing.find('\n', at + 1);
    std::istringstream line(listing.substr(at + 3 + designation.size(), end - at - 3 - designation.size()));
    for (std::string w; line >> w;) words.push_back(w);
    return words;
  };
  EXPECT_EQ(row(run_frame({"--sections", "IPE 300"}).out, "IPE 300"),
            (std::vector<std::string>{"IPE", "300", "150", "53.81", "8356", "603.8", "20.12", "42.2"}));
  EXPECT_EQ(row(run_frame({"--sections", "W12X26"}).out, "W12X26"),
            (std::vector<std::string>{"W", "12.2", "6.49", "7.65", "204", "17.3", "0.3", "26"}));
  r = run_frame({"--sections", "IPE 310"});
  EXPECT_EQ(r.exit_status, static_cast<int>(ExitStatus::usage));
  EXPECT_NE(r.err.find("no section of the catalogue matches \"IPE 310\"; nearest: \"IPE 300\""), std::string::npos) << r.err;
}

TEST(SectionModels, WarningsReachStandardErrorTheReportAndTheJson) {
  json m = portal(FrameKind::plane);
  m["units"]["length"] = "metres";
  m.erase("material");
  m["sections"] = json::array({{{"name", "S"}, {"E", 2.1e8}, {"G", 8.1e7}, {"A", 0.01}, {"It", 1e-6},
                                {"Iy", 1e-4}, {"Iz", 1e-4}, {"extent_z", 0.3}, {"extent_y", 0.3}}});
  for (json& member : m["members"]) member["section"] = "S";
  const ScratchDirectory dir;
  const RunResult r = run_frame({dir.write("model.json", m.dump()), "--json", dir.path("out.json")});
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_NE(r.err.find("zervola-frame: warning [unknown_units]: "), std::string::npos) << r.err;
  EXPECT_NE(r.out.find("Warnings (1)\n  [unknown_units]"), std::string::npos) << r.out;
  const json out = read_json(dir.path("out.json"));
  ASSERT_EQ(out["warnings"].size(), 1u);
  EXPECT_EQ(out["warnings"][0]["code"], "unknown_units");
  EXPECT_EQ(out["warnings"][0]["items"], json::array({"units"}));

  // A model that is fine says nothing of warnings.
  const RunResult clean = run_frame({dir.write("clean.json", portal(FrameKind::plane).dump()), "--json",
                                     dir.path("clean.out.json")});
  EXPECT_EQ(clean.exit_status, 0) << clean.err;
  EXPECT_TRUE(clean.err.empty()) << clean.err;
  EXPECT_EQ(clean.out.find("Warnings"), std::string::npos);
  EXPECT_TRUE(read_json(dir.path("clean.out.json"))["warnings"].empty());
}

std::vector<std::string> codes(const AnalysisResult& r) {
  std::vector<std::string> out;
  for (const Warning& w : r.warnings) out.push_back(w.code);
  return out;
}

TEST(SectionModels, ModuliAndDensitiesInTheWrongUnitsAreWarnedOf) {
  const std::string dir = std::string(ZERVOLA_TEST_DATA_DIR) + "/mistakes/";
  // E in N/mm^2 in a kN-m model: 1000 times too soft.
  const AnalysisResult soft = analyse(read_model(dir + "E-in-N-per-mm2.json"));
  ASSERT_EQ(codes(soft), std::vector<std::string>{"implausible_modulus"});
  EXPECT_NE(soft.warnings[0].message.find("section \"S\": E = 210000 kN/m^2 is 210 N/mm^2"),
            std::string::npos)
      << soft.warnings[0].message;
  EXPECT_NE(soft.warnings[0].message.find("steel is 2.1e+08 in kN/m^2"), std::string::npos);
  EXPECT_TRUE(analyse(read_model(dir + "reference-two-storey.json")).warnings.empty());

  // A density in kg/m^3 where the units ask for t/m^3, and the same said.
  json m = portal(FrameKind::plane);
  m["sections"] = json::array({{{"name", "S"}, {"profile", "IPE 300"}, {"density", 7850}}});
  for (json& member : m["members"]) member["section"] = "S";
  EXPECT_EQ(codes(analyse_json(m)), std::vector<std::string>{"implausible_density"});
  m["density_unit"] = "kg/m3";
  EXPECT_TRUE(analyse_json(m).warnings.empty());
  // Units that are labels only are not judged (the one warning says so).
  m["units"]["length"] = "metre";
  m.erase("density_unit");
  m["sections"] = json::array({{{"name", "S"}, {"E", 210000}, {"G", 81000}, {"A", 0.01}, {"It", 1e-6},
                                {"Iy", 1e-5}, {"Iz", 1e-4}, {"extent_z", 0.2}, {"extent_y", 0.3}}});
  m.erase("material");
  EXPECT_EQ(codes(analyse_json(m)), std::vector<std::string>{"unknown_units"});
}

TEST(SectionModels, StrongAndWeakAxesTypedAreCheckedUnderTheirOwnNames) {
  json m = portal(FrameKind::space);
  const json typed = {{"name", "beam"}, {"A", 53.81e-4}, {"It", 20.12e-8}, {"I_strong", 8356e-8},
                      {"I_weak", 603.8e-8}, {"depth", 0.3}, {"width", 0.15}};
  m["sections"] = json::array({typed});
  m["members"][1]["section"] = "beam";
  m["sections"][0]["width"] = 0;
  EXPECT_NE(input_error(m).find("section \"beam\" (sections[0]): field \"width\": must be positive, is 0"),
            std::string::npos);
  m["sections"][0] = typed;
  m["sections"][0]["I_weak"] = -1;
  EXPECT_NE(input_error(m).find("field \"I_weak\": must be positive"), std::string::npos);
  // Given the wrong way round: a warning, whatever the kind of frame.
  for (FrameKind kind : {FrameKind::space, FrameKind::plane}) {
    json swapped = portal(kind);
    swapped["sections"] = json::array({typed});
    swapped["sections"][0]["I_strong"] = 603.8e-8;
    swapped["sections"][0]["I_weak"] = 8356e-8;
    swapped["members"][1]["section"] = "beam";
    const AnalysisResult r = analyse_json(swapped);
    ASSERT_EQ(codes(r), std::vector<std::string>{"weak_axis_bending"});
    EXPECT_NE(r.warnings[0].message.find("I_strong = 6.038e-06 is smaller than I_weak = 8.356e-05"),
              std::string::npos)
        << r.warnings[0].message;
  }
  // Shape names, like profiles and materials, in any case.
  m = portal(FrameKind::plane);
  m["sections"] = json::array({{{"name", "post"}, {"shape", "Rectangle"}, {"b", 0.3}, {"h", 0.3}}});
  m["members"][0]["section"] = "post";
  EXPECT_NO_THROW((void)analyse_json(m));
}

TEST(SectionModels, SelfWeightWithoutADensityNamesTheFieldGiven) {
  json m = portal(FrameKind::plane);
  m.erase("material");
  m["sections"] = json::array({{{"name", "S"}, {"E", 2.1e8}, {"G", 8.1e7}, {"A", 0.01}, {"It", 1e-6},
                                {"Iy", 1e-5}, {"Iz", 1e-4}, {"extent_z", 0.2}, {"extent_y", 0.3}}});
  for (json& member : m["members"]) member["section"] = "S";
  m["load_cases"][0]["self_weight"] = true;
  EXPECT_NE(input_error(m).find("field \"self_weight\": self-weight needs a density: section \"S\""),
            std::string::npos)
      << input_error(m);
}

TEST(SectionModels, StrictMakesAnyWarningAnErrorAndWritesNothing) {
  const ScratchDirectory dir;
  const std::string soft = std::string(ZERVOLA_TEST_DATA_DIR) + "/mistakes/E-in-N-per-mm2.json";
  RunResult r = run_frame({soft, "--strict", "--json", dir.path("out.json"), "--csv", dir.path("csv"),
                           "--svg", dir.path("out.svg")});
  EXPECT_EQ(r.exit_status, static_cast<int>(ExitStatus::strict)) << r.err;
  EXPECT_NE(r.err.find("warning [implausible_modulus]"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("--strict: the model gave 1 warning (above); nothing was written"), std::string::npos) << r.err;
  EXPECT_TRUE(r.out.empty());
  EXPECT_FALSE(std::filesystem::exists(dir.path("out.json")));
  EXPECT_FALSE(std::filesystem::exists(dir.path("out.svg")));
  EXPECT_FALSE(std::filesystem::exists(dir.path("csv") + "/stresses.csv"));
  // Units that are labels only stop the run before the analysis.
  json m = portal(FrameKind::plane);
  m["units"]["force"] = "kgf";
  m.erase("material");
  m["sections"] = json::array({{{"name", "S"}, {"E", 2.1e8}, {"G", 8.1e7}, {"A", 0.01}, {"It", 1e-6},
                                {"Iy", 1e-5}, {"Iz", 1e-4}, {"extent_z", 0.2}, {"extent_y", 0.3}}});
  for (json& member : m["members"]) member["section"] = "S";
  r = run_frame({dir.write("labels.json", m.dump()), "--strict"});
  EXPECT_EQ(r.exit_status, static_cast<int>(ExitStatus::strict)) << r.err;
  // The corrected model passes --strict.
  r = run_frame({std::string(ZERVOLA_TEST_DATA_DIR) + "/mistakes/reference-two-storey.json", "--strict",
                 "--json", dir.path("out.json")});
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_TRUE(std::filesystem::exists(dir.path("out.json")));
}

TEST(SectionModels, ADisplacementBeyondATwentiethOfTheFrameIsWarnedOf) {
  // The portal in S355 with E given 1000 times too small in N/mm^2 terms
  // would also be implausible; here the loads are 1000 times too large.
  json m = portal(FrameKind::plane);
  m["load_cases"][0]["loads"][0]["force"] = {5000, 0, 0};
  m["combinations"] = json::array({{{"name", "half"}, {"factors", {{"gravity", 0.01}}}}});
  const AnalysisResult r = analyse_json(m);
  ASSERT_EQ(codes(r), std::vector<std::string>{"large_displacement"});
  EXPECT_NE(r.warnings[0].message.find("load case \"gravity\": node "), std::string::npos) << r.warnings[0].message;
  EXPECT_EQ(r.warnings[0].items, std::vector<std::string>{"gravity"});
  EXPECT_TRUE(analyse_json(portal(FrameKind::plane)).warnings.empty());

  // However many sets move too far, one warning names the first ten and
  // counts the rest.
  for (int k = 1; k <= 15; ++k)
    m["combinations"].push_back({{"name", fmt::format("x{}", k)}, {"factors", {{"gravity", 1.0 * k}}}});
  const AnalysisResult many = analyse_json(m);
  ASSERT_EQ(codes(many), std::vector<std::string>{"large_displacement"});
  EXPECT_EQ(many.warnings[0].items.size(), 16U);
  EXPECT_NE(many.warnings[0].message.find("; and 6 more load sets"), std::string::npos)
      << many.warnings[0].message;
}

}  // namespace section_models_test
}  // namespace zervola::frame::test
