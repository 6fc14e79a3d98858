// Every reference model, rewritten in the model format, run through the
// program: its displacements, end forces, reactions and stresses must match
// the independently computed values copied beside it, within the model's
// tolerances.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "run_program.hpp"

namespace zervola::frame::test {
namespace reference_models_test {

using nlohmann::json;

std::vector<std::string> reference_names() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(host_data_dir())) {
    const std::string file = entry.path().filename().string();
    const std::string suffix = ".model.json";
    if (file.size() > suffix.size() && file.ends_with(suffix))
      names.push_back(file.substr(0, file.size() - suffix.size()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The bound for one kind of value. The reference bound of a kind whose
// expected values are all round-off (reaction moments at pinned supports, of
// order 1e-14) is itself round-off; such a kind is held to the bound of the
// end moments, the moment scale of the same model.
double bound(const json& tolerance, const std::string& kind) {
  double b = tolerance.value(kind, 0.0);
  if (kind == "end_force" && !tolerance.contains(kind)) b = tolerance.value("axial_force", 0.0);
  if (kind == "reaction_moment") b = std::max(b, tolerance.value("end_moment", 0.0));
  return b;
}

class ReferenceModel : public ::testing::TestWithParam<std::string> {};

TEST_P(ReferenceModel, MatchesExpectedResults) {
  const std::string name = GetParam();
  const ScratchDirectory dir;
  const std::string model = host_data_dir() + "/" + name + ".model.json";
  const RunResult run = run_frame({model, "--quiet", "--json", dir.path("results.json")});
  ASSERT_EQ(run.exit_status, 0) << run.err;
  const json out = read_json(dir.path("results.json"));
  const json expected = read_json(host_data_dir() + "/" + name + ".expected.json");
  const json& tol = expected["tolerance"];
  const json& result = out["load_cases"][0];

  for (const json& d : expected["displacements"]) {
    const int node = node_at(out["nodes"], d["at"]);
    ASSERT_GT(node, 0) << d["at"];
    const json& u = result["displacements"][static_cast<std::size_t>(node - 1)]["u"];
    for (std::size_t k = 0; k < 6; ++k)
      EXPECT_NEAR(u[k].get<double>(), d["u"][k].get<double>(),
                  bound(tol, k < 3 ? "translation" : "rotation"))
          << "node " << node << " component " << k + 1;
  }

  for (const json& r : expected["reactions"]) {
    const int node = node_at(out["nodes"], r["at"]);
    const auto it = std::find_if(result["reactions"].begin(), result["reactions"].end(),
                                 [&](const json& x) { return x["node"].get<int>() == node; });
    ASSERT_NE(it, result["reactions"].end()) << "no reaction at node " << node;
    for (std::size_t k = 0; k < 6; ++k)
      EXPECT_NEAR((*it)["r"][k].get<double>(), r["r"][k].get<double>(),
                  bound(tol, k < 3 ? "reaction_force" : "reaction_moment"))
          << "node " << node << " component " << k + 1;
  }

  const auto forces_of = [&](const std::string& member) {
    for (const json& f : result["end_forces"])
      if (f["member"] == member) return f["f"];
    ADD_FAILURE() << "no end forces for " << member;
    return json::array();
  };
  if (expected.contains("end_forces")) {
    for (const json& e : expected["end_forces"]) {
      const json f = forces_of(e["member"]);
      for (std::size_t k = 0; k < 12; ++k)
        EXPECT_NEAR(f[k].get<double>(), e["f"][k].get<double>(),
                    bound(tol, k % 6 < 3 ? "end_force" : "end_moment"))
            << e["member"] << " component " << k + 1;
    }
  }
  if (expected.contains("axial_forces")) {
    // Pin-ended bars: the bar force at both ends, nothing else.
    for (const json& e : expected["axial_forces"]) {
      const json f = forces_of(e["member"]);
      for (std::size_t k = 0; k < 12; ++k)
        EXPECT_NEAR(f[k].get<double>(), k % 6 == 0 ? e["N"].get<double>() : 0.0,
                    bound(tol, "end_force"))
            << e["member"] << " component " << k + 1;
    }
  }
  if (expected.contains("stresses_times_1e-6")) {
    // Derived from the expected end forces, so held to the same relative
    // accuracy as they are; the program gives force/length^2.
    double largest = 0.0;
    for (const json& s : expected["stresses_times_1e-6"])
      largest = std::max({largest, std::abs(s["max"].get<double>()), std::abs(s["min"].get<double>())});
    for (const json& s : expected["stresses_times_1e-6"]) {
      for (const json& x : result["stresses"]) {
        if (x["member"] != s["member"]) continue;
        EXPECT_NEAR(x["max"].get<double>() * 1e-6, s["max"].get<double>(), 1e-6 * largest) << s["member"];
        EXPECT_NEAR(x["min"].get<double>() * 1e-6, s["min"].get<double>(), 1e-6 * largest) << s["member"];
      }
    }
  }

  // The program's own equilibrium check holds.
  EXPECT_LE(result["equilibrium"]["relative_force_residual"].get<double>(), 1e-9);
  EXPECT_LE(result["equilibrium"]["relative_moment_residual"].get<double>(), 1e-9);
}

INSTANTIATE_TEST_SUITE_P(All, ReferenceModel, ::testing::ValuesIn(reference_names()),
                         [](const ::testing::TestParamInfo<std::string>& param_info) { return param_info.param; });

}  // namespace reference_models_test
}  // namespace zervola::frame::test
