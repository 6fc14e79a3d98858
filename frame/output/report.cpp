#include "zervola/frame.hpp"

#include "output/diagram_output.hpp"
#include "output/drawn_member_output.hpp"
#include "output/text_out.hpp"
#include "zervola/frame/library_arrays.hpp"
#include "zervola/frame/store_size.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace zervola::frame {
namespace {

using Out = TextOutIterator;

// The directions a report shows: all six in space, ux, uy, rz in a plane.
std::vector<std::size_t> shown_dofs(const Model& model) {
  if (model.frame == FrameKind::plane) return {0, 1, 5};
  return {0, 1, 2, 3, 4, 5};
}

constexpr std::array<const char*, 6> k_reaction_names = {"Fx", "Fy", "Fz", "Mx", "My", "Mz"};
constexpr std::array<const char*, 6> k_force_names = {"N", "Vy", "Vz", "T", "My", "Mz"};

const char* release_name(Release r) {
  switch (r) {
    case Release::none: return "none";
    case Release::hinge_start: return "hinge at start";
    case Release::hinge_end: return "hinge at end";
    case Release::pinned: return "pin-ended";
  }
  return "";
}

// Breaks text into lines of at most width characters, each after indent.
std::string wrapped(const std::string& text, std::size_t width, const std::string& indent) {
  std::string out, line;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(start, end - start);
    if (!line.empty() && line.size() + 1 + word.size() > width) {
      out += indent + line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
    start = end + 1;
  }
  if (!line.empty()) out += indent + line + "\n";
  return out;
}

std::string report_number(double v) {
  if (v == 0.0) return "0";
  return fmt::format("{:.6g}", v);
}

void header(Out out, const Model& model, const AnalysisResult& r) {
  const Units& u = model.units;
  fmt::format_to(out, "zervola-frame: linear static analysis{}\n\n",
                 r.modal ? " and natural modes" : "");
  fmt::format_to(out, "Model      {}{}\n", model.source_file,
                 model.title.empty() ? "" : fmt::format("  \"{}\"", model.title));
  if (!model.dxf_file.empty()) fmt::format_to(out, "Drawing    {}\n", model.dxf_file);
  fmt::format_to(out,
                 "Units      force {0}, length {1}; moments {0}*{1}, rotations rad, stresses "
                 "{0}/{1}^2\n",
                 u.force, u.length);
  fmt::format_to(out, "Frame      {} frame: {} nodes, {} members, {} sections, {} supports, {} "
                 "springs, {} load cases\n",
                 model.frame == FrameKind::plane ? "plane (x-y)" : "space", r.mesh.n_nodes,
                 model.members.size(), model.sections.size(), model.supports.size(),
                 model.springs.size(), model.load_cases.size());
  // A profile the library's 32-bit addresses cannot hold is given as 0.
  const auto profile = [](std::int32_t length) {
    return length > 0 ? std::to_string(length) : fmt::format("over {}", k_largest_profile);
  };
  fmt::format_to(out,
                 "Numbering  {} equations; before -> after renumbering: node bandwidth {} -> {}, "
                 "profile length {} -> {}, largest column {} -> {}\n",
                 r.mesh.n_equations, r.mesh.bandwidth_before, r.mesh.bandwidth_after,
                 profile(r.mesh.profile_before), profile(r.mesh.profile_after),
                 r.mesh.column_height_before, r.mesh.column_height_after);
  const bool reducing = r.mesh.numbering == NumberingChoice::profile;
  const NumberingSize& used = reducing ? r.mesh.profile_reducing : r.mesh.band;
  const NumberingSize& other = reducing ? r.mesh.band : r.mesh.profile_reducing;
  fmt::format_to(out,
                 "           {} numbering used: profile length {}, sum of squared column "
                 "heights {:.4g}; the {} numbering gives {}, {:.4g}\n",
                 reducing ? "profile-reducing" : "band", profile(used.profile_length),
                 used.squared_column_heights, reducing ? "band" : "profile-reducing",
                 profile(other.profile_length), other.squared_column_heights);
  if (r.mesh.solver.skyline_flops > 0.0) {
    // What each factorisation was predicted to cost before either ran.
    const SolverSummary& sv = r.mesh.solver;
    const bool supernodal = sv.used == SolverChoice::supernodal;
    const std::string skyline_cost =
        fmt::format("skyline {:.3g} flops in a store of {:.3g} MB", sv.skyline_flops,
                    sv.skyline_bytes / 1.0e6);
    if (sv.supernodal_flops > 0.0) {
      fmt::format_to(out,
                     "Solver     {} factorisation ({}); predicted: {}, supernodal ({} order) "
                     "{:.3g} flops in a factor of {:.3g} MB with {:.3g} MB of working stores\n",
                     supernodal ? "supernodal" : "skyline",
                     sv.forced                  ? "as asked"
                     : !sv.skyline_addressable ? "the skyline's store is beyond the library's addresses"
                     : !sv.skyline_fits_memory ? "the skyline's store does not fit the memory"
                                               : "by predicted work and memory",
                     skyline_cost,
                     sv.dissected ? "nested-dissection" : "the profile's", sv.supernodal_flops,
                     sv.supernodal_bytes / 1.0e6, sv.supernodal_working_bytes / 1.0e6);
    } else {
      fmt::format_to(out, "Solver     skyline factorisation ({}); predicted: {}\n",
                     sv.forced ? "as asked" : "below 1000 nodes", skyline_cost);
    }
  }
  std::string stiff;
  for (const Support& s : model.supports) {
    const RestraintPlan plan = plan_restraint(s.restrained, model.frame == FrameKind::plane);
    for (int d : plan.stiff_springs)
      stiff += fmt::format("{}{} {}", stiff.empty() ? "" : ", ", s.name,
                           k_dof_names[static_cast<std::size_t>(d)]);
  }
  if (!stiff.empty())
    fmt::format_to(out, "{}", wrapped(fmt::format("Restraints held by a spring of stiffness {:g} "
                                                  "(no exact support record fits): {}",
                                                  k_penalty_stiffness, stiff),
                                      86, ""));
  fmt::format_to(out, "\n");
}

void nodes_table(Out out, const AnalysisResult& r) {
  fmt::format_to(out, "Nodes (numbered in the order the members first reach them)\n");
  fmt::format_to(out, "  {:>6} {:>12} {:>12} {:>12}\n", "node", "x", "y", "z");
  for (std::size_t n = 0; n < r.nodes.size(); ++n)
    fmt::format_to(out, "  {:>6} {:>12} {:>12} {:>12}\n", n + 1, report_number(r.nodes[n].x),
                   report_number(r.nodes[n].y), report_number(r.nodes[n].z));
  fmt::format_to(out, "\n");
}

// What was found legal but suspicious, at the top of the report, so that no
// number below is read before it.
void warnings_section(Out out, const AnalysisResult& r) {
  if (r.warnings.empty()) return;
  fmt::format_to(out, "Warnings ({})\n", r.warnings.size());
  for (const Warning& w : r.warnings)
    fmt::format_to(out, "{}", wrapped(fmt::format("[{}] {}", w.code, w.message), 84, "  "));
  fmt::format_to(out, "\n");
}

std::string given_as(const Section& s) {
  if (!s.profile.empty()) return "profile " + s.profile;
  if (!s.shape.empty()) return s.shape;
  return s.strong_weak ? "I_strong, I_weak" : "Iy, Iz";
}

// Which inertia bends in which plane is stated once, and per section which
// of the two is the larger: the check that a section copied between a
// plane and a space frame still bends about the axis meant.
void sections_table(Out out, const Model& model) {
  if (model.frame == FrameKind::plane)
    fmt::format_to(out, "Sections (Iz bends the members in the frame's x-y plane; Iy acts out of "
                        "the plane, which is held)\n");
  else
    fmt::format_to(out, "Sections (Iy bends a member in its local x-z plane: the vertical plane "
                        "through a member without\n  orientation point; Iz in its local x-y "
                        "plane: the horizontal one)\n");
  fmt::format_to(out, "  {:<14} {:<30} {:<8} {:>11} {:>11} {:>11} {:>11} {:>11}  {}\n", "section",
                 "given as", "material", "A", "Iy", "Iz", "It", "E", "larger");
  for (const Section& s : model.sections)
    fmt::format_to(out, "  {:<14} {:<30} {:<8} {:>11} {:>11} {:>11} {:>11} {:>11}  {}\n", s.name,
                   given_as(s), s.material.empty() ? "-" : s.material, report_number(s.area),
                   report_number(s.inertia_y), report_number(s.inertia_z), report_number(s.torsion_constant),
                   report_number(s.elastic_modulus),
                   s.inertia_y == s.inertia_z ? "equal" : s.inertia_y > s.inertia_z ? "Iy" : "Iz");
  fmt::format_to(out, "\n");
}

void members_table(Out out, const Model& model, const AnalysisResult& r) {
  fmt::format_to(out, "Members\n");
  fmt::format_to(out, "  {:<10} {:>6} {:>6} {:>12}  {:<14} {}\n", "member", "start", "end",
                 "length", "section", "release");
  for (std::size_t e = 0; e < model.members.size(); ++e) {
    const Member& m = model.members[e];
    const MemberGeometry& g = r.members[e];
    fmt::format_to(out, "  {:<10} {:>6} {:>6} {:>12}  {:<14} {}{}\n", m.name, g.start_node,
                   g.end_node, report_number(g.length), m.section, release_name(m.release),
                   m.temperature_change != 0.0
                       ? fmt::format(", temperature change {}", report_number(m.temperature_change))
                       : "");
  }
  fmt::format_to(out, "\n");
}

void displacements(Out out, const Model& model, const CaseResult& c) {
  const auto dofs = shown_dofs(model);
  fmt::format_to(out, "  Displacements (global axes)\n  {:>6}", "node");
  for (std::size_t d : dofs) fmt::format_to(out, " {:>13}", k_dof_names[d]);
  fmt::format_to(out, "\n");
  for (std::size_t n = 0; n < c.displacements.size(); ++n) {
    fmt::format_to(out, "  {:>6}", n + 1);
    for (std::size_t d : dofs) fmt::format_to(out, " {:>13}", report_number(c.displacements[n][d]));
    fmt::format_to(out, "\n");
  }
  fmt::format_to(out, "\n");
}

void reactions(Out out, const Model& model, const CaseResult& c) {
  const auto dofs = shown_dofs(model);
  // The supports' names, in a column as wide as the longest, when the model
  // names any.
  std::size_t name_width = 0;
  for (const Reaction& rc : c.reactions) name_width = std::max(name_width, rc.support.size());
  if (name_width > 0) name_width = std::max(name_width, std::string_view("support").size());
  fmt::format_to(out, "  Reactions (global axes: what supports and springs exert on the frame)\n"
                      "  {:>6}", "node");
  if (name_width > 0) fmt::format_to(out, "  {:<{}}", "support", name_width);
  for (std::size_t d : dofs) fmt::format_to(out, " {:>13}", k_reaction_names[d]);
  fmt::format_to(out, "\n");
  for (const Reaction& rc : c.reactions) {
    fmt::format_to(out, "  {:>6}", rc.node);
    if (name_width > 0) fmt::format_to(out, "  {:<{}}", rc.support, name_width);
    for (std::size_t d : dofs) fmt::format_to(out, " {:>13}", report_number(rc.value[d]));
    fmt::format_to(out, "\n");
  }
  fmt::format_to(out, "\n");
}

void equilibrium(Out out, const CaseResult& c) {
  const Equilibrium& q = c.equilibrium;
  const bool ok = q.relative_force_residual <= k_equilibrium_tolerance &&
                  q.relative_moment_residual <= k_equilibrium_tolerance;
  fmt::format_to(out, "  Equilibrium (sums over the frame, moments about the origin)\n");
  fmt::format_to(out, "  {:<14}", "");
  for (const char* n : k_reaction_names) fmt::format_to(out, " {:>13}", n);
  fmt::format_to(out, "\n");
  const auto row = [&](const char* name, const Vector3& f, const Vector3& m) {
    fmt::format_to(out, "  {:<14} {:>13} {:>13} {:>13} {:>13} {:>13} {:>13}\n", name, report_number(f[0]),
                   report_number(f[1]), report_number(f[2]), report_number(m[0]), report_number(m[1]), report_number(m[2]));
  };
  row("applied loads", q.applied_force, q.applied_moment);
  row("reactions", q.reaction_force, q.reaction_moment);
  row("sum", q.force_residual, q.moment_residual);
  fmt::format_to(out, "  relative residual: forces {:.2e}, moments {:.2e}: {}\n\n",
                 q.relative_force_residual, q.relative_moment_residual,
                 ok ? "in equilibrium" : "NOT IN EQUILIBRIUM");
}

void end_forces(Out out, const Model& model, const AnalysisResult& r, const CaseResult& c) {
  std::vector<std::size_t> comps = {0, 1, 2, 3, 4, 5};
  if (model.frame == FrameKind::plane) comps = {0, 1, 5};
  fmt::format_to(out, "  Member end forces (local axes)\n  {:<10} {:>5} {:>6}", "member", "end",
                 "node");
  for (std::size_t k : comps) fmt::format_to(out, " {:>13}", k_force_names[k]);
  fmt::format_to(out, "\n");
  for (std::size_t e = 0; e < model.members.size(); ++e) {
    for (std::size_t end = 0; end < 2; ++end) {
      fmt::format_to(out, "  {:<10} {:>5} {:>6}", end == 0 ? model.members[e].name : "",
                     end == 0 ? "start" : "end",
                     end == 0 ? r.members[e].start_node : r.members[e].end_node);
      for (std::size_t k : comps) fmt::format_to(out, " {:>13}", report_number(c.end_forces[e][k + 6 * end]));
      fmt::format_to(out, "\n");
    }
  }
  fmt::format_to(out, "\n");
}

void stresses(Out out, const Model& model, const CaseResult& c) {
  fmt::format_to(out, "  Extreme normal stresses (tension positive) along the whole member, at x "
                      "from its start; and of its two end sections\n");
  fmt::format_to(out, "  {:<10} {:<14} {:>13} {:>13} {:>13} {:>13} {:>13} {:>13}\n", "member",
                 "section", "max", "at x", "min", "at x", "end max", "end min");
  for (std::size_t e = 0; e < model.members.size(); ++e)
    fmt::format_to(out, "  {:<10} {:<14} {:>13} {:>13} {:>13} {:>13} {:>13} {:>13}\n",
                   model.members[e].name, model.members[e].section, report_number(c.stress_max[e]),
                   report_number(c.stress_max_x[e]), report_number(c.stress_min[e]), report_number(c.stress_min_x[e]),
                   report_number(c.end_stress_max[e]), report_number(c.end_stress_min[e]));
  fmt::format_to(out, "\n");
}

void summary(Out out, const Model& model, const CaseResult& c) {
  double t = 0.0, rot = 0.0;
  std::size_t tn = 0, rn = 0, td = 0, rd = 3;
  for (std::size_t n = 0; n < c.displacements.size(); ++n)
    for (std::size_t d = 0; d < 6; ++d) {
      const double v = std::abs(c.displacements[n][d]);
      if (d < 3 && v > t) { t = v; tn = n; td = d; }
      if (d >= 3 && v > rot) { rot = v; rn = n; rd = d; }
    }
  fmt::format_to(out, "  largest translation  {} ({} of node {})\n",
                 report_number(c.displacements[tn][td]), k_dof_names[td], tn + 1);
  if (model.frame == FrameKind::space || rd == 5)
    fmt::format_to(out, "  largest rotation     {} ({} of node {})\n",
                   report_number(c.displacements[rn][rd]), k_dof_names[rd], rn + 1);
  double axial = 0.0, moment = 0.0, smax = -HUGE_VAL, smin = HUGE_VAL;
  std::size_t an = 0, mn = 0, sxn = 0, snn = 0;
  for (std::size_t e = 0; e < c.end_forces.size(); ++e) {
    for (std::size_t k : {0u, 6u})
      if (std::abs(c.end_forces[e][k]) > axial) { axial = std::abs(c.end_forces[e][k]); an = e; }
    for (std::size_t k : {4u, 5u, 10u, 11u})
      if (std::abs(c.end_forces[e][k]) > moment) { moment = std::abs(c.end_forces[e][k]); mn = e; }
    if (c.stress_max[e] > smax) { smax = c.stress_max[e]; sxn = e; }
    if (c.stress_min[e] < smin) { smin = c.stress_min[e]; snn = e; }
  }
  fmt::format_to(out, "  largest axial force  {} (member {})\n", report_number(axial), model.members[an].name);
  fmt::format_to(out, "  largest end moment   {} (member {})\n", report_number(moment), model.members[mn].name);
  fmt::format_to(out, "  stresses             max {} (member {}), min {} (member {})\n",
                 report_number(smax), model.members[sxn].name, report_number(smin), model.members[snn].name);
  fmt::format_to(out, "  total reaction       Fx {} Fy {} Fz {}\n", report_number(c.equilibrium.reaction_force[0]),
                 report_number(c.equilibrium.reaction_force[1]), report_number(c.equilibrium.reaction_force[2]));
  fmt::format_to(out, "\n");
}

// The directions a table of modes shows: X, Y, RZ in a plane frame, all six
// in space; and those whose cumulative ratio it shows (the translations).
std::vector<std::size_t> modal_directions(const Model& model) {
  if (model.frame == FrameKind::plane) return {0, 1, 5};
  return {0, 1, 2, 3, 4, 5};
}
std::vector<std::size_t> modal_translations(const Model& model) {
  if (model.frame == FrameKind::plane) return {0, 1};
  return {0, 1, 2};
}

constexpr double k_enough_modal_mass = 0.9;  // of the movable mass, as seismic codes ask

const char* mass_matrix_name(MassMatrix m) {
  return m == MassMatrix::lumped ? "lumped" : "consistent";
}

void modal_masses(Out out, const Model& model, const ModalResult& m, ReportDetail detail) {
  const Units& u = model.units;
  const std::string unit = fmt::format("{}*s^2/{}", u.force, u.length);
  if (detail == ReportDetail::full) {
    fmt::format_to(out, "  Mass ({}), per translation, before the supports take their share\n",
                   unit);
    fmt::format_to(out, "    {:<40} {:>13}\n", "members (the sections' density)", report_number(m.mass.members));
    fmt::format_to(out, "    {:<40} {:>13}\n", "point masses", report_number(m.mass.points));
    for (const auto& [load_case, mass] : m.mass.from_loads)
      fmt::format_to(out, "    {:<40} {:>13}\n", fmt::format("from the loads of \"{}\"", load_case),
                     report_number(mass));
    fmt::format_to(out, "    {:<40} {:>13}\n", "total", report_number(m.mass.total));
  } else {
    fmt::format_to(out, "  Mass {} {}\n", report_number(m.mass.total), unit);
  }
  fmt::format_to(out, "  Movable mass (the supports' share removed):");
  for (std::size_t d : modal_translations(model))
    fmt::format_to(out, " {} {}", k_participation_directions[d], report_number(m.movable_mass[d]));
  fmt::format_to(out, "\n  Mass matrix {}\n\n", mass_matrix_name(m.mass_matrix));
}

void modes_table(Out out, const Model& model, const ModalResult& m) {
  const auto dirs = modal_directions(model);
  const auto translations = modal_translations(model);
  fmt::format_to(out, "  Modes (effective mass ratios: shares of the movable mass of each "
                      "direction)\n");
  fmt::format_to(out, "  {:>6} {:>13} {:>13} {:>13}", "mode", "omega (rad/s)", "f (Hz)", "T (s)");
  for (std::size_t d : dirs) fmt::format_to(out, " {:>9}", k_participation_directions[d]);
  for (std::size_t d : translations)
    fmt::format_to(out, " {:>9}", fmt::format("cum {}", k_participation_directions[d]));
  fmt::format_to(out, "\n");
  for (const Mode& mode : m.modes) {
    fmt::format_to(out, "  {:>6} {:>13} {:>13} {:>13}", mode.number, report_number(mode.circular_frequency),
                   report_number(mode.frequency), std::isfinite(mode.period) ? report_number(mode.period) : "rigid body");
    for (std::size_t d : dirs) fmt::format_to(out, " {:>9.4f}", mode.effective_mass_ratio[d]);
    for (std::size_t d : translations) fmt::format_to(out, " {:>9.4f}", mode.cumulative_ratio[d]);
    fmt::format_to(out, "\n");
  }
}

// Whether the modes found carry 90 % of the movable mass of each
// translation, and where they reach it.
void modal_mass_reached(Out out, const Model& model, const ModalResult& m) {
  std::string reached, missed, massless;
  for (std::size_t d : modal_translations(model)) {
    const char* name = k_participation_directions[d];
    if (!(m.movable_mass[d] > 0.0)) {
      massless += fmt::format("{}{}", massless.empty() ? "" : ", ", name);
      continue;
    }
    const auto at = std::find_if(m.modes.begin(), m.modes.end(), [&](const Mode& mode) {
      return mode.cumulative_ratio[d] >= k_enough_modal_mass;
    });
    if (at != m.modes.end())
      reached += fmt::format("{}{} at mode {}", reached.empty() ? "" : ", ", name, at->number);
    else
      missed += fmt::format("{}{} ({:.4f})", missed.empty() ? "" : ", ", name,
                            m.modes.empty() ? 0.0 : m.modes.back().cumulative_ratio[d]);
  }
  std::string line = "90 % of the movable mass:";
  if (!reached.empty()) line += fmt::format(" reached in {}", reached);
  if (!missed.empty())
    line += fmt::format("{} not reached in {} with the {} mode{} found", reached.empty() ? "" : ";",
                        missed, m.modes.size(), m.modes.size() == 1 ? "" : "s");
  if (!massless.empty())
    line += fmt::format("{} no movable mass in {}", reached.empty() && missed.empty() ? "" : ";",
                        massless);
  fmt::format_to(out, "{}", wrapped(line, 86, "  "));
}

void natural_modes(Out out, const Model& model, const ModalResult& m, ReportDetail detail,
                   bool timings) {
  fmt::format_to(out, "Natural modes ({} found)\n\n", m.modes.size());
  modal_masses(out, model, m, detail);
  modes_table(out, model, m);
  modal_mass_reached(out, model, m);
  fmt::format_to(out,
                 "  Sturm check: K - s*M at s = {} rad^2/s^2 has {} negative pivots: {} "
                 "eigenvalues below s, {} found{}\n",
                 report_number(m.sturm_shift), m.sturm_count, m.sturm_count, m.found_below,
                 m.found_below == m.sturm_count ? "" : ": MODES MISSED");
  if (detail == ReportDetail::full)
    fmt::format_to(out,
                   "  Eigensolver: shift {} rad^2/s^2, basis of {} Lanczos vectors, {} vectors "
                   "substituted, {} factorisation{}{}\n",
                   report_number(m.shift), m.basis_size, m.vectors_substituted, m.factorisations,
                   m.factorisations == 1 ? "" : "s",
                   timings ? fmt::format(", {:.3g} s", m.seconds) : "");
  fmt::format_to(out, "\n");
}

std::string spectrum_description(const SpectrumRequest& q, const Units& u) {
  const ResponseSpectrum& s = q.spectrum;
  if (s.shape == SpectrumShape::table)
    return fmt::format("table of {} points (period s, acceleration {}/s^2)", s.table.size(), u.length);
  const Ec8Spectrum& e = s.ec8;
  std::string text = fmt::format("EN 1998-1 {} spectrum, type {}, ground {}, ag = {} {}/s^2",
                                 s.shape == SpectrumShape::ec8_design ? "design" : "elastic", e.type,
                                 e.ground_type, report_number(e.ag), u.length);
  if (s.shape == SpectrumShape::ec8_design)
    text += fmt::format(", q = {}, beta = {}", report_number(e.behaviour_factor), report_number(e.lower_bound_factor));
  return text;
}

void response_spectrum(Out out, const Model& model, const SpectrumResult& s,
                       ReportDetail detail) {
  const Units& u = model.units;
  const SpectrumRequest& q = s.request;
  std::string directions;
  for (std::size_t d = 0; d < 3; ++d)
    if (q.directions[d]) directions += fmt::format("{}{}", directions.empty() ? "" : ", ", "XYZ"[d]);
  fmt::format_to(out, "Response spectrum \"{}\"\n\n", q.name);
  fmt::format_to(out, "{}", wrapped(fmt::format(
      "{}; damping {} %; excitation along {}; modes combined by {}, directions by {}. Every value "
      "below is a magnitude and holds with either sign.",
      spectrum_description(q, u), report_number(100.0 * q.spectrum.damping), directions,
      q.modal == ModalCombination::cqc ? "CQC" : "SRSS",
      q.directional == DirectionalCombination::srss ? "SRSS" : "100/30"), 86, "  "));
  fmt::format_to(out, "\n  {:>6} {:>12} {:>12} {:>12} {:>12} {:>13} {:>13} {:>13}\n", "mode", "T (s)",
                 "Sa X", "Sa Y", "Sa Z", "base shear X", "base shear Y", "base shear Z");
  for (const SpectrumModeResponse& m : s.modes)
    fmt::format_to(out, "  {:>6} {:>12} {:>12} {:>12} {:>12} {:>13} {:>13} {:>13}{}\n", m.mode,
                   report_number(m.period), report_number(m.acceleration[0]), report_number(m.acceleration[1]),
                   report_number(m.acceleration[2]), report_number(m.base_shear[0]), report_number(m.base_shear[1]),
                   report_number(m.base_shear[2]), m.outside_spectrum ? "  (outside the spectrum)" : "");
  fmt::format_to(out, "\n  Base shear, combined ({}):", u.force);
  for (std::size_t d = 0; d < 3; ++d)
    if (q.directions[d]) fmt::format_to(out, " {} {}", "XYZ"[d], report_number(s.base_shear[d]));
  fmt::format_to(out, "\n");
  // The largest magnitude of each translation, and where.
  for (std::size_t k = 0; k < 3; ++k) {
    double largest = 0.0;
    std::size_t node = 0;
    for (std::size_t n = 0; n < s.displacements.size(); ++n)
      if (s.displacements[n][k] > largest) {
        largest = s.displacements[n][k];
        node = n;
      }
    if (largest > 0.0)
      fmt::format_to(out, "  Largest {}: {} {} at node {}\n", k_dof_names[k], report_number(largest), u.length,
                     node + 1);
  }
  double stress = 0.0;
  std::size_t member = 0;
  for (std::size_t e = 0; e < s.stress_bound.size(); ++e)
    if (s.stress_bound[e] > stress) {
      stress = s.stress_bound[e];
      member = e;
    }
  if (stress > 0.0)
    fmt::format_to(out, "  Largest stress bound |N|/A + |My| z/Iy + |Mz| y/Iz: {} {}/{}^2 in member "
                        "\"{}\" at x = {}\n",
                   report_number(stress), u.force, u.length, model.members[member].name, report_number(s.stress_bound_x[member]));
  if (detail == ReportDetail::full) {
    fmt::format_to(out, "\n  Reactions (magnitudes)\n  {:>6} {:>12} {:>12} {:>12} {:>12} {:>12} {:>12}\n",
                   "node", "Rx", "Ry", "Rz", "Mx", "My", "Mz");
    for (std::size_t k = 0; k < s.reactions.size(); ++k) {
      fmt::format_to(out, "  {:>6}", s.reaction_nodes[k]);
      for (double v : s.reactions[k]) fmt::format_to(out, " {:>12}", report_number(v));
      fmt::format_to(out, "\n");
    }
    fmt::format_to(out, "\n  Member end forces (magnitudes, local axes)\n  {:<16} {:>4} {:>12} {:>12} "
                        "{:>12} {:>12} {:>12} {:>12}\n",
                   "member", "end", "N", "Vy", "Vz", "Mx", "My", "Mz");
    for (std::size_t e = 0; e < s.end_forces.size(); ++e)
      for (std::size_t end = 0; end < 2; ++end) {
        fmt::format_to(out, "  {:<16} {:>4}", end == 0 ? model.members[e].name : "", end + 1);
        for (std::size_t k = 0; k < 6; ++k) fmt::format_to(out, " {:>12}", report_number(s.end_forces[e][6 * end + k]));
        fmt::format_to(out, "\n");
      }
  }
  fmt::format_to(out, "\n");
}

const SecondOrderSet* second_order_of(const AnalysisResult& r, const std::string& set) {
  for (const SecondOrderSet& s : r.second_order)
    if (s.set == set) return &s;
  return nullptr;
}

void buckling_report(Out out, const Model& model, const AnalysisResult& result, bool timings) {
  fmt::format_to(out, "Linear buckling ({} set{}, the {} lowest critical load factor{} each)\n\n",
                 result.buckling.size(), result.buckling.size() == 1 ? "" : "s",
                 model.buckling->modes, model.buckling->modes == 1 ? "" : "s");
  for (const BucklingSet& b : result.buckling) {
    fmt::format_to(out, "  {} \"{}\"\n", b.combination ? "Combination" : "Load case", b.set);
    if (!b.compression) {
      fmt::format_to(out, "    No member is in compression: nothing can buckle under this set\n\n");
      continue;
    }
    fmt::format_to(out, "    {:>5}  {:>14}\n", "mode", "alpha_cr");
    for (const BucklingMode& m : b.modes)
      fmt::format_to(out, "    {:>5}  {:>14}\n", m.number, report_number(m.factor));
    fmt::format_to(out,
                   "    Sturm check: K + s*Kg at s = {} has {} negative pivots: {} factors below "
                   "s, {} found{}\n",
                   report_number(b.sturm_shift), b.sturm_count, b.sturm_count, b.found_below,
                   b.found_below == b.sturm_count ? "" : ": FACTORS MISSED");
    if (!b.modes.empty() && b.modes.front().factor < 10.0)
      fmt::format_to(out, "    alpha_cr = {} is below 10: second-order effects matter "
                          "(EN 1993-1-1 5.2.1)\n",
                     report_number(b.modes.front().factor));
    if (timings) fmt::format_to(out, "    Eigensolution: {:.3g} s\n", b.seconds);
    fmt::format_to(out, "    Members in compression (N_cr = alpha_cr * N_Ed, buckling length "
                        "pi*sqrt(E*I/N_cr)):\n");
    fmt::format_to(out, "    {:<16} {:>14} {:>14} {:>14} {:>14}\n", "member", "N_Ed", "N_cr",
                   "L_cr,y", "L_cr,z");
    for (const BucklingMember& m : b.members)
      fmt::format_to(out, "    {:<16} {:>14} {:>14} {:>14} {:>14}\n", m.name, report_number(m.axial_force),
                     report_number(m.critical_force), report_number(m.buckling_length_y), report_number(m.buckling_length_z));
    fmt::format_to(out, "\n");
  }
}

void second_order_report(Out out, const AnalysisResult& result) {
  fmt::format_to(out, "Second-order analysis ({} set{}: their results above are second-order)\n\n",
                 result.second_order.size(), result.second_order.size() == 1 ? "" : "s");
  for (const SecondOrderSet& s : result.second_order) {
    fmt::format_to(out, "  {} \"{}\": {} iteration{} (last relative change {:.2e})\n",
                   s.combination ? "Combination" : "Load case", s.set, s.iterations,
                   s.iterations == 1 ? "" : "s", s.change);
    if (s.compression)
      fmt::format_to(out, "    alpha_cr = {}\n", report_number(s.critical_factor));
    else
      fmt::format_to(out, "    no member in compression: no alpha_cr\n");
    fmt::format_to(out,
                   "    largest translation: first order {}, second order {} (node {}): "
                   "amplification {}\n",
                   report_number(s.first_order_displacement), report_number(s.second_order_displacement), s.node,
                   report_number(s.amplification));
    if (s.imperfection)
      fmt::format_to(out, "    sway imperfection phi = {} along {}: horizontal forces {}\n",
                     report_number(s.imperfection_phi), s.imperfection_direction == 0 ? "X" : "Y",
                     report_number(s.imperfection_force));
    fmt::format_to(out, "    P-Delta moment about the origin (in the equilibrium check): [{}, {}, {}]\n\n",
                   report_number(s.p_delta_moment[0]), report_number(s.p_delta_moment[1]), report_number(s.p_delta_moment[2]));
  }
}

}  // namespace

void write_report(std::ostream& stream, const Model& model, const AnalysisResult& result,
                  ReportDetail detail, bool timings) {
  TextOut text(stream);
  Out out(text);
  header(out, model, result);
  warnings_section(out, result);
  if (detail == ReportDetail::full) {
    nodes_table(out, result);
    sections_table(out, model);
    members_table(out, model, result);
    write_drawn_members_report(text, model);
    fmt::format_to(out, "Sign convention\n{}\n", wrapped(sign_convention_text(), 86, "  "));
  }
  const std::size_t n_cases = result.cases.size();
  const DiagramBasis basis = diagram_basis(model, result);
  for (std::size_t k = 0; k < n_cases + result.combinations.size(); ++k) {
    const bool is_case = k < n_cases;
    const CaseResult& c = is_case ? result.cases[k] : result.combinations[k - n_cases];
    const char* order = second_order_of(result, c.name) != nullptr ? " (second order)" : "";
    if (is_case)
      fmt::format_to(out, "Load case {}: \"{}\"{}\n\n", k + 1, c.name, order);
    else
      fmt::format_to(out, "Combination {}: \"{}\"{}\n\n", k - n_cases + 1, c.name, order);
    if (detail == ReportDetail::summary) {
      summary(out, model, c);
      equilibrium(out, c);
      continue;
    }
    displacements(out, model, c);
    reactions(out, model, c);
    equilibrium(out, c);
    end_forces(out, model, result, c);
    stresses(out, model, c);
    write_extremes_report(text, model, result, basis, k);
    write_drawn_member_results_report(text, model, result, k);
  }
  for (const Envelope& v : model.envelopes) write_envelope_report(text, model, result, v);
  if (result.modal) natural_modes(out, model, *result.modal, detail, timings);
  if (result.spectrum) response_spectrum(out, model, *result.spectrum, detail);
  if (model.buckling) buckling_report(out, model, result, timings);
  if (!result.second_order.empty()) second_order_report(out, result);
  text.flush();
}

std::string format_report(const Model& model, const AnalysisResult& result, ReportDetail detail,
                          bool timings) {
  std::ostringstream out;
  write_report(out, model, result, detail, timings);
  return std::move(out).str();
}

}  // namespace zervola::frame
