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

void write_extremes(ViewJson& view, const std::vector<std::array<Extreme, k_quantities>>& extremes) {
  view.begin_object();
  std::vector<double> list;
  for (std::size_t q = 0; q < k_quantities; ++q) {
    list.clear();
    for (const auto& member : extremes) {
      const Extreme& x = member[q];
      list.insert(list.end(), {x.max, x.x_max, x.min, x.x_min});
    }
    view.key(k_quantity_names[q]);
    view.numbers(list, k_result_digits);
  }
  view.end_object();
}

// Points (x, y, z) at k_place_digits, then the three values at
// k_result_digits, per record of six.
void write_point_loads(ViewJson& view, const std::vector<double>& list) {
  view.begin_array();
  for (std::size_t k = 0; k < list.size(); ++k)
    view.number(list[k], k % 6 < 3 ? k_place_digits : k_result_digits);
  view.end_array();
}

// Member index, x1, x2, then six values, per record of nine.
void write_distributed_loads(ViewJson& view, const std::vector<double>& list) {
  view.begin_array();
  for (std::size_t k = 0; k < list.size(); ++k) {
    if (k % 9 == 0)
      view.integer(static_cast<std::int64_t>(list[k]));
    else
      view.number(list[k], k % 9 < 3 ? k_place_digits : k_result_digits);
  }
  view.end_array();
}

void write_loads(ViewJson& view, const ViewLoads& loads) {
  view.begin_object();
  view.key("forces");
  write_point_loads(view, loads.forces);
  view.key("moments");
  write_point_loads(view, loads.moments);
  view.key("distributed");
  write_distributed_loads(view, loads.distributed);
  view.end_object();
}

// Load set k (a case or a combination) as one object of "sets".
void write_analysed_set(ViewJson& view, const Model& model, const AnalysisResult& r,
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
  view.begin_object();
  view.key("name");
  view.text(basis.sets[k].name);
  view.key("kind");
  view.text(k < r.cases.size() ? "case" : "combination");
  view.key("deflection");
  view.quantized_array(columns.deflection);
  for (std::size_t q = 0; q < k_forces; ++q) {
    view.key(k_quantity_names[q]);
    view.quantized_array(columns.forces[q]);
  }
  columns = {};
  std::vector<double> list;
  for (const auto& f : c.end_forces) list.insert(list.end(), f.begin(), f.end());
  view.key("endForces");
  view.numbers(list, k_result_digits);
  view.key("extremes");
  write_extremes(view, extremes);
  list.clear();
  for (std::size_t e = 0; e < members; ++e)
    list.insert(list.end(), {c.stress_max[e], c.stress_max_x[e], c.stress_min[e], c.stress_min_x[e],
                             c.end_stress_max[e], c.end_stress_min[e]});
  view.key("stress");
  view.numbers(list, k_result_digits);
  view.key("loads");
  write_loads(view, set_view_loads(model, r, basis.sets[k]));
  view.end_object();
}

// Envelope v as one object of "sets"; index: load set name -> its index in
// "sets".
void write_envelope(ViewJson& view, const Model& model, const AnalysisResult& r,
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
  view.begin_object();
  view.key("name");
  view.text(e.name);
  view.key("kind");
  view.text("envelope");
  view.key("of");
  view.integers(of);
  for (const auto& [bound, columns] : {std::pair{"max", &high}, std::pair{"min", &low}}) {
    view.key(bound);
    view.begin_object();
    for (std::size_t q = 0; q < k_forces; ++q) {
      view.key(k_quantity_names[q]);
      view.quantized_array((*columns)[q]);
    }
    view.end_object();
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
  view.key("endForces");
  view.begin_object();
  view.key("max");
  view.numbers(max, k_result_digits);
  view.key("min");
  view.numbers(min, k_result_digits);
  view.key("maxBy");
  view.integers(max_by);
  view.key("minBy");
  view.integers(min_by);
  view.end_object();

  std::vector<std::array<Extreme, k_quantities>> extremes(members);
  view.key("extremes");
  for (std::size_t m = 0; m < members; ++m)
    for (std::size_t q = 0; q < k_quantities; ++q) {
      const Bound& b = e.diagram[m][q];
      extremes[m][q] = {b.max, b.x_max, b.min, b.x_min};
    }
  write_extremes(view, extremes);
  view.key("extremesBy");
  view.begin_object();
  std::vector<std::size_t> by;
  for (std::size_t q = 0; q < k_quantities; ++q) {
    by.clear();
    for (std::size_t m = 0; m < members; ++m) by.insert(by.end(), {of[e.diagram[m][q].max_by], of[e.diagram[m][q].min_by]});
    view.key(k_quantity_names[q]);
    view.integers(by);
  }
  view.end_object();

  std::vector<double> stress;
  by.clear();
  for (std::size_t m = 0; m < members; ++m) {
    stress.insert(stress.end(), {e.stress_max[m].max, e.stress_max[m].x_max, e.stress_min[m].min,
                                 e.stress_min[m].x_min});
    by.insert(by.end(), {of[e.stress_max[m].max_by], of[e.stress_min[m].min_by]});
  }
  view.key("stress");
  view.numbers(stress, k_result_digits);
  view.key("stressBy");
  view.integers(by);
  view.end_object();
}

}  // namespace

std::vector<std::size_t> view_stations(std::size_t count, bool all) {
  if (!all) return {0, count - 1};
  std::vector<std::size_t> kept(count);
  std::iota(kept.begin(), kept.end(), std::size_t{0});
  return kept;
}

void write_view_sets(ViewJson& view, const Model& model, const AnalysisResult& r,
                     const DiagramBasis& basis, bool all_stations) {
  view.begin_array();
  std::map<std::string, std::size_t> index;
  for (std::size_t k = 0; k < basis.sets.size(); ++k) {
    write_analysed_set(view, model, r, basis, k, all_stations);
    index.emplace(basis.sets[k].name, k);
  }
  for (const Envelope& v : model.envelopes) write_envelope(view, model, r, basis, v, index, all_stations);
  view.end_array();
}

}  // namespace zervola::frame
