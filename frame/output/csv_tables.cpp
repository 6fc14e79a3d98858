#include <fmt/format.h>

#include <array>
#include <cmath>
#include <sstream>
#include <stdexcept>

#include "output/csv_field.hpp"
#include "output/diagram_output.hpp"
#include "output/drawn_member_output.hpp"
#include "output/release_key.hpp"
#include "output/text_out.hpp"
#include "zervola/frame.hpp"

namespace zervola::frame {
namespace {

// Doubles as the shortest text that reads back exactly.
std::string number(double v) { return fmt::format("{}", v); }

std::string six(const std::array<double, 6>& a) {
  return fmt::format("{},{},{},{},{},{}", number(a[0]), number(a[1]), number(a[2]), number(a[3]),
                     number(a[4]), number(a[5]));
}

// Every load case, then every combination.
std::vector<const CaseResult*> every_set(const AnalysisResult& r) {
  std::vector<const CaseResult*> sets;
  for (const CaseResult& c : r.cases) sets.push_back(&c);
  for (const CaseResult& c : r.combinations) sets.push_back(&c);
  return sets;
}

void nodes_csv(TextOut& t, const Model&, const AnalysisResult& r) {
  t.write("node,x,y,z\n");
  for (std::size_t n = 0; n < r.nodes.size(); ++n)
    t.print("{},{},{},{}\n", n + 1, number(r.nodes[n].x), number(r.nodes[n].y), number(r.nodes[n].z));
}

void members_csv(TextOut& t, const Model& model, const AnalysisResult& r) {
  t.write("member,section,start_node,end_node,length,release\n");
  for (std::size_t e = 0; e < model.members.size(); ++e)
    t.print("{},{},{},{},{},{}\n", csv_field(model.members[e].name), csv_field(model.members[e].section),
            r.members[e].start_node, r.members[e].end_node, number(r.members[e].length),
            release_key(model.members[e].release));
}

void displacements_csv(TextOut& t, const Model&, const AnalysisResult& r) {
  t.write("load_case,node,ux,uy,uz,rx,ry,rz\n");
  for (const CaseResult* c : every_set(r))
    for (std::size_t n = 0; n < c->displacements.size(); ++n)
      t.print("{},{},{}\n", csv_field(c->name), n + 1, six(c->displacements[n]));
}

void reactions_csv(TextOut& t, const Model&, const AnalysisResult& r) {
  t.write("load_case,node,Fx,Fy,Fz,Mx,My,Mz,support\n");
  for (const CaseResult* c : every_set(r))
    for (const Reaction& x : c->reactions)
      t.print("{},{},{},{}\n", csv_field(c->name), x.node, six(x.value), csv_field(x.support));
}

void end_forces_csv(TextOut& t, const Model& model, const AnalysisResult& r) {
  t.write("load_case,member,end,node,N,Vy,Vz,T,My,Mz\n");
  for (const CaseResult* c : every_set(r))
    for (std::size_t e = 0; e < c->end_forces.size(); ++e)
      for (std::size_t end = 0; end < 2; ++end) {
        std::array<double, 6> part{};
        for (std::size_t k = 0; k < 6; ++k) part[k] = c->end_forces[e][k + 6 * end];
        t.print("{},{},{},{},{}\n", csv_field(c->name), csv_field(model.members[e].name),
                end == 0 ? "start" : "end", end == 0 ? r.members[e].start_node : r.members[e].end_node,
                six(part));
      }
}

void stresses_csv(TextOut& t, const Model& model, const AnalysisResult& r) {
  t.write("load_case,member,max,min,x_max,x_min,end_max,end_min\n");
  for (const CaseResult* c : every_set(r))
    for (std::size_t e = 0; e < c->end_forces.size(); ++e)
      t.print("{},{},{},{},{},{},{},{}\n", csv_field(c->name), csv_field(model.members[e].name),
              number(c->stress_max[e]), number(c->stress_min[e]), number(c->stress_max_x[e]),
              number(c->stress_min_x[e]), number(c->end_stress_max[e]), number(c->end_stress_min[e]));
}

void equilibrium_csv(TextOut& t, const Model&, const AnalysisResult& r) {
  t.write("load_case,sum,Fx,Fy,Fz,Mx,My,Mz\n");
  for (const CaseResult* c : every_set(r)) {
    const Equilibrium& q = c->equilibrium;
    const auto row = [&](const char* what, const Vector3& f, const Vector3& m) {
      t.print("{},{},{}\n", csv_field(c->name), what, six({f[0], f[1], f[2], m[0], m[1], m[2]}));
    };
    row("applied", q.applied_force, q.applied_moment);
    row("reactions", q.reaction_force, q.reaction_moment);
    row("residual", q.force_residual, q.moment_residual);
  }
}

// One row per mode: its frequency and period (empty for a rigid-body
// mode, which has none), then per quantity the six directions X .. RZ.
void modes_csv(TextOut& t, const Model&, const AnalysisResult& r) {
  t.write("mode,eigenvalue,circular_frequency,frequency,period");
  for (const char* quantity :
       {"participation", "effective_mass", "effective_mass_ratio", "cumulative_ratio"})
    for (const char* d : k_participation_directions) t.print(",{}_{}", quantity, d);
  t.put('\n');
  if (!r.modal) return;
  for (const Mode& m : r.modal->modes)
    t.print("{},{},{},{},{},{},{},{},{}\n", m.number, number(m.eigenvalue),
            number(m.circular_frequency), number(m.frequency),
            std::isfinite(m.period) ? number(m.period) : "", six(m.participation),
            six(m.effective_mass), six(m.effective_mass_ratio), six(m.cumulative_ratio));
}

// Each mode's shape at every node, mass-normalised (the JSON's shape).
void mode_shapes_csv(TextOut& t, const Model&, const AnalysisResult& r) {
  t.write("mode,node,x,y,z,ux,uy,uz,rx,ry,rz\n");
  if (!r.modal) return;
  for (const Mode& m : r.modal->modes)
    for (std::size_t n = 0; n < m.shape.size(); ++n)
      t.print("{},{},{},{},{},{}\n", m.number, n + 1, number(r.nodes[n].x), number(r.nodes[n].y),
              number(r.nodes[n].z), six(m.shape[n]));
}

using TableWriter = void (*)(TextOut&, const Model&, const AnalysisResult&);

struct Table {
  const char* name;
  TableWriter write;
};

// Every table, in file-name order; envelopes.csv only with envelopes,
// drawn_members.csv only with members cut at crossings, member_diagrams.csv
// only with the stations, modes.csv and mode_shapes.csv only with modes.
std::vector<Table> tables_of(const Model& model, const ResultDetail& detail) {
  std::vector<Table> tables = {{"displacements.csv", displacements_csv}};
  if (!model.drawn_members.empty()) tables.push_back({"drawn_members.csv", write_drawn_members_csv});
  tables.push_back({"end_forces.csv", end_forces_csv});
  if (!model.envelopes.empty()) tables.push_back({"envelopes.csv", write_envelopes_csv});
  tables.push_back({"equilibrium.csv", equilibrium_csv});
  if (detail.stations) tables.push_back({"member_diagrams.csv", write_diagrams_csv});
  tables.push_back({"members.csv", members_csv});
  if (model.modal) {
    tables.push_back({"mode_shapes.csv", mode_shapes_csv});
    tables.push_back({"modes.csv", modes_csv});
  }
  tables.push_back({"nodes.csv", nodes_csv});
  tables.push_back({"reactions.csv", reactions_csv});
  tables.push_back({"stresses.csv", stresses_csv});
  return tables;
}

}  // namespace

std::vector<std::string> csv_table_names(const Model& model, const ResultDetail& detail) {
  std::vector<std::string> names;
  for (const Table& table : tables_of(model, detail)) names.emplace_back(table.name);
  return names;
}

void write_csv_table(std::ostream& out, const std::string& name, const Model& model,
                     const AnalysisResult& r) {
  for (const Table& table : tables_of(model, {}))
    if (name == table.name) {
      TextOut t(out);
      table.write(t, model, r);
      t.flush();
      return;
    }
  throw std::invalid_argument("no CSV table is named " + name);
}

std::map<std::string, std::string> format_csv_tables(const Model& model, const AnalysisResult& r,
                                                     const ResultDetail& detail) {
  std::map<std::string, std::string> tables;
  for (const std::string& name : csv_table_names(model, detail)) {
    std::ostringstream out;
    write_csv_table(out, name, model, r);
    tables[name] = std::move(out).str();
  }
  return tables;
}

}  // namespace zervola::frame
