#include "zervola/frame.hpp"

#include <fmt/format.h>

#include <nlohmann/json.hpp>

#include "output/csv_field.hpp"
#include "output/diagram_output.hpp"
#include "output/drawn_member_output.hpp"

namespace zervola::frame {
namespace {

using nlohmann::json;

const char* release_key(Release r) {
  switch (r) {
    case Release::none: return "none";
    case Release::hinge_start: return "hinge_start";
    case Release::hinge_end: return "hinge_end";
    case Release::pinned: return "pinned";
  }
  return "";
}

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

std::string number(double v) { return fmt::format("{}", v); }

json numbering_json(const NumberingSize& n) {
  return {{"node_bandwidth", n.node_bandwidth},
          {"profile_length", n.profile_length},
          {"largest_column", n.max_column_height},
          {"squared_column_heights", n.squared_column_heights}};
}

}  // namespace

std::string format_json_results(const Model& model, const AnalysisResult& r) {
  json doc;
  doc["program"] = "zervola-frame";
  doc["model"] = model.source_file;
  doc["title"] = model.title;
  doc["units"] = {{"force", model.units.force}, {"length", model.units.length}};
  doc["frame"] = model.frame == FrameKind::plane ? "plane" : "space";
  doc["mesh"] = {{"nodes", r.mesh.n_nodes},
                 {"equations", r.mesh.n_equations},
                 {"node_bandwidth", {{"before", r.mesh.bandwidth_before}, {"after", r.mesh.bandwidth_after}}},
                 {"profile_length", {{"before", r.mesh.profile_before}, {"after", r.mesh.profile_after}}},
                 {"largest_column", {{"before", r.mesh.column_height_before},
                                     {"after", r.mesh.column_height_after}}},
                 {"numbering", r.mesh.numbering == NumberingChoice::profile ? "profile" : "band"},
                 {"numberings", {{"band", numbering_json(r.mesh.band)},
                                 {"profile", numbering_json(r.mesh.profile_reducing)}}}};
  json warnings = json::array();
  for (const Warning& w : r.warnings)
    warnings.push_back({{"code", w.code}, {"message", w.message}, {"items", w.items}});
  doc["warnings"] = warnings;
  json sections = json::array();
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
    sections.push_back(std::move(section));
  }
  doc["sections"] = sections;
  json nodes = json::array();
  for (std::size_t n = 0; n < r.nodes.size(); ++n)
    nodes.push_back({{"node", n + 1}, {"x", r.nodes[n].x}, {"y", r.nodes[n].y}, {"z", r.nodes[n].z}});
  doc["nodes"] = nodes;
  json members = json::array();
  for (std::size_t e = 0; e < model.members.size(); ++e) {
    const Member& m = model.members[e];
    const MemberGeometry& g = r.members[e];
    members.push_back({{"name", m.name},
                       {"section", m.section},
                       {"start_node", g.start_node},
                       {"end_node", g.end_node},
                       {"length", g.length},
                       {"release", release_key(m.release)},
                       {"local_axes", {{"x", vec(g.axes[0])}, {"y", vec(g.axes[1])}, {"z", vec(g.axes[2])}}}});
  }
  doc["members"] = members;
  if (!model.drawn_members.empty()) doc["drawn_members"] = drawn_members_json(model);
  doc["sign_convention"] = sign_convention_text();
  doc["stress_unit"] = fmt::format("{}/{}^2", model.units.force, model.units.length);
  const auto set_json = [&](const CaseResult& c, std::size_t set) {
    json d = json::array(), re = json::array(), f = json::array(), s = json::array();
    for (std::size_t n = 0; n < c.displacements.size(); ++n)
      d.push_back({{"node", n + 1}, {"u", values(c.displacements[n])}});
    for (const Reaction& x : c.reactions) {
      json reaction = {{"node", x.node}, {"r", values(x.value)}};
      if (!x.support.empty()) reaction["support"] = x.support;
      re.push_back(std::move(reaction));
    }
    for (std::size_t e = 0; e < c.end_forces.size(); ++e) {
      f.push_back({{"member", model.members[e].name}, {"f", values(c.end_forces[e])}});
      s.push_back({{"member", model.members[e].name},
                   {"max", c.stress_max[e]},
                   {"min", c.stress_min[e]},
                   {"x_max", c.stress_max_x[e]},
                   {"x_min", c.stress_min_x[e]},
                   {"end_max", c.end_stress_max[e]},
                   {"end_min", c.end_stress_min[e]}});
    }
    json out{{"name", c.name},
             {"displacements", d},
             {"reactions", re},
             {"end_forces", f},
             {"stresses", s},
             {"equilibrium", equilibrium_json(c.equilibrium)},
             {"member_diagrams", diagrams_json(model, r, set)}};
    if (!model.drawn_members.empty()) out["drawn_members"] = drawn_member_results_json(model, r, set);
    return out;
  };
  json cases = json::array(), combinations = json::array();
  for (std::size_t k = 0; k < r.cases.size(); ++k) cases.push_back(set_json(r.cases[k], k));
  for (std::size_t k = 0; k < r.combinations.size(); ++k)
    combinations.push_back(set_json(r.combinations[k], r.cases.size() + k));
  doc["load_cases"] = cases;
  if (!r.combinations.empty()) doc["combinations"] = combinations;
  if (!model.envelopes.empty()) doc["envelopes"] = envelopes_json(model, r);
  return doc.dump(1) + "\n";
}

std::vector<std::string> csv_table_names(const Model& model) {
  std::vector<std::string> names = {"nodes.csv",      "members.csv",  "displacements.csv",
                                    "reactions.csv",  "end_forces.csv", "stresses.csv",
                                    "equilibrium.csv", "member_diagrams.csv"};
  if (!model.envelopes.empty()) names.emplace_back("envelopes.csv");
  if (!model.drawn_members.empty()) names.emplace_back("drawn_members.csv");
  return names;
}

std::map<std::string, std::string> format_csv_tables(const Model& model, const AnalysisResult& r) {
  std::map<std::string, std::string> t;
  std::string& nodes = t["nodes.csv"];
  nodes = "node,x,y,z\n";
  for (std::size_t n = 0; n < r.nodes.size(); ++n)
    nodes += fmt::format("{},{},{},{}\n", n + 1, number(r.nodes[n].x), number(r.nodes[n].y),
                         number(r.nodes[n].z));
  std::string& members = t["members.csv"];
  members = "member,section,start_node,end_node,length,release\n";
  for (std::size_t e = 0; e < model.members.size(); ++e)
    members += fmt::format("{},{},{},{},{},{}\n", csv_field(model.members[e].name),
                           csv_field(model.members[e].section), r.members[e].start_node,
                           r.members[e].end_node, number(r.members[e].length),
                           release_key(model.members[e].release));
  std::string& disp = t["displacements.csv"];
  disp = "load_case,node,ux,uy,uz,rx,ry,rz\n";
  std::string& reac = t["reactions.csv"];
  reac = "load_case,node,Fx,Fy,Fz,Mx,My,Mz,support\n";
  std::string& forces = t["end_forces.csv"];
  forces = "load_case,member,end,node,N,Vy,Vz,T,My,Mz\n";
  std::string& stress = t["stresses.csv"];
  stress = "load_case,member,max,min,x_max,x_min,end_max,end_min\n";
  std::string& eq = t["equilibrium.csv"];
  eq = "load_case,sum,Fx,Fy,Fz,Mx,My,Mz\n";
  const auto six = [](const std::array<double, 6>& a) {
    return fmt::format("{},{},{},{},{},{}", number(a[0]), number(a[1]), number(a[2]),
                       number(a[3]), number(a[4]), number(a[5]));
  };
  std::vector<const CaseResult*> sets;
  for (const CaseResult& c : r.cases) sets.push_back(&c);
  for (const CaseResult& c : r.combinations) sets.push_back(&c);
  t["member_diagrams.csv"] = diagrams_csv(model, r);
  if (!model.envelopes.empty()) t["envelopes.csv"] = envelopes_csv(model, r);
  if (!model.drawn_members.empty()) t["drawn_members.csv"] = drawn_members_csv(model, r);
  for (const CaseResult* set : sets) {
    const CaseResult& c = *set;
    const std::string name = csv_field(c.name);
    for (std::size_t n = 0; n < c.displacements.size(); ++n)
      disp += fmt::format("{},{},{}\n", name, n + 1, six(c.displacements[n]));
    for (const Reaction& x : c.reactions)
      reac += fmt::format("{},{},{},{}\n", name, x.node, six(x.value), csv_field(x.support));
    for (std::size_t e = 0; e < c.end_forces.size(); ++e) {
      for (std::size_t end = 0; end < 2; ++end) {
        std::array<double, 6> part{};
        for (std::size_t k = 0; k < 6; ++k) part[k] = c.end_forces[e][k + 6 * end];
        forces += fmt::format("{},{},{},{},{}\n", name, csv_field(model.members[e].name),
                              end == 0 ? "start" : "end",
                              end == 0 ? r.members[e].start_node : r.members[e].end_node, six(part));
      }
      stress += fmt::format("{},{},{},{},{},{},{},{}\n", name, csv_field(model.members[e].name),
                            number(c.stress_max[e]), number(c.stress_min[e]),
                            number(c.stress_max_x[e]), number(c.stress_min_x[e]),
                            number(c.end_stress_max[e]), number(c.end_stress_min[e]));
    }
    const Equilibrium& q = c.equilibrium;
    const auto row = [&](const char* what, const Vector3& f, const Vector3& m) {
      eq += fmt::format("{},{},{}\n", name, what,
                        six({f[0], f[1], f[2], m[0], m[1], m[2]}));
    };
    row("applied", q.applied_force, q.applied_moment);
    row("reactions", q.reaction_force, q.reaction_moment);
    row("residual", q.force_residual, q.moment_residual);
  }
  return t;
}

}  // namespace zervola::frame
