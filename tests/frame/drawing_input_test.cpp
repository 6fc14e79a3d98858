// A frame drawn in CAD as its engineer draws it: in millimetres, with the
// hinges on layers of their own, and with member loads naming members by
// the drawing's handles. Analysed, it must give what the same frame typed
// in metres gives.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include <nlohmann/json.hpp>

#include <zervola/frame.hpp>
#include "run_program.hpp"

namespace zervola::frame {
namespace drawing_input_test {

using nlohmann::json;

// A portal: two columns 3.5 m high, 6 m apart, and a beam on beam_layer.
// The left column and the beam are LINEs (handles 2A, 2B), the right
// column a polyline of one segment (handle 3C), drawn downwards.
std::string portal_dxf(const std::string& header, double unit_per_m, const std::string& beam_layer,
                       bool handles = true) {
  const auto c = [unit_per_m](double metres) { return std::to_string(metres * unit_per_m); };
  const auto h = [handles](const char* handle) {
    return handles ? std::string("5\n") + handle + "\n" : std::string();
  };
  return header + "0\nSECTION\n2\nENTITIES\n" +
         "0\nLINE\n" + h("2A") + "8\nHEB200\n10\n0\n20\n0\n30\n0\n11\n0\n21\n" + c(3.5) +
         "\n31\n0\n" +
         "0\nLINE\n" + h("2B") + "8\n" + beam_layer + "\n10\n0\n20\n" + c(3.5) + "\n30\n0\n11\n" +
         c(6.0) + "\n21\n" + c(3.5) + "\n31\n0\n" +
         "0\nLWPOLYLINE\n" + h("3C") + "8\nHEB200\n90\n2\n70\n0\n10\n" + c(6.0) + "\n20\n" +
         c(3.5) + "\n10\n" + c(6.0) + "\n20\n0\n" +
         "0\nENDSEC\n0\nEOF\n";
}

std::string insunits_header(int code) {
  return "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1009\n9\n$INSUNITS\n70\n" +
         std::to_string(code) + "\n0\nENDSEC\n";
}

// Everything but the members, in kN and m; member loads name the members
// the drawing's handles name.
json portal_model() {
  return {{"units", {{"force", "kN"}, {"length", "m"}}},
          {"frame", "plane"},
          {"material", "S355"},
          {"sections", json::array({{{"profile", "HEB 200"}, {"name", "HEB200"}},
                                    {{"profile", "IPE 300"}, {"name", "IPE300"}}})},
          {"supports", json::array({{{"at", {0, 0, 0}}, {"type", "fixed"}},
                                    {{"at", {6, 0, 0}}, {"type", "pinned"}}})},
          {"load_cases",
           json::array({{{"name", "G"},
                         {"loads", json::array({{{"at", {0, 3.5, 0}}, {"force", {12, 0, 0}}}})},
                         {"member_loads", json::array({{{"member", "H2B"},
                                                        {"type", "distributed"},
                                                        {"value", {0, -20, 0}}},
                                                       {{"member", "H3C.1"},
                                                        {"type", "force"},
                                                        {"position", 1.5},
                                                        {"value", {5, 0, 0}}}})}}})}};
}

// The same frame typed member by member in metres.
json typed_portal() {
  json m = portal_model();
  m["members"] = json::array(
      {{{"name", "H2A"}, {"from", {0, 0, 0}}, {"to", {0, 3.5, 0}}, {"section", "HEB200"}},
       {{"name", "H2B"},
        {"from", {0, 3.5, 0}},
        {"to", {6, 3.5, 0}},
        {"section", "IPE300"},
        {"release", "hinge_end"}},
       {{"name", "H3C.1"}, {"from", {6, 3.5, 0}}, {"to", {6, 0, 0}}, {"section", "HEB200"}}});
  return m;
}

AnalysisResult analyse_file(const std::string& path, const ModelReading& reading = {}) {
  return analyse(read_model(path, reading));
}

// Equal to a millionth of the largest value of the kind: a drawing taken in
// the wrong unit is off by factors of a thousand.
void expect_same_results(const AnalysisResult& drawn, const AnalysisResult& typed) {
  ASSERT_EQ(drawn.cases.size(), typed.cases.size());
  for (std::size_t c = 0; c < typed.cases.size(); ++c) {
    const CaseResult& a = drawn.cases[c];
    const CaseResult& b = typed.cases[c];
    ASSERT_EQ(a.end_forces.size(), b.end_forces.size());
    double largest = 0.0;
    for (const auto& f : b.end_forces)
      for (const double v : f) largest = std::max(largest, std::abs(v));
    ASSERT_GT(largest, 1.0);
    for (std::size_t e = 0; e < b.end_forces.size(); ++e)
      for (std::size_t i = 0; i < 12; ++i)
        EXPECT_NEAR(a.end_forces[e][i], b.end_forces[e][i], 1e-9 * largest) << e << " " << i;
    double moved = 0.0;
    for (const auto& d : b.displacements)
      for (const double v : d) moved = std::max(moved, std::abs(v));
    ASSERT_EQ(a.displacements.size(), b.displacements.size());
    for (std::size_t n = 0; n < b.displacements.size(); ++n)
      for (std::size_t i = 0; i < 6; ++i)
        EXPECT_NEAR(a.displacements[n][i], b.displacements[n][i], 1e-9 * moved);
    ASSERT_EQ(a.reactions.size(), b.reactions.size());
    for (std::size_t r = 0; r < b.reactions.size(); ++r)
      for (std::size_t i = 0; i < 6; ++i)
        EXPECT_NEAR(a.reactions[r].value[i], b.reactions[r].value[i], 1e-9 * largest);
  }
}

TEST(DrawingInput, MillimetreDrawingWithHingesEqualsTheFrameTypedInMetres) {
  const test::ScratchDirectory dir;
  const std::string typed = dir.write("typed.json", typed_portal().dump());
  const AnalysisResult expected = analyse_file(typed);

  // $INSUNITS 4: millimetres, the beam on a layer that hinges its end.
  dir.write("portal_mm.dxf", portal_dxf(insunits_header(4), 1000.0, "IPE300@hinge_end"));
  json model = portal_model();
  model["dxf"] = "portal_mm.dxf";
  const std::string drawn = dir.write("drawn.json", model.dump());
  const Model read = read_model(drawn);
  ASSERT_EQ(read.members.size(), 3u);
  EXPECT_EQ(read.members[1].name, "H2B");
  EXPECT_EQ(read.members[1].section, "IPE300");
  EXPECT_EQ(read.members[1].release, Release::hinge_end);
  EXPECT_EQ(read.members[2].name, "H3C.1");
  EXPECT_EQ(read.members[1].to.x, 6.0);  // 6000 mm divided by 1000, exactly
  expect_same_results(analyse(read), expected);

  // No unit in the drawing: "dxf_units" says millimetres; --dxf-units too.
  dir.write("portal_plain.dxf", portal_dxf("", 1000.0, "IPE300@hinge_end"));
  model["dxf"] = "portal_plain.dxf";
  model["dxf_units"] = "mm";
  expect_same_results(analyse_file(dir.write("units_in_model.json", model.dump())), expected);
  model.erase("dxf_units");
  const std::string unitless = dir.write("unitless.json", model.dump());
  expect_same_results(analyse_file(unitless, ModelReading{"mm"}), expected);

  // A drawing in centimetres whose header says so, and a model's "dxf_units"
  // that overrides a header that is wrong (it says inches).
  dir.write("portal_cm.dxf", portal_dxf(insunits_header(5), 100.0, "IPE300@hinge_end"));
  model["dxf"] = "portal_cm.dxf";
  expect_same_results(analyse_file(dir.write("cm.json", model.dump())), expected);
  dir.write("portal_wrong.dxf", portal_dxf(insunits_header(1), 1000.0, "IPE300@hinge_end"));
  model["dxf"] = "portal_wrong.dxf";
  model["dxf_units"] = "mm";
  expect_same_results(analyse_file(dir.write("wrong.json", model.dump())), expected);
}

TEST(DrawingInput, TheDrawingInTheModelsOwnUnitIsNotScaled) {
  const test::ScratchDirectory dir;
  dir.write("portal_m.dxf", portal_dxf(insunits_header(6), 1.0, "IPE300@hinge_end"));
  json model = portal_model();
  model["dxf"] = "portal_m.dxf";
  const Model read = read_model(dir.write("m.json", model.dump()));
  EXPECT_EQ(read.members[0].to.y, 3.5);
  EXPECT_EQ(read.members[1].to.x, 6.0);
}

TEST(DrawingInput, MembersAreNamedByHandlesElseByPlace) {
  const std::vector<Member> with = parse_dxf_members(portal_dxf("", 1.0, "IPE300"), "a.dxf");
  ASSERT_EQ(with.size(), 3u);
  EXPECT_EQ(with[0].name, "H2A");
  EXPECT_EQ(with[1].name, "H2B");
  EXPECT_EQ(with[2].name, "H3C.1");
  EXPECT_EQ(with[1].release, Release::none);
  const std::vector<Member> without =
      parse_dxf_members(portal_dxf("", 1.0, "IPE300", false), "b.dxf");
  ASSERT_EQ(without.size(), 3u);
  EXPECT_EQ(without[0].name, "D1");
  EXPECT_EQ(without[2].name, "D3");
  // The segments of a polyline are numbered after its handle.
  const std::vector<Member> chain = parse_dxf_members(
      "0\nSECTION\n2\nENTITIES\n0\nLWPOLYLINE\n5\nFF\n8\nS@pinned\n90\n3\n70\n1\n10\n0\n20\n0\n"
      "10\n4\n20\n0\n10\n4\n20\n3\n0\nENDSEC\n0\nEOF\n",
      "c.dxf");
  ASSERT_EQ(chain.size(), 3u);
  EXPECT_EQ(chain[0].name, "HFF.1");
  EXPECT_EQ(chain[2].name, "HFF.3");
  for (const Member& m : chain) {
    EXPECT_EQ(m.section, "S");
    EXPECT_EQ(m.release, Release::pinned);
  }
  EXPECT_EQ(parse_dxf_members(portal_dxf("", 1.0, "IPE300@hinge_start"), "d.dxf")[1].release,
            Release::hinge_start);
  EXPECT_EQ(parse_dxf_members(portal_dxf("", 1.0, "IPE300@none"), "d.dxf")[1].release,
            Release::none);
}

std::string refusal(const std::function<void()>& f) {
  try {
    f();
  } catch (const InputError& e) {
    return e.what();
  }
  return "(accepted)";
}

TEST(DrawingInput, RefusesWhatItCannotTakeAndSaysWhatToDo) {
  const test::ScratchDirectory dir;
  // A release suffix that names no release: file, line and layer named.
  const std::string bad = refusal([] {
    static_cast<void>(parse_dxf_members(portal_dxf("", 1.0, "IPE300@hinged"), "bad.dxf"));
  });
  EXPECT_NE(bad.find("bad.dxf:"), std::string::npos) << bad;
  EXPECT_NE(bad.find("\"IPE300@hinged\""), std::string::npos) << bad;
  EXPECT_NE(bad.find("hinge_end"), std::string::npos) << bad;

  // Kilometres are not converted: the message names $INSUNITS and dxf_units.
  dir.write("km.dxf", portal_dxf(insunits_header(7), 1.0, "IPE300"));
  json model = portal_model();
  model["dxf"] = "km.dxf";
  const std::string km_model = dir.write("km.json", model.dump());
  const std::string km = refusal([&] { static_cast<void>(read_model(km_model)); });
  EXPECT_NE(km.find("$INSUNITS 7"), std::string::npos) << km;
  EXPECT_NE(km.find("dxf_units"), std::string::npos) << km;
  // ...unless the model says in which unit the drawing is (here: metres).
  model["dxf_units"] = "m";
  EXPECT_EQ(refusal([&] { static_cast<void>(read_model(dir.write("km_m.json", model.dump()))); }),
            "(accepted)");

  model["dxf_units"] = "km";
  const std::string unit = refusal([&] {
    static_cast<void>(read_model(dir.write("unknown_unit.json", model.dump())));
  });
  EXPECT_NE(unit.find("dxf_units"), std::string::npos) << unit;
  json typed = typed_portal();
  typed["dxf_units"] = "mm";
  EXPECT_NE(refusal([&] { static_cast<void>(read_model(dir.write("no_dxf.json", typed.dump()))); })
                .find("without a \"dxf\""),
            std::string::npos);
  const std::string typed_file = dir.write("typed.json", typed_portal().dump());
  EXPECT_NE(refusal([&] { static_cast<void>(read_model(typed_file, ModelReading{"mm"})); })
                .find("names no DXF drawing"),
            std::string::npos);

  // A model written when the drawing's members were named by place, for a
  // drawing that now names them by handle, is told why its member is unknown.
  dir.write("handles.dxf", portal_dxf("", 1.0, "IPE300"));
  json by_place = portal_model();
  by_place["dxf"] = "handles.dxf";
  by_place["load_cases"][0]["member_loads"][0]["member"] = "D2";
  const std::string place = refusal(
      [&] { static_cast<void>(read_model(dir.write("by_place.json", by_place.dump()))); });
  EXPECT_NE(place.find("unknown member \"D2\"; the drawing's members are named by their "
                       "entities' handles"),
            std::string::npos)
      << place;

  // An arc on a layer whose section part names a section is a curved member.
  const std::string arc = dir.write(
      "arc.dxf", "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\nIPE300@pinned\n10\n0\n20\n0\n11\n6\n21\n0\n"
                 "0\nARC\n8\nIPE300@pinned\n10\n3\n20\n0\n40\n3\n50\n0\n51\n180\n0\nENDSEC\n0\nEOF\n");
  static_cast<void>(arc);
  model.erase("dxf_units");
  model["dxf"] = "arc.dxf";
  const std::string curved =
      refusal([&] { static_cast<void>(read_model(dir.write("arc.json", model.dump()))); });
  EXPECT_NE(curved.find("curved member"), std::string::npos) << curved;
}

}  // namespace drawing_input_test
}  // namespace zervola::frame
