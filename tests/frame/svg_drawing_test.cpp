// The drawing reads: no two labels overlap, a member whose nodes do not
// move still shows its deflection, released ends, member loads, units and
// scales are drawn.

#include <gtest/gtest.h>

#include <zervola/frame.hpp>

#include <cmath>
#include <cstddef>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "analyse_json.hpp"
#include "run_program.hpp"

namespace zervola::frame::test {
namespace svg_drawing_test {

using nlohmann::json;

// How wide a character and how tall a text are drawn, as shares of the
// font size, and the labels' font sizes (the drawing's style sheet).
constexpr double k_char_width = 0.62;
const std::map<std::string, double> k_label_fonts = {
    {"value", 9.0}, {"loadvalue", 10.0}, {"nodelabel", 10.0}, {"memberlabel", 9.0}, {"scale", 10.0}};

struct Label {
  std::string cls, text;
  double left, top, right, bottom;
};

std::size_t characters(const std::string& s) {
  std::string plain = std::regex_replace(s, std::regex("&[a-z]+;"), "x");
  std::size_t n = 0;
  for (const char c : plain)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  return n;
}

// The labels of each panel (<g id=...> at the top level), by panel.
std::map<std::string, std::vector<Label>> panel_labels(const std::string& svg) {
  std::map<std::string, std::vector<Label>> panels;
  const std::regex group("<g id=\"([^\"]+)\">");
  const std::regex text("<text class=\"([a-z]+)\" x=\"([-0-9.]+)\" y=\"([-0-9.]+)\">([^<]*)</text>");
  std::string current;
  std::size_t line_start = 0;
  while (line_start < svg.size()) {
    std::size_t end = svg.find('\n', line_start);
    if (end == std::string::npos) end = svg.size();
    const std::string line = svg.substr(line_start, end - line_start);
    line_start = end + 1;
    std::smatch m;
    if (std::regex_search(line, m, group)) current = m[1];
    if (!std::regex_match(line, m, text)) continue;
    const auto font = k_label_fonts.find(m[1]);
    if (font == k_label_fonts.end()) continue;
    const double x = std::stod(m[2]), y = std::stod(m[3]), size = font->second;
    panels[current].push_back({m[1], m[4], x, y + 0.2 * size - size,
                               x + k_char_width * size * static_cast<double>(characters(m[4])),
                               y + 0.2 * size});
  }
  return panels;
}

TEST(SvgDrawing, NoTwoLabelsOverlapOnTheOfficeFrame) {
  const Model model = read_model(examples_dir() + "/office_frame.json");
  const AnalysisResult result = analyse(model);
  for (const DiagramKind diagram : {DiagramKind::none, DiagramKind::moment}) {
    DrawingOptions options;
    options.diagram = diagram;
    const auto panels = panel_labels(draw_svg(model, result, options));
    ASSERT_GE(panels.size(), 2U);
    for (const auto& [panel, labels] : panels) {
      std::size_t node_labels = 0;
      for (const Label& l : labels) node_labels += l.cls == "nodelabel";
      // Leaving labels out must not be the way to avoid overlaps.
      EXPECT_GE(node_labels, result.nodes.size() / 2) << panel;
      for (std::size_t i = 0; i < labels.size(); ++i)
        for (std::size_t j = i + 1; j < labels.size(); ++j) {
          const Label& a = labels[i];
          const Label& b = labels[j];
          const bool overlap = a.left < b.right && b.left < a.right && a.top < b.bottom &&
                               b.top < a.bottom;
          EXPECT_FALSE(overlap) << panel << ": \"" << a.text << "\" (" << a.cls << ") and \""
                                << b.text << "\" (" << b.cls << ")";
        }
    }
  }
}

json fixed_beam(bool hinged) {
  json beam = {{"name", "B"}, {"from", {0, 0, 0}}, {"to", {6, 0, 0}}, {"section", "S"}};
  if (hinged) beam["release"] = "hinge_end";
  return {{"units", {{"force", "kN"}, {"length", "m"}}},
          {"frame", "plane"},
          {"sections", {{{"name", "S"}, {"E", 2.1e8}, {"G", 8.1e7}, {"A", 0.01}, {"Iz", 1e-4}, {"Iy", 1e-4},
                         {"It", 1e-5}, {"extent_y", 0.3}, {"extent_z", 0.2}}}},
          {"members", json::array({beam})},
          {"supports", {{{"at", {0, 0, 0}}, {"type", "fixed"}}, {{"at", {6, 0, 0}}, {"type", "fixed"}}}},
          {"load_cases",
           {{{"name", "q"},
             {"member_loads",
              {{{"member", "B"}, {"type", "distributed"}, {"value", {0, -10, 0}}}}}}}}};
}

// The deformed shape's polyline points of the first panel.
std::vector<std::pair<double, double>> deformed_points(const std::string& svg) {
  const std::size_t at = svg.find("<g class=\"deformed\">");
  const std::size_t from = svg.find("points=\"", at) + 8;
  const std::string list = svg.substr(from, svg.find('"', from) - from);
  std::vector<std::pair<double, double>> points;
  const std::regex pair("([-0-9.]+),([-0-9.]+)");
  for (auto it = std::sregex_iterator(list.begin(), list.end(), pair); it != std::sregex_iterator();
       ++it)
    points.emplace_back(std::stod((*it)[1]), std::stod((*it)[2]));
  return points;
}

TEST(SvgDrawing, BeamBetweenFixedNodesShowsItsDeflection) {
  Model model;
  const AnalysisResult result = analyse_json(fixed_beam(false), &model);
  // Its nodes do not move: the scale comes from the deflection along it,
  // w = qL^4 / (384 EI) at midspan, drawn at 8 % of the frame's size.
  const double w = 10.0 * std::pow(6.0, 4) / (384.0 * 2.1e8 * 1e-4);
  const std::string svg = draw_svg(model, result, {});
  const std::smatch stated = [&] {
    std::smatch m;
    std::regex_search(svg, m, std::regex("drawn ([0-9.e+]+) times their size"));
    return m;
  }();
  ASSERT_FALSE(stated.empty());
  const double scale = std::stod(stated[1]);
  EXPECT_GT(scale * w, 0.04 * 6.0) << "scale " << scale;
  EXPECT_LE(scale * w, 0.08 * 6.0 * (1 + 1e-9)) << "scale " << scale;
  const auto points = deformed_points(svg);
  ASSERT_GE(points.size(), 3U);
  double sag = 0.0;
  for (const auto& p : points) sag = std::max(sag, std::abs(p.second - points.front().second));
  // 820 px for 6 m: the midspan drawn between 4 % and 8 % of the length down.
  EXPECT_GT(sag, 0.04 * 820.0);
  EXPECT_NEAR(points.front().second, points.back().second, 0.01);
}

TEST(SvgDrawing, ReleasesLoadsUnitsAndScalesAreDrawn) {
  Model model;
  const AnalysisResult result = analyse_json(fixed_beam(true), &model);
  DrawingOptions options;
  options.diagram = DiagramKind::moment;
  const std::string svg = draw_svg(model, result, options);
  const auto count = [&](const std::string& s) {
    std::size_t n = 0;
    for (std::size_t at = svg.find(s); at != std::string::npos; at = svg.find(s, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("class=\"hinge\""), 1U) << "one hinged end";
  EXPECT_EQ(count("<line class=\"memberload\""), 5U) << "arrows along the distributed load";
  EXPECT_NE(svg.find(">10/m</text>"), std::string::npos) << "its intensity";
  EXPECT_NE(svg.find("Units: force kN, length m"), std::string::npos);
  EXPECT_NE(svg.find("Sign convention: moments drawn on the tension side"), std::string::npos);
  // The length bar as long as its length is drawn: the beam's 6 m run
  // between its nodes' circles.
  std::smatch bar, ends;
  ASSERT_TRUE(std::regex_search(
      svg, bar,
      std::regex("d=\"M ([0-9.]+) [0-9.]+ v -4 v 4 H ([0-9.]+) v -4\"/>\n<text class=\"scale\" "
                 "x=\"[0-9.]+\" y=\"[0-9.]+\">length ([0-9.]+) m<")));
  ASSERT_TRUE(std::regex_search(
      svg, ends,
      std::regex("<circle class=\"node\" cx=\"([0-9.]+)\"[^\n]*\n[^\n]*\n<circle class=\"node\" "
                 "cx=\"([0-9.]+)\"")));
  const double px_per_metre = (std::stod(ends[2]) - std::stod(ends[1])) / 6.0;
  EXPECT_NEAR(std::stod(bar[2]) - std::stod(bar[1]), std::stod(bar[3]) * px_per_metre, 0.2);
  EXPECT_NE(svg.find(">displacement "), std::string::npos);
  EXPECT_NE(svg.find(">Mz, My "), std::string::npos);
}

}  // namespace svg_drawing_test
}  // namespace zervola::frame::test
