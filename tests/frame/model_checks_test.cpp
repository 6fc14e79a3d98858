// The mistakes engineers make every week, each written as they draw it:
// the program names each one (a warning or an error, with the item and the
// place), and the corrected frame gets no word.

#include <gtest/gtest.h>

#include <zervola/frame.hpp>

#include <filesystem>
#include <string>

#include "run_program.hpp"

namespace zervola::frame::test {
namespace {

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
  EXPECT_NE(overlap.find("lie on one line and overlap over"), std::string::npos) << overlap;
  EXPECT_NE(overlap.find("\"over\""), std::string::npos) << overlap;
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

}  // namespace
}  // namespace zervola::frame::test
