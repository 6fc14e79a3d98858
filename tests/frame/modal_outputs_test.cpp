// The natural modes in every output: the report, the JSON and the CSV
// tables read back value by value against AnalysisResult::modal, a drawing
// panel per mode, a model that asks for modes and has no load case, and
// the command line's --modes and --mass-matrix.

#include <gtest/gtest.h>

#include <zervola/frame.hpp>

#include <fmt/format.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "analyse_json.hpp"
#include "rigid_beam_portal.hpp"
#include "run_program.hpp"

namespace zervola::frame::test {
namespace modal_outputs_test {

using nlohmann::json;

struct Analysed {
  Model model;
  AnalysisResult result;
};

Analysed portal() {
  Analysed a;
  a.result = analyse_json(rigid_beam_portal(12.5, "consistent"), &a.model);
  return a;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> words_of(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(line);
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// A value the report prints to six significant digits.
void expect_printed(const std::string& printed, double value, const std::string& what) {
  EXPECT_NEAR(std::stod(printed), value, 5e-6 * std::abs(value) + 1e-300) << what;
}

std::vector<std::vector<std::string>> csv_rows(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  for (const std::string& line : lines_of(text)) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
      const std::size_t comma = line.find(',', start);
      fields.push_back(line.substr(start, comma - start));
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
    rows.push_back(fields);
  }
  return rows;
}

TEST(ModalOutputs, ReportShowsEveryModeAsTheAnalysisFoundIt) {
  const Analysed a = portal();
  const ModalResult& modal = *a.result.modal;
  const std::vector<std::string> lines =
      lines_of(format_report(a.model, a.result, ReportDetail::full));
  std::size_t at = 0;
  while (at < lines.size() && lines[at] != "Natural modes (2 found)") ++at;
  ASSERT_LT(at, lines.size());
  // The mass and where it came from: the two point masses.
  bool points = false, matrix = false;
  for (std::size_t k = at; k < lines.size(); ++k) {
    const std::vector<std::string> w = words_of(lines[k]);
    if (lines[k].starts_with("    point masses")) {
      expect_printed(w.back(), modal.mass.points, "point masses");
      points = true;
    }
    matrix = matrix || lines[k] == "  Mass matrix consistent";
  }
  EXPECT_TRUE(points);
  EXPECT_TRUE(matrix);
  // The table: mode, omega, f, T, X, Y, RZ, cum X, cum Y in a plane frame.
  std::size_t head = at;
  while (head < lines.size() && lines[head].find("omega (rad/s)") == std::string::npos) ++head;
  ASSERT_LT(head + modal.modes.size(), lines.size());
  EXPECT_EQ(words_of(lines[head]),
            (std::vector<std::string>{"mode", "omega", "(rad/s)", "f", "(Hz)", "T", "(s)", "X",
                                      "Y", "RZ", "cum", "X", "cum", "Y"}));
  for (std::size_t k = 0; k < modal.modes.size(); ++k) {
    const Mode& mode = modal.modes[k];
    const std::vector<std::string> w = words_of(lines[head + 1 + k]);
    ASSERT_EQ(w.size(), 9U) << lines[head + 1 + k];
    EXPECT_EQ(std::stoi(w[0]), mode.number);
    expect_printed(w[1], mode.circular_frequency, "omega");
    expect_printed(w[2], mode.frequency, "f");
    expect_printed(w[3], mode.period, "T");
    const std::size_t shown[] = {0, 1, 5};
    for (std::size_t j = 0; j < 3; ++j)
      EXPECT_NEAR(std::stod(w[4 + j]), mode.effective_mass_ratio[shown[j]], 5e-5);
    EXPECT_NEAR(std::stod(w[7]), mode.cumulative_ratio[0], 5e-5);
    EXPECT_NEAR(std::stod(w[8]), mode.cumulative_ratio[1], 5e-5);
  }
  // The sway carries all the horizontal mass at mode 1.
  EXPECT_TRUE(lines[head + 1 + modal.modes.size()].starts_with(
      "  90 % of the movable mass: reached in X at mode 1"))
      << lines[head + 1 + modal.modes.size()];
  const std::string sturm = fmt::format(
      "  Sturm check: K - s*M at s = {:.6g} rad^2/s^2 has {} negative pivots: {} eigenvalues "
      "below s, {} found",
      modal.sturm_shift, modal.sturm_count, modal.sturm_count, modal.found_below);
  EXPECT_NE(std::find(lines.begin(), lines.end(), sturm), lines.end()) << sturm;
  EXPECT_EQ(modal.sturm_count, 2);
  bool eigensolver = false;
  for (const std::string& line : lines)
    if (line.starts_with("  Eigensolver: ")) {
      eigensolver = true;
      EXPECT_NE(line.find(fmt::format("basis of {} Lanczos vectors", modal.basis_size)),
                std::string::npos);
      EXPECT_TRUE(line.ends_with(" s")) << line;
    }
  EXPECT_TRUE(eigensolver);
}

TEST(ModalOutputs, SummaryKeepsTheTableAndTimingsCanBeLeftOut) {
  const Analysed a = portal();
  const std::string summary = format_report(a.model, a.result, ReportDetail::summary);
  EXPECT_NE(summary.find("omega (rad/s)"), std::string::npos);
  EXPECT_NE(summary.find("Sturm check"), std::string::npos);
  EXPECT_EQ(summary.find("Eigensolver"), std::string::npos);
  EXPECT_EQ(summary.find("point masses"), std::string::npos);
  const std::string full = format_report(a.model, a.result, ReportDetail::full, false);
  const auto line = full.find("  Eigensolver: ");
  ASSERT_NE(line, std::string::npos);
  const std::string eigensolver = full.substr(line, full.find('\n', line) - line);
  EXPECT_TRUE(eigensolver.ends_with("factorisations") || eigensolver.ends_with("factorisation"))
      << eigensolver;
  // Without timings two reports of one result are the same bytes whatever
  // the wall time.
  AnalysisResult slower = a.result;
  slower.modal->seconds += 1.0;
  EXPECT_EQ(format_report(a.model, slower, ReportDetail::full, false), full);
}

TEST(ModalOutputs, JsonReadsBackAsTheAnalysisFoundIt) {
  const Analysed a = portal();
  const ModalResult& modal = *a.result.modal;
  const json out = json::parse(format_json_results(a.model, a.result));
  ASSERT_EQ(out["modes"].size(), modal.modes.size());
  for (std::size_t k = 0; k < modal.modes.size(); ++k) {
    const Mode& mode = modal.modes[k];
    const json& m = out["modes"][k];
    EXPECT_EQ(m["number"], mode.number);
    EXPECT_EQ(m["circular_frequency"].get<double>(), mode.circular_frequency);
    EXPECT_EQ(m["frequency"].get<double>(), mode.frequency);
    EXPECT_EQ(m["period"].get<double>(), mode.period);
    EXPECT_EQ(m["drawing_scale"].get<double>(), mode.drawing_scale);
    for (std::size_t d = 0; d < 6; ++d) {
      const char* name = k_participation_directions[d];
      EXPECT_EQ(m["participation"][name].get<double>(), mode.participation[d]);
      EXPECT_EQ(m["effective_mass"][name].get<double>(), mode.effective_mass[d]);
      EXPECT_EQ(m["effective_mass_ratio"][name].get<double>(), mode.effective_mass_ratio[d]);
      EXPECT_EQ(m["cumulative_ratio"][name].get<double>(), mode.cumulative_ratio[d]);
    }
    ASSERT_EQ(m["shape"].size(), a.result.nodes.size());
    for (std::size_t n = 0; n < mode.shape.size(); ++n)
      for (std::size_t d = 0; d < 6; ++d)
        EXPECT_EQ(m["shape"][n][d].get<double>(), mode.shape[n][d]);
  }
  const json& m = out["modal"];
  EXPECT_EQ(m["mass_matrix"], "consistent");
  EXPECT_EQ(m["mass"]["points"].get<double>(), modal.mass.points);
  EXPECT_EQ(m["mass"]["total"].get<double>(), modal.mass.total);
  EXPECT_EQ(m["mass"]["from_loads"], json::array());
  EXPECT_EQ(m["movable_mass"]["X"].get<double>(), modal.movable_mass[0]);
  EXPECT_EQ(m["directions_with_mass"], modal.directions_with_mass);
  EXPECT_EQ(m["sturm"]["shift"].get<double>(), modal.sturm_shift);
  EXPECT_EQ(m["sturm"]["negative_pivots"], modal.sturm_count);
  EXPECT_EQ(m["sturm"]["found_below"], modal.found_below);
  EXPECT_EQ(m["eigensolver"]["basis_size"], modal.basis_size);
  EXPECT_EQ(m["eigensolver"]["factorisations"], modal.factorisations);
  EXPECT_EQ(m["eigensolver"]["seconds"].get<double>(), modal.seconds);
  EXPECT_EQ(out["load_cases"], json::array());
  const json untimed = json::parse(format_json_results(a.model, a.result, {.timings = false}));
  EXPECT_FALSE(untimed["modal"]["eigensolver"].contains("seconds"));
}

TEST(ModalOutputs, CsvTablesReadBackAsTheAnalysisFoundIt) {
  const Analysed a = portal();
  const ModalResult& modal = *a.result.modal;
  const auto names = csv_table_names(a.model);
  EXPECT_NE(std::find(names.begin(), names.end(), "modes.csv"), names.end());
  EXPECT_NE(std::find(names.begin(), names.end(), "mode_shapes.csv"), names.end());
  const auto tables = format_csv_tables(a.model, a.result);
  const auto modes = csv_rows(tables.at("modes.csv"));
  ASSERT_EQ(modes.size(), 1 + modal.modes.size());
  ASSERT_EQ(modes[0].size(), 5U + 24U);
  EXPECT_EQ(modes[0][2], "circular_frequency");
  EXPECT_EQ(modes[0][5], "participation_X");
  EXPECT_EQ(modes[0][28], "cumulative_ratio_RZ");
  for (std::size_t k = 0; k < modal.modes.size(); ++k) {
    const Mode& mode = modal.modes[k];
    const auto& row = modes[k + 1];
    ASSERT_EQ(row.size(), modes[0].size());
    EXPECT_EQ(std::stoi(row[0]), mode.number);
    EXPECT_EQ(std::stod(row[1]), mode.eigenvalue);
    EXPECT_EQ(std::stod(row[2]), mode.circular_frequency);
    EXPECT_EQ(std::stod(row[3]), mode.frequency);
    EXPECT_EQ(std::stod(row[4]), mode.period);
    for (std::size_t d = 0; d < 6; ++d) {
      EXPECT_EQ(std::stod(row[5 + d]), mode.participation[d]);
      EXPECT_EQ(std::stod(row[11 + d]), mode.effective_mass[d]);
      EXPECT_EQ(std::stod(row[17 + d]), mode.effective_mass_ratio[d]);
      EXPECT_EQ(std::stod(row[23 + d]), mode.cumulative_ratio[d]);
    }
  }
  const auto shapes = csv_rows(tables.at("mode_shapes.csv"));
  EXPECT_EQ(shapes[0], (std::vector<std::string>{"mode", "node", "x", "y", "z", "ux", "uy", "uz",
                                                 "rx", "ry", "rz"}));
  ASSERT_EQ(shapes.size(), 1 + modal.modes.size() * a.result.nodes.size());
  for (std::size_t r = 1; r < shapes.size(); ++r) {
    const Mode& mode = modal.modes[static_cast<std::size_t>(std::stoi(shapes[r][0]) - 1)];
    const auto node = static_cast<std::size_t>(std::stoi(shapes[r][1]) - 1);
    EXPECT_EQ(std::stod(shapes[r][2]), a.result.nodes[node].x);
    for (std::size_t d = 0; d < 6; ++d) EXPECT_EQ(std::stod(shapes[r][5 + d]), mode.shape[node][d]);
  }
  // Without load cases the tables of load sets hold their heading alone.
  EXPECT_EQ(tables.at("displacements.csv"), "load_case,node,ux,uy,uz,rx,ry,rz\n");
}

TEST(ModalOutputs, RigidBodyModeHasNoPeriodInAnyOutput) {
  Analysed a = portal();
  a.result.modal->modes[0].period = std::numeric_limits<double>::infinity();
  EXPECT_NE(format_report(a.model, a.result, ReportDetail::full).find("rigid body"),
            std::string::npos);
  const json out = json::parse(format_json_results(a.model, a.result));
  EXPECT_TRUE(out["modes"][0]["period"].is_null());
  const auto modes = csv_rows(format_csv_tables(a.model, a.result).at("modes.csv"));
  EXPECT_EQ(modes[1][4], "");
  EXPECT_NE(draw_svg(a.model, a.result, {}).find("T = rigid body"), std::string::npos);
}

std::size_t count_of(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(ModalOutputs, DrawingHasOnePanelPerMode) {
  const Analysed a = portal();
  const std::string svg = draw_svg(a.model, a.result, {});
  EXPECT_EQ(count_of(svg, "<g id=\"mode-"), 2U);
  EXPECT_EQ(count_of(svg, "<g id=\"case-"), 0U);
  EXPECT_NE(svg.find("<g id=\"mode-1\">"), std::string::npos);
  EXPECT_NE(svg.find(fmt::format("Mode 1: f = {:.4g} Hz, T = {:.4g} s",
                                 a.result.modal->modes[0].frequency,
                                 a.result.modal->modes[0].period)),
            std::string::npos);
  EXPECT_NE(svg.find("largest effective mass ratio 100.0 % in X"), std::string::npos);
  // A load set named that the model lacks is still refused.
  DrawingOptions one;
  one.load_case = "G";
  EXPECT_THROW((void)draw_svg(a.model, a.result, one), InputError);

  // With load cases, their panels come first, then the modes.
  json loaded = rigid_beam_portal(12.5, "lumped");
  loaded["load_cases"] = {{{"name", "G"}, {"loads", {{{"at", {0, h, 0}}, {"force", {1, 0, 0}}}}}}};
  Model model;
  const AnalysisResult r = analyse_json(loaded, &model);
  const std::string both = draw_svg(model, r, one);
  EXPECT_EQ(count_of(both, "<g id=\"case-1\">"), 1U);
  EXPECT_EQ(count_of(both, "<g id=\"mode-"), 2U);
  EXPECT_LT(both.find("<g id=\"case-1\">"), both.find("<g id=\"mode-1\">"));
}

TEST(ModalOutputs, ModesOnlyModelGivesEveryOutput) {
  const ScratchDirectory dir;
  const std::string model = dir.write("modes.json", rigid_beam_portal(12.5, "lumped").dump(1));
  const RunResult r = run_frame({model, "--no-progress", "--json", dir.path("r.json"), "--csv",
                                 dir.path("csv"), "--svg", dir.path("d.svg")});
  ASSERT_EQ(r.exit_status, 0) << r.err;
  EXPECT_NE(r.out.find("Natural modes (2 found)"), std::string::npos);
  EXPECT_NE(r.out.find("0 load cases"), std::string::npos);
  const json out = read_json(dir.path("r.json"));
  EXPECT_EQ(out["load_cases"], json::array());
  EXPECT_EQ(out["modes"].size(), 2U);
  EXPECT_EQ(out["modal"]["mass_matrix"], "lumped");
  EXPECT_EQ(csv_rows(read_text(dir.path("csv/modes.csv"))).size(), 3U);
  EXPECT_EQ(count_of(read_text(dir.path("d.svg")), "<g id=\"mode-"), 2U);
  const RunResult summary = run_frame({model, "--no-progress", "--summary"});
  ASSERT_EQ(summary.exit_status, 0) << summary.err;
  EXPECT_NE(summary.out.find("Sturm check"), std::string::npos);
}

TEST(ModalOutputs, CommandLineAsksForModes) {
  const ScratchDirectory dir;
  const RunResult r = run_frame({examples_dir() + "/loaded_portal.json", "--no-progress",
                                 "--modes", "3", "--mass-matrix", "lumped", "--json",
                                 dir.path("r.json"), "--csv", dir.path("csv")});
  ASSERT_EQ(r.exit_status, 0) << r.err;
  EXPECT_NE(r.out.find("Natural modes (3 found)"), std::string::npos);
  EXPECT_NE(r.out.find("  Mass matrix lumped"), std::string::npos);
  const json out = read_json(dir.path("r.json"));
  EXPECT_EQ(out["modes"].size(), 3U);
  EXPECT_EQ(out["modal"]["mass_matrix"], "lumped");
  EXPECT_FALSE(out["load_cases"].empty());
  EXPECT_EQ(csv_rows(read_text(dir.path("csv/modes.csv"))).size(), 4U);

  // --modes keeps the model's own mass matrix; --no-timings leaves the
  // seconds out.
  const RunResult kept = run_frame({examples_dir() + "/office_frame_modes.json", "--no-progress",
                                    "--modes", "2", "--no-timings", "--json", dir.path("o.json")});
  ASSERT_EQ(kept.exit_status, 0) << kept.err;
  const json office = read_json(dir.path("o.json"));
  EXPECT_EQ(office["modes"].size(), 2U);
  EXPECT_EQ(office["modal"]["mass_matrix"], "consistent");
  EXPECT_FALSE(office["modal"]["eigensolver"].contains("seconds"));
}

TEST(ModalOutputs, CommandLineRefusesBadModeRequests) {
  const std::string portal_model = examples_dir() + "/loaded_portal.json";
  const RunResult none = run_frame({portal_model, "--modes", "0"});
  EXPECT_EQ(none.exit_status, static_cast<int>(ExitStatus::usage));
  EXPECT_NE(none.err.find("--modes: must be a whole number of modes from 1 to 100000, is 0"),
            std::string::npos)
      << none.err;
  const RunResult half = run_frame({portal_model, "--modes", "2.5"});
  EXPECT_EQ(half.exit_status, static_cast<int>(ExitStatus::usage));
  EXPECT_NE(half.err.find("not a whole number: 2.5"), std::string::npos) << half.err;
  const RunResult foo = run_frame({portal_model, "--mass-matrix", "foo"});
  EXPECT_EQ(foo.exit_status, static_cast<int>(ExitStatus::usage));
  EXPECT_NE(foo.err.find("--mass-matrix"), std::string::npos) << foo.err;
  EXPECT_NE(foo.err.find("foo"), std::string::npos) << foo.err;
  const RunResult alone = run_frame({portal_model, "--mass-matrix", "lumped", "-q"});
  EXPECT_EQ(alone.exit_status, static_cast<int>(ExitStatus::usage));
  EXPECT_NE(alone.err.find("asks for no natural modes: give --modes N too"), std::string::npos)
      << alone.err;

  // A model without mass cannot vibrate: the model's fault, named.
  const ScratchDirectory dir;
  json massless = rigid_beam_portal(12.5, "lumped");
  massless.erase("masses");
  massless.erase("modal");
  massless["load_cases"] = {{{"name", "G"}, {"loads", {{{"at", {0, h, 0}}, {"force", {1, 0, 0}}}}}}};
  const RunResult no_mass =
      run_frame({dir.write("massless.json", massless.dump(1)), "--modes", "2", "-q"});
  EXPECT_EQ(no_mass.exit_status, static_cast<int>(ExitStatus::input));
  EXPECT_NE(no_mass.err.find("--modes: the model has no mass"), std::string::npos) << no_mass.err;
}

}  // namespace modal_outputs_test
}  // namespace zervola::frame::test
