#include <fmt/format.h>

#include <algorithm>
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

// One row per buckling set and factor: the critical load factor and the
// Sturm check's figures.
void buckling_csv(TextOut& t, const Model&, const AnalysisResult& r) {
  t.write("set,kind,mode,alpha_cr,sturm_shift,sturm_negative_pivots,sturm_found_below\n");
  for (const BucklingSet& b : r.buckling) {
    const char* kind = b.combination ? "combination" : "load_case";
    if (b.modes.empty()) t.print("{},{},,,,,\n", csv_field(b.set), kind);
    for (const BucklingMode& m : b.modes)
      t.print("{},{},{},{},{},{},{}\n", csv_field(b.set), kind, m.number, number(m.factor),
              number(b.sturm_shift), b.sturm_count, b.found_below);
  }
}

// One row per buckling set and member in compression: N_Ed, N_cr and the
// buckling lengths about the local y and z axes (lowest factor).
void buckling_members_csv(TextOut& t, const Model&, const AnalysisResult& r) {
  t.write("set,member,N_Ed,N_cr,buckling_length_y,buckling_length_z\n");
  for (const BucklingSet& b : r.buckling)
    for (const BucklingMember& m : b.members)
      t.print("{},{},{},{},{},{}\n", csv_field(b.set), csv_field(m.name), number(m.axial_force),
              number(m.critical_force), number(m.buckling_length_y), number(m.buckling_length_z));
}

// One row per second-order set.
void second_order_csv(TextOut& t, const Model&, const AnalysisResult& r) {
  t.write("set,kind,iterations,change,alpha_cr,first_order_displacement,"
          "second_order_displacement,amplification,node,imperfection_direction,"
          "imperfection_phi,imperfection_force\n");
  for (const SecondOrderSet& s : r.second_order)
    t.print("{},{},{},{},{},{},{},{},{},{},{},{}\n", csv_field(s.set),
            s.combination ? "combination" : "load_case", s.iterations, number(s.change),
            s.compression ? number(s.critical_factor) : "", number(s.first_order_displacement),
            number(s.second_order_displacement), number(s.amplification), s.node,
            s.imperfection ? (s.imperfection_direction == 0 ? "X" : "Y") : "",
            s.imperfection ? number(s.imperfection_phi) : "",
            s.imperfection ? number(s.imperfection_force) : "");
}

// The response spectrum, one row per mode combined: its period, the
// spectrum's acceleration along each direction and its base shear.
void seismic_modes_csv(TextOut& t, const Model&, const AnalysisResult& r) {
  t.write("mode,period,outside_spectrum,acceleration_X,acceleration_Y,acceleration_Z,"
          "base_shear_X,base_shear_Y,base_shear_Z\n");
  if (!r.spectrum) return;
  for (const SpectrumModeResponse& m : r.spectrum->modes)
    t.print("{},{},{},{},{},{},{},{},{}\n", m.mode, number(m.period), m.outside_spectrum ? 1 : 0,
            number(m.acceleration[0]), number(m.acceleration[1]), number(m.acceleration[2]),
            number(m.base_shear[0]), number(m.base_shear[1]), number(m.base_shear[2]));
}

// The spectrum's magnitudes at the nodes: displacements, and the reactions
// of the supported nodes (empty elsewhere).
void seismic_nodes_csv(TextOut& t, const Model&, const AnalysisResult& r) {
  t.write("node,ux,uy,uz,rx,ry,rz,Rx,Ry,Rz,Mx,My,Mz\n");
  if (!r.spectrum) return;
  const SpectrumResult& s = *r.spectrum;
  std::vector<const std::array<double, 6>*> reaction(s.displacements.size(), nullptr);
  for (std::size_t k = 0; k < s.reactions.size(); ++k)
    reaction[static_cast<std::size_t>(s.reaction_nodes[k] - 1)] = &s.reactions[k];
  for (std::size_t n = 0; n < s.displacements.size(); ++n)
    t.print("{},{},{}\n", n + 1, six(s.displacements[n]),
            reaction[n] != nullptr ? six(*reaction[n]) : std::string(",,,,,"));
}

// The spectrum's magnitudes of each member's end forces (local axes) and
// the bound of its normal stress.
void seismic_members_csv(TextOut& t, const Model& model, const AnalysisResult& r) {
  t.write("member,N_1,Vy_1,Vz_1,Mx_1,My_1,Mz_1,N_2,Vy_2,Vz_2,Mx_2,My_2,Mz_2,stress_bound,"
          "stress_bound_x\n");
  if (!r.spectrum) return;
  const SpectrumResult& s = *r.spectrum;
  for (std::size_t e = 0; e < s.end_forces.size(); ++e) {
    t.print("{}", csv_field(model.members[e].name));
    for (double v : s.end_forces[e]) t.print(",{}", number(v));
    t.print(",{},{}\n", number(s.stress_bound[e]), number(s.stress_bound_x[e]));
  }
}

using TableWriter = void (*)(TextOut&, const Model&, const AnalysisResult&);

struct Table {
  const char* name;
  TableWriter write;
};

// Every table, in file-name order; envelopes.csv only with envelopes,
// drawn_members.csv only with members cut at crossings, member_diagrams.csv
// only with the stations, modes.csv and mode_shapes.csv only with modes,
// spectrum_*.csv only with a response spectrum.
std::vector<Table> tables_of(const Model& model, const ResultDetail& detail) {
  std::vector<Table> tables;
  if (model.buckling) {
    tables.push_back({"buckling.csv", buckling_csv});
    tables.push_back({"buckling_members.csv", buckling_members_csv});
  }
  tables.push_back({"displacements.csv", displacements_csv});
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
  if (std::any_of(model.load_cases.begin(), model.load_cases.end(),
                  [](const LoadCase& c) { return c.second_order; }) ||
      std::any_of(model.combinations.begin(), model.combinations.end(),
                  [](const Combination& c) { return c.second_order; }))
    tables.push_back({"second_order.csv", second_order_csv});
  if (model.spectrum) {
    tables.push_back({"seismic_members.csv", seismic_members_csv});
    tables.push_back({"seismic_modes.csv", seismic_modes_csv});
    tables.push_back({"seismic_nodes.csv", seismic_nodes_csv});
  }
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
