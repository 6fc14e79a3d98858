// The extreme stresses of a member are those along its whole length: a
// simply supported beam's at mid-span (the closed form), a partial
// trapezoid's against a search on a fine grid, and a combination's from
// its own combined forces, never below the ends' values.

#include <gtest/gtest.h>

#include <zervola/frame.hpp>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

#include "analyse_json.hpp"
#include "run_program.hpp"

namespace zervola::frame::test {
namespace member_stresses_test {

using nlohmann::json;

TEST(MemberStresses, ASimplySupportedBeamHasItsExtremeAtMidSpan) {
  const Model model = read_model(std::string(ZERVOLA_TEST_DATA_DIR) + "/mistakes/stresses_at_ends_only.json");
  const AnalysisResult r = analyse(model);
  const CaseResult& c = r.cases[0];
  // w L^2 / 8 (h / 2) / I with w = 10 N/mm, L = 5000 mm, h = 160 mm.
  const double expected = 10.0 * 5000.0 * 5000.0 / 8.0 * 80.0 / 12582912.0;
  EXPECT_NEAR(c.stress_max[0] / expected, 1.0, 1e-9);
  EXPECT_NEAR(c.stress_min[0] / -expected, 1.0, 1e-9);
  EXPECT_NEAR(c.stress_max_x[0], 2500.0, 1e-6);
  EXPECT_NEAR(c.stress_min_x[0], 2500.0, 1e-6);
  // At the ends the moment vanishes, and so does the stress.
  EXPECT_LT(std::abs(c.end_stress_max[0]), 1e-9 * expected);
  EXPECT_LT(std::abs(c.end_stress_min[0]), 1e-9 * expected);
}

// The stress at the corners of the extents' rectangle, at every one of
// many stations: the plain search the exact extremes must match.
Extreme searched(const AnalysisResult& r, const Model& model, std::size_t set, std::size_t e) {
  const LoadSet s = load_sets(model)[set];
  const MemberState state = member_state(r, s, e);
  const BeamProperties b = beam_properties(model, e, r.members[e].length);
  std::vector<const LocalMemberLoads*> loads;
  for (const auto& per_case : r.member_loads) loads.push_back(&per_case[e]);
  const std::vector<Station> stations = diagram_stations(loads, b.L, 20000);
  const std::vector<StationValues> values = member_diagram(stations, state, b);
  const Section& section = *std::find_if(model.sections.begin(), model.sections.end(),
                                         [&](const Section& x) { return x.name == model.members[e].section; });
  Extreme out{};
  bool first = true;
  for (std::size_t n = 0; n < stations.size(); ++n) {
    const StationValues& v = values[n];
    for (double p : {-1.0, 1.0})
      for (double q : {-1.0, 1.0}) {
        const double sigma = -v[0] / b.A - p * v[4] / b.Iy * 0.5 * section.extent_z +
                             q * v[5] / b.Iz * 0.5 * section.extent_y;
        if (first || sigma > out.max) { out.max = sigma; out.x_max = stations[n].x; }
        if (first || sigma < out.min) { out.min = sigma; out.x_min = stations[n].x; }
        first = false;
      }
  }
  return out;
}

json frame_with_partial_loads() {
  return json::parse(R"({
    "units": {"force": "kN", "length": "m"},
    "frame": "space",
    "material": "S355",
    "members": [
      {"name": "C1", "from": [0, 0, 0], "to": [0, 0, 4], "section": "HEB 200"},
      {"name": "B1", "from": [0, 0, 4], "to": [7, 0, 4], "section": "IPE 300"},
      {"name": "C2", "from": [7, 0, 0], "to": [7, 0, 4], "section": "HEB 200"},
      {"name": "B2", "from": [0, 0, 4], "to": [0, 5, 4], "section": "IPE 300"}
    ],
    "supports": [{"at": [0, 0, 0], "type": "fixed"}, {"at": [7, 0, 0], "type": "fixed"},
                 {"at": [0, 5, 4], "type": "pinned"}],
    "load_cases": [
      {"name": "trapezoid", "member_loads": [
        {"member": "B1", "type": "distributed", "start": 1.3, "end": 5.1,
         "start_value": [0, 0, -4], "end_value": [0, 0, -31]},
        {"member": "B2", "type": "distributed", "axes": "local", "start": 0.5, "end": 3.5,
         "start_value": [3, 0, -12], "end_value": [-1, 8, -2]}]},
      {"name": "points", "member_loads": [
        {"member": "B1", "type": "force", "position": 2.2, "value": [0, 3, -40]},
        {"member": "C1", "type": "distributed", "value": [6, 2, 0]}],
       "loads": [{"at": [0, 0, 4], "force": [10, 0, 0]}]}
    ],
    "combinations": [{"name": "both", "factors": {"trapezoid": 1.35, "points": -1.5}}]
  })");
}

TEST(MemberStresses, ExactExtremesAgreeWithAFineSearchForEveryMemberAndSet) {
  Model model;
  const AnalysisResult r = analyse_json(frame_with_partial_loads(), &model);
  const std::size_t n_sets = r.cases.size() + r.combinations.size();
  for (std::size_t k = 0; k < n_sets; ++k) {
    const CaseResult& c = set_result(r, k);
    for (std::size_t e = 0; e < model.members.size(); ++e) {
      SCOPED_TRACE(c.name + " " + model.members[e].name);
      const Extreme grid = searched(r, model, k, e);
      const double scale = std::max(std::abs(grid.max), std::abs(grid.min));
      // The exact extreme is never below a sampled one, and a fine grid
      // comes within its spacing's square of it.
      EXPECT_GE(c.stress_max[e], grid.max - 1e-12 * scale);
      EXPECT_LE(c.stress_min[e], grid.min + 1e-12 * scale);
      EXPECT_NEAR(c.stress_max[e], grid.max, 1e-6 * scale);
      EXPECT_NEAR(c.stress_min[e], grid.min, 1e-6 * scale);
      EXPECT_NEAR(c.stress_max_x[e], grid.x_max, 1e-2 * r.members[e].length);
      EXPECT_GE(c.stress_max[e], c.end_stress_max[e]);
      EXPECT_LE(c.stress_min[e], c.end_stress_min[e]);
    }
  }
}

TEST(MemberStresses, ACombinationsExtremeIsThatOfItsCombinedForces) {
  Model model;
  const AnalysisResult r = analyse_json(frame_with_partial_loads(), &model);
  // B1 in the combination: its extreme lies where the combined moment is
  // largest, which is neither case's place nor the factored sum of theirs.
  const CaseResult& both = r.combinations[0];
  const double summed = 1.35 * r.cases[0].stress_max[1] + 1.5 * std::abs(r.cases[1].stress_min[1]);
  EXPECT_LT(both.stress_max[1], summed);
  const Extreme grid = searched(r, model, 2, 1);
  EXPECT_NEAR(both.stress_max[1], grid.max, 1e-6 * std::abs(grid.max));
}

TEST(MemberStresses, AnEnvelopeKeepsTheExtremeAlongTheMemberAndWhereItIs) {
  json text = frame_with_partial_loads();
  text["envelopes"] = json::parse(R"([{"name": "all", "combinations": ["trapezoid", "points", "both"]}])");
  Model model;
  const AnalysisResult r = analyse_json(text, &model);
  const EnvelopeResult env = envelope(model, r, model.envelopes[0]);
  for (std::size_t e = 0; e < model.members.size(); ++e) {
    SCOPED_TRACE(model.members[e].name);
    std::size_t max_by = 0, min_by = 0;
    for (std::size_t k = 1; k < 3; ++k) {
      if (set_result(r, k).stress_max[e] > set_result(r, max_by).stress_max[e]) max_by = k;
      if (set_result(r, k).stress_min[e] < set_result(r, min_by).stress_min[e]) min_by = k;
    }
    EXPECT_EQ(env.stress_max[e].max_by, max_by);
    EXPECT_EQ(env.stress_max[e].max, set_result(r, max_by).stress_max[e]);
    EXPECT_EQ(env.stress_max[e].x_max, set_result(r, max_by).stress_max_x[e]);
    EXPECT_EQ(env.stress_min[e].min_by, min_by);
    EXPECT_EQ(env.stress_min[e].min, set_result(r, min_by).stress_min[e]);
    EXPECT_EQ(env.stress_min[e].x_min, set_result(r, min_by).stress_min_x[e]);
  }
  // B2's extremes lie inside its span, under its partial load.
  EXPECT_GT(env.stress_max[3].x_max, 0.5);
  EXPECT_LT(env.stress_max[3].x_max, 3.5);
  EXPECT_GT(env.stress_min[3].x_min, 0.5);
  EXPECT_LT(env.stress_min[3].x_min, 3.5);
}

TEST(MemberStresses, TheOutputsSayWhereAndKeepTheEndValues) {
  const ScratchDirectory dir;
  const std::string model = std::string(ZERVOLA_TEST_DATA_DIR) + "/mistakes/stresses_at_ends_only.json";
  const RunResult run = run_frame({model, "--json", dir.path("out.json"), "--csv", dir.path("csv")});
  ASSERT_EQ(run.exit_status, 0) << run.err;
  const json out = read_json(dir.path("out.json"));
  const json& s = out["load_cases"][0]["stresses"][0];
  EXPECT_NEAR(s["max"].get<double>(), 3.125e7 * 80.0 / 12582912.0, 1e-9);
  EXPECT_NEAR(s["x_max"].get<double>(), 2500.0, 1e-6);
  EXPECT_LT(std::abs(s["end_max"].get<double>()), 1e-6);
  const std::string csv = read_text(dir.path("csv/stresses.csv"));
  EXPECT_EQ(csv.substr(0, csv.find('\n')), "load_case,member,max,min,x_max,x_min,end_max,end_min");
  EXPECT_NE(run.out.find("Extreme normal stresses (tension positive) along the whole member"),
            std::string::npos);
}

TEST(MemberDisplacements, ExtremesAreExactAlongTheMemberAgainstAFineSearch) {
  Model model;
  const AnalysisResult r = analyse_json(frame_with_partial_loads(), &model);
  const std::vector<LoadSet> sets = load_sets(model);
  for (std::size_t k = 0; k < sets.size(); ++k)
    for (std::size_t e = 0; e < model.members.size(); ++e) {
      SCOPED_TRACE(sets[k].name + " " + model.members[e].name);
      const MemberState state = member_state(r, sets[k], e);
      const BeamProperties b = beam_properties(model, e, r.members[e].length);
      const std::vector<Station> stations = member_stations(r, e);
      std::array<Extreme, k_quantities> exact =
          member_extremes(stations, member_diagram(stations, state, b), state);
      const std::array<Extreme, k_quantities> at_stations = exact;
      refine_displacement_extremes(exact, stations, state, b);
      std::vector<const LocalMemberLoads*> loads;
      for (const auto& per_case : r.member_loads) loads.push_back(&per_case[e]);
      const std::vector<Station> fine = diagram_stations(loads, b.L, 20000);
      const std::vector<StationValues> values = member_diagram(fine, state, b);
      for (std::size_t q = 6; q < k_quantities; ++q) {
        double hi = values[0][q], lo = values[0][q];
        for (const StationValues& v : values) {
          hi = std::max(hi, v[q]);
          lo = std::min(lo, v[q]);
        }
        const double scale = std::max(std::abs(hi), std::abs(lo)) + 1e-300;
        // The fine search sums 20,000 steps: its own rounding is about 1e-12.
        EXPECT_GE(exact[q].max, hi - 1e-10 * scale) << k_quantity_names[q];
        EXPECT_LE(exact[q].min, lo + 1e-10 * scale) << k_quantity_names[q];
        EXPECT_NEAR(exact[q].max, hi, 1e-8 * scale) << k_quantity_names[q];
        EXPECT_NEAR(exact[q].min, lo, 1e-8 * scale) << k_quantity_names[q];
        EXPECT_GE(exact[q].max, at_stations[q].max);
        EXPECT_LE(exact[q].min, at_stations[q].min);
      }
    }
}

TEST(MemberStresses, OnlyTheSideJustAfterAConcentratedLoadIsMarkedAfterIt) {
  const ScratchDirectory dir;
  const RunResult run = run_frame({dir.write("m.json", frame_with_partial_loads().dump()), "-q", "--json",
                                   dir.path("out.json")});
  ASSERT_EQ(run.exit_status, 0) << run.err;
  const json out = read_json(dir.path("out.json"));
  json sets = out["load_cases"];
  for (const json& c : out["combinations"]) sets.push_back(c);
  for (const json& set : sets)
    for (const json& m : set["member_diagrams"]) {
      const json& x = m["x"];
      const json& after = m["after_point_load"];
      for (std::size_t n = 0; n < x.size(); ++n) {
        // B1 carries a force at 2.2 in case "points" (and so in the
        // combination); every set's stations show the point, but only those
        // sets have a load there, on the second station.
        const bool loaded = set["name"] != "trapezoid";
        const bool expected = loaded && m["member"] == "B1" && x[n] == 2.2 && n > 0 && x[n - 1] == 2.2;
        EXPECT_EQ(after[n].get<bool>(), expected) << set["name"] << " " << m["member"] << " x " << x[n];
      }
    }
}

}  // namespace member_stresses_test
}  // namespace zervola::frame::test
