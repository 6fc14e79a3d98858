// Every kind of bad input gets a message that says where, a non-zero exit
// status, and leaves no output file behind.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>

#include "run_program.hpp"

namespace zervola::frame::test {
namespace bad_input_test {

using nlohmann::json;

// A portal frame in the x-y plane: two columns and a beam, fixed bases.
json portal() {
  return json::parse(R"({
    "units": {"force": "kN", "length": "m"},
    "frame": "plane",
    "sections": [{"name": "S", "E": 2.1e8, "G": 8.1e7, "A": 0.01, "It": 1e-6,
                  "Iy": 1e-4, "Iz": 1e-4, "extent_z": 0.3, "extent_y": 0.3}],
    "members": [
      {"name": "C1", "from": [0, 0, 0], "to": [0, 3, 0], "section": "S"},
      {"name": "B1", "from": [0, 3, 0], "to": [4, 3, 0], "section": "S"},
      {"name": "C2", "from": [4, 0, 0], "to": [4, 3, 0], "section": "S"}
    ],
    "supports": [
      {"name": "left", "at": [0, 0, 0], "type": "fixed"},
      {"name": "right", "at": [4, 0, 0], "type": "fixed"}
    ],
    "load_cases": [{"name": "wind", "loads": [{"name": "push", "at": [0, 3, 0], "force": [10, 0, 0]}]}]
  })");
}

struct Failure {
  int exit_status;
  std::string message;
};

// Runs the model with every output asked for, and checks that none appears.
Failure run_failing(const std::string& text) {
  const ScratchDirectory dir;
  const std::string model = dir.write("model.json", text);
  const RunResult r = run_frame({model, "--json", dir.path("out.json"), "--svg",
                                 dir.path("out.svg"), "--csv", dir.path("tables")});
  EXPECT_NE(r.exit_status, 0);
  EXPECT_FALSE(std::filesystem::exists(dir.path("out.json")));
  EXPECT_FALSE(std::filesystem::exists(dir.path("out.svg")));
  EXPECT_FALSE(std::filesystem::exists(dir.path("tables") + "/displacements.csv"));
  // No temporary file is left either.
  for (const auto& e : std::filesystem::directory_iterator(dir.root()))
    EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
  EXPECT_TRUE(r.out.empty()) << "no report on failure";
  return {r.exit_status, r.err};
}

Failure run_failing(const json& model) { return run_failing(model.dump(2)); }

TEST(BadInput, TheValidPortalRuns) {
  const ScratchDirectory dir;
  const RunResult r = run_frame({dir.write("model.json", portal().dump()), "--summary"});
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_NE(r.out.find("in equilibrium"), std::string::npos);
}

TEST(BadInput, JsonSyntaxErrorGivesFileLineAndColumn) {
  // Line 3 lacks the comma after the frame kind.
  const std::string text =
      "{\n  \"units\": {\"force\": \"kN\", \"length\": \"m\"},\n  \"frame\": \"plane\"\n"
      "  \"sections\": []\n}\n";
  const Failure f = run_failing(text);
  EXPECT_EQ(f.exit_status, 2);
  EXPECT_NE(f.message.find("model.json:4:3: JSON syntax error"), std::string::npos) << f.message;
}

TEST(BadInput, UnknownSectionNamesMemberAndFieldAndTheNearestNames) {
  json m = portal();
  m["members"][1]["section"] = "HEB310";
  Failure f = run_failing(m);
  EXPECT_EQ(f.exit_status, 2);
  EXPECT_NE(f.message.find("member \"B1\" (members[1]): field \"section\": unknown section \"HEB310\""),
            std::string::npos)
      << f.message;
  EXPECT_NE(f.message.find("nearest: \"HEB 300\""), std::string::npos) << f.message;

  // A catalogue profile named by a member needs the model's material.
  m["members"][1]["section"] = "HEB300";
  f = run_failing(m);
  EXPECT_EQ(f.exit_status, 2);
  EXPECT_NE(f.message.find("member \"B1\" (members[1]): field \"section\": the catalogue profile "
                           "\"HEB300\" needs a material"),
            std::string::npos)
      << f.message;
}

TEST(BadInput, MissingAndUnknownFieldsAndWrongTypes) {
  json m = portal();
  m["members"][2].erase("to");
  Failure f = run_failing(m);
  EXPECT_EQ(f.exit_status, 2);
  EXPECT_NE(f.message.find("member \"C2\" (members[2]): field \"to\": missing field"), std::string::npos)
      << f.message;

  m = portal();
  m["members"][0]["sectoin"] = "S";
  f = run_failing(m);
  EXPECT_NE(f.message.find("field \"sectoin\": unknown field"), std::string::npos) << f.message;

  m = portal();
  m["sections"][0]["A"] = "0.01";
  f = run_failing(m);
  EXPECT_NE(f.message.find("section \"S\" (sections[0])"), std::string::npos) << f.message;
  EXPECT_NE(f.message.find("field \"A\": expected a number, found string"), std::string::npos)
      << f.message;

  m = portal();
  m["supports"][0]["type"] = "clamped";
  f = run_failing(m);
  EXPECT_NE(f.message.find("support \"left\" (supports[0]): field \"type\""), std::string::npos)
      << f.message;
}

TEST(BadInput, NonPositiveSectionValues) {
  for (const char* field : {"E", "A", "Iy", "Iz", "It", "G"}) {
    for (double value : {0.0, -1.0}) {
      json m = portal();
      m["sections"][0][field] = value;
      const Failure f = run_failing(m);
      EXPECT_EQ(f.exit_status, 2);
      EXPECT_NE(f.message.find(std::string("section \"S\" (sections[0]): field \"") + field +
                               "\": must be positive"),
                std::string::npos)
          << f.message;
    }
  }
}

TEST(BadInput, ZeroLengthMember) {
  json m = portal();
  m["members"].push_back({{"name", "stub"}, {"from", {4, 3, 0}}, {"to", {4, 3.00001, 0}}, {"section", "S"}});
  const Failure f = run_failing(m);
  EXPECT_EQ(f.exit_status, 2);
  EXPECT_NE(f.message.find("member \"stub\" (members[3]): field \"to\": the member has zero length"),
            std::string::npos)
      << f.message;
}

TEST(BadInput, SupportOrLoadOnNoNode) {
  json m = portal();
  m["supports"][1]["at"] = {4, 0.5, 0};
  Failure f = run_failing(m);
  EXPECT_EQ(f.exit_status, 2);
  EXPECT_NE(f.message.find("support \"right\" (supports[1]): field \"at\": the point [4, 0.5, 0] "
                           "lies on no node"),
            std::string::npos)
      << f.message;

  m = portal();
  m["load_cases"][0]["loads"][0]["at"] = {2, 3, 0};  // mid-span, not a node
  f = run_failing(m);
  EXPECT_EQ(f.exit_status, 2);
  EXPECT_NE(f.message.find("load case \"wind\", load \"push\" (loads[0]): field \"at\""),
            std::string::npos)
      << f.message;

  m = portal();
  m["springs"] = {{{"name", "k"}, {"at", {9, 9, 0}}, {"kx", 100}}};
  f = run_failing(m);
  EXPECT_NE(f.message.find("spring \"k\" (springs[0]): field \"at\""), std::string::npos) << f.message;
}

TEST(BadInput, TwoSupportsOnOneNode) {
  json m = portal();
  m["supports"].push_back({{"name", "again"}, {"at", {0, 0, 0}}, {"type", "pinned"}});
  const Failure f = run_failing(m);
  EXPECT_NE(f.message.find("node 1 already has support \"left\""), std::string::npos) << f.message;
}

TEST(BadInput, ModelNotInOnePieceNamesAFreeMember) {
  json m = portal();
  m["members"].push_back({{"name", "loose"}, {"from", {10, 0, 0}}, {"to", {10, 3, 0}}, {"section", "S"}});
  m["supports"].push_back({{"name", "far"}, {"at", {10, 0, 0}}, {"type", "fixed"}});
  const Failure f = run_failing(m);
  EXPECT_EQ(f.exit_status, 3);
  EXPECT_NE(f.message.find("the model is not in one piece: member \"loose\""), std::string::npos)
      << f.message;
  EXPECT_NE(f.message.find("Uncorrect mesh data"), std::string::npos) << f.message;
}

TEST(BadInput, NearMissJointIsNotInOnePiece) {
  // The beam's end stops 0.01 short of the column head: within the free-line
  // check's reach, but not one node.
  json m = portal();
  m["members"][1]["to"] = {4, 3.01, 0};
  const Failure f = run_failing(m);
  EXPECT_EQ(f.exit_status, 3);
  EXPECT_NE(f.message.find("not in one piece"), std::string::npos) << f.message;
  EXPECT_NE(f.message.find("Uncorrect mesh data"), std::string::npos) << f.message;
}

TEST(BadInput, MechanismNamesNodeAndDirection) {
  // Both bases pinned and the beam hinged at both columns: the frame sways.
  json m = portal();
  m["supports"][0]["type"] = "pinned";
  m["supports"][1]["type"] = "pinned";
  m["members"][1]["release"] = "pinned";
  const Failure f = run_failing(m);
  EXPECT_EQ(f.exit_status, 3);
  // A mechanism is the frame's, whatever its loads: found from the
  // factorisation before any load case, at a node and direction that sway.
  EXPECT_NE(f.message.find("the frame is a mechanism"), std::string::npos) << f.message;
  EXPECT_NE(f.message.find("in direction ux"), std::string::npos) << f.message;
}

TEST(BadInput, UnsupportedFrameIsSingular) {
  json m = portal();
  m.erase("supports");
  const Failure f = run_failing(m);
  EXPECT_EQ(f.exit_status, 3);
  EXPECT_NE(f.message.find("mechanism"), std::string::npos) << f.message;
}

TEST(BadInput, OrientationPointOnTheMembersLine) {
  json m = portal();
  m["frame"] = "space";
  m["members"][1]["orientation_point"] = {8, 3, 0};
  const Failure f = run_failing(m);
  EXPECT_EQ(f.exit_status, 2);
  EXPECT_NE(f.message.find("field \"orientation_point\": lies on the member's line"), std::string::npos)
      << f.message;
}

TEST(BadInput, PlaneFrameOutOfItsPlane) {
  json m = portal();
  m["members"][2]["to"] = {4, 3, 1};
  Failure f = run_failing(m);
  EXPECT_NE(f.message.find("member \"C2\" (members[2]): field \"to\": a plane frame lies in one x-y "
                           "plane"),
            std::string::npos)
      << f.message;
  m = portal();
  m["load_cases"][0]["loads"][0]["force"] = {10, 0, 5};
  f = run_failing(m);
  EXPECT_NE(f.message.find("field \"force\": a plane frame carries no force along z"), std::string::npos)
      << f.message;
}

TEST(BadInput, UnwritableOutputLeavesNothing) {
  const ScratchDirectory dir;
  const std::string model = dir.write("model.json", portal().dump());
  const RunResult r = run_frame({model, "--json", dir.path("missing/out.json"), "--svg",
                                 dir.path("out.svg")});
  EXPECT_EQ(r.exit_status, 4);
  EXPECT_NE(r.err.find("missing/"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir.path("out.svg")));
}

TEST(BadInput, CommandLineErrors) {
  RunResult r = run_frame({});
  EXPECT_EQ(r.exit_status, 1);
  r = run_frame({"/nonexistent/model.json"});
  EXPECT_EQ(r.exit_status, 1);
  r = run_frame({"--help"});
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_NE(r.out.find("--svg"), std::string::npos);
  EXPECT_NE(r.out.find("Exit status"), std::string::npos);
}

}  // namespace bad_input_test
}  // namespace zervola::frame::test

namespace zervola::frame::test {
namespace bad_input_test {

// Equal structure, and numbers equal to a relative 1e-9 of the largest
// number of the same array.
void expect_same_to_rounding(const json& a, const json& b, const std::string& where,
                             double scale = 0.0) {
  ASSERT_EQ(a.type(), b.type()) << where;
  if (a.is_number()) {
    EXPECT_NEAR(a.get<double>(), b.get<double>(), 1.0e-9 * scale) << where;
  } else if (a.is_array() || a.is_object()) {
    ASSERT_EQ(a.size(), b.size()) << where;
    if (a.is_array()) {
      double largest = scale;
      for (const json& v : a)
        if (v.is_number()) largest = std::max(largest, std::abs(v.get<double>()));
      for (std::size_t k = 0; k < a.size(); ++k)
        expect_same_to_rounding(a[k], b[k], where + "[" + std::to_string(k) + "]", largest);
    } else {
      for (auto it = a.begin(); it != a.end(); ++it)
        expect_same_to_rounding(it.value(), b.at(it.key()), where + "." + it.key(), scale);
    }
  } else {
    EXPECT_EQ(a, b) << where;
  }
}

// A settlement given per load case gives what the same settlement given on
// the support gives, and the other cases keep the support's own values.
TEST(SupportDisplacements, PerLoadCaseEqualsOnTheSupport) {
  const json original = json::parse(read_text(host_data_dir() + "/settlement.model.json"));
  json per_case = original;
  json moved = json::array();
  for (json& s : per_case["supports"]) {
    if (!s.contains("displacement")) continue;
    moved.push_back({{"at", s["at"]}, {"displacement", s["displacement"]}});
    s.erase("displacement");
  }
  ASSERT_FALSE(moved.empty());
  json still = per_case["load_cases"][0];
  still["name"] = "no settlement";
  per_case["load_cases"][0]["support_displacements"] = moved;
  per_case["load_cases"].push_back(still);

  const ScratchDirectory dir;
  ASSERT_EQ(run_frame({dir.write("a.json", original.dump()), "-q", "--json", dir.path("a.out")}).exit_status, 0);
  const RunResult r = run_frame({dir.write("b.json", per_case.dump()), "-q", "--json", dir.path("b.out")});
  ASSERT_EQ(r.exit_status, 0) << r.err;
  const json a = read_json(dir.path("a.out"));
  const json b = read_json(dir.path("b.out"));
  // The second model solves two cases together, the first one alone: the
  // substitutions sum in another order.
  for (const char* field : {"displacements", "end_forces", "reactions"})
    expect_same_to_rounding(a["load_cases"][0][field], b["load_cases"][0][field], field);
  EXPECT_NE(b["load_cases"][0]["displacements"], b["load_cases"][1]["displacements"]);

  json bad = per_case;
  bad["load_cases"][0]["support_displacements"][0]["at"] = json::array({1234.5, 0, 0});
  const RunResult nowhere = run_frame({dir.write("c.json", bad.dump()), "-q"});
  EXPECT_EQ(nowhere.exit_status, 2);
  EXPECT_NE(nowhere.err.find("support displacement 1 (support_displacements[0]): field \"at\""),
            std::string::npos)
      << nowhere.err;
}

TEST(SupportDisplacements, OnlyRestrainedDirectionsOfASupport) {
  json m = portal();
  m["supports"][0]["type"] = "pinned";
  m["load_cases"][0]["support_displacements"] = {{{"at", {0, 0, 0}}, {"displacement", {{"rz", 0.01}}}}};
  Failure f = run_failing(m);
  EXPECT_EQ(f.exit_status, 2);
  EXPECT_NE(f.message.find("direction rz is not restrained by support \"left\""), std::string::npos)
      << f.message;
  m = portal();
  m["load_cases"][0]["support_displacements"] = {{{"at", {0, 3, 0}}, {"displacement", {{"ux", 0.01}}}}};
  f = run_failing(m);
  EXPECT_NE(f.message.find("node 2 has no support"), std::string::npos) << f.message;
}

}  // namespace bad_input_test
}  // namespace zervola::frame::test
