// Internal forces along members, combinations and envelopes: closed forms
// along beams, every member's diagram closing on its end forces, a
// combination equal to a separate run of the factored loads, and envelopes
// against the brute-force extremes of separate runs.

#include <gtest/gtest.h>
#include <fmt/format.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <string>

#include <zervola/frame.hpp>
#include "member_load_test_models.hpp"

namespace zervola::frame {
namespace diagrams_test {

constexpr double k_relative = 1.0e-9;

void expect_close(double expected, double obtained, const std::string& what) {
  EXPECT_NEAR(obtained, expected, k_relative * std::max(1.0, std::abs(expected))) << what;
  record_closed_form(what, expected, obtained);
}

struct Diagram {
  std::vector<Station> stations;
  std::vector<StationValues> values;
  std::array<Extreme, k_quantities> extremes;
};

Diagram diagram_of(const std::string& text, std::size_t member, std::size_t set = 0) {
  const Model model = parse_json_model(text, "test.json");
  const AnalysisResult r = analyse_text(text);
  const LoadSet s = load_sets(model)[set];
  const MemberState state = member_state(r, s, member);
  Diagram d;
  d.stations = member_stations(r, member);
  d.values = member_diagram(d.stations, state, beam_properties(model, member, r.members[member].length));
  d.extremes = member_extremes(d.stations, d.values, state);
  return d;
}

const StationValues& at(const Diagram& d, double x, bool after = false) {
  for (std::size_t n = 0; n < d.stations.size(); ++n)
    if (std::abs(d.stations[n].x - x) < 1e-12 && d.stations[n].after == after) return d.values[n];
  throw std::runtime_error(fmt::format("no station at {}", x));
}

constexpr auto k_My = static_cast<std::size_t>(Quantity::My);
constexpr auto k_Vz = static_cast<std::size_t>(Quantity::Vz);
constexpr auto k_w = static_cast<std::size_t>(Quantity::w);

TEST(Diagrams, FixedFixedAndSimplySupportedBeams) {
  const double L = 6.0, w = 10.0;
  const std::string load = fmt::format(R"([{{"member": "M1", "type": "distributed", "value": [0, 0, {}]}}])", -w);
  const Diagram fixed = diagram_of(beam_model(L, 1, R"([{"type": "fixed"}, {"type": "fixed"}])", load), 0);
  expect_close(w * L * L / 24.0, std::abs(at(fixed, L / 2)[k_My]), "diagram, fixed-fixed uniform: midspan moment wL^2/24");
  expect_close(w * L * L / 12.0, std::abs(at(fixed, 0.0)[k_My]), "diagram, fixed-fixed uniform: end moment wL^2/12");
  expect_close(-w * std::pow(L, 4) / (384.0 * k_E * k_Iy), at(fixed, L / 2)[k_w],
               "diagram, fixed-fixed uniform: midspan deflection wL^4/384EI");
  expect_close(-w * std::pow(L, 4) / (384.0 * k_E * k_Iy), fixed.extremes[k_w].min,
               "diagram, fixed-fixed uniform: largest deflection");
  const Diagram simple = diagram_of(
      beam_model(L, 1, R"([{"type": "pinned"}, {"type": "custom", "restrain": ["uy", "uz", "rx"]}])", load), 0);
  expect_close(w * L * L / 8.0, std::abs(at(simple, L / 2)[k_My]), "diagram, simply supported uniform: midspan moment wL^2/8");
  expect_close(-5.0 * w * std::pow(L, 4) / (384.0 * k_E * k_Iy), at(simple, L / 2)[k_w],
               "diagram, simply supported uniform: midspan deflection 5wL^4/384EI");
}

TEST(Diagrams, ProppedCantileverExtremesBetweenStations) {
  // Uniform load, fixed at x = 0, propped at L: the span moment peaks at
  // 9wL^2/128, at 5L/8, between the tenth-points.
  const double L = 4.0, w = 3.0;
  const Diagram d = diagram_of(
      beam_model(L, 1, R"([{"type": "fixed"}, {"type": "custom", "restrain": ["uy", "uz", "rx"]}])",
                 fmt::format(R"([{{"member": "M1", "type": "distributed", "value": [0, 0, {}]}}])", -w)),
      0);
  const Extreme& m = d.extremes[k_My];
  // Sagging in the span and hogging at the fixed end have opposite signs.
  const bool sag_positive = at(d, L / 2)[k_My] > 0.0;
  expect_close(9.0 * w * L * L / 128.0, sag_positive ? m.max : -m.min, "propped cantilever uniform: span moment 9wL^2/128");
  expect_close(5.0 * L / 8.0, sag_positive ? m.x_max : m.x_min, "propped cantilever uniform: at 5L/8");
  expect_close(w * L * L / 8.0, sag_positive ? -m.min : m.max, "propped cantilever uniform: end moment wL^2/8");
}

TEST(Diagrams, PointLoadJumpsTheShear) {
  const double L = 4.0, P = 12.0, a = 1.3, b = L - a;
  const Diagram d = diagram_of(
      beam_model(L, 1, R"([{"type": "fixed"}, {"type": "custom", "restrain": ["uy", "uz", "rx"]}])",
                 fmt::format(R"([{{"member": "M1", "type": "force", "position": {}, "value": [0, 0, {}]}}])", a, -P)),
      0);
  const double prop = P * a * a * (3.0 * L - a) / (2.0 * L * L * L);
  expect_close(P, std::abs(at(d, a, true)[k_Vz] - at(d, a, false)[k_Vz]), "point load: shear jump P");
  expect_close(prop * b, std::abs(at(d, a, true)[k_My]), "point load: moment under the load R_B b");
  // Deflection under the load, propped cantilever (fixed at 0):
  // w(a) = P b^2 a^3 (3L + b) / (12 E I L^3)... taken from superposing a
  // cantilever's deflection and the prop's.
  const double EI = k_E * k_Iy;
  const double cantilever = P * a * a * a / (3.0 * EI);
  const double by_prop = prop * a * a * (3.0 * L - a) / (6.0 * EI);
  expect_close(-(cantilever - by_prop), at(d, a)[k_w], "point load: deflection under the load");
}

// A small space frame with every kind of member load, over two cases, and
// combinations of them; or, for the separate runs, one case per set of
// factors holding the factored loads themselves.
nlohmann::json case_a() {
  return nlohmann::json::parse(R"({
    "gravity": [0, 0, -9.81],
    "member_loads": [
      {"member": "B1", "type": "distributed", "start": 0.5, "end": 4.0,
       "start_value": [0, 0, -3], "end_value": [1, 0, -8]},
      {"member": "R1", "type": "force", "axes": "local", "position": 1.2, "value": [2, 1, -5]},
      {"member": "C1", "type": "moment", "relative": true, "position": 0.5, "value": [1, -2, 3]},
      {"member": "R1", "type": "temperature", "uniform": 20, "difference_y": 5, "difference_z": -8},
      {"member": "BR", "type": "force", "position": 2.0, "value": [0, 0, -4]}],
    "loads": [{"at": [5, 4, 4], "force": [1, 0, 0]}]})");
}
nlohmann::json case_b() {
  return nlohmann::json::parse(R"({
    "member_loads": [
      {"member": "R1", "type": "distributed", "axes": "global_projected", "value": [0, 0, -2]},
      {"member": "C1", "type": "distributed", "axes": "local", "value": [0, 1.5, 0.5]},
      {"member": "B1", "type": "moment", "axes": "local", "position": 3.0, "value": [0, 4, -2]},
      {"member": "C3", "type": "force", "relative": true, "position": 1.0, "value": [3, 0, 0]}],
    "loads": [{"at": [5, 0, 3], "force": [0, 2, 0], "moment": [0, 0, 1]}]})");
}

nlohmann::json scaled(nlohmann::json c, double f) {
  if (c.contains("gravity"))
    for (auto& g : c["gravity"]) g = g.get<double>() * f;
  for (auto& l : c["member_loads"]) {
    for (const char* key : {"value", "start_value", "end_value"})
      if (l.contains(key))
        for (auto& v : l[key]) v = v.get<double>() * f;
    for (const char* key : {"uniform", "difference_y", "difference_z"})
      if (l.contains(key)) l[key] = l[key].get<double>() * f;
  }
  for (auto& l : c["loads"])
    for (const char* key : {"force", "moment"})
      if (l.contains(key))
        for (auto& v : l[key]) v = v.get<double>() * f;
  return c;
}

// Factor pairs on the cases A and B.
const std::vector<std::pair<double, double>> k_factors = {
    {1.35, 1.5}, {1.0, -1.0}, {0.9, 0.0}, {0.0, 2.5}, {-0.7, 1.1}};

std::string frame_text(bool separate) {
  nlohmann::json m = nlohmann::json::parse(fmt::format(R"({{
    "units": {{"force": "kN", "length": "m"}}, "frame": "space",
    "sections": [{{"name": "S", "E": {}, "G": {}, "A": {}, "It": {}, "Iy": {}, "Iz": {},
                  "extent_z": {}, "extent_y": {}, "thermal_coefficient": {}, "density": 7.85}}],
    "members": [
      {{"name": "C1", "from": [0, 0, 0], "to": [0, 0, 3], "section": "S"}},
      {{"name": "C2", "from": [5, 0, 0], "to": [5, 0, 3], "section": "S"}},
      {{"name": "B1", "from": [0, 0, 3], "to": [5, 0, 3], "section": "S", "release": "hinge_end"}},
      {{"name": "R1", "from": [5, 0, 3], "to": [5, 4, 4], "section": "S"}},
      {{"name": "C3", "from": [5, 4, 0], "to": [5, 4, 4], "section": "S", "release": "hinge_start",
        "orientation_point": [6, 4, 2]}},
      {{"name": "BR", "from": [0, 0, 0], "to": [5, 0, 3], "section": "S", "release": "pinned"}}],
    "supports": [{{"at": [0, 0, 0], "type": "fixed"}}, {{"at": [5, 0, 0], "type": "fixed"}},
                 {{"at": [5, 4, 0], "type": "fixed"}}]}})",
      k_E, k_G, k_A, k_It, k_Iy, k_Iz, k_extent_z, k_extent_y, k_alpha));
  nlohmann::json cases = nlohmann::json::array();
  if (separate) {
    for (std::size_t k = 0; k < k_factors.size(); ++k) {
      nlohmann::json a = scaled(case_a(), k_factors[k].first), b = scaled(case_b(), k_factors[k].second);
      nlohmann::json c = a;
      if (k_factors[k].first == 0.0) c.erase("gravity");
      for (const auto& l : b["member_loads"]) c["member_loads"].push_back(l);
      for (const auto& l : b["loads"]) c["loads"].push_back(l);
      c["name"] = fmt::format("S{}", k + 1);
      cases.push_back(c);
    }
  } else {
    nlohmann::json a = case_a(), b = case_b();
    a["name"] = "A";
    b["name"] = "B";
    cases = {a, b};
    nlohmann::json combos = nlohmann::json::array(), names = nlohmann::json::array();
    for (std::size_t k = 0; k < k_factors.size(); ++k) {
      combos.push_back({{"name", fmt::format("K{}", k + 1)},
                        {"factors", {{"A", k_factors[k].first}, {"B", k_factors[k].second}}}});
      names.push_back(fmt::format("K{}", k + 1));
    }
    m["combinations"] = combos;
    m["envelopes"] = {{{"name", "E"}, {"combinations", names}}};
  }
  m["load_cases"] = cases;
  return m.dump();
}

double scale_of(const std::vector<StationValues>& v, std::size_t q) {
  double s = 1.0;
  for (const StationValues& x : v) s = std::max(s, std::abs(x[q]));
  return s;
}

TEST(Diagrams, EveryMemberClosesOnItsEndForces) {
  const std::string text = frame_text(false);
  const Model model = parse_json_model(text, "frame.json");
  const AnalysisResult r = analyse_text(text);
  for (const LoadSet& set : load_sets(model))
    for (std::size_t e = 0; e < model.members.size(); ++e) {
      const MemberState state = member_state(r, set, e);
      const std::vector<Station> stations = member_stations(r, e);
      const std::vector<StationValues> v =
          member_diagram(stations, state, beam_properties(model, e, r.members[e].length));
      const StationValues& start = v.front();
      const StationValues& end = v.back();
      for (std::size_t k = 0; k < 6; ++k) {
        const double s = scale_of(v, k);
        EXPECT_NEAR(start[k], state.end_forces[k], k_relative * s) << set.name << " " << e << " " << k;
        // The loads carried along the member balance the end forces.
        EXPECT_NEAR(end[k], state.end_forces[k + 6], k_relative * s) << set.name << " " << e << " " << k;
      }
      // The axial strain integrated along the member meets the end's
      // displacement: the diagram and the solution agree on the stretching.
      const double u = scale_of(v, 6);
      EXPECT_NEAR(end[6], state.end_displacements[6], 1e-7 * u) << set.name << " member " << e;
    }
}

TEST(Diagrams, CombinationsEqualSeparateRunsOfTheFactoredLoads) {
  const std::string combined_text = frame_text(false), separate_text = frame_text(true);
  const Model combined_model = parse_json_model(combined_text, "frame.json");
  const Model separate_model = parse_json_model(separate_text, "frame.json");
  const AnalysisResult combined = analyse_text(combined_text);
  const AnalysisResult separate = analyse_text(separate_text);
  ASSERT_EQ(combined.combinations.size(), k_factors.size());
  const std::vector<LoadSet> sets = load_sets(combined_model);
  for (std::size_t k = 0; k < k_factors.size(); ++k) {
    const CaseResult& c = combined.combinations[k];
    const CaseResult& s = separate.cases[k];
    for (std::size_t n = 0; n < c.displacements.size(); ++n)
      for (std::size_t d = 0; d < 6; ++d)
        EXPECT_NEAR(c.displacements[n][d], s.displacements[n][d], 1e-9 * (1e-6 + std::abs(s.displacements[n][d])));
    for (std::size_t n = 0; n < c.reactions.size(); ++n)
      for (std::size_t d = 0; d < 6; ++d)
        EXPECT_NEAR(c.reactions[n].value[d], s.reactions[n].value[d], 1e-8 * (1.0 + std::abs(s.reactions[n].value[d])));
    for (std::size_t e = 0; e < c.end_forces.size(); ++e) {
      for (std::size_t d = 0; d < 12; ++d)
        EXPECT_NEAR(c.end_forces[e][d], s.end_forces[e][d], 1e-8 * (1.0 + std::abs(s.end_forces[e][d])));
      EXPECT_NEAR(c.stress_max[e], s.stress_max[e], 1e-8 * (1.0 + std::abs(s.stress_max[e])));
      EXPECT_NEAR(c.stress_min[e], s.stress_min[e], 1e-8 * (1.0 + std::abs(s.stress_min[e])));
      const BeamProperties b = beam_properties(combined_model, e, combined.members[e].length);
      const std::vector<Station> st_c = member_stations(combined, e);
      const std::vector<StationValues> vc =
          member_diagram(st_c, member_state(combined, sets[2 + k], e), b);
      const std::vector<StationValues> vs =
          member_diagram(st_c, member_state(separate, load_sets(separate_model)[k], e), b);
      for (std::size_t n = 0; n < vc.size(); ++n)
        for (std::size_t q = 0; q < k_quantities; ++q)
          EXPECT_NEAR(vc[n][q], vs[n][q], 1e-8 * scale_of(vs, q)) << "member " << e << " station " << n;
    }
  }
}

TEST(Diagrams, EnvelopesAgainstBruteForce) {
  const std::string combined_text = frame_text(false), separate_text = frame_text(true);
  const Model model = parse_json_model(combined_text, "frame.json");
  const Model separate_model = parse_json_model(separate_text, "frame.json");
  const AnalysisResult combined = analyse_text(combined_text);
  const AnalysisResult separate = analyse_text(separate_text);
  const EnvelopeResult env = envelope(model, combined, model.envelopes[0]);
  const std::vector<LoadSet> separate_sets = load_sets(separate_model);
  for (std::size_t e = 0; e < model.members.size(); ++e) {
    for (std::size_t d = 0; d < 12; ++d) {
      double hi = -1e300, lo = 1e300;
      std::size_t hi_by = 0, lo_by = 0;
      for (std::size_t k = 0; k < separate.cases.size(); ++k) {
        const double v = separate.cases[k].end_forces[e][d];
        if (v > hi) { hi = v; hi_by = k; }
        if (v < lo) { lo = v; lo_by = k; }
      }
      const Bound& b = env.end_forces[e][d];
      EXPECT_NEAR(b.max, hi, 1e-8 * (1.0 + std::abs(hi)));
      EXPECT_NEAR(b.min, lo, 1e-8 * (1.0 + std::abs(lo)));
      if (hi - lo > 1e-6 * (1.0 + std::abs(hi))) {
        EXPECT_EQ(b.max_by, hi_by);
        EXPECT_EQ(b.min_by, lo_by);
      }
    }
    // Station by station, over the separate runs' own diagrams.
    const std::vector<Station> stations = member_stations(combined, e);
    const BeamProperties bp = beam_properties(model, e, combined.members[e].length);
    const auto per_station = station_envelope(model, combined, model.envelopes[0], e);
    std::vector<std::vector<StationValues>> runs;
    for (const LoadSet& s : separate_sets) runs.push_back(member_diagram(stations, member_state(separate, s, e), bp));
    for (std::size_t n = 0; n < stations.size(); ++n)
      for (std::size_t q = 0; q < k_quantities; ++q) {
        double hi = -1e300, lo = 1e300, s = 1e-12;
        for (const auto& run : runs) {
          hi = std::max(hi, run[n][q]);
          lo = std::min(lo, run[n][q]);
          s = std::max(s, scale_of(run, q));
        }
        EXPECT_NEAR(per_station[n][q].max, hi, 1e-8 * s);
        EXPECT_NEAR(per_station[n][q].min, lo, 1e-8 * s);
        // The member's extreme is at least every station's.
        EXPECT_GE(env.diagram[e][q].max, hi - 1e-8 * s);
        EXPECT_LE(env.diagram[e][q].min, lo + 1e-8 * s);
      }
  }
  for (std::size_t n = 0; n < combined.nodes.size(); ++n)
    for (std::size_t d = 0; d < 6; ++d) {
      double hi = -1e300;
      for (const CaseResult& c : separate.cases) hi = std::max(hi, c.displacements[n][d]);
      EXPECT_NEAR(env.displacements[n][d].max, hi, 1e-9 * (1e-6 + std::abs(hi)));
    }
}

}  // namespace diagrams_test
}  // namespace zervola::frame

namespace zervola::frame {
namespace diagrams_test {

// Without loads between its ends a rigid-ended member bends as the cubic of
// its end displacements and rotations.
TEST(Diagrams, UnloadedMembersFollowTheCubicOfTheirEnds) {
  const std::string text = frame_text(false);
  const Model model = parse_json_model(text, "frame.json");
  const AnalysisResult r = analyse_text(text);
  std::size_t checked = 0;
  for (std::size_t c = 0; c < model.load_cases.size(); ++c)
    for (std::size_t e = 0; e < model.members.size(); ++e) {
      if (!r.member_loads[c][e].empty() || model.members[e].release != Release::none) continue;
      const MemberState state = member_state(r, load_sets(model)[c], e);
      const std::vector<Station> stations = member_stations(r, e);
      const double L = r.members[e].length;
      const std::vector<StationValues> v =
          member_diagram(stations, state, beam_properties(model, e, L));
      const Vector12& d = state.end_displacements;
      for (std::size_t n = 0; n < stations.size(); ++n) {
        const double s = stations[n].x / L;
        const double n1 = 1 - 3 * s * s + 2 * s * s * s, n2 = s - 2 * s * s + s * s * s;
        const double n3 = 3 * s * s - 2 * s * s * s, n4 = -s * s + s * s * s;
        const double vy = n1 * d[1] + n2 * L * d[5] + n3 * d[7] + n4 * L * d[11];
        const double wz = n1 * d[2] - n2 * L * d[4] + n3 * d[8] - n4 * L * d[10];
        EXPECT_NEAR(v[n][7], vy, 1e-7 * scale_of(v, 7)) << model.members[e].name;
        EXPECT_NEAR(v[n][8], wz, 1e-7 * scale_of(v, 8)) << model.members[e].name;
      }
      ++checked;
    }
  EXPECT_GT(checked, 0u);
}

}  // namespace diagrams_test
}  // namespace zervola::frame
