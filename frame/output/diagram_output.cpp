#include "output/diagram_output.hpp"

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <algorithm>
#include <vector>

#include "output/csv_field.hpp"
#include "output/drawn_member_output.hpp"
#include "zervola/frame.hpp"
#include "zervola/frame/combinations.hpp"

namespace zervola::frame {
namespace {

using nlohmann::json;

std::string diagram_number(double v) { return fmt::format("{:.6g}", v); }

// Whether station n is the side just after a concentrated load of this
// load set: the second of the two stations a load point gives (every set
// shares the stations of every case's load points) where the set itself
// has a load. The last station includes what acts at the end, but is after
// no load unless one acts there.
bool after_point_load(const MemberDiagram& d, std::size_t n) {
  const std::vector<Station>& s = d.stations;
  const bool second = s[n].after && n > 0 && s[n - 1].x == s[n].x && !s[n - 1].after;
  return second && std::find(d.load_points.begin(), d.load_points.end(), s[n].x) != d.load_points.end();
}

}  // namespace

MemberDiagram member_set_diagram(const AnalysisResult& r, const DiagramBasis& basis,
                                 std::size_t set, std::size_t e) {
  MemberDiagram d;
  const MemberState state = member_state(r, basis.sets[set], e);
  d.stations = basis.stations[e];
  const BeamProperties& b = basis.beams[e];
  d.values = member_diagram(d.stations, state, b);
  d.extremes = member_extremes(d.stations, d.values, state);
  refine_displacement_extremes(d.extremes, d.stations, state, b);
  for (const PointAction& p : state.loads.concentrated) d.load_points.push_back(p.position);
  return d;
}

DiagramBasis diagram_basis(const Model& model, const AnalysisResult& r) {
  DiagramBasis basis;
  basis.sets = load_sets(model);
  for (std::size_t e = 0; e < model.members.size(); ++e) {
    basis.stations.push_back(member_stations(r, e));
    basis.beams.push_back(beam_properties(model, e, r.members[e].length));
  }
  return basis;
}

Bound largest_and_smallest(const Bound& high, const Bound& low) {
  Bound b = high;
  b.min = low.min;
  b.x_min = low.x_min;
  b.min_by = low.min_by;
  return b;
}

Bound stress_bounds(const EnvelopeResult& e, std::size_t member) {
  return largest_and_smallest(e.stress_max[member], e.stress_min[member]);
}

json bound_json(const Bound& b, const EnvelopeResult& e) {
  return {{"max", b.max}, {"x_max", b.x_max}, {"max_by", e.sets[b.max_by]},
          {"min", b.min}, {"x_min", b.x_min}, {"min_by", e.sets[b.min_by]}};
}

std::vector<std::size_t> shown_quantities(const Model& model) {
  if (model.frame == FrameKind::plane) return {0, 1, 5, 6, 7};
  return {0, 1, 2, 3, 4, 5, 6, 7, 8};
}

json diagram_json(const Model& model, const AnalysisResult& r, const DiagramBasis& basis,
                  std::size_t set, std::size_t e, bool stations) {
  const MemberDiagram d = member_set_diagram(r, basis, set, e);
  json m{{"member", model.members[e].name}};
  if (stations) {
    json x = json::array(), after = json::array();
    for (std::size_t n = 0; n < d.stations.size(); ++n) {
      x.push_back(d.stations[n].x);
      after.push_back(after_point_load(d, n));
    }
    m["x"] = x;
    m["after_point_load"] = after;
  }
  json extremes = json::object();
  for (std::size_t q = 0; q < k_quantities; ++q) {
    if (stations) {
      json column = json::array();
      for (const StationValues& v : d.values) column.push_back(v[q]);
      m[k_quantity_names[q]] = column;
    }
    const Extreme& x_q = d.extremes[q];
    extremes[k_quantity_names[q]] = {
        {"max", x_q.max}, {"x_max", x_q.x_max}, {"min", x_q.min}, {"x_min", x_q.x_min}};
  }
  m["extremes"] = extremes;
  return m;
}

void write_envelopes_json(JsonStream& doc, const Model& model, const AnalysisResult& r) {
  doc.begin_array();
  for (const Envelope& v : model.envelopes) {
    const EnvelopeResult e = envelope(model, r, v);
    const auto bounds = [&](const auto& list) {
      json max = json::array(), min = json::array(), max_by = json::array(), min_by = json::array();
      for (const Bound& b : list) {
        max.push_back(b.max);
        min.push_back(b.min);
        max_by.push_back(e.sets[b.max_by]);
        min_by.push_back(e.sets[b.min_by]);
      }
      return json{{"max", max}, {"max_by", max_by}, {"min", min}, {"min_by", min_by}};
    };
    // Keys in byte order, the long lists element by element.
    doc.begin_object();
    doc.key("combinations");
    doc.value(e.sets);
    doc.key("displacements");
    doc.begin_array();
    for (std::size_t n = 0; n < e.displacements.size(); ++n) {
      json j = bounds(e.displacements[n]);
      j["node"] = n + 1;
      doc.value(j);
    }
    doc.end_array();
    if (!model.drawn_members.empty()) {
      doc.key("drawn_members");
      doc.value(drawn_member_envelope_json(model, e));
    }
    doc.key("end_forces");
    doc.begin_array();
    for (std::size_t k = 0; k < e.end_forces.size(); ++k) {
      json j = bounds(e.end_forces[k]);
      j["member"] = model.members[k].name;
      j["stress_max"] = {{"max", e.stress_max[k].max},
                         {"x", e.stress_max[k].x_max},
                         {"by", e.sets[e.stress_max[k].max_by]}};
      j["stress_min"] = {{"min", e.stress_min[k].min},
                         {"x", e.stress_min[k].x_min},
                         {"by", e.sets[e.stress_min[k].min_by]}};
      doc.value(j);
    }
    doc.end_array();
    doc.key("member_extremes");
    doc.begin_array();
    for (std::size_t k = 0; k < e.end_forces.size(); ++k) {
      json dm{{"member", model.members[k].name}};
      for (std::size_t q = 0; q < k_quantities; ++q) dm[k_quantity_names[q]] = bound_json(e.diagram[k][q], e);
      doc.value(dm);
    }
    doc.end_array();
    doc.key("name");
    doc.value(e.name);
    doc.key("reactions");
    doc.begin_array();
    for (std::size_t n = 0; n < e.reactions.size(); ++n) {
      json j = bounds(e.reactions[n]);
      const Reaction& at_node = r.cases.front().reactions[n];
      j["node"] = at_node.node;
      if (!at_node.support.empty()) j["support"] = at_node.support;
      doc.value(j);
    }
    doc.end_array();
    doc.end_object();
  }
  doc.end_array();
}

void write_diagrams_csv(TextOut& t, const Model& model, const AnalysisResult& r) {
  t.write("load_set,member,x,after_point_load,N,Vy,Vz,T,My,Mz,u,v,w\n");
  const DiagramBasis basis = diagram_basis(model, r);
  for (std::size_t k = 0; k < basis.sets.size(); ++k)
    for (std::size_t e = 0; e < model.members.size(); ++e) {
      const MemberDiagram d = member_set_diagram(r, basis, k, e);
      for (std::size_t n = 0; n < d.stations.size(); ++n) {
        t.print("{},{},{},{}", csv_field(basis.sets[k].name), csv_field(model.members[e].name),
                d.stations[n].x, after_point_load(d, n) ? 1 : 0);
        for (double v : d.values[n]) t.print(",{}", v);
        t.write("\n");
      }
    }
}

void write_envelopes_csv(TextOut& t, const Model& model, const AnalysisResult& r) {
  t.write("envelope,member,quantity,max,x_max,max_by,min,x_min,min_by\n");
  for (const Envelope& v : model.envelopes) {
    const EnvelopeResult e = envelope(model, r, v);
    for (std::size_t k = 0; k < e.diagram.size(); ++k) {
      const auto row = [&](const char* quantity, const Bound& b) {
        t.print("{},{},{},{},{},{},{},{},{}\n", csv_field(e.name), csv_field(model.members[k].name),
                quantity, b.max, b.x_max, csv_field(e.sets[b.max_by]), b.min, b.x_min,
                csv_field(e.sets[b.min_by]));
      };
      row("stress", stress_bounds(e, k));
      for (std::size_t q = 0; q < k_quantities; ++q) row(k_quantity_names[q], e.diagram[k][q]);
    }
  }
}

void write_extremes_report(TextOut& t, const Model& model, const AnalysisResult& r,
                           const DiagramBasis& basis, std::size_t set) {
  t.write("  Internal forces and deflections along the members: largest (at x) and smallest (at x)\n");
  const std::vector<std::size_t> shown = shown_quantities(model);
  for (std::size_t e = 0; e < model.members.size(); ++e) {
    const MemberDiagram d = member_set_diagram(r, basis, set, e);
    for (std::size_t k = 0; k < shown.size(); ++k) {
      const Extreme& x = d.extremes[shown[k]];
      t.print("  {:<10} {:<3} {:>13} ({:>8}) {:>13} ({:>8})\n", k == 0 ? model.members[e].name : "",
              k_quantity_names[shown[k]], diagram_number(x.max), diagram_number(x.x_max), diagram_number(x.min), diagram_number(x.x_min));
    }
  }
  t.write("\n");
}

void write_envelope_report(TextOut& t, const Model& model, const AnalysisResult& r, const Envelope& v) {
  const EnvelopeResult e = envelope(model, r, v);
  t.print("Envelope \"{}\" over {}\n\n", e.name, fmt::join(e.sets, ", "));
  t.write("  Along the members: largest (at x, by) and smallest (at x, by)\n");
  const std::vector<std::size_t> shown = shown_quantities(model);
  for (std::size_t k = 0; k < e.diagram.size(); ++k) {
    const auto line = [&](bool first, const char* quantity, const Bound& b) {
      t.print("  {:<10} {:<6} {:>13} ({:>8}, {}) {:>13} ({:>8}, {})\n", first ? model.members[k].name : "",
              quantity, diagram_number(b.max), diagram_number(b.x_max), e.sets[b.max_by], diagram_number(b.min), diagram_number(b.x_min),
              e.sets[b.min_by]);
    };
    line(true, "stress", stress_bounds(e, k));
    for (std::size_t q : shown) line(false, k_quantity_names[q], e.diagram[k][q]);
  }
  write_drawn_member_envelope_report(t, model, e);
  t.write("\n");
}

}  // namespace zervola::frame
