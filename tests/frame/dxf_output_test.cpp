// The results drawn into CAD: what the drawing written holds, and that the
// engineer's own drawing comes back whole with the results added.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include <zervola/frame.hpp>
#include "run_program.hpp"

namespace zervola::frame {
namespace dxf_output_test {

using nlohmann::json;

// A cantilever drawn as one LINE on layer "S", in the model's metres.
const char* k_drawing =
    "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n70\n2\n0\nLAYER\n2\nS\n70\n0\n62\n7\n6\n"
    "CONTINUOUS\n0\nLAYER\n2\nframe\n70\n0\n62\n1\n6\nCONTINUOUS\n0\nENDTAB\n0\nENDSEC\n"
    "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\nS\n10\n0\n20\n0\n11\n4\n21\n0\n"
    "0\nCIRCLE\n8\nframe\n10\n2\n20\n3\n40\n0.5\n0\nENDSEC\n0\nEOF\n";

json cantilever_model(const std::vector<std::string>& cases) {
  json load_cases = json::array();
  for (const std::string& name : cases)
    load_cases.push_back({{"name", name}, {"loads", json::array({{{"at", {4, 0, 0}},
                                                                  {"force", {0, -10, 0}}}})}});
  return {{"units", {{"force", "kN"}, {"length", "m"}}},
          {"frame", "plane"},
          {"sections", json::array({{{"name", "S"}, {"E", 2.1e8}, {"G", 8.1e7}, {"A", 5e-3},
                                     {"It", 2e-7}, {"Iy", 6e-6}, {"Iz", 8e-5},
                                     {"extent_z", 0.15}, {"extent_y", 0.3}}})},
          {"supports", json::array({{{"at", {0, 0, 0}}, {"type", "fixed"}}})},
          {"load_cases", load_cases}};
}

// The layer names of a DXF text: the values of code 2 after "0 LAYER".
std::vector<std::string> layer_names(const std::string& dxf) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < dxf.size()) {
    const std::size_t end = dxf.find('\n', at);
    std::string line = dxf.substr(at, end - at);
    while (!line.empty() && (line.back() == '\r' || line.front() == ' ')) {
      if (line.back() == '\r') line.pop_back();
      if (!line.empty() && line.front() == ' ') line.erase(0, 1);
    }
    lines.push_back(line);
    at = end == std::string::npos ? dxf.size() : end + 1;
  }
  std::vector<std::string> names;
  for (std::size_t k = 0; k + 3 < lines.size(); k += 2)
    if (lines[k] == "0" && lines[k + 1] == "LAYER")
      for (std::size_t j = k + 2; j + 1 < lines.size() && lines[j] != "0"; j += 2)
        if (lines[j] == "2") names.push_back(lines[j + 1]);
  return names;
}

bool contains(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

AnalysisResult analysed(const test::ScratchDirectory& dir, json model, Model& read) {
  read = read_model(dir.write("model.json", model.dump()));
  return analyse(read);
}

TEST(DxfOutput, EachSetHasLayersOfItsOwnAndAnUnknownSetIsRefused) {
  const test::ScratchDirectory dir;
  json model = cantilever_model({"a/b", "a:b", "c"});
  model["members"] = json::array({{{"from", {0, 0, 0}}, {"to", {4, 0, 0}}, {"section", "S"}}});
  Model read;
  const AnalysisResult r = analysed(dir, model, read);
  const std::vector<std::string> all = layer_names(format_dxf(read, r, {}));
  for (const char* name : {"RESULTS_FRAME", "RESULTS_MEMBER_NAMES", "RESULTS_LEGEND",
                           "RESULTS_a_b-DEFORMED", "RESULTS_a_b-MOMENT", "RESULTS_a_b~2-DEFORMED",
                           "RESULTS_a_b~2-REACTIONS", "RESULTS_c-AXIAL", "RESULTS_c-SHEAR"})
    EXPECT_TRUE(contains(all, name)) << name;
  EXPECT_EQ(all.size(), 3u + 3u * 5u);

  DxfOptions one;
  one.load_set = "c";
  const std::vector<std::string> chosen = layer_names(format_dxf(read, r, one));
  EXPECT_EQ(chosen.size(), 3u + 5u);
  EXPECT_TRUE(contains(chosen, "RESULTS_c-MOMENT"));

  one.load_set = "d";
  try {
    static_cast<void>(format_dxf(read, r, one));
    ADD_FAILURE() << "an unknown set was drawn";
  } catch (const InputError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("--dxf-set:", 0), 0u) << e.what();
  }
}

// A drawing of its own is R12: layer names of letters, digits, $ - _ only,
// texts in ASCII with \U+XXXX beyond it, and coordinates to the last digit.
TEST(DxfOutput, ADrawingOfItsOwnHoldsOnlyWhatR12Allows) {
  const test::ScratchDirectory dir;
  json model = cantilever_model({"wind x/\u00e9"});
  model["members"] = json::array({{{"name", "St\u00fctze"},
                                   {"from", {0, 0, 0}},
                                   {"to", {4.000000123, 0, 0}},
                                   {"section", "S"}}});
  Model read;
  const AnalysisResult r = analysed(dir, model, read);
  const std::string out = format_dxf(read, r, {});
  EXPECT_TRUE(contains(layer_names(out), "RESULTS_wind_x___-MOMENT"));
  EXPECT_NE(out.find("\nSt\\U+00FCtze\n"), std::string::npos);
  for (const char c : out) EXPECT_LT(static_cast<unsigned char>(c), 0x80u);
  // The member's end, read back from the frame's line.
  const std::size_t line = out.find("RESULTS_FRAME\n 10\n");
  ASSERT_NE(line, std::string::npos);
  const std::size_t x = out.find(" 11\n", line);
  EXPECT_EQ(std::stod(out.substr(x + 4, out.find('\n', x + 4) - x - 4)), 4.000000123);
}

TEST(DxfOutput, TheEngineersDrawingComesBackWholeWithTheResultsAdded) {
  const test::ScratchDirectory dir;
  for (const bool crlf : {false, true}) {
    std::string drawing = k_drawing;
    if (crlf) {
      std::string with;
      for (const char c : drawing) with += c == '\n' ? std::string("\r\n") : std::string(1, c);
      drawing = with;
    }
    dir.write("frame.dxf", drawing);
    json model = cantilever_model({"G"});
    model["dxf"] = "frame.dxf";
    Model read;
    const AnalysisResult r = analysed(dir, model, read);
    const std::string out = format_dxf(read, r, {});
    // Every line of the drawing is there, in its order, but the layer
    // table's count of records, which grows.
    const std::string eol = crlf ? "\r\n" : "\n";
    std::string kept = drawing;
    const std::string count = "LAYER" + eol + "70" + eol + "2" + eol;
    kept.replace(kept.find(count), count.size(), "LAYER" + eol + "70" + eol);
    EXPECT_NE(out.find("LAYER" + eol + "70" + eol + "10" + eol), std::string::npos);
    std::size_t at = 0;
    std::size_t from = 0;
    bool in_order = true;
    while (from < kept.size()) {
      const std::size_t end = kept.find('\n', from);
      const std::string line = kept.substr(from, end - from + 1);
      at = out.find(line, at);
      if (at == std::string::npos) {
        in_order = false;
        break;
      }
      at += line.size();
      from = end + 1;
    }
    EXPECT_TRUE(in_order) << (crlf ? "CR LF" : "LF");
    // One kind of line end throughout.
    std::size_t bare = 0, with_cr = 0;
    for (std::size_t k = 0; k < out.size(); ++k)
      if (out[k] == '\n') ++(k > 0 && out[k - 1] == '\r' ? with_cr : bare);
    EXPECT_EQ(crlf ? bare : with_cr, 0u);
    // The drawing's layers keep their names beside the results'.
    const std::vector<std::string> names = layer_names(out);
    EXPECT_TRUE(contains(names, "frame"));
    EXPECT_TRUE(contains(names, "S"));
    EXPECT_TRUE(contains(names, "RESULTS_FRAME"));
    EXPECT_TRUE(contains(names, "RESULTS_G-MOMENT"));
    // The drawing with its results reads as the same members, and no more:
    // what the results layers hold is not read, nor counted as ignored.
    const DxfDrawing again = parse_dxf_drawing(out, "out.dxf");
    EXPECT_EQ(again.insunits, 6);  // stated now: metres, the model's
    ASSERT_EQ(again.members.size(), 1u);
    EXPECT_EQ(again.members[0].section, "S");
    EXPECT_EQ(again.members[0].to.x, 4.0);
    ASSERT_EQ(again.ignored.size(), 1u);  // the circle on "frame"
    EXPECT_EQ(again.ignored[0].type, "CIRCLE");

    // Saved as the engineer's drawing and analysed again, its results are
    // replaced, not doubled: one set of layers, as many entities as before.
    dir.write("frame.dxf", out);
    Model read_again;
    const AnalysisResult r_again = analysed(dir, model, read_again);
    const std::string twice = format_dxf(read_again, r_again, {});
    const std::vector<std::string> names_twice = layer_names(twice);
    EXPECT_EQ(names_twice.size(), names.size());
    EXPECT_FALSE(contains(names_twice, "RESULTS_FRAME~2"));
    EXPECT_EQ(twice.size(), out.size());
  }
}

// An AutoCAD 2000 drawing whose header keeps no $HANDSEED: the records
// added take handles above every one it holds, each its own.
TEST(DxfOutput, RecordsAddedToADrawingWithHandlesTakeHandlesOfTheirOwn) {
  const test::ScratchDirectory dir;
  dir.write("frame.dxf",
            "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n0\nENDSEC\n"
            "0\nSECTION\n2\nTABLES\n"
            "0\nTABLE\n2\nBLOCK_RECORD\n5\n1\n70\n1\n"
            "0\nBLOCK_RECORD\n5\n1F\n330\n1\n100\nAcDbSymbolTableRecord\n100\n"
            "AcDbBlockTableRecord\n2\n*Model_Space\n0\nENDTAB\n"
            "0\nTABLE\n2\nLAYER\n5\n2\n70\n1\n"
            "0\nLAYER\n5\n10\n330\n2\n100\nAcDbSymbolTableRecord\n100\nAcDbLayerTableRecord\n"
            "2\nS\n70\n0\n62\n7\n6\nCONTINUOUS\n0\nENDTAB\n0\nENDSEC\n"
            "0\nSECTION\n2\nENTITIES\n"
            "0\nLINE\n5\n3A\n330\n1F\n100\nAcDbEntity\n8\nS\n100\nAcDbLine\n"
            "10\n0\n20\n0\n30\n0\n11\n4\n21\n0\n31\n0\n0\nENDSEC\n0\nEOF\n");
  json model = cantilever_model({"G"});
  model["dxf"] = "frame.dxf";
  Model read;
  const AnalysisResult r = analysed(dir, model, read);
  EXPECT_EQ(read.members[0].name, "H3A");
  const std::string out = format_dxf(read, r, {});
  std::vector<std::string> handles;
  std::size_t at = 0;
  while ((at = out.find("\n  5\n", at)) != std::string::npos) {
    at += 5;
    handles.push_back(out.substr(at, out.find('\n', at) - at));
  }
  for (const char* earlier : {"1", "1F", "2", "10", "3A"})
    EXPECT_EQ(std::count(handles.begin(), handles.end(), earlier), 0) << earlier;
  std::sort(handles.begin(), handles.end());
  EXPECT_GT(handles.size(), 20u);
  EXPECT_EQ(std::adjacent_find(handles.begin(), handles.end()), handles.end());
  for (const std::string& h : handles) EXPECT_GT(std::stoul(h, nullptr, 16), 0x3Aul) << h;
  // Owned by model space and the layer table.
  EXPECT_NE(out.find("330\n1F\n100\nAcDbEntity"), std::string::npos);
  EXPECT_NE(out.find("330\n2\n100\nAcDbSymbolTableRecord"), std::string::npos);
}

TEST(DxfOutput, TheCommandLineRefusesToWriteOverItsInputs) {
  const test::ScratchDirectory dir;
  dir.write("frame.dxf", k_drawing);
  json model = cantilever_model({"G"});
  model["dxf"] = "frame.dxf";
  const std::string file = dir.write("model.json", model.dump());
  const std::string before = test::read_text(dir.path("frame.dxf"));
  const test::RunResult over = test::run_frame({file, "-q", "--dxf", dir.path("frame.dxf")});
  EXPECT_EQ(over.exit_status, static_cast<int>(test::ExitStatus::usage)) << over.err;
  EXPECT_NE(over.err.find("is an input of this run"), std::string::npos) << over.err;
  EXPECT_EQ(test::read_text(dir.path("frame.dxf")), before);
  const test::RunResult on_model = test::run_frame({file, "-q", "--json", file});
  EXPECT_EQ(on_model.exit_status, static_cast<int>(test::ExitStatus::usage)) << on_model.err;
  const test::RunResult set_alone = test::run_frame({file, "-q", "--dxf-set", "G"});
  EXPECT_EQ(set_alone.exit_status, static_cast<int>(test::ExitStatus::usage)) << set_alone.err;
  const test::RunResult unknown =
      test::run_frame({file, "-q", "--dxf", dir.path("out.dxf"), "--dxf-set", "Q"});
  EXPECT_EQ(unknown.exit_status, static_cast<int>(test::ExitStatus::input)) << unknown.err;
  EXPECT_FALSE(std::filesystem::exists(dir.path("out.dxf")));
}

TEST(DxfOutput, ADrawingThatIsGoneIsAnOutputError) {
  const test::ScratchDirectory dir;
  dir.write("frame.dxf", k_drawing);
  json model = cantilever_model({"G"});
  model["dxf"] = "frame.dxf";
  Model read;
  const AnalysisResult r = analysed(dir, model, read);
  std::filesystem::remove(dir.path("frame.dxf"));
  EXPECT_THROW(static_cast<void>(format_dxf(read, r, {})), OutputError);
}

}  // namespace dxf_output_test
}  // namespace zervola::frame
