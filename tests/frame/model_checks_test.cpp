// The mistakes engineers make every week, each written as they draw it:
// the program names each one (a warning or an error, with the item and the
// place), and the corrected frame gets no word.

#include <gtest/gtest.h>

#include <zervola/frame.hpp>

#include <filesystem>
#include <string>
#include <utility>

#include "run_program.hpp"

namespace zervola::frame::test {
namespace model_checks_test {

using nlohmann::json;

std::string mistake(const std::string& name) {
  return std::string(ZERVOLA_TEST_DATA_DIR) + "/mistakes/" + name;
}

std::vector<std::string> codes(const AnalysisResult& r) {
  std::vector<std::string> out;
  for (const Warning& w : r.warnings) out.push_back(w.code);
  return out;
}

std::string input_error(const std::string& path) {
  try {
    (void)analyse(read_model(path));
  } catch (const InputError& e) {
    return e.what();
  }
  return "accepted";
}

TEST(ModelChecks, TheCorrectFrameGetsNoWord) {
  EXPECT_TRUE(analyse(read_model(mistake("reference-two-storey.json"))).warnings.empty());
}

TEST(ModelChecks, ABeamEndThatMissesTheColumnTopIsANearMiss) {
  const AnalysisResult r = analyse(read_model(mistake("near-miss-1mm-one-piece.json")));
  ASSERT_EQ(codes(r), std::vector<std::string>{"near_miss"});
  EXPECT_NE(r.warnings[0].message.find("is 0.001 from \"B1\""), std::string::npos) << r.warnings[0].message;
  // The two ends near each other are one gap, told of once.
  const std::string& message = r.warnings[0].message;
  EXPECT_EQ(message.find("an end of", message.find("an end of") + 1), std::string::npos) << message;
  EXPECT_NE(std::find(r.warnings[0].items.begin(), r.warnings[0].items.end(), "B1"), r.warnings[0].items.end());
}

TEST(ModelChecks, BracesThatCrossWithoutANodeAreNamedWithThePoint) {
  const AnalysisResult r = analyse(read_model(mistake("crossing-braces-no-node.json")));
  ASSERT_EQ(codes(r), std::vector<std::string>{"crossing_members"});
  EXPECT_NE(r.warnings[0].message.find("\"X1\" and \"X2\" cross at (3, 2, 0) without a node there"),
            std::string::npos)
      << r.warnings[0].message;
  EXPECT_EQ(r.warnings[0].items, (std::vector<std::string>{"X1", "X2"}));
}

TEST(ModelChecks, AMemberDrawnTwiceOrOverAnotherIsAnError) {
  const std::string e = input_error(mistake("duplicate-member.json"));
  EXPECT_NE(e.find("member \"B1\" and member \"B1dup\" join the same two nodes"), std::string::npos) << e;

  // Drawn again from its far end back to its near end: still the same two
  // nodes, and told as such rather than as two members lying over each other.
  {
    const ScratchDirectory dir;
    json m = json::parse(read_text(mistake("reference-two-storey.json")));
    json back = m["members"][0];
    back["name"] = "back";
    std::swap(back["from"], back["to"]);
    m["members"].push_back(back);
    const std::string reversed = input_error(dir.write("reversed.json", m.dump()));
    EXPECT_NE(reversed.find("\"back\" join the same two nodes: the member is drawn twice"),
              std::string::npos)
        << reversed;
  }

  // Collinear and overlapping over part of their length.
  const ScratchDirectory dir;
  json m = json::parse(read_text(mistake("reference-two-storey.json")));
  json extra = m["members"][0];
  extra["name"] = "over";
  const json from = extra["from"], to = extra["to"];
  extra["to"] = {(from[0].get<double>() + to[0].get<double>()) / 2, (from[1].get<double>() + to[1].get<double>()) / 2,
                 (from[2].get<double>() + to[2].get<double>()) / 2};
  m["members"].push_back(extra);
  const std::string overlap = input_error(dir.write("overlap.json", m.dump()));
  EXPECT_NE(overlap.find("lie over each other along 2 of their length"), std::string::npos) << overlap;
  EXPECT_NE(overlap.find("\"over\""), std::string::npos) << overlap;

  // Drawn over it, but 0.2 mm off at its far end: the same mistake.
  extra["to"][0] = extra["to"][0].get<double>() + 0.0002;
  m["members"].back() = extra;
  const std::string off = input_error(dir.write("off.json", m.dump()));
  EXPECT_NE(off.find("lie over each other"), std::string::npos) << off;
}

TEST(ModelChecks, AShortLinkBetweenTwoMembersIsNoNearMiss) {
  // A beam joined to a column top through a 30 mm link: connected on purpose.
  nlohmann::json m = nlohmann::json::parse(R"({
    "units": {"force": "kN", "length": "m"}, "frame": "plane", "material": "S355",
    "members": [
      {"name": "C1", "from": [0, 0, 0], "to": [0, 4, 0], "section": "HEB 200"},
      {"name": "K", "from": [0, 4, 0], "to": [0.03, 4, 0], "section": "HEB 200"},
      {"name": "B", "from": [0.03, 4, 0], "to": [6, 4, 0], "section": "IPE 300"},
      {"name": "C2", "from": [6, 0, 0], "to": [6, 4, 0], "section": "HEB 200"}],
    "supports": [{"at": [0, 0, 0], "type": "fixed"}, {"at": [6, 0, 0], "type": "fixed"}],
    "load_cases": [{"name": "g", "self_weight": true}]})");
  const ScratchDirectory dir;
  EXPECT_TRUE(analyse(read_model(dir.write("link.json", m.dump()))).warnings.empty());
}

TEST(ModelChecks, AMemberFarShorterThanItsNeighboursIsNamedAsTheCause) {
  const std::string path = mistake("tiny-member-mechanism-message.json");
  try {
    (void)analyse(read_model(path));
    ADD_FAILURE() << "a 0.2 mm member between 6 m beams was solved";
  } catch (const AnalysisError& e) {
    const std::string what = e.what();
    EXPECT_NE(what.find("The likely cause: member \"tiny\" is 0.0002 m long, 30000 times shorter "
                        "than member \"B1\""),
              std::string::npos)
        << what;
    ASSERT_EQ(e.warnings.size(), 1U);
    EXPECT_EQ(e.warnings[0].code, "short_member");
    EXPECT_EQ(e.warnings[0].items, std::vector<std::string>{"tiny"});
  }
  // Drawn as meant, the beams meeting at the column top: no word.
  json m = json::parse(read_text(path));
  json members = json::array();
  for (json& member : m["members"]) {
    if (member["name"] == "tiny") continue;
    if (member["name"] == "B2") member["from"] = {6, 4, 0};
    members.push_back(member);
  }
  m["members"] = members;
  const ScratchDirectory dir;
  EXPECT_TRUE(analyse(read_model(dir.write("meant.json", m.dump()))).warnings.empty());
}

TEST(ModelChecks, AShortMemberThatSolvesIsStillToldButAnOffsetIsNot) {
  // 5 mm between 6 m beams (1/1200) solves, with fewer correct digits than
  // the rest: a warning. A 30 mm offset (1/200) is a link drawn on purpose.
  const auto frame = [](double gap) {
    return json{{"units", {{"force", "kN"}, {"length", "m"}}},
                {"frame", "plane"},
                {"material", "S355"},
                {"members",
                 {{{"name", "B1"}, {"from", {0, 4, 0}}, {"to", {6, 4, 0}}, {"section", "IPE 300"}},
                  {{"name", "K"}, {"from", {6, 4, 0}}, {"to", {6 + gap, 4, 0}}, {"section", "IPE 300"}},
                  {{"name", "B2"}, {"from", {6 + gap, 4, 0}}, {"to", {12, 4, 0}}, {"section", "IPE 300"}},
                  {{"name", "C1"}, {"from", {0, 0, 0}}, {"to", {0, 4, 0}}, {"section", "HEB 200"}},
                  {{"name", "C2"}, {"from", {12, 0, 0}}, {"to", {12, 4, 0}}, {"section", "HEB 200"}}}},
                {"supports", {{{"at", {0, 0, 0}}, {"type", "fixed"}}, {{"at", {12, 0, 0}}, {"type", "fixed"}}}},
                {"load_cases", {{{"name", "g"}, {"self_weight", true}}}}};
  };
  const ScratchDirectory dir;
  const AnalysisResult tiny = analyse(read_model(dir.write("tiny.json", frame(0.005).dump())));
  ASSERT_EQ(codes(tiny), std::vector<std::string>{"short_member"});
  EXPECT_EQ(tiny.warnings[0].items, std::vector<std::string>{"K"});
  EXPECT_TRUE(analyse(read_model(dir.write("offset.json", frame(0.03).dump()))).warnings.empty());
}

TEST(ModelChecks, AShortMemberAwayFromAMechanismIsNotBlamedForIt) {
  // A sway mechanism (rollers only) and, elsewhere, a 5 mm link: the error
  // names the mechanism, not the link.
  const json m = json::parse(R"({
    "units": {"force": "kN", "length": "m"}, "frame": "plane", "material": "S355",
    "members": [
      {"name": "B1", "from": [0, 4, 0], "to": [6, 4, 0], "section": "IPE 300"},
      {"name": "K", "from": [6, 4, 0], "to": [6.005, 4, 0], "section": "IPE 300"},
      {"name": "B2", "from": [6.005, 4, 0], "to": [12, 4, 0], "section": "IPE 300"},
      {"name": "C1", "from": [0, 0, 0], "to": [0, 4, 0], "section": "HEB 200"},
      {"name": "C2", "from": [12, 0, 0], "to": [12, 4, 0], "section": "HEB 200"}],
    "supports": [{"at": [0, 0, 0], "type": "roller", "direction": "y"},
                 {"at": [12, 0, 0], "type": "roller", "direction": "y"}],
    "load_cases": [{"name": "g", "self_weight": true}]})");
  const ScratchDirectory dir;
  try {
    (void)analyse(read_model(dir.write("m.json", m.dump())));
    ADD_FAILURE() << "a mechanism was solved";
  } catch (const AnalysisError& e) {
    const std::string what = e.what();
    EXPECT_NE(what.find("is a mechanism"), std::string::npos) << what;
    EXPECT_EQ(what.find("likely cause"), std::string::npos) << what;
    EXPECT_NE(e.node, 0);
  }
}

TEST(ModelChecks, WhatWasFoundBeforeAFailureTravelsWithIt) {
  // A near miss and, beside it, a beam hinged at both ends of a pinned
  // portal: the mechanism error carries the near miss.
  nlohmann::json m = nlohmann::json::parse(read_text(mistake("near-miss-1mm-one-piece.json")));
  for (auto& s : m["supports"]) s["type"] = "pinned";
  for (auto& member : m["members"])
    if (member["name"] == "B1") member["release"] = "pinned";
  const ScratchDirectory dir;
  const RunResult r = run_frame({dir.write("m.json", m.dump()), "-q"});
  EXPECT_EQ(r.exit_status, static_cast<int>(ExitStatus::analysis)) << r.err;
  const auto warning = r.err.find("warning [near_miss]");
  const auto error = r.err.find("error: ");
  EXPECT_NE(warning, std::string::npos) << r.err;
  EXPECT_LT(warning, error) << r.err;
}

TEST(ModelChecks, WhatTheDrawingHoldsBesidesMembersIsCountedOrRefused) {
  // An ARC on a layer of members: a curved member, refused with its line.
  const std::string arc = input_error(mistake("arc-dropped.json"));
  EXPECT_NE(arc.find("arc-dropped.dxf:53: ARC on layer \"S\", which names a section"), std::string::npos) << arc;
  // A LINE inside a block definition: counted in one warning.
  const Model model = read_model(mistake("block-line-dropped.json"));
  ASSERT_EQ(model.warnings.size(), 1u);
  EXPECT_EQ(model.warnings[0].code, "ignored_drawing_entity");
  EXPECT_NE(model.warnings[0].message.find("1 LINE on layer \"S\" in a block definition (first at line 19)"),
            std::string::npos)
      << model.warnings[0].message;

  // An ARC in a block definition on a layer of members is not drawn (the
  // block is not inserted): counted with the rest, one by one, not refused.
  {
    const ScratchDirectory dir;
    json m = json::parse(read_text(mistake("block-line-dropped.json")));
    m["dxf"] = "block-arc.dxf";
    (void)dir.write("block-arc.dxf",
                    "0\nSECTION\n2\nBLOCKS\n"
                    "0\nBLOCK\n8\n0\n2\nBEND\n70\n0\n10\n0\n20\n0\n30\n0\n"
                    "0\nARC\n8\nS\n10\n0\n20\n0\n30\n0\n40\n1\n50\n0\n51\n90\n"
                    "0\nENDBLK\n0\nENDSEC\n"
                    "0\nSECTION\n2\nENTITIES\n"
                    "0\nLINE\n8\nS\n10\n0\n20\n0\n30\n0\n11\n0\n21\n4\n31\n0\n"
                    "0\nLINE\n8\nS\n10\n6\n20\n0\n30\n0\n11\n6\n21\n4\n31\n0\n"
                    "0\nLINE\n8\nS\n10\n0\n20\n4\n30\n0\n11\n6\n21\n4\n31\n0\n"
                    "0\nTEXT\n8\nNOTES\n10\n0\n20\n5\n1\nroof\n"
                    "0\nTEXT\n8\nNOTES\n10\n6\n20\n5\n1\nridge\n"
                    "0\nENDSEC\n0\nEOF\n");
    const Model arc_in_block = read_model(dir.write("block-arc.json", m.dump()));
    EXPECT_EQ(arc_in_block.members.size(), 3U);
    ASSERT_EQ(arc_in_block.warnings.size(), 1u);
    const std::string& message = arc_in_block.warnings[0].message;
    EXPECT_NE(message.find("3 entities of the drawing are not read as members"), std::string::npos)
        << message;
    EXPECT_NE(message.find("1 ARC on layer \"S\" in a block definition"), std::string::npos) << message;
    EXPECT_NE(message.find("2 TEXT on layer \"NOTES\""), std::string::npos) << message;
  }

  // Text and an arc on a layer of their own: counted by type and layer.
  const DxfDrawing drawing = parse_dxf_drawing(
      "0\nSECTION\n2\nENTITIES\n"
      "0\nLINE\n8\nS\n10\n0\n20\n0\n11\n0\n21\n3\n"
      "0\nTEXT\n8\nNOTES\n10\n0\n20\n0\n1\nhello\n"
      "0\nTEXT\n8\nNOTES\n10\n1\n20\n0\n1\nagain\n"
      "0\nCIRCLE\n8\nGRID\n10\n0\n20\n0\n40\n1\n"
      "0\nENDSEC\n0\nEOF\n",
      "d.dxf");
  ASSERT_EQ(drawing.members.size(), 1u);
  ASSERT_EQ(drawing.ignored.size(), 2u);
  EXPECT_EQ(drawing.ignored[0].type, "TEXT");
  EXPECT_EQ(drawing.ignored[0].layer, "NOTES");
  EXPECT_EQ(drawing.ignored[0].count, 2);
  EXPECT_EQ(drawing.ignored[1].type, "CIRCLE");
  EXPECT_FALSE(drawing.ignored[1].in_block);
}

TEST(ModelChecks, ALineOfZeroLengthInTheDrawingIsCountedNotMadeAMember) {
  const DxfDrawing drawing = parse_dxf_drawing(
      "0\nSECTION\n2\nENTITIES\n"
      "0\nLINE\n8\nS\n10\n0\n20\n0\n11\n0\n21\n3\n"
      "0\nLINE\n8\nS\n10\n2\n20\n2\n11\n2.00001\n21\n2\n"
      "0\nLWPOLYLINE\n8\nS\n90\n3\n10\n0\n20\n3\n10\n0\n20\n3\n10\n4\n20\n3\n"
      "0\nENDSEC\n0\nEOF\n",
      "d.dxf");
  EXPECT_EQ(drawing.members.size(), 2u);
  ASSERT_EQ(drawing.ignored.size(), 1u);
  EXPECT_EQ(drawing.ignored[0].type, "zero-length line");
  EXPECT_EQ(drawing.ignored[0].count, 2);
  EXPECT_EQ(drawing.ignored[0].first_line, 17u);  // the second LINE's "0 LINE"
}

TEST(ModelChecks, ACleanDrawingHasNothingIgnored) {
  const DxfDrawing drawing = read_dxf_drawing(examples_dir() + "/dxf_portal/portal.dxf");
  EXPECT_TRUE(drawing.ignored.empty());
}

TEST(ModelChecks, TheChecksAreRelativeSoMillimetresAndMetresAgree) {
  // The near miss in millimetres: the same warning.
  json m = json::parse(read_text(mistake("near-miss-1mm-one-piece.json")));
  const auto scale = [](json& p) {
    for (json& v : p) v = v.get<double>() * 1000.0;
  };
  for (json& member : m["members"]) {
    scale(member["from"]);
    scale(member["to"]);
  }
  for (json& s : m["supports"]) scale(s["at"]);
  for (json& c : m["load_cases"])
    if (c.contains("loads"))
      for (json& l : c["loads"]) scale(l["at"]);
  m["units"]["length"] = "mm";
  m["units"]["force"] = "N";
  for (json& s : m["sections"]) {
    // kN and m to N and mm.
    s["E"] = s["E"].get<double>() / 1000.0;
    s["G"] = s["G"].get<double>() / 1000.0;
    s["A"] = s["A"].get<double>() * 1e6;
    s["It"] = s["It"].get<double>() * 1e12;
    s["Iy"] = s["Iy"].get<double>() * 1e12;
    s["Iz"] = s["Iz"].get<double>() * 1e12;
    s["extent_y"] = s["extent_y"].get<double>() * 1000.0;
    s["extent_z"] = s["extent_z"].get<double>() * 1000.0;
    if (s.contains("density")) s["density"] = s["density"].get<double>() * 1e-9;
  }
  const ScratchDirectory dir;
  const AnalysisResult r = analyse(read_model(dir.write("mm.json", m.dump())));
  ASSERT_EQ(codes(r), std::vector<std::string>{"near_miss"});
  EXPECT_NE(r.warnings[0].message.find("is 1 from \"B1\""), std::string::npos) << r.warnings[0].message;
}

}  // namespace model_checks_test
}  // namespace zervola::frame::test

namespace zervola::frame::test {
namespace model_checks_test {

std::string analysis_error(const nlohmann::json& model) {
  const ScratchDirectory dir;
  try {
    (void)analyse(read_model(dir.write("model.json", model.dump())));
  } catch (const AnalysisError& e) {
    return e.what();
  }
  return "analysed";
}

TEST(ModelChecks, AMechanismIsRefusedWhateverTheLoads) {
  // Rollers only, gravity only: the frame sways, though nothing pushes it.
  try {
    (void)analyse(read_model(mistake("mechanism-x-gravity-only.json")));
    FAIL() << "analysed";
  } catch (const AnalysisError& e) {
    const std::string text = e.what();
    EXPECT_NE(text.find("the frame is a mechanism"), std::string::npos) << text;
    EXPECT_NE(text.find("in direction ux"), std::string::npos) << text;
  }
  // A local mechanism in space: a beam on two columns pinned at both ends
  // (axial force only) slides and turns, under gravity alone.
  nlohmann::json m = nlohmann::json::parse(R"({
    "units": {"force": "kN", "length": "m"}, "frame": "space", "material": "S355",
    "members": [
      {"name": "C1", "from": [0, 0, 0], "to": [0, 0, 4], "section": "HEB 200", "release": "pinned"},
      {"name": "B", "from": [0, 0, 4], "to": [6, 0, 4], "section": "IPE 300"},
      {"name": "C2", "from": [6, 0, 0], "to": [6, 0, 4], "section": "HEB 200", "release": "pinned"}],
    "supports": [{"at": [0, 0, 0], "type": "fixed"}, {"at": [6, 0, 0], "type": "fixed"}],
    "load_cases": [{"name": "g", "self_weight": true}]})");
  const std::string local = analysis_error(m);
  EXPECT_NE(local.find("the frame is a mechanism"), std::string::npos) << local;
  // The same frame with its columns fixed to the beam is sound.
  for (auto& member : m["members"]) member.erase("release");
  EXPECT_EQ(analysis_error(m), "analysed");
}

TEST(ModelChecks, TorsionLeftFreeIsNamedByNodeAndDirection) {
  // A continuous beam on three pins in space: nothing holds its twist.
  const nlohmann::json m = nlohmann::json::parse(R"({
    "units": {"force": "kN", "length": "m"}, "frame": "space", "material": "S355",
    "members": [{"name": "B1", "from": [0, 0, 0], "to": [5, 0, 0], "section": "IPE 300"},
                {"name": "B2", "from": [5, 0, 0], "to": [10, 0, 0], "section": "IPE 300"}],
    "supports": [{"at": [0, 0, 0], "type": "pinned"}, {"at": [5, 0, 0], "type": "pinned"},
                 {"at": [10, 0, 0], "type": "pinned"}],
    "load_cases": [{"name": "g", "member_loads": [{"member": "B1", "type": "distributed", "value": [0, 0, -10]}]}]})");
  const std::string e = analysis_error(m);
  EXPECT_NE(e.find("the frame is a mechanism"), std::string::npos) << e;
  EXPECT_NE(e.find("in direction rx"), std::string::npos) << e;
  // Only the twist: the pivots that follow a zero one are not named.
  EXPECT_EQ(e.find("direction ry"), std::string::npos) << e;
  EXPECT_EQ(e.find("direction rz"), std::string::npos) << e;
}

TEST(ModelChecks, SoundButStiffOrTallFramesAreNotMechanisms) {
  // A 1,000-storey tower of one column: the smallest pivot share 1e-9.
  nlohmann::json tower = {{"units", {{"force", "kN"}, {"length", "m"}}}, {"frame", "space"},
                          {"material", "S355"}};
  nlohmann::json members = nlohmann::json::array(), loads = nlohmann::json::array();
  for (int k = 0; k < 1000; ++k) {
    members.push_back({{"from", {0, 0, 3.5 * k}}, {"to", {0, 0, 3.5 * (k + 1)}}, {"section", "HEB 300"}});
    loads.push_back({{"at", {0, 0, 3.5 * (k + 1)}}, {"force", {0.01, 0, -1}}});
  }
  tower["members"] = members;
  tower["supports"] = nlohmann::json::array({{{"at", {0, 0, 0}}, {"type", "fixed"}}});
  tower["load_cases"] = nlohmann::json::array({{{"name", "wind"}, {"loads", loads}}});
  EXPECT_EQ(analysis_error(tower), "analysed");

  // A link a million times stiffer than its members, and a roller held by
  // the 1e20 spring.
  const nlohmann::json linked = nlohmann::json::parse(R"({
    "units": {"force": "kN", "length": "m"}, "frame": "space",
    "sections": [
      {"name": "col", "E": 2.1e8, "G": 8.1e7, "A": 0.01, "It": 1e-5, "Iy": 1e-4, "Iz": 1e-4, "extent_z": 0.3, "extent_y": 0.3},
      {"name": "link", "E": 2.1e14, "G": 8.1e13, "A": 0.01, "It": 1e-5, "Iy": 1e-4, "Iz": 1e-4, "extent_z": 0.3, "extent_y": 0.3}],
    "members": [
      {"name": "C1", "from": [0, 0, 0], "to": [0, 0, 4], "section": "col"},
      {"name": "L", "from": [0, 0, 4], "to": [1, 0, 4], "section": "link"},
      {"name": "B", "from": [1, 0, 4], "to": [6, 0, 4], "section": "col"},
      {"name": "C2", "from": [6, 0, 0], "to": [6, 0, 4], "section": "col"}],
    "supports": [{"at": [0, 0, 0], "type": "fixed"}, {"at": [6, 0, 0], "type": "fixed"},
                 {"at": [6, 0, 4], "type": "roller", "direction": "y"}],
    "load_cases": [{"name": "g", "loads": [{"at": [0, 0, 4], "force": [1, 0, -10]}]}]})");
  EXPECT_EQ(analysis_error(linked), "analysed");
}

}  // namespace model_checks_test
}  // namespace zervola::frame::test

namespace zervola::frame::test {
namespace model_checks_test {

// The share of the stiffness the message gives for a mechanism.
double share_named(const std::string& message) {
  const std::string lead = "leaves as little as ";
  const auto at = message.find(lead);
  if (at == std::string::npos) return -1.0;
  return std::stod(message.substr(at + lead.size()));
}

TEST(ModelChecks, AMechanismsMessageGivesTheLeastStiffnessLeft) {
  // A portal of pin-ended bars sways against nothing but a spring k at the
  // eaves: its last pivot is k against the beam's axial EA / L, a share of
  // 3.5e-7 / (2.1e8 x 0.01 / 6) = 1e-12.
  nlohmann::json m = nlohmann::json::parse(R"({
    "units": {"force": "kN", "length": "m"}, "frame": "plane",
    "sections": [{"name": "bar", "E": 2.1e8, "G": 8.1e7, "A": 0.01, "It": 1e-6, "Iy": 1e-5,
                  "Iz": 1e-4, "extent_z": 0.1, "extent_y": 0.1}],
    "members": [
      {"name": "C1", "from": [0, 0, 0], "to": [0, 4, 0], "section": "bar", "release": "pinned"},
      {"name": "B", "from": [0, 4, 0], "to": [6, 4, 0], "section": "bar", "release": "pinned"},
      {"name": "C2", "from": [6, 0, 0], "to": [6, 4, 0], "section": "bar", "release": "pinned"}],
    "supports": [{"at": [0, 0, 0], "type": "pinned"}, {"at": [6, 0, 0], "type": "pinned"}],
    "springs": [{"at": [0, 4, 0], "kx": 3.5e-7}],
    "load_cases": [{"name": "g", "loads": [{"at": [0, 4, 0], "force": [0, -10, 0]}]}]})");
  const std::string sway = analysis_error(m);
  EXPECT_NE(sway.find("the frame is a mechanism"), std::string::npos) << sway;
  EXPECT_NEAR(share_named(sway), 1.0e-12, 0.05e-12) << sway;
  // The beam in two pin-ended halves besides: their middle node has no
  // stiffness at all across the beam, which leaves nothing there.
  m["members"][1]["to"] = {3, 4, 0};
  m["members"].push_back({{"name", "B2"}, {"from", {3, 4, 0}}, {"to", {6, 4, 0}},
                          {"section", "bar"}, {"release", "pinned"}});
  const std::string both = analysis_error(m);
  EXPECT_NE(both.find("node "), std::string::npos) << both;
  EXPECT_NE(both.find("at [3, 4, 0] in direction uy"), std::string::npos) << both;
  EXPECT_EQ(share_named(both), 0.0) << both;
}

TEST(ModelChecks, ATranslationThatNothingHoldsIsAMechanism) {
  // A node between two collinear pin-ended bars, free sideways: no member
  // gives that direction any stiffness, and the library's unit diagonal
  // must not hide it.
  const nlohmann::json m = nlohmann::json::parse(R"({
    "units": {"force": "kN", "length": "m"}, "frame": "plane", "material": "S355",
    "members": [
      {"name": "A", "from": [0, 0, 0], "to": [3, 0, 0], "section": "SHS 100x100x5", "release": "pinned"},
      {"name": "B", "from": [3, 0, 0], "to": [6, 0, 0], "section": "SHS 100x100x5", "release": "pinned"}],
    "supports": [{"at": [0, 0, 0], "type": "pinned"}, {"at": [6, 0, 0], "type": "pinned"}],
    "load_cases": [{"name": "pull", "loads": [{"at": [3, 0, 0], "force": [5, 0, 0]}]}]})");
  const std::string e = analysis_error(m);
  EXPECT_NE(e.find("the frame is a mechanism"), std::string::npos) << e;
  EXPECT_NE(e.find("node 2 at [3, 0, 0] in direction uy"), std::string::npos) << e;
}

}  // namespace model_checks_test
}  // namespace zervola::frame::test

namespace zervola::frame::test {
namespace model_checks_test {

TEST(ModelChecks, AMemberApartFromTheRestIsToldWhereItTouches) {
  // A post that stands on the beam's span, without a node there: the frame
  // is not in one piece, and the error comes with where the post touches.
  nlohmann::json m = nlohmann::json::parse(read_text(mistake("reference-two-storey.json")));
  m["members"].push_back({{"name", "post"}, {"from", {3, 4, 0}}, {"to", {3, 6, 0}}, {"section", "S"}});
  const ScratchDirectory dir;
  try {
    (void)analyse(read_model(dir.write("m.json", m.dump())));
    FAIL() << "analysed";
  } catch (const AnalysisError& e) {
    EXPECT_NE(std::string(e.what()).find("not in one piece"), std::string::npos) << e.what();
    ASSERT_FALSE(e.warnings.empty());
    EXPECT_EQ(e.warnings.back().code, "crossing_members");
    EXPECT_NE(e.warnings.back().message.find("an end of \"post\" at (3, 4, 0) lies on"), std::string::npos)
        << e.warnings.back().message;
  }
  const RunResult r = run_frame({dir.path("m.json"), "-q"});
  EXPECT_EQ(r.exit_status, static_cast<int>(ExitStatus::analysis));
  EXPECT_LT(r.err.find("warning [crossing_members]"), r.err.find("error: ")) << r.err;
}

}  // namespace model_checks_test
}  // namespace zervola::frame::test
