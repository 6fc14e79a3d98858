#include "analysis/modal/natural_modes.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <numbers>

#include "analysis/loads/member_loads.hpp"
#include "analysis/shape_sign.hpp"
#include "analysis/solution/solver_plan.hpp"
#include "analysis/solution/load_case_solver.hpp"
#include "analysis/solution/mechanism_check.hpp"
#include "global/free_vibration.hpp"
#include "model/item_fault.hpp"
#include "zervola/frame/errors.hpp"
#include "zervola/frame/library_arrays.hpp"

namespace zervola::frame {

namespace {

using Size = std::size_t;

struct GatheredMass {
  std::vector<double> bar;
  std::vector<double> polar;
  std::vector<global::EquationMass> points;
  MassSources sources;
};

// The downward direction of the model's gravity: -z in space, -y in a plane.
std::size_t vertical(const Model& model) { return model.frame == FrameKind::space ? 2 : 1; }

void add_translational_mass(std::vector<global::EquationMass>& points, std::int32_t library_node,
                            double mass) {
  for (int k = 0; k < 3; ++k) points.push_back({6 * (library_node - 1) + 1 + k, mass});
}

// The downward loads of the cases that mass_from_loads names, over gravity,
// as masses on the nodes: nodal loads where they act, member loads through
// their equivalent nodal forces (the case's self-weight left out: the
// sections' density gives it).
void gather_mass_from_loads(const Model& model, const Mesh& mesh, const Placement& placement,
                            const std::vector<MemberGeometry>& members, GatheredMass& g,
                            std::vector<Warning>& warnings) {
  const std::size_t down = vertical(model);
  for (const MassFromLoads& entry : model.mass_from_loads) {
    const auto found = std::find_if(model.load_cases.begin(), model.load_cases.end(),
                                    [&](const LoadCase& c) { return c.name == entry.load_case; });
    const auto c = static_cast<std::size_t>(found - model.load_cases.begin());
    const double per_force = entry.factor / *model.gravity;
    double total = 0.0;
    int upward = 0;
    const auto take = [&](std::int32_t library_node, double downward_force) {
      if (downward_force < 0.0) {
        ++upward;
        return;
      }
      if (downward_force == 0.0) return;
      add_translational_mass(g.points, library_node, downward_force * per_force);
      total += downward_force * per_force;
    };
    for (std::size_t k = 0; k < found->loads.size(); ++k)
      take(placement.load_node[c][k], -found->loads[k].force[down]);
    if (!found->member_loads.empty()) {
      Model only = model;
      only.load_cases = {*found};
      only.load_cases.front().gravity.reset();
      only.load_cases.front().self_weight = false;
      const MemberLoading loading = prepare_member_loads(only, members, mesh.nodes.size());
      for (std::size_t d = 0; d < mesh.nodes.size(); ++d)
        take(mesh.library_node[d], -loading.nodal[0][d][down]);
    }
    if (upward > 0)
      warnings.push_back(
          {"upward_load_as_mass",
           fmt::format("{}: load case \"{}\" in mass_from_loads has {} load{} pointing upwards, "
                       "which give{} no mass: only downward loads become mass",
                       entry.origin.place, printable_text(entry.load_case), upward,
                       upward == 1 ? "" : "s", upward == 1 ? "s" : ""),
           {entry.load_case}});
    g.sources.from_loads.emplace_back(entry.load_case, total);
  }
}

GatheredMass gather_mass(const Model& model, const Mesh& mesh, const Placement& placement,
                         const std::vector<MemberGeometry>& members, std::vector<Warning>& warnings) {
  GatheredMass g;
  const std::size_t n = model.members.size();
  g.bar.assign(n, 0.0);
  g.polar.assign(n, 0.0);
  for (std::size_t e = 0; e < n; ++e) {
    const Section& s = model.sections[static_cast<Size>(mesh.arrays.section_codes[e] - 1)];
    const double rho = s.density.value_or(0.0);
    g.bar[e] = rho * s.area;
    g.polar[e] = rho * (s.inertia_y + s.inertia_z);
    g.sources.members += g.bar[e] * members[e].length;
  }
  const NodeLocator locator(mesh.nodes);
  for (const PointMass& m : model.masses) {
    const std::int32_t node = locator.find(m.at);
    if (node == 0)
      fail_item(m.origin, "at",
                fmt::format("({}, {}, {}) is not a node of the frame: place the mass on a member's "
                            "end or where members meet",
                            m.at.x, m.at.y, m.at.z));
    const std::int32_t library_node = mesh.library_node[at(node)];
    add_translational_mass(g.points, library_node, m.mass);
    for (int k = 0; k < 3; ++k)
      if (m.rotary_inertia[static_cast<Size>(k)] > 0.0)
        g.points.push_back({6 * (library_node - 1) + 4 + k, m.rotary_inertia[static_cast<Size>(k)]});
    g.sources.points += m.mass;
  }
  gather_mass_from_loads(model, mesh, placement, members, g, warnings);
  g.sources.total = g.sources.members + g.sources.points;
  for (const auto& [name, mass] : g.sources.from_loads) g.sources.total += mass;
  return g;
}

// r_d of direction d (k_participation_directions) in the library's
// equations: a unit translation, or a unit rotation about the global axis
// through the origin (each node then moves by e_d x p).
std::vector<double> unit_motion(const Mesh& mesh, int d) {
  std::vector<double> r(static_cast<Size>(mesh.n_equations), 0.0);
  for (std::size_t node = 0; node < mesh.nodes.size(); ++node) {
    const auto first = static_cast<Size>(6 * (mesh.library_node[node] - 1));
    if (d < 3) {
      r[first + static_cast<Size>(d)] = 1.0;
      continue;
    }
    const Point3& p = mesh.nodes[node];
    const std::array<double, 3> x{p.x, p.y, p.z};
    const int a = d - 3;
    const int b = (a + 1) % 3;
    const int c = (a + 2) % 3;
    // e_a x p: component b is -p_c, component c is p_b.
    r[first + static_cast<Size>(b)] = -x[static_cast<Size>(c)];
    r[first + static_cast<Size>(c)] = x[static_cast<Size>(b)];
    r[first + 3 + static_cast<Size>(a)] = 1.0;
  }
  return r;
}

[[noreturn]] void refuse(const Model& model, const Mesh& mesh, const global::VibrationResult& v) {
  switch (v.outcome) {
    case global::VibrationOutcome::mechanism_without_mass: {
      const std::vector<Mechanism> found =
          find_mechanisms(v.pivots.without_stiffness, v.pivots.prescribed, v.pivots.diagonal,
                          v.pivots.pivot, v.pivots.shapes, mesh.drawing_node);
      if (!found.empty())
        throw AnalysisError(fmt::format("{} (for the natural modes: a motion without strain that "
                                        "carries no mass has no frequency; hold it, or give it mass)",
                                        mechanism_message(model, mesh.nodes, found)),
                            found.front().node);
      throw AnalysisError(fmt::format("{}: the frame can move without strain in a direction that "
                                      "carries no mass: hold it, or give it mass",
                                      model.source_file));
    }
    case global::VibrationOutcome::not_converged:
      throw AnalysisError(fmt::format(
          "{}: the eigensolver did not converge on the {} lowest modes within a basis of {} "
          "vectors: ask for fewer modes, or report this model",
          model.source_file, model.modal->modes, v.basis_size));
    case global::VibrationOutcome::modes_missed:
      throw AnalysisError(fmt::format(
          "{}: the Sturm check counts {} eigenvalues below {} rad^2/s^2 and the eigensolver found {} "
          "after {} searches: the modes are not trusted; report this model",
          model.source_file, v.sturm_count, v.sturm_shift, v.found_below_sturm_shift, v.searches));
    default:
      throw AnalysisError(fmt::format("{}: the eigensolution failed", model.source_file));
  }
}

}  // namespace

NaturalModes natural_modes(const Model& model, const Mesh& mesh, const Placement& placement,
                          const std::vector<MemberGeometry>& members, std::vector<Warning>& warnings,
                          const SolverPlan* plan) {
  const auto start = std::chrono::steady_clock::now();
  const ModalRequest& request = *model.modal;
  GatheredMass g = gather_mass(model, mesh, placement, members, warnings);

  const std::vector<double> records = build_support_records(model, placement);
  const global::NodeRecordTable table(records.data(),
                                      static_cast<Index>(records.size() / k_record_size) - 1);
  const SystemShape shape{mesh.n_nodes, mesh.n_equations, &mesh.diag_address, mesh.profile_length,
                          mesh.max_column_height};
  const global::FrameAnalysis frame = frame_analysis(mesh.arrays, shape, table);
  const auto elements = static_cast<Index>(g.bar.size());
  const global::MassModel mass{
      {g.bar.data(), elements},
      {g.polar.data(), elements},
      request.mass_matrix == MassMatrix::lumped ? element::MassForm::lumped
                                                : element::MassForm::consistent,
      g.points};
  global::VibrationRequest solve;
  solve.modes = request.modes;
  solve.small_pivot_share = k_mechanism_pivot_share;
  solve.most_shapes = k_mechanism_shapes;
  global::VibrationResult v;
  const SupernodalChoice choice(plan);
  const global::Status status = global::free_vibration(frame, mass, solve, v, choice.setup());
  if (status.outcome == global::Outcome::out_of_memory)
    throw AnalysisError(fmt::format("{}: out of memory for the natural modes: {} and the "
                                    "eigensolver's vectors",
                                    model.source_file, factor_store_text(plan, mesh.profile_length)));
  if (!status.ok())
    throw AnalysisError(fmt::format("{}: the library refused the system of the model for the "
                                    "natural modes (outcome {}, at {})",
                                    model.source_file, static_cast<int>(status.outcome), status.where));
  if (v.outcome == global::VibrationOutcome::too_many_modes)
    fail_item(request.origin, "modes",
              fmt::format("asks for {} modes, but the frame has mass in only {} directions (its "
                          "supports and massless rotations leave no more): ask for at most {}",
                          request.modes, v.directions_with_mass, v.directions_with_mass));
  if (v.outcome != global::VibrationOutcome::solved) refuse(model, mesh, v);

  ModalResult r;
  r.mass_matrix = request.mass_matrix;
  r.mass = std::move(g.sources);
  r.directions_with_mass = static_cast<int>(v.directions_with_mass);
  r.sturm_shift = v.sturm_shift;
  r.sturm_count = static_cast<int>(v.sturm_count);
  r.found_below = static_cast<int>(v.found_below_sturm_shift);
  r.shift = v.shift;
  r.basis_size = static_cast<int>(v.basis_size);
  r.vectors_substituted = static_cast<int>(v.operator_applications);
  r.factorisations = static_cast<int>(v.factorisations);
  r.mass_entries = static_cast<std::int64_t>(v.mass.value.size());

  const auto n = static_cast<Size>(mesh.n_equations);
  std::array<std::vector<double>, 6> m_r;
  for (int d = 0; d < 6; ++d) {
    const std::vector<double> rd = unit_motion(mesh, d);
    m_r[static_cast<Size>(d)].assign(n, 0.0);
    global::multiply(v.mass, rd.data(), m_r[static_cast<Size>(d)].data(), 1);
    double movable = 0.0;
    for (Size i = 0; i < n; ++i) movable += rd[i] * m_r[static_cast<Size>(d)][i];
    r.movable_mass[static_cast<Size>(d)] = movable;
  }
  std::array<double, 6> cumulative{};
  for (Size k = 0; k < v.eigenvalues.size(); ++k) {
    Mode mode;
    mode.number = static_cast<int>(k + 1);
    const double lambda = v.eigenvalues[k];
    mode.eigenvalue = lambda;
    const bool rigid = v.shift < 0.0 && lambda < k_rigid_body_eigenvalue_share * std::fabs(v.shift);
    mode.circular_frequency = rigid ? 0.0 : std::sqrt(std::max(lambda, 0.0));
    mode.frequency = mode.circular_frequency / (2.0 * std::numbers::pi);
    mode.period = mode.frequency > 0.0 ? 1.0 / mode.frequency : std::numeric_limits<double>::infinity();
    double* phi = v.shapes.data() + k * n;
    orient_shape(phi, n);
    for (Size d = 0; d < 6; ++d) {
      double gamma = 0.0;
      for (Size i = 0; i < n; ++i) gamma += phi[i] * m_r[d][i];
      mode.participation[d] = gamma;
      mode.effective_mass[d] = gamma * gamma;
      mode.effective_mass_ratio[d] = r.movable_mass[d] > 0.0 ? gamma * gamma / r.movable_mass[d] : 0.0;
      cumulative[d] += mode.effective_mass_ratio[d];
    }
    mode.cumulative_ratio = cumulative;
    mode.shape.resize(mesh.nodes.size());
    double largest = 0.0;
    for (Size node = 0; node < mesh.nodes.size(); ++node) {
      const auto first = static_cast<Size>(6 * (mesh.library_node[node] - 1));
      for (Size q = 0; q < 6; ++q) mode.shape[node][q] = phi[first + q];
      const auto& s = mode.shape[node];
      largest = std::max(largest, std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]));
    }
    mode.drawing_scale = largest > 0.0 ? 1.0 / largest : 1.0;
    r.modes.push_back(std::move(mode));
  }
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return {std::move(r), std::move(v.mass)};
}

}  // namespace zervola::frame
