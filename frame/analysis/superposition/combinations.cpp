#include "zervola/frame/combinations.hpp"

#include <zervola.h>

#include <algorithm>
#include <unordered_map>

#include "zervola/frame/library_arrays.hpp"

namespace zervola::frame {
namespace {

// The index in load_sets of every load case and combination, by name.
class SetIndex {
 public:
  explicit SetIndex(const Model& model) {
    for (std::size_t c = 0; c < model.load_cases.size(); ++c) index_.emplace(model.load_cases[c].name, c);
    for (std::size_t c = 0; c < model.combinations.size(); ++c)
      index_.emplace(model.combinations[c].name, model.load_cases.size() + c);
  }
  [[nodiscard]] std::size_t operator()(const std::string& name) const {
    const auto found = index_.find(name);
    return found == index_.end() ? 0 : found->second;  // validation has refused unknown names
  }

 private:
  std::unordered_map<std::string, std::size_t> index_;
};

template <std::size_t N>
void superpose(std::array<double, N>& a, const std::array<double, N>& b, double f) {
  for (std::size_t k = 0; k < N; ++k) a[k] += f * b[k];
}

void superpose(Vector3& a, const Vector3& b, double f) {
  for (std::size_t k = 0; k < 3; ++k) a[k] += f * b[k];
}

void take(Bound& b, bool first, double value, std::size_t by, double x) {
  if (first || value > b.max) { b.max = value; b.max_by = by; b.x_max = x; }
  if (first || value < b.min) { b.min = value; b.min_by = by; b.x_min = x; }
}

template <std::size_t N>
void take_all(std::array<Bound, N>& b, bool first, const std::array<double, N>& v, std::size_t by) {
  for (std::size_t k = 0; k < N; ++k) take(b[k], first, v[k], by, 0.0);
}

std::vector<std::size_t> envelope_sets(const Model& model, const Envelope& v) {
  const SetIndex index(model);
  std::vector<std::size_t> sets;
  for (const std::string& name : v.combinations) sets.push_back(index(name));
  return sets;
}

}  // namespace

const CaseResult& set_result(const AnalysisResult& r, std::size_t set) {
  return set < r.cases.size() ? r.cases[set] : r.combinations[set - r.cases.size()];
}

std::vector<LoadSet> load_sets(const Model& model) {
  std::vector<LoadSet> sets;
  for (std::size_t c = 0; c < model.load_cases.size(); ++c)
    sets.push_back({model.load_cases[c].name, {{c, 1.0}}});
  const SetIndex index(model);
  for (const Combination& k : model.combinations) {
    LoadSet s{k.name, {}};
    for (const auto& [name, factor] : k.factors) s.factors.emplace_back(index(name), factor);
    sets.push_back(std::move(s));
  }
  return sets;
}

std::vector<CaseResult> combine(const Model& model, const AnalysisResult& r) {
  const std::vector<LoadSet> sets = load_sets(model);
  std::vector<CaseResult> out;
  for (std::size_t k = model.load_cases.size(); k < sets.size(); ++k) {
    const LoadSet& set = sets[k];
    const CaseResult& shape = r.cases.front();
    CaseResult c;
    c.name = set.name;
    c.displacements.assign(shape.displacements.size(), {});
    c.reactions = shape.reactions;
    for (Reaction& x : c.reactions) x.value.fill(0.0);
    c.end_forces.assign(shape.end_forces.size(), {});
    c.end_displacements.assign(shape.end_displacements.size(), {});
    Equilibrium& q = c.equilibrium;
    for (const auto& [index, f] : set.factors) {
      const CaseResult& s = r.cases[index];
      for (std::size_t n = 0; n < s.displacements.size(); ++n) superpose(c.displacements[n], s.displacements[n], f);
      for (std::size_t n = 0; n < s.reactions.size(); ++n) superpose(c.reactions[n].value, s.reactions[n].value, f);
      for (std::size_t e = 0; e < s.end_forces.size(); ++e) {
        superpose(c.end_forces[e], s.end_forces[e], f);
        superpose(c.end_displacements[e], s.end_displacements[e], f);
      }
      const Equilibrium& p = s.equilibrium;
      superpose(q.applied_force, p.applied_force, f);
      superpose(q.applied_moment, p.applied_moment, f);
      superpose(q.reaction_force, p.reaction_force, f);
      superpose(q.reaction_moment, p.reaction_moment, f);
      superpose(q.force_residual, p.force_residual, f);
      superpose(q.moment_residual, p.moment_residual, f);
      q.relative_force_residual = std::max(q.relative_force_residual, p.relative_force_residual);
      q.relative_moment_residual = std::max(q.relative_moment_residual, p.relative_moment_residual);
    }
    for (std::size_t e = 0; e < c.end_forces.size(); ++e) {
      const Member& m = model.members[e];
      const Section* s = nullptr;
      for (const Section& candidate : model.sections)
        if (candidate.name == m.section) s = &candidate;
      const std::array<double, k_section_rows> column = {
          s->elastic_modulus, s->shear_modulus, s->area,     s->torsion_constant, s->inertia_y,
          s->inertia_z,       0.0,              s->extent_z, s->extent_y,         s->thermal_coefficient};
      double smax = 0.0, smin = 0.0;
      SILFACT(c.end_forces[e].data(), column.data(), &m.temperature_change, &smax, &smin);
      // The library gives stresses times 1e-6.
      c.stress_max.push_back(smax * 1.0e6);
      c.stress_min.push_back(smin * 1.0e6);
    }
    out.push_back(std::move(c));
  }
  return out;
}

MemberState member_state(const AnalysisResult& r, const LoadSet& set, std::size_t member) {
  MemberState m;
  for (const auto& [index, f] : set.factors) {
    MemberState one;
    one.loads = r.member_loads[index][member];
    one.end_forces = r.cases[index].end_forces[member];
    one.end_displacements = r.cases[index].end_displacements[member];
    add_scaled(m, one, f);
  }
  return m;
}

std::vector<Station> member_stations(const AnalysisResult& r, std::size_t member, int divisions) {
  std::vector<const LocalMemberLoads*> loads;
  for (const auto& per_case : r.member_loads) loads.push_back(&per_case[member]);
  return diagram_stations(loads, r.members[member].length, divisions);
}

std::array<Extreme, k_quantities> member_set_extremes(const Model& model, const AnalysisResult& r,
                                                      const LoadSet& set, std::size_t member) {
  const std::vector<Station> stations = member_stations(r, member);
  const BeamProperties b = beam_properties(model, member, r.members[member].length);
  const MemberState state = member_state(r, set, member);
  std::array<Extreme, k_quantities> x =
      member_extremes(stations, member_diagram(stations, state, b), state);
  refine_displacement_extremes(x, stations, state, b);
  return x;
}

EnvelopeResult envelope(const Model& model, const AnalysisResult& r, const Envelope& v) {
  const std::vector<std::size_t> sets = envelope_sets(model, v);
  const std::vector<LoadSet> all = load_sets(model);
  EnvelopeResult e;
  e.name = v.name;
  e.sets = v.combinations;
  const CaseResult& shape = r.cases.front();
  e.displacements.resize(shape.displacements.size());
  e.reactions.resize(shape.reactions.size());
  e.end_forces.resize(shape.end_forces.size());
  e.stress_max.resize(shape.end_forces.size());
  e.stress_min.resize(shape.end_forces.size());
  e.diagram.resize(shape.end_forces.size());
  for (std::size_t k = 0; k < sets.size(); ++k) {
    const CaseResult& c = set_result(r, sets[k]);
    const bool first = k == 0;
    for (std::size_t n = 0; n < c.displacements.size(); ++n) take_all(e.displacements[n], first, c.displacements[n], k);
    for (std::size_t n = 0; n < c.reactions.size(); ++n) take_all(e.reactions[n], first, c.reactions[n].value, k);
    for (std::size_t m = 0; m < c.end_forces.size(); ++m) {
      take_all(e.end_forces[m], first, c.end_forces[m], k);
      take(e.stress_max[m], first, c.stress_max[m], k, c.stress_max_x[m]);
      take(e.stress_min[m], first, c.stress_min[m], k, c.stress_min_x[m]);
    }
  }
  for (std::size_t m = 0; m < e.diagram.size(); ++m) {
    const std::vector<Station> stations = member_stations(r, m);
    const BeamProperties b = beam_properties(model, m, r.members[m].length);
    for (std::size_t k = 0; k < sets.size(); ++k) {
      const MemberState state = member_state(r, all[sets[k]], m);
      const std::vector<StationValues> values = member_diagram(stations, state, b);
      std::array<Extreme, k_quantities> x = member_extremes(stations, values, state);
      refine_displacement_extremes(x, stations, state, b);
      for (std::size_t q = 0; q < k_quantities; ++q) {
        Bound& d = e.diagram[m][q];
        if (k == 0 || x[q].max > d.max) { d.max = x[q].max; d.x_max = x[q].x_max; d.max_by = k; }
        if (k == 0 || x[q].min < d.min) { d.min = x[q].min; d.x_min = x[q].x_min; d.min_by = k; }
      }
    }
  }
  return e;
}

std::vector<std::array<Bound, k_quantities>> station_envelope(const Model& model,
                                                              const AnalysisResult& r,
                                                              const Envelope& v,
                                                              std::size_t member) {
  const std::vector<std::size_t> sets = envelope_sets(model, v);
  const std::vector<LoadSet> all = load_sets(model);
  const std::vector<Station> stations = member_stations(r, member);
  const BeamProperties b = beam_properties(model, member, r.members[member].length);
  std::vector<std::array<Bound, k_quantities>> out(stations.size());
  for (std::size_t k = 0; k < sets.size(); ++k) {
    const std::vector<StationValues> values = member_diagram(stations, member_state(r, all[sets[k]], member), b);
    for (std::size_t n = 0; n < stations.size(); ++n)
      for (std::size_t q = 0; q < k_quantities; ++q) take(out[n][q], k == 0, values[n][q], k, stations[n].x);
  }
  return out;
}

}  // namespace zervola::frame
