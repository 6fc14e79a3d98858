// Bad member loads, self-weight, temperature loads, combinations and
// envelopes: a message naming the file, the item, the field and the value,
// and no output written.

#include <gtest/gtest.h>

#include <filesystem>

#include "run_program.hpp"

namespace zervola::frame::test {
namespace member_load_input_test {

using nlohmann::json;

json loaded_portal() {
  return json::parse(R"({
    "units": {"force": "kN", "length": "m"},
    "frame": "plane",
    "sections": [{"name": "S", "E": 2.1e8, "G": 8.1e7, "A": 0.01, "It": 1e-6,
                  "Iy": 1e-4, "Iz": 1e-4, "extent_z": 0.3, "extent_y": 0.3, "density": 7.85,
                  "thermal_coefficient": 1.2e-5}],
    "members": [
      {"name": "C1", "from": [0, 0, 0], "to": [0, 3, 0], "section": "S"},
      {"name": "B1", "from": [0, 3, 0], "to": [4, 3, 0], "section": "S"},
      {"name": "C2", "from": [4, 0, 0], "to": [4, 3, 0], "section": "S"}
    ],
    "supports": [{"at": [0, 0, 0], "type": "fixed"}, {"at": [4, 0, 0], "type": "fixed"}],
    "load_cases": [
      {"name": "dead", "gravity": [0, -9.81, 0],
       "member_loads": [{"member": "B1", "type": "distributed", "value": [0, -5, 0]}]},
      {"name": "live",
       "member_loads": [{"member": "B1", "type": "force", "position": 1.5, "value": [0, -20, 0]}]}],
    "combinations": [{"name": "ULS", "factors": {"dead": 1.35, "live": 1.5}}],
    "envelopes": [{"name": "all", "combinations": ["ULS", "dead"]}]
  })");
}

// Runs the model with every output asked for, expects failure with the
// model-file status and no file written, and returns the message.
std::string failure(const json& model) {
  const ScratchDirectory dir;
  const std::string path = dir.write("model.json", model.dump(2));
  const RunResult r = run_frame({path, "--json", dir.path("out.json"), "--svg", dir.path("out.svg"),
                                 "--csv", dir.path("tables")});
  EXPECT_EQ(r.exit_status, 2) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir.path("out.json")));
  EXPECT_FALSE(std::filesystem::exists(dir.path("out.svg")));
  EXPECT_FALSE(std::filesystem::exists(dir.path("tables") + "/member_diagrams.csv"));
  EXPECT_TRUE(r.out.empty());
  EXPECT_NE(r.err.find("model.json: "), std::string::npos) << r.err;
  return r.err;
}

void expect_in(const std::string& message, const std::string& part) {
  EXPECT_NE(message.find(part), std::string::npos) << message;
}

TEST(MemberLoadInput, TheLoadedPortalRunsWithEveryOutput) {
  const ScratchDirectory dir;
  const std::string path = dir.write("model.json", loaded_portal().dump(2));
  const RunResult r = run_frame({path, "--json", dir.path("out.json"), "--csv", dir.path("tables"),
                                 "--svg", dir.path("out.svg"), "--diagram", "moment"});
  ASSERT_EQ(r.exit_status, 0) << r.err;
  const json out = json::parse(read_text(dir.path("out.json")));
  ASSERT_EQ(out["combinations"].size(), 1u);
  EXPECT_EQ(out["envelopes"][0]["name"], "all");
  EXPECT_EQ(out["load_cases"][0]["member_diagrams"].size(), 3u);
  EXPECT_TRUE(std::filesystem::exists(dir.path("tables") + "/member_diagrams.csv"));
  EXPECT_TRUE(std::filesystem::exists(dir.path("tables") + "/envelopes.csv"));
  expect_in(r.out, "Combination 1: \"ULS\"");
  const std::string svg = read_text(dir.path("out.svg"));
  expect_in(svg, "Combination 1: ULS");
  expect_in(svg, "<polygon class=\"mz\"");
  expect_in(r.out, "Envelope \"all\"");
}

TEST(MemberLoadInput, PositionOutsideTheMember) {
  json m = loaded_portal();
  m["load_cases"][1]["member_loads"][0]["position"] = 4.5;
  const std::string e = failure(m);
  expect_in(e, "load case \"live\", member load 1 (member_loads[0]): field \"position\"");
  expect_in(e, "4.5 lies outside the member \"B1\" (length 4)");
  m = loaded_portal();
  m["load_cases"][0]["member_loads"][0]["relative"] = true;
  m["load_cases"][0]["member_loads"][0]["end"] = 1.2;
  expect_in(failure(m), "field \"end\": 1.2 lies outside the member (relative positions");
  m = loaded_portal();
  m["load_cases"][0]["member_loads"][0]["start"] = 3;
  m["load_cases"][0]["member_loads"][0]["end"] = 2;
  expect_in(failure(m), "field \"end\": the load must end after it starts");
}

TEST(MemberLoadInput, UnknownMember) {
  json m = loaded_portal();
  m["load_cases"][0]["member_loads"][0]["member"] = "B9";
  expect_in(failure(m), "member load 1 (member_loads[0]): field \"member\": unknown member \"B9\"");
}

TEST(MemberLoadInput, CombinationNamingAnUnknownCase) {
  json m = loaded_portal();
  m["combinations"][0]["factors"]["snow"] = 1.5;
  expect_in(failure(m), "combination \"ULS\" (combinations[0]): field \"factors\": unknown load case \"snow\"");
  m = loaded_portal();
  m["envelopes"][0]["combinations"].push_back("SLS");
  expect_in(failure(m), "envelope \"all\" (envelopes[0]): field \"combinations\": unknown combination or load case \"SLS\"");
  m = loaded_portal();
  m["combinations"][0]["name"] = "dead";
  expect_in(failure(m), "field \"name\": a load case has this name");
}

TEST(MemberLoadInput, SelfWeightWithoutDensity) {
  json m = loaded_portal();
  m["sections"][0].erase("density");
  expect_in(failure(m), "load case \"dead\" (load_cases[0]): field \"gravity\": self-weight needs a "
                        "density: section \"S\" (of member \"C1\") has none");
}

TEST(MemberLoadInput, TemperatureWithoutCoefficientAndLoadsOutOfThePlane) {
  json m = loaded_portal();
  m["sections"][0].erase("thermal_coefficient");
  m["load_cases"][1]["member_loads"].push_back({{"member", "B1"}, {"type", "temperature"}, {"uniform", 20}});
  expect_in(failure(m), "needs its section \"S\" to have a thermal_coefficient");
  m = loaded_portal();
  m["load_cases"][1]["member_loads"][0]["value"] = {0, -20, 3};
  expect_in(failure(m), "field \"value\": a plane frame carries no force along z");
}

TEST(MemberLoadInput, MalformedLoads) {
  json m = loaded_portal();
  m["load_cases"][1]["member_loads"][0]["type"] = "pressure";
  expect_in(failure(m), "field \"type\": \"pressure\" is not a member load type");
  m = loaded_portal();
  m["load_cases"][1]["member_loads"][0]["start"] = 1;
  expect_in(failure(m), "field \"start\": a concentrated force or moment has a position and a value");
  m = loaded_portal();
  m["load_cases"][1]["member_loads"][0]["axes"] = "polar";
  expect_in(failure(m), "field \"axes\": \"polar\" is not local, global or global_projected");
  m = loaded_portal();
  m["load_cases"][0]["member_loads"][0]["value"] = {0, "x", 0};
  expect_in(failure(m), "field \"value\": expected an array of three numbers");
}

TEST(MemberLoadInput, TorqueOnAPinEndedMember) {
  json m = loaded_portal();
  m["frame"] = "space";
  m["members"][1]["release"] = "pinned";
  m["load_cases"][1]["member_loads"][0] = {
      {"member", "B1"}, {"type", "moment"}, {"position", 2}, {"value", {3, 0, 0}}};
  expect_in(failure(m), "member \"B1\" is pin-ended and carries no torque about its axis");
}

}  // namespace member_load_input_test
}  // namespace zervola::frame::test
