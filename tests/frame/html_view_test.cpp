// The 3D view's data (format_view_data, frame/output/viewer/README.md) holds
// what the results hold: every member with the JSON results' stations, the
// diagrams to the quantization's precision, envelopes above their sets, the
// supports' held directions; and no name can end the <script> element the
// page keeps it in. The page itself (format_html_view, --html) inlines the
// viewer's files, when the build found three.js.

#include <gtest/gtest.h>

#include <zervola/frame.hpp>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "run_program.hpp"

namespace zervola::frame::test {
namespace html_view_test {

using nlohmann::json;

// A space portal: a fixed and a pinned base, a beam whose name holds what
// would end a script element and open a comment, a distributed and a
// concentrated member load (which adds stations), a load in local axes, a
// combination and an envelope.
constexpr const char* k_portal = R"({
  "title": "View <portal>",
  "units": {"force": "kN", "length": "m"},
  "frame": "space",
  "sections": [{"name": "S", "E": 2.1e8, "G": 8.1e7, "A": 0.01, "It": 1e-5, "Iy": 2e-4,
                "Iz": 1e-4, "extent_y": 0.3, "extent_z": 0.3, "thermal_coefficient": 1.2e-5}],
  "members": [
    {"name": "C1", "from": [0, 0, 0], "to": [0, 0, 3], "section": "S"},
    {"name": "B</script><!--1", "from": [0, 0, 3], "to": [5, 0, 3], "section": "S"},
    {"name": "C2", "from": [5, 0, 3], "to": [5, 0, 0], "section": "S"}
  ],
  "supports": [{"name": "fixed base", "at": [0, 0, 0], "type": "fixed"},
               {"name": "pinned base", "at": [5, 0, 0], "type": "pinned"}],
  "load_cases": [
    {"name": "G", "member_loads": [
      {"member": "B</script><!--1", "type": "distributed", "value": [0, 0, -10]},
      {"member": "B</script><!--1", "type": "force", "position": 1.7, "value": [0, 0, -20]}]},
    {"name": "W", "loads": [{"at": [0, 0, 3], "force": [5, 2, 0]}], "member_loads": [
      {"member": "C2", "type": "distributed", "axes": "local", "value": [1, 2, 3]}]}
  ],
  "combinations": [{"name": "G+W", "factors": {"G": 1.35, "W": 1.5}}],
  "envelopes": [{"name": "E", "combinations": ["G", "W", "G+W"]}]
})";

class HtmlView : public ::testing::Test {
 protected:
  void SetUp() override {
    model_ = parse_json_model(k_portal, "view_portal.json");
    validate_model(model_);
    result_ = analyse(model_);
    data_ = json::parse(format_view_data(model_, result_));
    results_ = json::parse(format_json_results(model_, result_));
  }

  // Set `name` of the data.
  const json& set(const std::string& name) const {
    for (const json& s : data_["sets"])
      if (s["name"] == name) return s;
    ADD_FAILURE() << "no set " << name;
    return data_["sets"][0];
  }
  // The JSON results' load set `name` (a case or a combination).
  const json& results_set(const std::string& name) const {
    for (const char* list : {"load_cases", "combinations"})
      for (const json& s : results_[list])
        if (s["name"] == name) return s;
    ADD_FAILURE() << "no results set " << name;
    return results_["load_cases"][0];
  }

  Model model_;
  AnalysisResult result_;
  json data_;
  json results_;
};

std::vector<double> decoded(const json& quantized) {
  std::vector<double> out;
  const double unit = quantized["unit"].get<double>();
  for (const json& q : quantized["q"]) {
    const auto n = q.get<std::int64_t>();
    EXPECT_LE(std::abs(n), 9999);
    out.push_back(unit * static_cast<double>(n));
  }
  return out;
}

double largest(const std::vector<double>& values) {
  double top = 0.0;
  for (double v : values) top = std::max(top, std::abs(v));
  return top;
}

TEST_F(HtmlView, MembersAndStationsAreTheResults) {
  EXPECT_EQ(data_["format"], "zervola-view");
  EXPECT_EQ(data_["version"], 1);
  const json& members = data_["members"];
  ASSERT_EQ(members["names"].size(), 3u);
  EXPECT_EQ(members["names"][1], "B</script><!--1");
  ASSERT_EQ(members["stationStart"].size(), 4u);
  EXPECT_EQ(data_["nodes"]["xyz"].size(), 3 * results_["nodes"].size());
  for (std::size_t e = 0; e < 3; ++e) {
    const json& x = results_["load_cases"][0]["member_diagrams"][e]["x"];
    const std::size_t first = members["stationStart"][e], last = members["stationStart"][e + 1];
    ASSERT_EQ(last - first, x.size()) << "member " << e;
    const double length = results_["members"][e]["length"];
    for (std::size_t n = 0; n < x.size(); ++n)
      EXPECT_EQ(members["stationXi"][first + n].get<int>(),
                std::lround(x[n].get<double>() / length * 10000.0));
  }
  // The beam's concentrated load adds a station on each side of it.
  EXPECT_EQ(members["stationStart"][2].get<int>() - members["stationStart"][1].get<int>(), 13);
}

TEST_F(HtmlView, DiagramsAreTheResultsToTheirQuantization) {
  for (const std::string name : {"G", "W", "G+W"}) {
    const std::vector<double> my = decoded(set(name)["My"]);
    const json& diagrams = results_set(name)["member_diagrams"];
    std::vector<double> expected;
    for (const json& d : diagrams)
      for (const json& v : d["My"]) expected.push_back(v.get<double>());
    ASSERT_EQ(my.size(), expected.size());
    const double tolerance = largest(expected) / 9999.0;
    ASSERT_GT(tolerance, 0.0) << name;
    for (std::size_t k = 0; k < my.size(); ++k)
      EXPECT_NEAR(my[k], expected[k], tolerance) << name << ", station " << k;
  }
}

TEST_F(HtmlView, EnvelopeIsAboveAndBelowItsSets) {
  const json& e = set("E");
  EXPECT_EQ(e["kind"], "envelope");
  EXPECT_EQ(e["of"], json::array({0, 1, 2}));
  for (const char* quantity : {"N", "Vy", "Vz", "T", "My", "Mz"}) {
    const std::vector<double> high = decoded(e["max"][quantity]), low = decoded(e["min"][quantity]);
    const double unit = std::max(e["max"][quantity]["unit"].get<double>(),
                                 e["min"][quantity]["unit"].get<double>());
    for (const std::string name : {"G", "W", "G+W"}) {
      std::vector<double> values;
      for (const json& d : results_set(name)["member_diagrams"])
        for (const json& v : d[quantity]) values.push_back(v.get<double>());
      ASSERT_EQ(values.size(), high.size());
      for (std::size_t k = 0; k < values.size(); ++k) {
        EXPECT_GE(high[k], values[k] - unit / 2) << quantity << " of " << name << ", station " << k;
        EXPECT_LE(low[k], values[k] + unit / 2) << quantity << " of " << name << ", station " << k;
      }
    }
  }
}

TEST_F(HtmlView, SupportsHoldTheirDirections) {
  const json& s = data_["supports"];
  EXPECT_EQ(s["names"], json::array({"fixed base", "pinned base"}));
  EXPECT_EQ(s["restrain"], json::array({63, 7}));
  const json& xyz = data_["nodes"]["xyz"];
  const std::size_t pinned = s["node"][1];
  EXPECT_EQ(xyz[3 * pinned].get<double>(), 5.0);
  EXPECT_EQ(xyz[3 * pinned + 2].get<double>(), 0.0);
}

TEST_F(HtmlView, LoadsAreDrawnInGlobalAxes) {
  const json& g = set("G+W")["loads"];
  // G's concentrated force and W's nodal force, each with its factor.
  ASSERT_EQ(g["forces"].size(), 12u);
  EXPECT_EQ(g["forces"][5].get<double>(), -27.0);  // at 1.7 m along the beam, times 1.35
  EXPECT_NEAR(g["forces"][0].get<double>(), 1.7, 1e-9);
  EXPECT_NEAR(g["forces"][2].get<double>(), 3.0, 1e-9);
  ASSERT_EQ(g["distributed"].size(), 18u);
  EXPECT_EQ(g["distributed"][0], 1);  // G's, on the beam
  EXPECT_DOUBLE_EQ(g["distributed"][5].get<double>(), -13.5);
  // W's, on the column C2, given in its local axes: drawn in global ones.
  const json& w = set("W")["loads"]["distributed"];
  ASSERT_EQ(w.size(), 9u);
  EXPECT_EQ(w[0], 2);
  const json& axes = results_["members"][2]["local_axes"];
  for (std::size_t c = 0; c < 3; ++c) {
    const double global = 1.0 * axes["x"][c].get<double>() + 2.0 * axes["y"][c].get<double>() +
                          3.0 * axes["z"][c].get<double>();
    EXPECT_NEAR(w[3 + c].get<double>(), global, 1e-4) << c;
    EXPECT_NEAR(w[6 + c].get<double>(), global, 1e-4) << c;
  }
}

TEST_F(HtmlView, DeflectionIsTheNodesDisplacementAtTheEnds) {
  const json& start = data_["members"]["stationStart"];
  const json& ends = data_["members"]["nodes"];
  for (const std::string name : {"G", "W"}) {
    const std::vector<double> d = decoded(set(name)["deflection"]);
    const double tolerance = largest(d) / 9999.0;
    ASSERT_GT(tolerance, 0.0);
    for (std::size_t e = 0; e < 3; ++e) {
      const std::size_t last = start[e + 1].get<std::size_t>() - 1;
      const std::size_t node = ends[2 * e + 1];
      const json& u = results_set(name)["displacements"][node]["u"];
      for (std::size_t c = 0; c < 3; ++c)
        EXPECT_NEAR(d[3 * last + c], u[c].get<double>(), tolerance)
            << name << ", member " << e << ", direction " << c;
    }
  }
}

TEST_F(HtmlView, NoNameCanEndTheScriptElement) {
  const std::string text = format_view_data(model_, result_);
  EXPECT_EQ(text.find('<'), std::string::npos);
  EXPECT_NE(text.find("B\\u003c/script>\\u003c!--1"), std::string::npos);
  EXPECT_EQ(data_["title"], "View <portal>");
}

TEST_F(HtmlView, EndsOnlyWithoutStations) {
  const json data = json::parse(format_view_data(model_, result_, {.stations = false}));
  EXPECT_EQ(data["members"]["stationStart"], json::array({0, 2, 4, 6}));
  EXPECT_EQ(data["members"]["stationXi"], json::array({0, 10000, 0, 10000, 0, 10000}));
  EXPECT_EQ(data["sets"][0]["My"]["q"].size(), 6u);
}

TEST_F(HtmlView, PageHoldsTheDataInItsScriptElement) {
  std::string page;
  try {
    page = format_html_view(model_, result_);
  } catch (const OutputError& e) {
    const std::string what = e.what();
    ASSERT_NE(what.find("libjs-three"), std::string::npos) << what;
    GTEST_SKIP() << what;
  }
  const std::string open = R"(<script type="application/json" id="zervola-view">)";
  const std::size_t at = page.find(open);
  ASSERT_NE(at, std::string::npos);
  const std::size_t start = at + open.size();
  const std::size_t end = page.find("</script", start);
  ASSERT_NE(end, std::string::npos);
  EXPECT_EQ(json::parse(page.substr(start, end - start)), data_);
  EXPECT_EQ(page.find("<script src="), std::string::npos);
  EXPECT_EQ(page.find("/*ZERVOLA_VIEW*/"), std::string::npos);
  EXPECT_EQ(page.find("<!--THREE_LICENCE-->"), std::string::npos);
  EXPECT_NE(page.find("<style>"), std::string::npos);
  // The scripts after the data are there, and the page is whole.
  EXPECT_NE(page.find("ZV.memberPanel = function"), std::string::npos);
  ASSERT_GE(page.size(), 8u);
  EXPECT_EQ(page.substr(page.size() - 8), "</html>\n");
}

TEST(HtmlViewProgram, WritesTheApisPage) {
  const ScratchDirectory scratch;
  const std::string model_file = examples_dir() + "/loaded_portal.json";
  const std::string page = scratch.path("portal.html");
  const RunResult run = run_frame({model_file, "-q", "--html", page});
  if (run.exit_status == static_cast<int>(ExitStatus::output) &&
      run.err.find("libjs-three") != std::string::npos)
    GTEST_SKIP() << run.err;
  ASSERT_EQ(run.exit_status, 0) << run.err;
  const Model model = read_model(model_file);
  EXPECT_EQ(read_text(page), format_html_view(model, analyse(model)));
}

}  // namespace html_view_test
}  // namespace zervola::frame::test
