// The analysis as a program that links the library sees it: a model read,
// analysed and written through include/zervola/frame.hpp alone gives what
// zervola-frame gives, reports its progress to the caller, and names the
// supports in the reactions where the model names them.

#include <gtest/gtest.h>

#include <zervola/frame.hpp>

#include <filesystem>
#include <string>
#include <vector>

#include "run_program.hpp"

namespace zervola::frame::test {
namespace api_test {

// Runs in dir and comes back, so that a model's file name (which the
// outputs print) is the one zervola-frame is given in the kept outputs.
class InDirectory {
 public:
  explicit InDirectory(const std::filesystem::path& dir) : back_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
  }
  ~InDirectory() { std::filesystem::current_path(back_); }
  InDirectory(const InDirectory&) = delete;
  InDirectory& operator=(const InDirectory&) = delete;

 private:
  std::filesystem::path back_;
};

std::string kept(const std::string& run, const std::string& file) {
  return read_text(std::string(ZERVOLA_TEST_DATA_DIR) + "/frame-outputs/" + run + "/" + file);
}

TEST(FrameApi, WritersGiveTheProgramsOutputs) {
  const InDirectory here(examples_dir());
  const Model model = read_model("loaded_portal.json");
  const AnalysisResult result = analyse(model);
  EXPECT_EQ(format_report(model, result, ReportDetail::full), kept("loaded_portal", "report.txt"));
  EXPECT_EQ(format_json_results(model, result), kept("loaded_portal", "results.json"));
  EXPECT_EQ(draw_svg(model, result, {}), kept("loaded_portal", "drawing.svg"));
  const std::map<std::string, std::string> tables = format_csv_tables(model, result);
  ASSERT_EQ(tables.size(), 9u);
  for (const auto& [name, content] : tables)
    EXPECT_EQ(content, kept("loaded_portal", "csv/" + name)) << name;
}

TEST(FrameApi, NumberingsGiveTheSameResults) {
  const InDirectory here(examples_dir());
  const Model model = read_model("office_frame.json");
  const AnalysisResult band = analyse(model, {.numbering = NumberingChoice::band});
  const AnalysisResult profile = analyse(model, {.numbering = NumberingChoice::profile});
  EXPECT_EQ(band.mesh.numbering, NumberingChoice::band);
  EXPECT_EQ(profile.mesh.numbering, NumberingChoice::profile);
  ASSERT_EQ(band.cases.size(), profile.cases.size());
  for (std::size_t c = 0; c < band.cases.size(); ++c)
    for (std::size_t n = 0; n < band.nodes.size(); ++n)
      for (std::size_t d = 0; d < 6; ++d)
        EXPECT_NEAR(band.cases[c].displacements[n][d], profile.cases[c].displacements[n][d],
                    1e-12 + 1e-9 * std::abs(band.cases[c].displacements[n][d]))
            << "case " << c << " node " << n + 1 << " direction " << d;
}

class RecordedProgress final : public Progress {
 public:
  void stage(const std::string& text) override { stages.push_back(text); }
  void step(std::size_t done, std::size_t total) override {
    steps_in_order = steps_in_order && done <= total;
  }
  void finish() override { ++finished; }

  std::vector<std::string> stages;
  bool steps_in_order = true;
  int finished = 0;
};

TEST(FrameApi, ProgressReachesTheCaller) {
  const InDirectory here(examples_dir());
  const Model model = read_model("loaded_portal.json");
  RecordedProgress progress;
  static_cast<void>(analyse(model, {.progress = &progress}));
  ASSERT_FALSE(progress.stages.empty());
  EXPECT_EQ(progress.stages.front(), "building the mesh");
  EXPECT_TRUE(progress.steps_in_order);
  EXPECT_EQ(progress.finished, 1);
}

TEST(FrameApi, ReactionsCarryTheNamesTheModelGives) {
  const Model model = parse_json_model(R"({
    "units": {"force": "kN", "length": "m"}, "frame": "plane",
    "sections": [{"name": "S", "E": 2.1e8, "G": 8.1e7, "A": 0.01, "It": 1e-6, "Iy": 1e-5,
                  "Iz": 1e-5, "extent_z": 0.1, "extent_y": 0.1}],
    "members": [{"from": [0, 0, 0], "to": [4, 0, 0], "section": "S"},
                {"from": [4, 0, 0], "to": [8, 0, 0], "section": "S"}],
    "supports": [{"name": "left, pinned", "at": [0, 0, 0], "type": "pinned"},
                 {"at": [8, 0, 0], "type": "pinned"},
                 {"name": "middle", "at": [4, 0, 0], "type": "roller", "direction": "y"}],
    "load_cases": [{"name": "G", "loads": [{"at": [4, 0, 0], "force": [0, -10, 0]}]}],
    "combinations": [{"name": "1.35G", "factors": {"G": 1.35}}]
  })", "named.json");
  validate_model(model);
  const AnalysisResult r = analyse(model);
  for (const CaseResult* set : {&r.cases[0], &r.combinations[0]}) {
    ASSERT_EQ(set->reactions.size(), 3u);
    // Reactions come in node order: 1 at x = 0, 2 at x = 4, 3 at x = 8.
    EXPECT_EQ(set->reactions[0].support, "left, pinned");
    EXPECT_EQ(set->reactions[1].support, "middle");
    EXPECT_EQ(set->reactions[2].support, "");  // the model gives no name
  }
  // The CSV field is quoted for its comma; the unnamed support's is empty.
  const std::string csv = format_csv_tables(model, r).at("reactions.csv");
  EXPECT_NE(csv.find(",\"left, pinned\"\n"), std::string::npos) << csv;
  EXPECT_NE(csv.find(",middle\n"), std::string::npos) << csv;
  EXPECT_NE(csv.find(",0,0,0,\n"), std::string::npos) << csv;
}

}  // namespace api_test
}  // namespace zervola::frame::test
