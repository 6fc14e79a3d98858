#include "output/view_sets.hpp"

#include <array>
#include <map>
#include <numeric>
#include <string>

#include "output/view_loads.hpp"
#include "zervola/frame/combinations.hpp"

namespace zervola::frame {
namespace {

// The internal forces, the first six quantities, by their names in the data.
constexpr std::size_t k_forces = 6;

// One load set's values at the view's stations, member after member: the
// forces, and the deflection in global axes (three per station).
struct StationColumns {
  std::array<std::vector<double>, k_forces> forces;
  std::vector<double> deflection;
};

// Local (u, v, w) of a member with local axes `axes`, in global components.
std::array<double, 3> global_deflection(const std::array<Vector3, 3>& axes, double u, double v,
                                        double w) {
  std::array<double, 3> out{};
  for (std::size_t c = 0; c < 3; ++c) out[c] = u * axes[0][c] + v * axes[1][c] + w * axes[2][c];
  return out;
}

void write_extremes(ViewJson& json, const std::vector<std::array<Extreme, k_quantities>>& extremes) {
  json.begin_object();
  std::vector<double> list;
  for (std::size_t q = 0; q < k_quantities; ++q) {
    list.clear();
    for (const auto& member : extremes) {
      const Extreme& x = member[q];
      list.insert(list.end(), {x.max, x.x_max, x.min, x.x_min});
    }
    json.key(k_quantity_names[q]);
    json.numbers(list, k_result_digits);
  }
  json.end_object();
}

// Points (x, y, z) at k_place_digits, then the three values at
// k_result_digits, per record of six.
void write_point_loads(ViewJson& json, const std::vector<double>& list) {
  json.begin_array();
  for (std::size_t k = 0; k < list.size(); ++k)
    json.number(list[k], k % 6 < 3 ? k_place_digits : k_result_digits);
  json.end_array();
}

// Member index, x1, x2, then six values, per record of nine.
void write_distributed_loads(ViewJson& json, const std::vector<double>& list) {
  json.begin_array();
  for (std::size_t k = 0; k < list.size(); ++k) {
    if (k % 9 == 0)
      json.integer(static_cast<std::int64_t>(list[k]));
    else
      json.number(list[k], k % 9 < 3 ? k_place_digits : k_result_digits);
  }
  json.end_array();
}

void write_loads(ViewJson& json, const ViewLoads& loads) {
  json.begin_object();
  json.key("forces");
  write_point_loads(json, loads.forces);
  json.key("moments");
  write_point_loads(json, loads.moments);
  json.key("distributed");
  write_distributed_loads(json, loads.distributed);
  json.end_object();
}

// Load set k (a case or a combination) as one object of "sets".
void write_analysed_set(ViewJson& json, const Model& model, const AnalysisResult& r,
                        const DiagramBasis& basis, std::size_t k, bool all_stations) {
  const CaseResult& c = set_result(r, k);
  const std::size_t members = model.members.size();
  StationColumns columns;
  std::vector<std::array<Extreme, k_quantities>> extremes(members);
  for (std::size_t e = 0; e < members; ++e) {
    const MemberDiagram d = member_set_diagram(r, basis, k, e);
    for (std::size_t n : view_stations(d.stations.size(), all_stations)) {
      const StationValues& v = d.values[n];
      for (std::size_t q = 0; q < k_forces; ++q) columns.forces[q].push_back(v[q]);
      const auto g = global_deflection(r.members[e].axes, v[6], v[7], v[8]);
      columns.deflection.insert(columns.deflection.end(), g.begin(), g.end());
    }
    extremes[e] = d.extremes;
  }
  json.begin_object();
  json.key("name");
  json.text(basis.sets[k].name);
  json.key("kind");
  json.text(k < r.cases.size() ? "case" : "combination");
  json.key("deflection");
  json.quantized_array(columns.deflection);
  for (std::size_t q = 0; q < k_forces; ++q) {
    json.key(k_quantity_names[q]);
    json.quantized_array(columns.forces[q]);
  }
  columns = {};
  std::vector<double> list;
  for (const auto& f : c.end_forces) list.insert(list.end(), f.begin(), f.end());
  json.key("endForces");
  json.numbers(list, k_result_digits);
  json.key("extremes");
  write_extremes(json, extremes);
  list.clear();
  for (std::size_t e = 0; e < members; ++e)
    list.insert(list.end(), {c.stress_max[e], c.stress_max_x[e], c.stress_min[e], c.stress_min_x[e],
                             c.end_stress_max[e], c.end_stress_min[e]});
  json.key("stress");
  json.numbers(list, k_result_digits);
  json.key("loads");
  write_loads(json, set_view_loads(model, r, basis.sets[k]));
  json.end_object();
}

// Envelope v as one object of "sets"; index: load set name -> its index in
// "sets".
void write_envelope(ViewJson& json, const Model& model, const AnalysisResult& r,
                    const DiagramBasis& basis, const Envelope& v,
                    const std::map<std::string, std::size_t>& index, bool all_stations) {
  const EnvelopeResult e = envelope(model, r, v);
  std::vector<std::size_t> of;  // EnvelopeResult::sets' indices -> indices into "sets"
  for (const std::string& name : e.sets) of.push_back(index.at(name));
  const std::size_t members = model.members.size();

  // The largest and smallest force at each station over the sets.
  std::array<std::vector<double>, k_forces> high, low;
  for (std::size_t m = 0; m < members; ++m) {
    const std::vector<std::size_t> kept = view_stations(basis.stations[m].size(), all_stations);
    const std::size_t first = high[0].size();
    for (std::size_t k = 0; k < of.size(); ++k) {
      const std::vector<StationValues> values =
          member_diagram(basis.stations[m], member_state(r, basis.sets[of[k]], m), basis.beams[m]);
      for (std::size_t i = 0; i < kept.size(); ++i)
        for (std::size_t q = 0; q < k_forces; ++q) {
          const double value = values[kept[i]][q];
          if (k == 0) {
            high[q].push_back(value);
            low[q].push_back(value);
          } else {
            high[q][first + i] = std::max(high[q][first + i], value);
            low[q][first + i] = std::min(low[q][first + i], value);
          }
        }
    }
  }
  json.begin_object();
  json.key("name");
  json.text(e.name);
  json.key("kind");
  json.text("envelope");
  json.key("of");
  json.integers(of);
  for (const auto& [bound, columns] : {std::pair{"max", &high}, std::pair{"min", &low}}) {
    json.key(bound);
    json.begin_object();
    for (std::size_t q = 0; q < k_forces; ++q) {
      json.key(k_quantity_names[q]);
      json.quantized_array((*columns)[q]);
    }
    json.end_object();
  }
  high = {};
  low = {};

  std::vector<double> max, min;
  std::vector<std::size_t> max_by, min_by;
  for (const auto& member : e.end_forces)
    for (const Bound& b : member) {
      max.push_back(b.max);
      min.push_back(b.min);
      max_by.push_back(of[b.max_by]);
      min_by.push_back(of[b.min_by]);
    }
  json.key("endForces");
  json.begin_object();
  json.key("max");
  json.numbers(max, k_result_digits);
  json.key("min");
  json.numbers(min, k_result_digits);
  json.key("maxBy");
  json.integers(max_by);
  json.key("minBy");
  json.integers(min_by);
  json.end_object();

  std::vector<std::array<Extreme, k_quantities>> extremes(members);
  json.key("extremes");
  for (std::size_t m = 0; m < members; ++m)
    for (std::size_t q = 0; q < k_quantities; ++q) {
      const Bound& b = e.diagram[m][q];
      extremes[m][q] = {b.max, b.x_max, b.min, b.x_min};
    }
  write_extremes(json, extremes);
  json.key("extremesBy");
  json.begin_object();
  std::vector<std::size_t> by;
  for (std::size_t q = 0; q < k_quantities; ++q) {
    by.clear();
    for (std::size_t m = 0; m < members; ++m) by.insert(by.end(), {of[e.diagram[m][q].max_by], of[e.diagram[m][q].min_by]});
    json.key(k_quantity_names[q]);
    json.integers(by);
  }
  json.end_object();

  std::vector<double> stress;
  by.clear();
  for (std::size_t m = 0; m < members; ++m) {
    stress.insert(stress.end(), {e.stress_max[m].max, e.stress_max[m].x_max, e.stress_min[m].min,
                                 e.stress_min[m].x_min});
    by.insert(by.end(), {of[e.stress_max[m].max_by], of[e.stress_min[m].min_by]});
  }
  json.key("stress");
  json.numbers(stress, k_result_digits);
  json.key("stressBy");
  json.integers(by);
  json.end_object();
}

}  // namespace

std::vector<std::size_t> view_stations(std::size_t count, bool all) {
  if (!all) return {0, count - 1};
  std::vector<std::size_t> kept(count);
  std::iota(kept.begin(), kept.end(), std::size_t{0});
  return kept;
}

void write_view_sets(ViewJson& json, const Model& model, const AnalysisResult& r,
                     const DiagramBasis& basis, bool all_stations) {
  json.begin_array();
  std::map<std::string, std::size_t> index;
  for (std::size_t k = 0; k < basis.sets.size(); ++k) {
    write_analysed_set(json, model, r, basis, k, all_stations);
    index.emplace(basis.sets[k].name, k);
  }
  for (const Envelope& v : model.envelopes) write_envelope(json, model, r, basis, v, index, all_stations);
  json.end_array();
}

}  // namespace zervola::frame
