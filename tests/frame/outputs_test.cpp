// The program's outputs: the report, JSON and CSV results, the drawing (and
// that a real SVG renderer draws something from it), DXF input equal to the
// same members written in JSON, and equilibrium on every bundled example.

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <cmath>
#include <iomanip>
#include <map>
#include <set>
#include <sstream>

#include <zervola/frame.hpp>

#include "run_program.hpp"

namespace zervola::frame::test {
namespace outputs_test {

using nlohmann::json;

std::vector<std::string> example_models() {
  std::vector<std::string> models;
  for (const auto& e : std::filesystem::recursive_directory_iterator(examples_dir()))
    if (e.path().extension() == ".json") models.push_back(e.path().string());
  std::sort(models.begin(), models.end());
  return models;
}

TEST(Outputs, EveryExampleIsInEquilibrium) {
  const auto models = example_models();
  ASSERT_GE(models.size(), 3u);
  for (const std::string& model : models) {
    SCOPED_TRACE(model);
    const ScratchDirectory dir;
    const RunResult r = run_frame({model, "--quiet", "--json", dir.path("r.json")});
    ASSERT_EQ(r.exit_status, 0) << r.err;
    const json out = read_json(dir.path("r.json"));
    for (const json& c : out["load_cases"]) {
      const json& q = c["equilibrium"];
      EXPECT_LE(q["relative_force_residual"].get<double>(), 1e-10) << c["name"];
      EXPECT_LE(q["relative_moment_residual"].get<double>(), 1e-10) << c["name"];
      for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_NEAR(q["applied_force"][k].get<double>(), -q["reaction_force"][k].get<double>(),
                    1e-9 * (1.0 + std::abs(q["applied_force"][k].get<double>())));
      }
    }
  }
}

TEST(Outputs, MainExampleHasTwoLoadCasesAndSeveralStoreys) {
  const ScratchDirectory dir;
  const RunResult r =
      run_frame({examples_dir() + "/office_frame.json", "--quiet", "--json", dir.path("r.json")});
  ASSERT_EQ(r.exit_status, 0) << r.err;
  const json out = read_json(dir.path("r.json"));
  EXPECT_EQ(out["frame"], "space");
  EXPECT_EQ(out["load_cases"].size(), 2u);
  std::set<double> levels;
  for (const json& n : out["nodes"]) levels.insert(n["z"].get<double>());
  EXPECT_GE(levels.size(), 4u);
}

TEST(Outputs, DxfDrawingGivesTheSameResultsAsJsonMembers) {
  const ScratchDirectory dir;
  const std::string base = examples_dir() + "/dxf_portal/";
  ASSERT_EQ(run_frame({base + "portal_from_dxf.json", "-q", "--json", dir.path("d.json")}).exit_status, 0);
  ASSERT_EQ(run_frame({base + "portal_members.json", "-q", "--json", dir.path("j.json")}).exit_status, 0);
  const json d = read_json(dir.path("d.json"));
  const json j = read_json(dir.path("j.json"));
  EXPECT_EQ(d["members"], j["members"]);
  EXPECT_EQ(d["nodes"], j["nodes"]);
  EXPECT_EQ(d["load_cases"], j["load_cases"]);
  EXPECT_EQ(d["members"].size(), 10u);  // 6 lines and two polylines of 2 segments
}

TEST(Outputs, ReportStatesConventionRenumberingAndEquilibrium) {
  const RunResult r = run_frame({examples_dir() + "/office_frame.json"});
  ASSERT_EQ(r.exit_status, 0) << r.err;
  for (const char* text : {"Units      force kN, length m", "before -> after renumbering",
                           "node bandwidth", "profile length", "Sign convention",
                           "positive in", "Load case 1: \"gravity\"", "Load case 2: \"wind x\"",
                           "Displacements (global axes)", "Reactions", "Member end forces (local axes)",
                           "Extreme normal stresses", "in equilibrium"})
    EXPECT_NE(r.out.find(text), std::string::npos) << text;
  const RunResult s = run_frame({examples_dir() + "/office_frame.json", "--summary"});
  ASSERT_EQ(s.exit_status, 0);
  EXPECT_LT(s.out.size() * 4, r.out.size());
  EXPECT_NE(s.out.find("largest translation"), std::string::npos);
  EXPECT_NE(s.out.find("in equilibrium"), std::string::npos);
  EXPECT_EQ(s.out.find("Member end forces"), std::string::npos);
}

TEST(Outputs, CsvTableNamesAreKnownBeforeTheAnalysis) {
  for (const std::string& file : example_models()) {
    SCOPED_TRACE(file);
    const Model read = read_model(file);
    // Cut at crossings too, so that the tables of members as drawn appear.
    for (const Model& model : {read, connect_crossings(read)}) {
      std::vector<std::string> written;
      for (const auto& table : format_csv_tables(model, analyse(model))) written.push_back(table.first);
      std::vector<std::string> named = csv_table_names(model);
      std::sort(named.begin(), named.end());
      EXPECT_EQ(named, written);
    }
  }
}

TEST(Outputs, CsvTablesHoldOneRowPerItem) {
  const ScratchDirectory dir;
  const std::string tables = dir.path("tables");
  const RunResult r = run_frame({examples_dir() + "/office_frame.json", "-q", "--csv", tables,
                                 "--json", dir.path("r.json")});
  ASSERT_EQ(r.exit_status, 0) << r.err;
  const json out = read_json(dir.path("r.json"));
  const auto rows = [&](const std::string& name) {
    const std::string text = read_text(tables + "/" + name);
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) - 1;  // header
  };
  const std::size_t nodes = out["nodes"].size(), members = out["members"].size();
  EXPECT_EQ(rows("nodes.csv"), nodes);
  EXPECT_EQ(rows("members.csv"), members);
  EXPECT_EQ(rows("displacements.csv"), 2 * nodes);
  EXPECT_EQ(rows("end_forces.csv"), 2 * 2 * members);
  EXPECT_EQ(rows("stresses.csv"), 2 * members);
  EXPECT_EQ(rows("reactions.csv"), 2 * 6u);
  EXPECT_EQ(rows("equilibrium.csv"), 2 * 3u);
  EXPECT_EQ(read_text(tables + "/end_forces.csv").substr(0, 41),
            "load_case,member,end,node,N,Vy,Vz,T,My,Mz");
  // The JSON and CSV give the same numbers.
  const std::string d = read_text(tables + "/displacements.csv");
  const double ux = out["load_cases"][1]["displacements"][1]["u"][0].get<double>();
  std::ostringstream shortest;
  shortest << std::setprecision(17) << ux;
  EXPECT_NE(d.find(",2,"), std::string::npos);
  EXPECT_TRUE(std::isfinite(ux));
}

// Reads a PNG and returns the share of pixels that differ from its most
// common colour.
double drawn_share(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&image, path.c_str()) == 0) return -1.0;
  image.format = PNG_FORMAT_RGBA;
  std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) == 0) return -1.0;
  std::map<std::uint32_t, std::size_t> count;
  const std::size_t n = static_cast<std::size_t>(image.width) * image.height;
  for (std::size_t k = 0; k < n; ++k) {
    std::uint32_t c = 0;
    for (std::size_t b = 0; b < 4; ++b) c = (c << 8) | pixels[4 * k + b];
    ++count[c];
  }
  std::size_t most = 0;
  for (const auto& [colour, c] : count) most = std::max(most, c);
  return 1.0 - static_cast<double>(most) / static_cast<double>(n);
}

TEST(Outputs, DrawingRendersWithARealSvgRenderer) {
  if (std::system("command -v rsvg-convert >/dev/null 2>&1") != 0)
    GTEST_FAIL() << "rsvg-convert (Debian package librsvg2-bin) is needed for this test";
  for (const std::vector<std::string>& extra :
       {std::vector<std::string>{}, std::vector<std::string>{"--moments", "--view", "xz"},
        std::vector<std::string>{"--view", "xy", "--svg-case", "wind x", "--scale", "500"}}) {
    const ScratchDirectory dir;
    std::vector<std::string> args = {examples_dir() + "/office_frame.json", "-q", "--svg",
                                     dir.path("frame.svg")};
    args.insert(args.end(), extra.begin(), extra.end());
    const RunResult r = run_frame(args);
    ASSERT_EQ(r.exit_status, 0) << r.err;
    const std::string svg = read_text(dir.path("frame.svg"));
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("times their size"), std::string::npos) << "the scale is stated";
    const std::string command = "rsvg-convert -w 600 '" + dir.path("frame.svg") + "' -o '" +
                                dir.path("frame.png") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << "rsvg-convert refused the drawing";
    const double share = drawn_share(dir.path("frame.png"));
    EXPECT_GT(share, 0.01) << "the rendered picture is blank";
    EXPECT_LT(share, 0.6);
  }
}

TEST(Outputs, DrawingOfAPlaneFrameAndItsSymbols) {
  const ScratchDirectory dir;
  const RunResult r = run_frame({examples_dir() + "/dxf_portal/portal_members.json", "-q",
                                 "--svg", dir.path("p.svg"), "--moments"});
  ASSERT_EQ(r.exit_status, 0) << r.err;
  const std::string svg = read_text(dir.path("p.svg"));
  EXPECT_NE(svg.find("plan / x-y plane"), std::string::npos);
  EXPECT_NE(svg.find("class=\"support\""), std::string::npos);
  EXPECT_NE(svg.find("class=\"load\""), std::string::npos);
  EXPECT_NE(svg.find("class=\"mz\""), std::string::npos);
  EXPECT_NE(svg.find(">D10<"), std::string::npos) << "member labels";
  EXPECT_NE(svg.find("id=\"case-2\""), std::string::npos) << "one panel per load case";
}

TEST(Outputs, UnknownLoadCaseForTheDrawing) {
  const ScratchDirectory dir;
  const RunResult r = run_frame({examples_dir() + "/office_frame.json", "-q", "--svg",
                                 dir.path("f.svg"), "--svg-case", "snow"});
  EXPECT_EQ(r.exit_status, 2);
  EXPECT_NE(r.err.find("no load case or combination \"snow\""), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir.path("f.svg")));
}

}  // namespace outputs_test
}  // namespace zervola::frame::test

namespace zervola::frame::test {
namespace outputs_test {

// Drawing every member the other way round (its hinge with it) is the same
// frame: the same displacements and reactions at the same points, and each
// member's end values exchanged (axial force and torque keep their sign, the
// moments their size).
TEST(Outputs, DrawingDirectionDoesNotChangeTheFrame) {
  json model = json::parse(read_text(examples_dir() + "/office_frame.json"), nullptr, true, true);
  json reversed = model;
  for (json& m : reversed["members"]) {
    const json from = m.at("from");
    m["from"] = m.at("to");
    m["to"] = from;
    const std::string release = m.contains("release") ? m.at("release").get<std::string>() : "none";
    if (release == "hinge_start") m["release"] = "hinge_end";
    if (release == "hinge_end") m["release"] = "hinge_start";
  }
  const ScratchDirectory dir;
  ASSERT_EQ(run_frame({dir.write("a.json", model.dump()), "-q", "--json", dir.path("a.out")}).exit_status, 0);
  ASSERT_EQ(run_frame({dir.write("b.json", reversed.dump()), "-q", "--json", dir.path("b.out")}).exit_status, 0);
  const json a = read_json(dir.path("a.out"));
  const json b = read_json(dir.path("b.out"));
  const auto key = [](const json& n) {
    return std::array<double, 3>{n["x"].get<double>(), n["y"].get<double>(), n["z"].get<double>()};
  };
  std::map<std::array<double, 3>, std::size_t> b_node;
  for (const json& n : b["nodes"]) b_node[key(n)] = n["node"].get<std::size_t>();
  for (std::size_t c = 0; c < 2; ++c) {
    const json& ca = a["load_cases"][c];
    const json& cb = b["load_cases"][c];
    double scale_u = 0.0, scale_f = 0.0;
    for (const json& d : ca["displacements"])
      for (const json& v : d["u"]) scale_u = std::max(scale_u, std::abs(v.get<double>()));
    for (const json& f : ca["end_forces"])
      for (const json& v : f["f"]) scale_f = std::max(scale_f, std::abs(v.get<double>()));
    for (const json& n : a["nodes"]) {
      const std::size_t i = n["node"].get<std::size_t>(), j = b_node.at(key(n));
      for (std::size_t k = 0; k < 6; ++k)
        EXPECT_NEAR(ca["displacements"][i - 1]["u"][k].get<double>(),
                    cb["displacements"][j - 1]["u"][k].get<double>(), 1e-9 * scale_u);
    }
    for (std::size_t e = 0; e < ca["end_forces"].size(); ++e) {
      const json& fa = ca["end_forces"][e]["f"];
      const json& fb = cb["end_forces"][e]["f"];
      for (std::size_t k : {0u, 3u}) {  // N and T: the same at the exchanged ends
        EXPECT_NEAR(fa[k].get<double>(), fb[k + 6].get<double>(), 1e-9 * scale_f) << e;
        EXPECT_NEAR(fa[k + 6].get<double>(), fb[k].get<double>(), 1e-9 * scale_f) << e;
      }
      for (std::size_t k : {4u, 5u}) {  // My, Mz: the same size at the exchanged ends
        EXPECT_NEAR(std::abs(fa[k].get<double>()), std::abs(fb[k + 6].get<double>()), 1e-9 * scale_f) << e;
        EXPECT_NEAR(std::abs(fa[k + 6].get<double>()), std::abs(fb[k].get<double>()), 1e-9 * scale_f) << e;
      }
    }
  }
}

TEST(Outputs, WithoutStationsTheFilesKeepEveryExtremeAndLoseOnlyTheStations) {
  const std::string model = examples_dir() + "/loaded_portal.json";
  const ScratchDirectory dir;
  const RunResult full = run_frame({model, "-q", "--json", dir.path("full.json"), "--csv", dir.path("full")});
  const RunResult lean = run_frame(
      {model, "-q", "--no-stations", "--json", dir.path("lean.json"), "--csv", dir.path("lean")});
  ASSERT_EQ(full.exit_status, 0) << full.err;
  ASSERT_EQ(lean.exit_status, 0) << lean.err;
  nlohmann::json a = read_json(dir.path("full.json"));
  const nlohmann::json b = read_json(dir.path("lean.json"));
  // The lean file is the full one with each diagram cut to its member and
  // extremes.
  for (const char* sets : {"load_cases", "combinations"})
    for (auto& set : a[sets])
      for (auto& d : set["member_diagrams"]) d = {{"member", d["member"]}, {"extremes", d["extremes"]}};
  EXPECT_EQ(a, b);
  EXPECT_TRUE(std::filesystem::exists(dir.path("full/member_diagrams.csv")));
  EXPECT_FALSE(std::filesystem::exists(dir.path("lean/member_diagrams.csv")));
  EXPECT_EQ(read_text(dir.path("full/stresses.csv")), read_text(dir.path("lean/stresses.csv")));
}

}  // namespace outputs_test
}  // namespace zervola::frame::test
