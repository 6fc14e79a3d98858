#include "analysis/superposition/member_stresses.hpp"

#include "reading/member_load_checks.hpp"
#include "zervola/frame/combinations.hpp"
#include "zervola/frame/internal_forces.hpp"

namespace zervola::frame {
namespace {

StressSection stress_section(const Model& model, const Member& m) {
  const Section& s = section_of(model, m);
  return {s.area,
          s.inertia_y,
          s.inertia_z,
          0.5 * s.extent_y,
          0.5 * s.extent_z,
          s.thermal_coefficient * m.temperature_change * s.elastic_modulus * s.area};
}

}  // namespace

void take_stresses_along_members(const Model& model, AnalysisResult& r) {
  const std::vector<LoadSet> sets = load_sets(model);
  const std::size_t n_members = model.members.size();
  // Every set of a member shares its stations; a member unloaded in every
  // case has straight force diagrams, extreme at an end.
  std::vector<std::vector<Station>> stations(n_members);
  std::vector<StressSection> sections(n_members);
  for (std::size_t e = 0; e < n_members; ++e) {
    bool loaded = false;
    for (const auto& per_case : r.member_loads) loaded = loaded || !per_case[e].empty();
    const double L = r.members[e].length;
    stations[e] = loaded ? member_stations(r, e) : std::vector<Station>{{0.0, false}, {L, true}};
    sections[e] = stress_section(model, model.members[e]);
  }
  for (std::size_t k = 0; k < sets.size(); ++k) {
    CaseResult& c = k < r.cases.size() ? r.cases[k] : r.combinations[k - r.cases.size()];
    c.end_stress_max = c.stress_max;
    c.end_stress_min = c.stress_min;
    c.stress_max_x.assign(n_members, 0.0);
    c.stress_min_x.assign(n_members, 0.0);
    for (std::size_t e = 0; e < n_members; ++e) {
      const Extreme along = member_stress_extremes(stations[e], member_state(r, sets[k], e), sections[e]);
      // The ends' values as the library gives them stand where they are
      // extreme, so that an extreme is never below its end's.
      const double L = r.members[e].length;
      if (along.max > c.stress_max[e]) {
        c.stress_max[e] = along.max;
        c.stress_max_x[e] = along.x_max;
      } else {
        c.stress_max_x[e] = along.x_max < 0.5 * L ? 0.0 : L;
      }
      if (along.min < c.stress_min[e]) {
        c.stress_min[e] = along.min;
        c.stress_min_x[e] = along.x_min;
      } else {
        c.stress_min_x[e] = along.x_min < 0.5 * L ? 0.0 : L;
      }
    }
  }
}

}  // namespace zervola::frame
