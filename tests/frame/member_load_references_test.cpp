// The member-load references: five frames with member loads, combinations
// and an envelope, whose displacements, reactions, end forces, internal
// forces at every station and envelope extremes were computed by Frame3DD
// and translated into zervola-frame's conventions
// (data/reference-models/member-loads/README.md). Each model is run through
// the program and every expected value is checked in its JSON output against
// the bound the reference gives for its kind and load set.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "run_program.hpp"

namespace zervola::frame::test {
namespace member_load_references_test {

using nlohmann::json;

const std::vector<std::string> k_references = {"c1_plane_portal", "c2_continuous_beam",
                                               "c3_point_loads", "c5_temperature", "c7_hinges"};

// A station matches when its x is within this fraction of the member's length.
constexpr double k_station_tolerance = 1.0e-9;

std::string reference_path(const std::string& name) {
  return std::string(ZERVOLA_TEST_DATA_DIR) + "/reference-models/member-loads/" + name + ".json";
}

// Every value checked, the largest difference as a fraction of its bound,
// and the first faults, each with where it is.
class Comparison {
 public:
  void value(const std::string& where, double obtained, double expected, double bound) {
    ++count_;
    const double difference = std::abs(obtained - expected);
    worst_ = std::max(worst_, bound > 0.0 ? difference / bound : (difference > 0.0 ? 1e300 : 0.0));
    if (!(difference <= bound))
      fault(where + ": " + std::to_string(obtained) + " where " + std::to_string(expected) +
            " is expected (bound " + std::to_string(bound) + ")");
  }
  void fault(const std::string& text) {
    ++faults_;
    if (faults_ <= 20) ADD_FAILURE() << text;
  }
  [[nodiscard]] int count() const { return count_; }
  [[nodiscard]] double worst() const { return worst_; }

 private:
  int count_ = 0;
  int faults_ = 0;
  double worst_ = 0.0;
};

const json* entry_with(const json& list, const char* key, const json& value) {
  for (const json& e : list)
    if (e.contains(key) && e[key] == value) return &e;
  return nullptr;
}

std::string at_text(const json& p) { return p.dump(); }

// Compares three components of obtained[first..] with expected[0..2] of kind.
void three(Comparison& c, const std::string& where, const json& obtained, std::size_t first,
           const json& expected, std::size_t from, double bound) {
  static const char* const k_axes[] = {"x", "y", "z"};
  for (std::size_t k = 0; k < 3; ++k)
    c.value(where + " " + k_axes[k], obtained[first + k].get<double>(),
            expected[from + k].get<double>(), bound);
}

void check_load_set(Comparison& c, const json& out, const json& expected, const json& bounds,
                    const json& obtained_set) {
  const std::string set = expected["name"].get<std::string>();
  const auto b = [&](const char* kind) { return bounds.at(kind).get<double>(); };
  for (const json& d : expected["displacements"]) {
    const int node = node_at(out["nodes"], d["at"]);
    const json* got = entry_with(obtained_set["displacements"], "node", node);
    if (got == nullptr) {
      c.fault(set + ": no node at " + at_text(d["at"]));
      continue;
    }
    const std::string where = set + ": displacement at " + at_text(d["at"]);
    three(c, where + " translation", (*got)["u"], 0, d["u"], 0, b("translation"));
    three(c, where + " rotation", (*got)["u"], 3, d["u"], 3, b("rotation"));
  }
  for (const json& r : expected["reactions"]) {
    const int node = node_at(out["nodes"], r["at"]);
    const json* got = entry_with(obtained_set["reactions"], "node", node);
    if (got == nullptr) {
      c.fault(set + ": no reaction at " + at_text(r["at"]));
      continue;
    }
    const std::string where = set + ": reaction at " + at_text(r["at"]);
    three(c, where + " force", (*got)["r"], 0, r["r"], 0, b("reaction force"));
    three(c, where + " moment", (*got)["r"], 3, r["r"], 3, b("reaction moment"));
  }
  for (const json& f : expected["end_forces"]) {
    const json* got = entry_with(obtained_set["end_forces"], "member", f["member"]);
    if (got == nullptr) {
      c.fault(set + ": no end forces of member " + f["member"].dump());
      continue;
    }
    const std::string where = set + ": member " + f["member"].get<std::string>();
    for (std::size_t end = 0; end < 2; ++end) {
      const json& e = f[end == 0 ? "start" : "end"];
      const std::string at_end = where + (end == 0 ? " start" : " end");
      three(c, at_end + " force", (*got)["f"], 6 * end, e, 0, b("end force"));
      three(c, at_end + " moment", (*got)["f"], 6 * end + 3, e, 3, b("end moment"));
    }
  }
  static const char* const k_forces[] = {"N", "Vy", "Vz"};
  static const char* const k_moments[] = {"T", "My", "Mz"};
  static const char* const k_displacements[] = {"u", "v", "w"};
  for (const json& s : expected["stations"]) {
    const json* diagram = entry_with(obtained_set["member_diagrams"], "member", s["member"]);
    const json* member = entry_with(out["members"], "name", s["member"]);
    if (diagram == nullptr || member == nullptr) {
      c.fault(set + ": no diagram of member " + s["member"].dump());
      continue;
    }
    const double x = s["x"].get<double>();
    const double slack = k_station_tolerance * (*member)["length"].get<double>();
    const bool after = s["after_point_load"].get<bool>();
    const json& xs = (*diagram)["x"];
    const json& flags = (*diagram)["after_point_load"];
    std::size_t found = xs.size(), by_x = xs.size(), first_at_x = xs.size(), at_x = 0;
    for (std::size_t k = 0; k < xs.size(); ++k) {
      if (std::abs(xs[k].get<double>() - x) > slack) continue;
      ++at_x;
      by_x = k;
      if (first_at_x == xs.size()) first_at_x = k;
      if (flags[k].get<bool>() == after) found = k;
    }
    // A last station is matched by x alone (the reference README). Every
    // load set has the two stations of each load point of every case, but
    // flags the second as after a load only where the set itself has one:
    // the reference's "after" is the second of the pair.
    if (found == xs.size() && at_x == 1) found = by_x;
    if (found == xs.size() && at_x == 2) found = after ? by_x : first_at_x;
    const std::string where = set + ": member " + s["member"].get<std::string>() + " at x " +
                              std::to_string(x) + (after ? " (after the load)" : "");
    if (found == xs.size()) {
      c.fault(where + ": no such station");
      continue;
    }
    for (const char* q : k_forces)
      c.value(where + " " + q, (*diagram)[q][found].get<double>(), s[q].get<double>(),
              b("station force"));
    for (const char* q : k_moments)
      c.value(where + " " + q, (*diagram)[q][found].get<double>(), s[q].get<double>(),
              b("station moment"));
    for (const char* q : k_displacements)
      c.value(where + " " + q, (*diagram)[q][found].get<double>(), s[q].get<double>(),
              b("station displacement"));
  }
}

void check_envelope(Comparison& c, const json& out, const json& expected, const json& bounds) {
  const std::string name = expected["name"].get<std::string>();
  const json* got = entry_with(out["envelopes"], "name", expected["name"]);
  if (got == nullptr) {
    c.fault("no envelope " + name);
    return;
  }
  const auto b = [&](const char* kind) { return bounds.at(kind).get<double>(); };
  for (const char* bound_name : {"max", "min"}) {
    for (const json& d : expected["displacements"]) {
      const json* e = entry_with((*got)["displacements"], "node", node_at(out["nodes"], d["at"]));
      if (e == nullptr) {
        c.fault(name + ": no displacement bound at " + at_text(d["at"]));
        continue;
      }
      const std::string where = name + " " + bound_name + ": displacement at " + at_text(d["at"]);
      three(c, where + " translation", (*e)[bound_name], 0, d[bound_name], 0,
            b("envelope translation"));
      three(c, where + " rotation", (*e)[bound_name], 3, d[bound_name], 3, b("envelope rotation"));
    }
    for (const json& r : expected["reactions"]) {
      const json* e = entry_with((*got)["reactions"], "node", node_at(out["nodes"], r["at"]));
      if (e == nullptr) {
        c.fault(name + ": no reaction bound at " + at_text(r["at"]));
        continue;
      }
      const std::string where = name + " " + bound_name + ": reaction at " + at_text(r["at"]);
      three(c, where + " force", (*e)[bound_name], 0, r[bound_name], 0,
            b("envelope reaction force"));
      three(c, where + " moment", (*e)[bound_name], 3, r[bound_name], 3,
            b("envelope reaction moment"));
    }
    for (const json& f : expected["end_forces"]) {
      const json* e = entry_with((*got)["end_forces"], "member", f["member"]);
      if (e == nullptr) {
        c.fault(name + ": no end-force bound of member " + f["member"].dump());
        continue;
      }
      for (std::size_t end = 0; end < 2; ++end) {
        const json& x = f[bound_name][end == 0 ? "start" : "end"];
        const std::string where = name + " " + bound_name + ": member " +
                                  f["member"].get<std::string>() + (end == 0 ? " start" : " end");
        three(c, where + " force", (*e)[bound_name], 6 * end, x, 0, b("envelope end force"));
        three(c, where + " moment", (*e)[bound_name], 6 * end + 3, x, 3, b("envelope end moment"));
      }
    }
  }
  for (const json& m : expected["member_extremes"]) {
    const json* e = entry_with((*got)["member_extremes"], "member", m["member"]);
    if (e == nullptr) {
      c.fault(name + ": no member extremes of member " + m["member"].dump());
      continue;
    }
    for (const char* q : {"N", "Vy", "Vz", "T", "My", "Mz"}) {
      const bool force = std::string(q) == "N" || q[0] == 'V';
      const double bound =
          b(force ? "envelope member extreme force" : "envelope member extreme moment");
      const std::string where = name + ": member " + m["member"].get<std::string>() + " " + q;
      for (const char* side : {"max", "min"}) {
        c.value(where + " " + side, (*e)[q][side].get<double>(), m[q][side].get<double>(), bound);
        const json& governing = (*e)[q][std::string(side) + "_by"];
        const json& allowed = m[q][std::string(side) + "_by"];
        if (std::find(allowed.begin(), allowed.end(), governing) == allowed.end())
          c.fault(where + " " + side + ": governed by " + governing.dump() + ", not one of " +
                  allowed.dump());
      }
    }
  }
}

class MemberLoadReference : public ::testing::TestWithParam<std::string> {};

TEST_P(MemberLoadReference, EveryValueWithinItsBound) {
  const std::string name = GetParam();
  const json reference = read_json(reference_path(name));
  const ScratchDirectory dir;
  const std::string model = dir.write("model.json", reference["model"].dump(1));
  const RunResult run = run_frame({model, "--quiet", "--json", dir.path("results.json")});
  ASSERT_EQ(run.exit_status, 0) << run.err;
  const json out = read_json(dir.path("results.json"));
  const json& absolute = reference["tolerance"]["absolute"];
  const json& expected = reference["expected"];

  Comparison c;
  for (const char* kind : {"load_cases", "combinations"}) {
    for (const json& set : expected[kind]) {
      const json* obtained = entry_with(out[kind], "name", set["name"]);
      if (obtained == nullptr) {
        c.fault("no load set " + set["name"].dump() + " among the " + kind);
        continue;
      }
      check_load_set(c, out, set, absolute.at(set["name"].get<std::string>()), *obtained);
    }
  }
  if (expected.contains("envelopes"))
    for (const json& v : expected["envelopes"])
      check_envelope(c, out, v, absolute.at(v["name"].get<std::string>()));
  std::printf("reference %-20s values checked %5d  largest difference / bound %.3g\n",
              name.c_str(), c.count(), c.worst());
  EXPECT_GT(c.count(), 0);
}

INSTANTIATE_TEST_SUITE_P(All, MemberLoadReference, ::testing::ValuesIn(k_references),
                         [](const auto& param_info) { return param_info.param; });

}  // namespace member_load_references_test
}  // namespace zervola::frame::test
