// The program's numbering of the equations and its solution of all load
// cases on one factorisation, checked on the reference models and the
// examples: the results do not depend on the numbering, and every load case
// gives what a model of that case alone gives.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include <zervola/frame.hpp>
#include <zervola/frame/profile_numbering.hpp>
#include "run_program.hpp"

namespace zervola::frame::test {
namespace load_cases_numbering_test {

std::vector<std::string> model_files() {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(host_data_dir()))
    if (entry.path().string().ends_with(".model.json")) files.push_back(entry.path().string());
  std::sort(files.begin(), files.end());
  files.push_back(std::string(ZERVOLA_EXAMPLES_DIR) + "/office_frame.json");
  files.push_back(std::string(ZERVOLA_EXAMPLES_DIR) + "/loaded_portal.json");
  return files;
}

Model load(const std::string& file) {
  Model m = read_json_model(file);
  validate_model(m);
  return m;
}

AnalysisResult run(const Model& m, NumberingChoice numbering) {
  return analyse(m, {.numbering = numbering});
}

// Values agree to a relative 1e-9 of the largest magnitude among them.
template <class Rows>
void expect_same_to_rounding(const Rows& a, const Rows& b, const std::string& what) {
  ASSERT_EQ(a.size(), b.size()) << what;
  double largest = 0.0;
  for (const auto& row : b)
    for (const double v : row) largest = std::max(largest, std::abs(v));
  for (std::size_t i = 0; i < a.size(); ++i)
    for (std::size_t k = 0; k < a[i].size(); ++k)
      ASSERT_NEAR(a[i][k], b[i][k], 1.0e-9 * largest) << what << " row " << i << " value " << k;
}

void expect_same_case(const CaseResult& a, const CaseResult& b, const std::string& what) {
  expect_same_to_rounding(a.displacements, b.displacements, what + ": displacements");
  expect_same_to_rounding(a.end_forces, b.end_forces, what + ": end forces");
  ASSERT_EQ(a.reactions.size(), b.reactions.size()) << what;
  std::vector<std::array<double, 6>> ra, rb;
  for (std::size_t k = 0; k < a.reactions.size(); ++k) {
    EXPECT_EQ(a.reactions[k].node, b.reactions[k].node) << what;
    ra.push_back(a.reactions[k].value);
    rb.push_back(b.reactions[k].value);
  }
  expect_same_to_rounding(ra, rb, what + ": reactions");
}

// The band and the profile-reducing numbering give the same results, node
// by node of the drawing; the automatic choice takes the smaller profile.
TEST(EquationNumbering, ResultsDoNotDependOnIt) {
  for (const std::string& file : model_files()) {
    SCOPED_TRACE(file);
    const Model m = load(file);
    const AnalysisResult band = run(m, NumberingChoice::band);
    const AnalysisResult reducing = run(m, NumberingChoice::profile);
    const AnalysisResult chosen = run(m, NumberingChoice::automatic);
    EXPECT_EQ(band.mesh.numbering, NumberingChoice::band);
    EXPECT_EQ(reducing.mesh.numbering, NumberingChoice::profile);
    EXPECT_EQ(band.mesh.profile_after, band.mesh.band.profile_length);
    EXPECT_EQ(reducing.mesh.profile_after, reducing.mesh.profile_reducing.profile_length);
    EXPECT_EQ(chosen.mesh.profile_after,
              std::min(chosen.mesh.band.profile_length, chosen.mesh.profile_reducing.profile_length));
    EXPECT_LE(chosen.mesh.profile_after, band.mesh.profile_after);
    // On these models the profile-reducing numbering is never the worse.
    EXPECT_LE(reducing.mesh.profile_after, band.mesh.profile_after);
    ASSERT_EQ(band.cases.size(), reducing.cases.size());
    for (std::size_t c = 0; c < band.cases.size(); ++c)
      expect_same_case(reducing.cases[c], band.cases[c], "case " + band.cases[c].name);
  }
}

// Each load case solved with the others equals a model of that case alone.
TEST(LoadCases, EachCaseEqualsAModelOfItAlone) {
  int models_with_several_cases = 0;
  for (const std::string& file : model_files()) {
    SCOPED_TRACE(file);
    const Model m = load(file);
    if (m.load_cases.size() < 2) continue;
    ++models_with_several_cases;
    const AnalysisResult all = run(m, NumberingChoice::automatic);
    for (std::size_t c = 0; c < m.load_cases.size(); ++c) {
      Model alone = m;
      alone.load_cases = {m.load_cases[c]};
      alone.combinations.clear();
      alone.envelopes.clear();
      const AnalysisResult one = run(alone, NumberingChoice::automatic);
      expect_same_case(all.cases[c], one.cases[0], "case " + m.load_cases[c].name);
    }
  }
  EXPECT_GE(models_with_several_cases, 2);
}

// The report and the JSON results name the numbering used and give both
// numberings' profiles; an unknown numbering is a command-line error.
TEST(EquationNumbering, TheOutputsNameIt) {
  const std::string model = std::string(ZERVOLA_EXAMPLES_DIR) + "/office_frame.json";
  const ScratchDirectory dir;
  for (const std::string kind : {"band", "profile"}) {
    const RunResult r =
        run_frame({model, "--summary", "--numbering", kind, "--json", dir.path(kind + ".json")});
    ASSERT_EQ(r.exit_status, 0) << r.err;
    const std::string used = kind == "band" ? "band numbering used" : "profile-reducing numbering used";
    EXPECT_NE(r.out.find(used), std::string::npos) << r.out;
    const nlohmann::json out = read_json(dir.path(kind + ".json"));
    EXPECT_EQ(out["mesh"]["numbering"], kind);
    EXPECT_EQ(out["mesh"]["profile_length"]["after"],
              out["mesh"]["numberings"][kind]["profile_length"]);
  }
  EXPECT_EQ(run_frame({model, "--numbering", "bandwidth"}).exit_status, 1);
}

// A mechanism fails every load case: the error is the first case's, as a
// loop over the cases would give it, though the cases run on threads.
TEST(LoadCases, AMechanismIsTheSameErrorWhateverTheNumbering) {
  Model m = load(std::string(ZERVOLA_EXAMPLES_DIR) + "/office_frame.json");
  ASSERT_GE(m.load_cases.size(), 2U);
  m.supports.clear();
  for (NumberingChoice numbering : {NumberingChoice::automatic, NumberingChoice::band, NumberingChoice::profile,
                                    NumberingChoice::automatic}) {
    try {
      (void)run(m, numbering);
      FAIL() << "a mechanism was solved";
    } catch (const AnalysisError& e) {
      const std::string text = e.what();
      EXPECT_NE(text.find("the frame is a mechanism"), std::string::npos) << text;
      // Named by drawing node and direction, whatever the solver's numbering.
      EXPECT_NE(text.find("in direction u"), std::string::npos) << text;
    }
  }
}

bool is_permutation_of_one_to_n(std::vector<std::int32_t> numbers) {
  std::sort(numbers.begin(), numbers.end());
  for (std::size_t k = 0; k < numbers.size(); ++k)
    if (numbers[k] != static_cast<std::int32_t>(k + 1)) return false;
  return true;
}

std::vector<std::int32_t> renumbered(const std::vector<std::int32_t>& pairs,
                                     const std::vector<std::int32_t>& new_number) {
  std::vector<std::int32_t> out;
  for (const std::int32_t n : pairs) out.push_back(new_number[static_cast<std::size_t>(n - 1)]);
  return out;
}

// A grid of nx x ny nodes, numbered at random.
std::vector<std::int32_t> scrambled_grid(int nx, int ny, std::mt19937_64& rng) {
  std::vector<std::int32_t> number(static_cast<std::size_t>(nx * ny));
  std::iota(number.begin(), number.end(), 1);
  std::shuffle(number.begin(), number.end(), rng);
  const auto at = [&](int ix, int iy) { return number[static_cast<std::size_t>(ix + nx * iy)]; };
  std::vector<std::int32_t> pairs;
  for (int iy = 0; iy < ny; ++iy)
    for (int ix = 0; ix < nx; ++ix) {
      if (ix + 1 < nx) pairs.insert(pairs.end(), {at(ix, iy), at(ix + 1, iy)});
      if (iy + 1 < ny) pairs.insert(pairs.end(), {at(ix, iy), at(ix, iy + 1)});
    }
  return pairs;
}

// The numbering is a permutation, also of pieces and lone nodes; a chain
// numbered at random comes out in order (profile n - 1); a grid comes out
// with about the profile of numbering it across its short side.
TEST(ProfileNumbering, PermutesAndShrinksTheProfile) {
  std::mt19937_64 rng(20261210);
  for (const int n : {1, 2, 9, 100}) {
    std::vector<std::int32_t> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 1);
    std::shuffle(order.begin(), order.end(), rng);
    std::vector<std::int32_t> chain;
    for (std::size_t k = 0; k + 1 < order.size(); ++k) chain.insert(chain.end(), {order[k], order[k + 1]});
    const std::vector<std::int32_t> numbers = profile_numbering(chain, n);
    ASSERT_TRUE(is_permutation_of_one_to_n(numbers));
    EXPECT_EQ(node_profile(renumbered(chain, numbers), n), n - 1);
  }
  for (const auto& [nx, ny] : {std::pair{3, 40}, std::pair{10, 10}, std::pair{25, 4}}) {
    const std::vector<std::int32_t> pairs = scrambled_grid(nx, ny, rng);
    const std::int32_t n = nx * ny;
    const std::vector<std::int32_t> numbers = profile_numbering(pairs, n);
    ASSERT_TRUE(is_permutation_of_one_to_n(numbers));
    const std::int64_t across_short_side = static_cast<std::int64_t>(std::min(nx, ny)) * (n - std::min(nx, ny));
    // A heuristic: within a tenth of the numbering a person would choose.
    EXPECT_LE(10 * node_profile(renumbered(pairs, numbers), n), 11 * across_short_side)
        << nx << " x " << ny;
    EXPECT_LT(node_profile(renumbered(pairs, numbers), n), node_profile(pairs, n));
  }
  // Two pieces and a node on its own.
  const std::vector<std::int32_t> apart{1, 4, 4, 6, 2, 5, 5, 3};
  EXPECT_TRUE(is_permutation_of_one_to_n(profile_numbering(apart, 7)));
  EXPECT_TRUE(is_permutation_of_one_to_n(profile_numbering({}, 3)));
}

}  // namespace load_cases_numbering_test
}  // namespace zervola::frame::test

namespace zervola::frame::test {
namespace load_cases_numbering_test {

AnalysisResult solved_by(const Model& m, SolverChoice solver, int threads) {
  return analyse(m, {.solver = solver, .threads = threads});
}

// The supernodal factorisation gives the skyline's results on every
// reference model and example, and on threads exactly its one-thread ones.
TEST(SolverChoice, SupernodalGivesTheSkylinesResults) {
  std::vector<std::string> files = model_files();
  for (const char* example : {"office_frame_modes.json", "portal_stability.json"})
    files.push_back(std::string(ZERVOLA_EXAMPLES_DIR) + "/" + example);
  int modal = 0, buckled = 0;
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    const Model m = load(file);
    const AnalysisResult skyline = solved_by(m, SolverChoice::skyline, 1);
    modal += skyline.modal ? 1 : 0;
    buckled += skyline.buckling.empty() ? 0 : 1;
    const AnalysisResult one = solved_by(m, SolverChoice::supernodal, 1);
    const AnalysisResult two = solved_by(m, SolverChoice::supernodal, 2);
    EXPECT_EQ(skyline.mesh.solver.used, SolverChoice::skyline);
    EXPECT_EQ(one.mesh.solver.used, SolverChoice::supernodal);
    EXPECT_TRUE(one.mesh.solver.forced);
    EXPECT_GT(one.mesh.solver.supernodal_flops, 0.0);
    ASSERT_EQ(skyline.cases.size(), one.cases.size());
    for (std::size_t c = 0; c < skyline.cases.size(); ++c) {
      expect_same_case(one.cases[c], skyline.cases[c], m.load_cases[c].name);
      EXPECT_EQ(one.cases[c].displacements, two.cases[c].displacements);
    }
    ASSERT_EQ(skyline.second_order.size(), one.second_order.size());
    for (std::size_t k = 0; k < skyline.second_order.size(); ++k)
      EXPECT_NEAR(one.second_order[k].critical_factor, skyline.second_order[k].critical_factor,
                  1e-9 * std::abs(skyline.second_order[k].critical_factor));
    // The eigensolvers run on the solver the analysis chose: the same
    // frequencies, critical factors and Sturm counts.
    ASSERT_EQ(skyline.modal.has_value(), one.modal.has_value());
    if (skyline.modal) {
      ASSERT_EQ(skyline.modal->modes.size(), one.modal->modes.size());
      for (std::size_t k = 0; k < skyline.modal->modes.size(); ++k)
        EXPECT_NEAR(one.modal->modes[k].frequency, skyline.modal->modes[k].frequency,
                    1e-9 * skyline.modal->modes[k].frequency);
      EXPECT_EQ(one.modal->sturm_count, skyline.modal->sturm_count);
      EXPECT_EQ(one.modal->directions_with_mass, skyline.modal->directions_with_mass);
    }
    ASSERT_EQ(skyline.buckling.size(), one.buckling.size());
    for (std::size_t b = 0; b < skyline.buckling.size(); ++b) {
      ASSERT_EQ(skyline.buckling[b].modes.size(), one.buckling[b].modes.size());
      for (std::size_t k = 0; k < skyline.buckling[b].modes.size(); ++k)
        EXPECT_NEAR(one.buckling[b].modes[k].factor, skyline.buckling[b].modes[k].factor,
                    1e-9 * skyline.buckling[b].modes[k].factor);
      EXPECT_EQ(one.buckling[b].sturm_count, skyline.buckling[b].sturm_count);
    }
  }
  EXPECT_GT(modal, 0);
  EXPECT_GT(buckled, 0);
}

// A plane beam on a single pin turns about it: both solvers name the same
// node and direction, the tip's sideways translation, as the strain-free
// motion is one whatever the elimination order. (Where a frame has several
// independent motions, the factorisation's order picks which of their
// combinations it shows, and the two solvers may name other nodes of
// them.)
TEST(SolverChoice, AMechanismIsTheSameErrorFromBothSolvers) {
  const Model office = load(std::string(ZERVOLA_EXAMPLES_DIR) + "/office_frame.json");
  Model m = office;
  m.frame = FrameKind::plane;
  m.members.clear();
  m.supports.clear();
  m.combinations.clear();
  m.envelopes.clear();
  m.load_cases.resize(1);
  m.load_cases[0] = LoadCase{};
  m.load_cases[0].name = "tip";
  for (int k = 0; k < 4; ++k)
    m.members.push_back({"M" + std::to_string(k + 1), Point3{2.0 * k, 0.0, 0.0},
                         Point3{2.0 * (k + 1), 0.0, 0.0}, office.members.front().section, {},
                         Release::none, 0.0, {}});
  Support pin;
  pin.name = "P";
  pin.at = Point3{0.0, 0.0, 0.0};
  pin.restrained = {true, true, true, true, true, false};
  pin.kind = "pinned";
  m.supports.push_back(pin);
  NodalLoad tip;
  tip.name = "F";
  tip.at = Point3{8.0, 0.0, 0.0};
  tip.force = {0.0, -1.0, 0.0};
  m.load_cases[0].loads = {tip};
  validate_model(m);
  std::vector<std::string> named;
  for (const SolverChoice solver : {SolverChoice::skyline, SolverChoice::supernodal}) {
    try {
      (void)solved_by(m, solver, 2);
      ADD_FAILURE() << "a mechanism was solved";
    } catch (const AnalysisError& e) {
      const std::string text = e.what();
      // Up to the share of the stiffness left, which rounding sets.
      named.push_back(text.substr(0, text.find("(the factorisation leaves")));
    }
  }
  ASSERT_EQ(named.size(), 2U);
  EXPECT_EQ(named[0], named[1]);
  EXPECT_NE(named[0].find("at [8, 0, 0] in direction uy"), std::string::npos) << named[0];
}

// A building of 14 x 14 x 10 nodes: the automatic choice takes the
// supernodal solver, whose results are the skyline's.
TEST(SolverChoice, ALargeBuildingIsSolvedBySupernodes) {
  const Model office = load(std::string(ZERVOLA_EXAMPLES_DIR) + "/office_frame.json");
  Model m = office;
  m.members.clear();
  m.supports.clear();
  m.load_cases.resize(1);
  m.load_cases[0].loads.clear();
  m.load_cases[0].member_loads.clear();
  m.load_cases[0].support_displacements.clear();
  m.load_cases[0].second_order = false;
  m.combinations.clear();
  m.envelopes.clear();
  const std::string section = office.members.front().section;
  const int nx = 14, ny = 14, nz = 10;
  const auto point = [](int i, int j, int k) { return Point3{4.0 * i, 5.0 * j, 3.0 * k}; };
  int count = 0;
  for (int k = 0; k < nz; ++k)
    for (int j = 0; j < ny; ++j)
      for (int i = 0; i < nx; ++i) {
        if (k == 0) {
          Support s;
          s.name = "S" + std::to_string(m.supports.size() + 1);
          s.at = point(i, j, k);
          s.restrained.fill(true);
          s.kind = "fixed";
          m.supports.push_back(s);
        } else {
          m.members.push_back({"C" + std::to_string(++count), point(i, j, k - 1), point(i, j, k), section, {}, Release::none, 0.0, {}});
        }
        if (k > 0 && i + 1 < nx)
          m.members.push_back({"B" + std::to_string(++count), point(i, j, k), point(i + 1, j, k), section, {}, Release::none, 0.0, {}});
        if (k > 0 && j + 1 < ny)
          m.members.push_back({"B" + std::to_string(++count), point(i, j, k), point(i, j + 1, k), section, {}, Release::none, 0.0, {}});
      }
  NodalLoad wind;
  wind.name = "W";
  wind.at = point(nx - 1, ny - 1, nz - 1);
  wind.force = {10.0, 5.0, -20.0};
  m.load_cases[0].loads = {wind};
  validate_model(m);
  const AnalysisResult automatic = solved_by(m, SolverChoice::automatic, 2);
  const AnalysisResult skyline = solved_by(m, SolverChoice::skyline, 1);
  EXPECT_EQ(automatic.mesh.solver.used, SolverChoice::supernodal)
      << automatic.mesh.solver.supernodal_flops << " against " << automatic.mesh.solver.skyline_flops;
  EXPECT_FALSE(automatic.mesh.solver.forced);
  EXPECT_LT(automatic.mesh.solver.supernodal_flops, automatic.mesh.solver.skyline_flops);
  expect_same_case(automatic.cases[0], skyline.cases[0], "wind");
}

}  // namespace load_cases_numbering_test
}  // namespace zervola::frame::test
