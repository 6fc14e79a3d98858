#include "zervola/frame.hpp"

#include <fmt/format.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>

#include "output/diagram_output.hpp"
#include "output/drawn_member_output.hpp"
#include "output/json_stream.hpp"
#include "output/release_key.hpp"

namespace zervola::frame {
namespace {

// The solver used and what each was predicted to cost (null: not counted).
nlohmann::json solver_json(const SolverSummary& s) {
  const auto cost = [](double flops, double bytes) {
    return flops > 0.0 ? nlohmann::json{{"flops", flops}, {"bytes", bytes}} : nlohmann::json(nullptr);
  };
  nlohmann::json supernodal = cost(s.supernodal_flops, s.supernodal_bytes);
  if (!supernodal.is_null()) supernodal["working_bytes"] = s.supernodal_working_bytes;
  return {{"used", s.used == SolverChoice::supernodal ? "supernodal" : "skyline"},
          {"forced", s.forced},
          {"skyline_addressable", s.skyline_addressable},
          {"skyline_fits_memory", s.skyline_fits_memory},
          {"skyline", cost(s.skyline_flops, s.skyline_bytes)},
          {"supernodal", supernodal}};
}

using nlohmann::json;

json vec(const Vector3& v) { return json::array({v[0], v[1], v[2]}); }

template <std::size_t N>
json values(const std::array<double, N>& a) {
  json out = json::array();
  for (double v : a) out.push_back(v);
  return out;
}

json equilibrium_json(const Equilibrium& q) {
  return {{"applied_force", vec(q.applied_force)},
          {"applied_moment", vec(q.applied_moment)},
          {"reaction_force", vec(q.reaction_force)},
          {"reaction_moment", vec(q.reaction_moment)},
          {"force_residual", vec(q.force_residual)},
          {"moment_residual", vec(q.moment_residual)},
          {"relative_force_residual", q.relative_force_residual},
          {"relative_moment_residual", q.relative_moment_residual},
          {"moments_about", vec({0.0, 0.0, 0.0})}};
}

json numbering_json(const NumberingSize& n) {
  return {{"node_bandwidth", n.node_bandwidth},
          {"profile_length", n.profile_length},
          {"largest_column", n.max_column_height},
          {"squared_column_heights", n.squared_column_heights}};
}

// The six directions of participation as an object: {"X": .., ..., "RZ": ..}.
json directions(const std::array<double, 6>& a) {
  json out = json::object();
  for (std::size_t d = 0; d < a.size(); ++d) out[k_participation_directions[d]] = a[d];
  return out;
}

json mode_json(const Mode& m) {
  json shape = json::array();
  for (const auto& node : m.shape) shape.push_back(values(node));
  return {{"number", m.number},
          {"eigenvalue", m.eigenvalue},
          {"circular_frequency", m.circular_frequency},
          {"frequency", m.frequency},
          // A rigid-body mode never returns: no period.
          {"period", std::isfinite(m.period) ? json(m.period) : json(nullptr)},
          {"participation", directions(m.participation)},
          {"effective_mass", directions(m.effective_mass)},
          {"effective_mass_ratio", directions(m.effective_mass_ratio)},
          {"cumulative_ratio", directions(m.cumulative_ratio)},
          {"shape", std::move(shape)},
          {"drawing_scale", m.drawing_scale}};
}

json modal_json(const ModalResult& m, bool timings) {
  json from_loads = json::array();
  for (const auto& [load_case, mass] : m.mass.from_loads)
    from_loads.push_back({{"case", load_case}, {"mass", mass}});
  json eigensolver = {{"shift", m.shift},
                      {"basis_size", m.basis_size},
                      {"vectors_substituted", m.vectors_substituted},
                      {"factorisations", m.factorisations}};
  if (timings) eigensolver["seconds"] = m.seconds;
  return {{"mass_matrix", m.mass_matrix == MassMatrix::lumped ? "lumped" : "consistent"},
          {"mass", {{"members", m.mass.members},
                    {"points", m.mass.points},
                    {"from_loads", std::move(from_loads)},
                    {"total", m.mass.total}}},
          {"movable_mass", directions(m.movable_mass)},
          {"directions_with_mass", m.directions_with_mass},
          {"sturm", {{"shift", m.sturm_shift},
                     {"negative_pivots", m.sturm_count},
                     {"found_below", m.found_below}}},
          {"eigensolver", std::move(eigensolver)}};
}

json buckling_json(const BucklingSet& b, bool timings) {
  json factors = json::array();
  json modes = json::array();
  for (const BucklingMode& m : b.modes) {
    factors.push_back(m.factor);
    json shape = json::array();
    for (std::size_t n = 0; n < m.shape.size(); ++n) {
      const auto& u = m.shape[n];
      shape.push_back({{"node", n + 1}, {"ux", u[0]}, {"uy", u[1]}, {"uz", u[2]},
                       {"rx", u[3]}, {"ry", u[4]}, {"rz", u[5]}});
    }
    modes.push_back({{"mode", m.number},
                     {"factor", m.factor},
                     {"shape", std::move(shape)},
                     {"drawing_scale", m.drawing_scale}});
  }
  json members = json::array();
  for (const BucklingMember& m : b.members)
    members.push_back({{"member", m.name},
                       {"N_Ed", m.axial_force},
                       {"N_cr", m.critical_force},
                       {"buckling_length_y", m.buckling_length_y},
                       {"buckling_length_z", m.buckling_length_z}});
  json out = {{"set", b.set},
              {"kind", b.combination ? "combination" : "load_case"},
              {"compression", b.compression},
              {"factors", std::move(factors)},
              {"modes", std::move(modes)},
              {"members", std::move(members)},
              {"sturm", {{"shift", b.sturm_shift},
                         {"negative_pivots", b.sturm_count},
                         {"found_below", b.found_below}}}};
  if (timings) out["seconds"] = b.seconds;
  return out;
}

json second_order_json(const SecondOrderSet& s) {
  json out = {{"set", s.set},
              {"kind", s.combination ? "combination" : "load_case"},
              {"iterations", s.iterations},
              {"change", s.change},
              {"alpha_cr", s.compression ? json(s.critical_factor) : json(nullptr)},
              {"first_order_displacement", s.first_order_displacement},
              {"second_order_displacement", s.second_order_displacement},
              {"amplification", s.amplification},
              {"node", s.node},
              {"p_delta_moment", {s.p_delta_moment[0], s.p_delta_moment[1], s.p_delta_moment[2]}}};
  if (s.imperfection)
    out["imperfection"] = {{"direction", s.imperfection_direction == 0 ? "X" : "Y"},
                           {"phi", s.imperfection_phi},
                           {"force", s.imperfection_force}};
  return out;
}

const char* modal_combination_name(ModalCombination c) {
  return c == ModalCombination::srss ? "SRSS" : "CQC";
}

const char* directional_combination_name(DirectionalCombination c) {
  return c == DirectionalCombination::rule_100_30 ? "100/30" : "SRSS";
}

json spectrum_request_json(const SpectrumRequest& q) {
  json spectrum;
  if (q.spectrum.shape == SpectrumShape::table) {
    json table = json::array();
    for (const auto& point : q.spectrum.table) table.push_back({point[0], point[1]});
    spectrum["table"] = std::move(table);
  } else {
    const Ec8Spectrum& e = q.spectrum.ec8;
    spectrum["ec8"] = {{"type", e.type}, {"ground", std::string(1, e.ground_type)}, {"ag", e.ag}};
    if (q.spectrum.shape == SpectrumShape::ec8_design) {
      spectrum["ec8"]["q"] = e.behaviour_factor;
      spectrum["ec8"]["beta"] = e.lower_bound_factor;
    }
  }
  json directions = json::array();
  for (std::size_t d = 0; d < 3; ++d)
    if (q.directions[d]) directions.push_back(std::string(1, "XYZ"[d]));
  spectrum["damping"] = q.spectrum.damping;
  spectrum["directions"] = std::move(directions);
  spectrum["modal_combination"] = modal_combination_name(q.modal);
  spectrum["directional_combination"] = directional_combination_name(q.directional);
  return spectrum;
}

// The response to the spectrum: every value a magnitude.
void write_spectrum(JsonStream& doc, const SpectrumResult& s, bool stations) {
  doc.begin_object();
  doc.key("base_shear");
  doc.value({{"X", s.base_shear[0]}, {"Y", s.base_shear[1]}, {"Z", s.base_shear[2]}});
  doc.key("displacements");
  doc.begin_array();
  for (std::size_t n = 0; n < s.displacements.size(); ++n)
    doc.value({{"node", n + 1}, {"u", values(s.displacements[n])}});
  doc.end_array();
  doc.key("members");
  doc.begin_array();
  for (std::size_t e = 0; e < s.end_forces.size(); ++e) {
    json member = {{"member", e + 1},
                   {"end_forces", values(s.end_forces[e])},
                   {"end_displacements", values(s.end_displacements[e])},
                   {"stress_bound", s.stress_bound[e]},
                   {"stress_bound_x", s.stress_bound_x[e]}};
    if (stations) {
      json rows = json::array();
      for (std::size_t t = 0; t < s.station_x[e].size(); ++t) {
        json row = {{"x", s.station_x[e][t]}};
        for (std::size_t q = 0; q < k_quantities; ++q) row[k_quantity_names[q]] = s.station_values[e][t][q];
        rows.push_back(std::move(row));
      }
      member["stations"] = std::move(rows);
    }
    doc.value(member);
  }
  doc.end_array();
  doc.key("modes");
  doc.begin_array();
  for (const SpectrumModeResponse& m : s.modes)
    doc.value({{"mode", m.mode},
               {"period", m.period},
               {"acceleration", {{"X", m.acceleration[0]}, {"Y", m.acceleration[1]}, {"Z", m.acceleration[2]}}},
               {"outside_spectrum", m.outside_spectrum},
               {"base_shear", {{"X", m.base_shear[0]}, {"Y", m.base_shear[1]}, {"Z", m.base_shear[2]}}}});
  doc.end_array();
  doc.key("name");
  doc.value(s.request.name);
  doc.key("reactions");
  doc.begin_array();
  for (std::size_t k = 0; k < s.reactions.size(); ++k)
    doc.value({{"node", s.reaction_nodes[k]}, {"r", values(s.reactions[k])}});
  doc.end_array();
  doc.key("spectrum");
  doc.value(spectrum_request_json(s.request));
  doc.end_object();
}

}  // namespace

void write_json_results(std::ostream& out, const Model& model, const AnalysisResult& r,
                        const ResultDetail& detail) {
  // Keys in byte order, as the whole document would have them; the long
  // lists go element by element.
  JsonStream doc(out);
  const DiagramBasis basis = diagram_basis(model, r);
  const auto write_set = [&](const CaseResult& c, std::size_t set) {
    doc.begin_object();
    doc.key("displacements");
    doc.begin_array();
    for (std::size_t n = 0; n < c.displacements.size(); ++n)
      doc.value({{"node", n + 1}, {"u", values(c.displacements[n])}});
    doc.end_array();
    if (!model.drawn_members.empty()) {
      doc.key("drawn_members");
      doc.value(drawn_member_results_json(model, r, set));
    }
    doc.key("end_forces");
    doc.begin_array();
    for (std::size_t e = 0; e < c.end_forces.size(); ++e)
      doc.value({{"member", model.members[e].name}, {"f", values(c.end_forces[e])}});
    doc.end_array();
    doc.key("equilibrium");
    doc.value(equilibrium_json(c.equilibrium));
    doc.key("member_diagrams");
    doc.begin_array();
    for (std::size_t e = 0; e < model.members.size(); ++e) doc.value(diagram_json(model, r, basis, set, e, detail.stations));
    doc.end_array();
    doc.key("name");
    doc.value(c.name);
    doc.key("reactions");
    doc.begin_array();
    for (const Reaction& x : c.reactions) {
      json reaction = {{"node", x.node}, {"r", values(x.value)}};
      if (!x.support.empty()) reaction["support"] = x.support;
      doc.value(reaction);
    }
    doc.end_array();
    doc.key("stresses");
    doc.begin_array();
    for (std::size_t e = 0; e < c.end_forces.size(); ++e)
      doc.value({{"member", model.members[e].name},
                 {"max", c.stress_max[e]},
                 {"min", c.stress_min[e]},
                 {"x_max", c.stress_max_x[e]},
                 {"x_min", c.stress_min_x[e]},
                 {"end_max", c.end_stress_max[e]},
                 {"end_min", c.end_stress_min[e]}});
    doc.end_array();
    doc.end_object();
  };

  doc.begin_object();
  if (model.buckling) {
    // A set at a time: its shapes hold every node.
    doc.key("buckling");
    doc.begin_array();
    for (const BucklingSet& b : r.buckling) doc.value(buckling_json(b, detail.timings));
    doc.end_array();
  }
  if (!r.combinations.empty()) {
    doc.key("combinations");
    doc.begin_array();
    for (std::size_t k = 0; k < r.combinations.size(); ++k) write_set(r.combinations[k], r.cases.size() + k);
    doc.end_array();
  }
  doc.key("connect_crossings");
  doc.value(model.connect_crossings);
  if (!model.drawn_members.empty()) {
    doc.key("drawn_members");
    doc.value(drawn_members_json(model));
  }
  if (!model.envelopes.empty()) {
    doc.key("envelopes");
    write_envelopes_json(doc, model, r);
  }
  doc.key("frame");
  doc.value(model.frame == FrameKind::plane ? "plane" : "space");
  doc.key("load_cases");
  doc.begin_array();
  for (std::size_t k = 0; k < r.cases.size(); ++k) write_set(r.cases[k], k);
  doc.end_array();
  doc.key("members");
  doc.begin_array();
  for (std::size_t e = 0; e < model.members.size(); ++e) {
    const Member& m = model.members[e];
    const MemberGeometry& g = r.members[e];
    doc.value({{"name", m.name},
               {"section", m.section},
               {"start_node", g.start_node},
               {"end_node", g.end_node},
               {"length", g.length},
               {"release", release_key(m.release)},
               {"local_axes", {{"x", vec(g.axes[0])}, {"y", vec(g.axes[1])}, {"z", vec(g.axes[2])}}}});
  }
  doc.end_array();
  doc.key("mesh");
  doc.value({{"nodes", r.mesh.n_nodes},
             {"equations", r.mesh.n_equations},
             {"node_bandwidth", {{"before", r.mesh.bandwidth_before}, {"after", r.mesh.bandwidth_after}}},
             {"profile_length", {{"before", r.mesh.profile_before}, {"after", r.mesh.profile_after}}},
             {"largest_column", {{"before", r.mesh.column_height_before},
                                 {"after", r.mesh.column_height_after}}},
             {"numbering", r.mesh.numbering == NumberingChoice::profile ? "profile" : "band"},
             {"numberings", {{"band", numbering_json(r.mesh.band)},
                             {"profile", numbering_json(r.mesh.profile_reducing)}}},
             {"solver", solver_json(r.mesh.solver)}});
  if (r.modal) {
    doc.key("modal");
    doc.value(modal_json(*r.modal, detail.timings));
  }
  doc.key("model");
  doc.value(model.source_file);
  if (r.modal) {
    // A mode at a time: its shape holds every node.
    doc.key("modes");
    doc.begin_array();
    for (const Mode& m : r.modal->modes) doc.value(mode_json(m));
    doc.end_array();
  }
  doc.key("nodes");
  doc.begin_array();
  for (std::size_t n = 0; n < r.nodes.size(); ++n)
    doc.value({{"node", n + 1}, {"x", r.nodes[n].x}, {"y", r.nodes[n].y}, {"z", r.nodes[n].z}});
  doc.end_array();
  doc.key("program");
  doc.value("zervola-frame");
  if (!r.second_order.empty()) {
    doc.key("second_order");
    doc.begin_array();
    for (const SecondOrderSet& s : r.second_order) doc.value(second_order_json(s));
    doc.end_array();
  }
  doc.key("sections");
  doc.begin_array();
  for (const Section& s : model.sections) {
    json section = {{"name", s.name},           {"E", s.elastic_modulus},
                    {"G", s.shear_modulus},     {"A", s.area},
                    {"It", s.torsion_constant}, {"Iy", s.inertia_y},
                    {"Iz", s.inertia_z},        {"extent_y", s.extent_y},
                    {"extent_z", s.extent_z},   {"thermal_coefficient", s.thermal_coefficient}};
    if (s.density) section["density"] = *s.density;
    if (!s.profile.empty()) section["profile"] = s.profile;
    if (!s.shape.empty()) section["shape"] = s.shape;
    if (!s.material.empty()) section["material"] = s.material;
    doc.value(section);
  }
  doc.end_array();
  doc.key("sign_convention");
  doc.value(sign_convention_text());
  if (r.spectrum) {
    doc.key("spectrum");
    write_spectrum(doc, *r.spectrum, detail.stations);
  }
  doc.key("stress_unit");
  doc.value(fmt::format("{}/{}^2", model.units.force, model.units.length));
  doc.key("title");
  doc.value(model.title);
  doc.key("units");
  doc.value({{"force", model.units.force}, {"length", model.units.length}});
  doc.key("warnings");
  doc.begin_array();
  for (const Warning& w : r.warnings) doc.value({{"code", w.code}, {"message", w.message}, {"items", w.items}});
  doc.end_array();
  doc.end_object();
  out << '\n';
}

std::string format_json_results(const Model& model, const AnalysisResult& r,
                                const ResultDetail& detail) {
  std::ostringstream out;
  write_json_results(out, model, r, detail);
  return std::move(out).str();
}

}  // namespace zervola::frame
