// Members cut where others cross them or end on their span: a continuous
// beam drawn as one line over a post gives the textbook moments; a frame cut
// by the option agrees with the same frame drawn with its crossing points;
// loads, hinges and names go to the right pieces.

#include <gtest/gtest.h>

#include <zervola/frame.hpp>

#include <cmath>
#include <string>

#include "analyse_json.hpp"
#include "run_program.hpp"

namespace zervola::frame::test {
namespace connect_crossings_test {

using nlohmann::json;

// Two spans of 6 m drawn as one beam "B" on pins at its ends, with a post
// that ends on it at mid-length, under 10 kN/m.
json beam_over_a_post() {
  return json::parse(R"({
    "units": {"force": "kN", "length": "m"}, "frame": "plane", "connect_crossings": true,
    "sections": [
      {"name": "beam", "E": 210e6, "G": 81e6, "A": 0.00538, "It": 2e-7, "Iy": 6.04e-6,
       "Iz": 8.356e-5, "extent_y": 0.3, "extent_z": 0.15},
      {"name": "post", "E": 210e6, "G": 81e6, "A": 1000, "It": 1, "Iy": 1, "Iz": 1,
       "extent_y": 1, "extent_z": 1}],
    "members": [
      {"name": "B", "from": [0, 0, 0], "to": [12, 0, 0], "section": "beam"},
      {"name": "P", "from": [6, -1, 0], "to": [6, 0, 0], "section": "post"}],
    "supports": [{"at": [0, 0, 0], "type": "pinned"}, {"at": [12, 0, 0], "type": "pinned"},
                 {"at": [6, -1, 0], "type": "pinned"}],
    "load_cases": [{"name": "w", "member_loads": [
      {"member": "B", "type": "distributed", "value": [0, -10, 0]}]}]
  })");
}

TEST(ConnectCrossings, ABeamDrawnOverAPostIsContinuousOverIt) {
  Model model;
  const AnalysisResult r = analyse_json(beam_over_a_post(), &model);
  ASSERT_EQ(model.drawn_members.size(), 1U);
  const DrawnMember& d = model.drawn_members[0];
  EXPECT_EQ(d.name, "B");
  ASSERT_EQ(d.pieces.size(), 2U);
  EXPECT_EQ(model.members[d.pieces[0]].name, "B.1");
  EXPECT_EQ(model.members[d.pieces[1]].name, "B.2");
  EXPECT_EQ(d.piece_starts[1], 6.0);

  // A two-span continuous beam: w L^2 / 8 over the middle support, 9 w L^2
  // / 128 at 3 L / 8 from an end, end reactions 3 w L / 8.
  const double w = 10.0, L = 6.0;
  const DrawnMemberResult whole = drawn_member_results(model, r, 0)[0];
  const Extreme& mz = whole.extremes[5];
  const double support = w * L * L / 8.0, span = 9.0 * w * L * L / 128.0;
  const bool hogging_is_min = mz.min < -0.5 * support;
  const double hogging = hogging_is_min ? -mz.min : mz.max;
  const double sagging = hogging_is_min ? mz.max : -mz.min;
  EXPECT_NEAR(hogging / support, 1.0, 1e-6);
  EXPECT_NEAR(hogging_is_min ? mz.x_min : mz.x_max, L, 1e-9);
  EXPECT_NEAR(sagging / span, 1.0, 1e-6);
  const double x_sagging = hogging_is_min ? mz.x_max : mz.x_min;
  EXPECT_TRUE(std::abs(x_sagging - 3.0 * L / 8.0) < 1e-6 || std::abs(x_sagging - 13.0 * L / 8.0) < 1e-6)
      << x_sagging;
  for (const Reaction& reaction : r.cases[0].reactions) {
    const Point3& at = r.nodes[static_cast<std::size_t>(reaction.node - 1)];
    const double expected = at.x == 6.0 ? 10.0 * w * L / 8.0 : 3.0 * w * L / 8.0;
    EXPECT_NEAR(reaction.value[1], expected, 1e-6 * expected) << "at x " << at.x;
  }
  // The drawn member's end forces are its first piece's start and its last
  // piece's end.
  const CaseResult& c = r.cases[0];
  for (std::size_t k = 0; k < 6; ++k) {
    EXPECT_EQ(whole.end_forces[k], c.end_forces[d.pieces[0]][k]);
    EXPECT_EQ(whole.end_forces[k + 6], c.end_forces[d.pieces[1]][k + 6]);
  }
  // The stress extremes of the whole are over the mid support: the hogging
  // moment is the largest.
  EXPECT_NEAR(whole.stress.x_max, L, 1e-9);
}

// Two bays with X-braces in the first and a beam drawn over the middle
// column, loaded across the cut and at it; `cut` lets the program find the
// crossings, otherwise they are drawn as points.
json braced_frame(bool cut) {
  json m = json::parse(R"({
    "units": {"force": "kN", "length": "m"}, "frame": "plane", "material": "S355",
    "supports": [{"at": [0, 0, 0], "type": "pinned"}, {"at": [5, 0, 0], "type": "pinned"},
                 {"at": [12, 0, 0], "type": "fixed"}],
    "combinations": [{"name": "ULS", "factors": {"G": 1.35, "W": 1.5}}]
  })");
  const json columns = json::parse(R"([
    {"name": "C1", "from": [0, 0, 0], "to": [0, 4, 0], "section": "HEB 200"},
    {"name": "C2", "from": [5, 0, 0], "to": [5, 4, 0], "section": "HEB 200"},
    {"name": "C3", "from": [12, 0, 0], "to": [12, 4, 0], "section": "HEB 200"}])");
  json g = {{"name", "G"}, {"self_weight", true}};
  const json wind = json::parse(R"({"name": "W", "loads": [{"at": [0, 4, 0], "force": [20, 0, 0]}],
    "member_loads": [{"member": "C1", "type": "distributed", "value": [3, 0, 0]}]})");
  if (cut) {
    m["connect_crossings"] = true;
    m["members"] = json::parse(R"([
      {"name": "B", "from": [0, 4, 0], "to": [12, 4, 0], "section": "IPE 300", "release": "pinned"},
      {"name": "X1", "from": [0, 0, 0], "to": [5, 4, 0], "section": "IPE 200"},
      {"name": "X2", "from": [5, 0, 0], "to": [0, 4, 0], "section": "IPE 200"}])");
    g["member_loads"] = json::parse(R"([
      {"member": "B", "type": "distributed", "start": 2, "end": 9, "start_value": [0, -10, 0],
       "end_value": [0, -24, 0]},
      {"member": "B", "type": "force", "position": 5, "value": [0, -30, 0]},
      {"member": "B", "type": "force", "relative": true, "position": 0.75, "value": [5, -30, 0]},
      {"member": "X1", "type": "temperature", "uniform": 20}])");
  } else {
    m["members"] = json::parse(R"([
      {"name": "B.1", "from": [0, 4, 0], "to": [5, 4, 0], "section": "IPE 300", "release": "hinge_start"},
      {"name": "B.2", "from": [5, 4, 0], "to": [12, 4, 0], "section": "IPE 300", "release": "hinge_end"},
      {"name": "X1.1", "from": [0, 0, 0], "to": [2.5, 2, 0], "section": "IPE 200"},
      {"name": "X1.2", "from": [2.5, 2, 0], "to": [5, 4, 0], "section": "IPE 200"},
      {"name": "X2.1", "from": [5, 0, 0], "to": [2.5, 2, 0], "section": "IPE 200"},
      {"name": "X2.2", "from": [2.5, 2, 0], "to": [0, 4, 0], "section": "IPE 200"}])");
    g["member_loads"] = json::parse(R"([
      {"member": "B.1", "type": "distributed", "start": 2, "end": 5, "start_value": [0, -10, 0],
       "end_value": [0, -16, 0]},
      {"member": "B.2", "type": "distributed", "start": 0, "end": 4, "start_value": [0, -16, 0],
       "end_value": [0, -24, 0]},
      {"member": "B.2", "type": "force", "position": 0, "value": [0, -30, 0]},
      {"member": "B.2", "type": "force", "position": 4, "value": [5, -30, 0]},
      {"member": "X1.1", "type": "temperature", "uniform": 20},
      {"member": "X1.2", "type": "temperature", "uniform": 20}])");
  }
  for (const json& c : columns) m["members"].push_back(c);
  m["load_cases"] = json::array({g, wind});
  return m;
}

TEST(ConnectCrossings, ACutFrameAgreesWithTheFrameDrawnWithItsPoints) {
  Model cut_model, drawn_model;
  const AnalysisResult cut = analyse_json(braced_frame(true), &cut_model);
  const AnalysisResult drawn = analyse_json(braced_frame(false), &drawn_model);
  EXPECT_TRUE(cut.warnings.empty());
  ASSERT_EQ(cut.nodes.size(), drawn.nodes.size());
  ASSERT_EQ(cut_model.members.size(), drawn_model.members.size());
  for (std::size_t k = 0; k < cut.cases.size() + cut.combinations.size(); ++k) {
    const CaseResult& a = set_result(cut, k);
    const CaseResult& b = set_result(drawn, k);
    double scale = 0.0;
    for (const auto& u : b.displacements)
      for (double v : u) scale = std::max(scale, std::abs(v));
    for (std::size_t n = 0; n < cut.nodes.size(); ++n) {
      const Point3& p = cut.nodes[n];
      std::size_t m = 0;
      while (m < drawn.nodes.size() &&
             !(std::abs(drawn.nodes[m].x - p.x) < 1e-9 && std::abs(drawn.nodes[m].y - p.y) < 1e-9))
        ++m;
      ASSERT_LT(m, drawn.nodes.size()) << "no node at " << p.x << ", " << p.y;
      for (std::size_t d = 0; d < 6; ++d)
        EXPECT_NEAR(a.displacements[n][d], b.displacements[m][d], 1e-9 * scale) << a.name << " node " << n + 1;
    }
    for (std::size_t e = 0; e < cut_model.members.size(); ++e) {
      const std::string& name = cut_model.members[e].name;
      std::size_t f = 0;
      while (drawn_model.members[f].name != name) ++f;
      double force_scale = 0.0;
      for (double v : b.end_forces[f]) force_scale = std::max(force_scale, std::abs(v));
      for (std::size_t i = 0; i < 12; ++i)
        EXPECT_NEAR(a.end_forces[e][i], b.end_forces[f][i], 1e-9 * force_scale + 1e-12)
            << a.name << " " << name << " " << i;
      EXPECT_NEAR(a.stress_max[e], b.stress_max[f], 1e-9 * std::abs(b.stress_max[f])) << name;
    }
  }
}

TEST(ConnectCrossings, HingesAndLoadsGoToTheirPieces) {
  const ScratchDirectory dir;
  const Model model = read_model(dir.write("frame.json", braced_frame(true).dump()));
  const auto member = [&](const std::string& name) {
    for (const Member& m : model.members)
      if (m.name == name) return m;
    ADD_FAILURE() << "no member " << name;
    return Member{};
  };
  EXPECT_EQ(member("B.1").release, Release::hinge_start);
  EXPECT_EQ(member("B.2").release, Release::hinge_end);
  EXPECT_EQ(member("X1.1").release, Release::none);
  std::vector<std::string> on;
  for (const MemberLoad& l : model.load_cases[0].member_loads) {
    on.push_back(l.member);
    EXPECT_FALSE(l.relative);
    if (l.member == "B.2" && l.kind == MemberLoadKind::distributed) {
      EXPECT_DOUBLE_EQ(*l.start, 0.0);
      EXPECT_DOUBLE_EQ(*l.end, 4.0);
      EXPECT_DOUBLE_EQ(l.start_value[1], -16.0);
      EXPECT_DOUBLE_EQ(l.end_value[1], -24.0);
    }
    if (l.member == "B.2" && l.kind == MemberLoadKind::force) {
      EXPECT_DOUBLE_EQ(l.position, l.start_value[0] == 5.0 ? 4.0 : 0.0);
    }
  }
  EXPECT_EQ(on, (std::vector<std::string>{"B.1", "B.2", "B.2", "B.2", "X1.1", "X1.2"}));
  // Nothing crosses any more: cutting again changes nothing.
  EXPECT_EQ(connect_crossings(model).members.size(), model.members.size());
}

TEST(ConnectCrossings, ALoadAtTheEndWithinTheCheckedSlackIsKept) {
  // Positions a hair past the end, which the model's checks accept and
  // clamp, stay on the last piece.
  for (const char* load : {R"({"member": "B", "type": "force", "relative": true,
                              "position": 1.0000000000000002, "value": [0, -100, 0]})",
                           R"({"member": "B", "type": "force", "position": 12.000000005,
                              "value": [0, -100, 0]})"}) {
    json m = beam_over_a_post();
    m["load_cases"][0]["member_loads"] = json::array({json::parse(load)});
    const AnalysisResult r = analyse_json(m);
    EXPECT_NEAR(r.cases[0].equilibrium.applied_force[1], -100.0, 1e-9) << load;
  }
}

TEST(ConnectCrossings, AColumnDrawnPastTheBeamIsCutWhereItCrossesIt) {
  // The column's end lies 1 cm above the beam: a near miss of its end, but
  // its span crosses the beam, and there they are connected.
  json m = beam_over_a_post();
  m["members"][1] = json::parse(R"({"name": "P", "from": [6, -1, 0], "to": [6, 0.01, 0], "section": "post"})");
  Model model;
  const AnalysisResult r = analyse_json(m, &model);
  ASSERT_EQ(model.drawn_members.size(), 2U);
  EXPECT_EQ(model.drawn_members[0].name, "B");
  EXPECT_EQ(model.drawn_members[1].name, "P");
  const double support = 10.0 * 36.0 / 8.0;
  const Extreme mz = drawn_member_results(model, r, 0)[0].extremes[5];
  EXPECT_NEAR(std::max(std::abs(mz.min), std::abs(mz.max)) / support, 1.0, 1e-6);
}

TEST(ConnectCrossings, NearlyConcurrentCrossingsMeetInOneNodeInMillimetresAsInMetres) {
  // X-braces and a strut 3 micrometres off their crossing (in a 6 m bay):
  // one node, whatever the unit of length.
  const auto bay = [](double unit) {
    const auto p = [&](double x, double y) { return json::array({x * unit, y * unit, 0}); };
    return json{{"units", {{"force", "kN"}, {"length", unit == 1.0 ? "m" : "mm"}}},
                {"frame", "plane"}, {"material", "S355"}, {"connect_crossings", true},
                {"members", {{{"name", "X1"}, {"from", p(0, 0)}, {"to", p(6, 4)}, {"section", "IPE 200"}},
                             {{"name", "X2"}, {"from", p(6, 0)}, {"to", p(0, 4)}, {"section", "IPE 200"}},
                             {{"name", "H"}, {"from", p(0, 2.000003)}, {"to", p(6, 2.000003)}, {"section", "IPE 200"}},
                             {{"name", "C1"}, {"from", p(0, 0)}, {"to", p(0, 4)}, {"section", "HEB 200"}},
                             {{"name", "C2"}, {"from", p(6, 0)}, {"to", p(6, 4)}, {"section", "HEB 200"}},
                             {{"name", "T"}, {"from", p(0, 4)}, {"to", p(6, 4)}, {"section", "IPE 200"}}}},
                {"supports", {{{"at", p(0, 0)}, {"type", "pinned"}}, {{"at", p(6, 0)}, {"type", "pinned"}}}},
                {"load_cases", {{{"name", "G"}, {"self_weight", true}}}}};
  };
  for (double unit : {1.0, 1000.0}) {
    const AnalysisResult r = analyse_json(bay(unit));
    EXPECT_EQ(r.nodes.size(), 7U) << unit;
    EXPECT_TRUE(r.warnings.empty()) << unit << ": " << r.warnings.front().message;
  }
}

TEST(ConnectCrossings, ALoadAtACutActsOnThePieceBeginningThere) {
  // The braces cross at their middles; a force at the middle of an
  // inclined brace, placed relatively, lands within rounding of the cut.
  json m = braced_frame(true);
  m["load_cases"][1]["member_loads"].push_back(json::parse(
      R"({"member": "X2", "type": "force", "relative": true, "position": 0.5, "value": [7, 0, 0]})"));
  const ScratchDirectory dir;
  const Model model = read_model(dir.write("frame.json", m.dump()));
  bool found = false;
  for (const MemberLoad& l : model.load_cases[1].member_loads)
    if (l.kind == MemberLoadKind::force) {
      EXPECT_EQ(l.member, "X2.2");
      EXPECT_EQ(l.position, 0.0);
      found = true;
    }
  EXPECT_TRUE(found);
}

TEST(ConnectCrossings, APieceNameTakenByAnotherMemberIsRefused) {
  json m = braced_frame(true);
  m["members"][2]["name"] = "B.2";  // X2, which B's cut would also name so
  const ScratchDirectory dir;
  try {
    (void)read_model(dir.write("m.json", m.dump()));
    ADD_FAILURE() << "accepted";
  } catch (const InputError& e) {
    EXPECT_NE(std::string(e.what()).find("already has a member \"B.2\""), std::string::npos) << e.what();
  }
}

TEST(ConnectCrossings, TheCommandLineOptionConnectsTheBracesAndReportsTheMembersAsDrawn) {
  const std::string model = std::string(ZERVOLA_TEST_DATA_DIR) + "/mistakes/crossing-braces-no-node.json";
  const ScratchDirectory dir;
  const RunResult plain = run_frame({model, "-q", "--strict"});
  EXPECT_EQ(plain.exit_status, static_cast<int>(ExitStatus::strict)) << plain.err;
  EXPECT_NE(plain.err.find("warning [crossing_members]"), std::string::npos) << plain.err;

  const RunResult run = run_frame({model, "--connect-crossings", "--strict", "--json", dir.path("out.json"),
                                   "--csv", dir.path("csv")});
  ASSERT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(run.err.find("warning"), std::string::npos) << run.err;
  EXPECT_NE(run.out.find("X1.1 (0), X1.2 (3.60555)"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Members as drawn, along their whole length"), std::string::npos);
  const json out = read_json(dir.path("out.json"));
  ASSERT_EQ(out["drawn_members"].size(), 2U);
  EXPECT_EQ(out["drawn_members"][0]["name"], "X1");
  const json& whole = out["load_cases"][0]["drawn_members"][1];
  EXPECT_EQ(whole["member"], "X2");
  EXPECT_TRUE(whole["stress"].contains("x_max"));
  const std::string csv = read_text(dir.path("csv/drawn_members.csv"));
  EXPECT_EQ(csv.substr(0, csv.find('\n')), "load_set,member,quantity,max,x_max,min,x_min");
  EXPECT_NE(csv.find("G,X1,stress,"), std::string::npos);
}

}  // namespace connect_crossings_test
}  // namespace zervola::frame::test
