#include "analysis/solution/case_recovery.hpp"

#include <fmt/format.h>
#include <zervola.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "analysis/solution/equilibrium.hpp"
#include "analysis/solution/load_case_solver.hpp"
#include "element/geometric_stiffness.hpp"
#include "analysis/solution/result_check.hpp"
#include "zervola/frame/errors.hpp"
#include "zervola/frame/library_arrays.hpp"

namespace zervola::frame {
namespace {

using Int = std::int32_t;

[[noreturn]] void non_finite(const Model& model, const Mesh& mesh, const std::vector<double>& u,
                             const LoadCase& c) {
  const bool all_nan = std::all_of(u.begin(), u.end(), [](double v) { return std::isnan(v); });
  if (all_nan)
    throw AnalysisError(fmt::format(
        "{}: load case \"{}\": the system is singular (every displacement is NaN): the frame "
        "is a mechanism or lacks supports",
        model.source_file, c.name));
  const auto first = std::find_if(u.begin(), u.end(), [](double v) { return !std::isfinite(v); });
  const auto eq = static_cast<Int>(first - u.begin());
  const Int node = mesh.drawing_node[static_cast<std::size_t>(eq / 6)];
  const Point3& p = mesh.nodes[at(node)];
  throw AnalysisError(fmt::format(
      "{}: load case \"{}\": the frame is a mechanism or its system is singular: the "
      "displacement {} of node {} at [{}, {}, {}] is the first to go non-finite (equation {} "
      "in the solver's order); check supports and releases there",
      model.source_file, c.name, k_dof_names[static_cast<std::size_t>(eq % 6)], node, p.x, p.y,
      p.z, eq + 1),
      node);
}

// Per member, its end forces and extreme stresses into r; returns, per node
// (drawing numbers, from 0), the sum of what the members exert on it.
// Member i's geometric end forces Kg(N) u: into its end forces (end-force
// convention, local axes) and onto its nodes (global axes); returns the
// moment of the latter about the origin.
Vector3 add_geometric_forces(const Mesh& mesh, const element::ElementModel& model, std::size_t i,
                             double N, const Transform& transform, const std::vector<double>& u,
                             std::array<double, 12>& end_forces,
                             std::vector<std::array<double, 6>>& nodal_sum) {
  Vector3 moment{};
  if (N == 0.0 || mesh.arrays.section_codes[i] <= 0) return moment;
  const auto e = static_cast<Index>(i + 1);
  const Matrix12 kg = element::element_geometric_matrix(model, e, mesh.arrays.end_codes[i], N);
  const std::array<Int, 2> lib = {mesh.arrays.element_nodes[2 * i], mesh.arrays.element_nodes[2 * i + 1]};
  std::array<double, 12> ue{}, f{};
  for (std::size_t k = 0; k < 12; ++k) ue[k] = u[6 * at(lib[k / 6]) + k % 6];
  for (std::size_t r = 0; r < 12; ++r)
    for (std::size_t c = 0; c < 12; ++c)
      f[r] += kg(static_cast<Index>(r + 1), static_cast<Index>(c + 1)) * ue[c];
  // In the member's order (its start first) and onto the nodes.
  const bool swapped = mesh.drawing_node[at(lib[0])] != mesh.member_start[i];
  std::array<double, 12> g{};
  for (std::size_t k = 0; k < 12; ++k) g[k] = f[swapped ? (k + 6) % 12 : k];
  for (std::size_t end = 0; end < 2; ++end) {
    const std::size_t node = at(end == 0 ? mesh.member_start[i] : mesh.member_end[i]);
    for (std::size_t k = 0; k < 6; ++k) nodal_sum[node][k] += g[6 * end + k];
    const Point3& p = mesh.nodes[node];
    const double* F = &g[6 * end];
    moment[0] += F[3] + p.y * F[2] - p.z * F[1];
    moment[1] += F[4] + p.z * F[0] - p.x * F[2];
    moment[2] += F[5] + p.x * F[1] - p.y * F[0];
  }
  for (std::size_t row = 0; row < 12; ++row) {
    double local = 0.0;
    for (std::size_t col = 0; col < 12; ++col) local += transform[row + 12 * col] * g[col];
    end_forces[row] += row >= 3 && row < 9 ? -local : local;
  }
  return moment;
}

std::vector<std::array<double, 6>> recover_members(const Mesh& mesh, std::size_t case_index,
                                                   const MemberLoading& loading,
                                                   const std::vector<Transform>& transforms,
                                                   const std::vector<double>& u, CaseResult& r,
                                                   Progress& progress,
                                                   const std::vector<double>* axial_force,
                                                   Vector3& geometric_moment) {
  const FrameArrays& a = mesh.arrays;
  std::vector<std::array<double, 6>> nodal_sum(static_cast<std::size_t>(mesh.n_nodes));
  const Int spare = 0;
  // The elements as the library's core sees them, for the geometric terms.
  const global::NodeRecordTable no_records;
  const SystemShape shape{mesh.n_nodes, mesh.n_equations, &mesh.diag_address, mesh.profile_length,
                          mesh.max_column_height};
  const element::ElementModel element_model = frame_analysis(a, shape, no_records).model;
  for (Int e = 1; e <= a.n_elements; ++e) {
    const std::size_t i = at(e);
    const Int flag = mesh.reverse_flag[i];
    const Transform& transform = transforms[i];
    std::array<double, 12> end_displacements{}, end_forces{}, end_forces_global{};
    GLOBTOLOC(transform.data(), u.data(), end_displacements.data(), end_forces.data(),
              end_forces_global.data(), a.node_x.data(), a.node_y.data(), a.node_z.data(),
              a.element_nodes.data(), a.section_codes.data(), a.section_table.data(), &spare,
              &mesh.n_nodes, &a.n_elements, &e, &flag, &a.end_codes[i]);
    // What the nodes exert on the element, K_e u, undoing the sign
    // convention (moments at the start, forces at the end), in global axes.
    std::array<double, 12> nodal_local = end_forces;
    for (std::size_t k = 3; k < 9; ++k) nodal_local[k] = -nodal_local[k];

    std::array<double, 12> nodal_global{};
    LOCTOGLOB(transform.data(), nodal_local.data(), nodal_global.data());
    const std::size_t start = at(mesh.member_start[i]), end = at(mesh.member_end[i]);
    for (std::size_t k = 0; k < 6; ++k) {
      nodal_sum[start][k] += nodal_global[k];
      nodal_sum[end][k] += nodal_global[k + 6];
    }
    if (axial_force != nullptr) {
      const Vector3 m = add_geometric_forces(mesh, element_model, i, (*axial_force)[i], transform, u,
                                             end_forces, nodal_sum);
      for (std::size_t d = 0; d < 3; ++d) geometric_moment[d] += m[d];
    }

    // The member's own loads, held by fixed ends, add to what the
    // displacements give.
    for (std::size_t k = 0; k < 12; ++k) end_forces[k] += loading.correction[case_index][i][k];
    const double* section =
        &a.section_table[k_section_rows * static_cast<std::size_t>(std::abs(a.section_codes[i]) - 1)];
    double stress_max = 0.0, stress_min = 0.0;
    SILFACT(end_forces.data(), section, &a.temperature_change[i], &stress_max, &stress_min);
    // The library gives stresses times 1e-6; the report gives force/length^2.
    r.stress_max.push_back(stress_max * 1.0e6);
    r.stress_min.push_back(stress_min * 1.0e6);
    r.end_forces.push_back(end_forces);
    r.end_displacements.push_back(end_displacements);
    progress.step(static_cast<std::size_t>(e), static_cast<std::size_t>(a.n_elements));
  }

  return nodal_sum;
}

// Applied loads per node, and which directions are held.
NodeBalance node_balance(const Model& model, const Mesh& mesh, const Placement& placement,
                         std::size_t case_index, const MemberLoading& loading,
                         std::vector<std::array<double, 6>> nodal_sum) {
  const LoadCase& c = model.load_cases[case_index];
  const std::size_t n = static_cast<std::size_t>(mesh.n_nodes);
  NodeBalance balance;
  balance.member_sum = std::move(nodal_sum);
  auto& applied = balance.applied;
  applied.resize(n);
  // The member loads, as their equivalent nodal loads: statically the same.
  for (std::size_t node = 0; node < n; ++node)
    for (std::size_t d = 0; d < 6; ++d) applied[node][d] += loading.nodal[case_index][node][d];
  for (std::size_t k = 0; k < c.loads.size(); ++k) {
    const std::size_t node = at(mesh.drawing_node[at(placement.load_node[case_index][k])]);
    for (std::size_t d = 0; d < 3; ++d) {
      applied[node][d] += c.loads[k].force[d];
      applied[node][d + 3] += c.loads[k].moment[d];
    }
  }
  auto& held = balance.held;
  held.resize(n);
  auto& supported = balance.supported;
  supported.assign(n, false);
  for (std::size_t k = 0; k < model.supports.size(); ++k) {
    const std::size_t node = at(mesh.drawing_node[at(placement.support_node[k])]);
    supported[node] = true;
    for (std::size_t d = 0; d < 6; ++d) held[node][d] = held[node][d] || model.supports[k].restrained[d];
  }
  for (std::size_t k = 0; k < model.springs.size(); ++k) {
    const std::size_t node = at(mesh.drawing_node[at(placement.spring_node[k])]);
    supported[node] = true;
    held[node].fill(true);
  }
  if (model.frame == FrameKind::plane)
    for (auto& h : held) h[2] = h[3] = h[4] = true;

  return balance;
}

}  // namespace

CaseResult recover_case(const Model& model, const Mesh& mesh, const Placement& placement,
                        std::size_t case_index, const MemberLoading& loading,
                        const std::vector<MemberGeometry>& geometry,
                        const std::vector<Transform>& transforms, std::vector<double> u,
                        Progress& progress, const std::vector<double>* axial_force) {
  const LoadCase& c = model.load_cases[case_index];
  if (!std::all_of(u.begin(), u.end(), [](double v) { return std::isfinite(v); }))
    non_finite(model, mesh, u, c);

  CaseResult r;
  r.name = c.name;
  for (Int n = 1; n <= mesh.n_nodes; ++n) {
    const Int lib = mesh.library_node[at(n)];
    std::array<double, 6> d{};
    for (std::size_t k = 0; k < 6; ++k) d[k] = u[6 * at(lib) + k];
    r.displacements.push_back(d);
  }

  progress.stage(fmt::format("load case {} of {}: end forces", case_index + 1,
                             model.load_cases.size()));
  Vector3 geometric_moment{};
  std::vector<std::array<double, 6>> nodal_sum = recover_members(
      mesh, case_index, loading, transforms, u, r, progress, axial_force, geometric_moment);
  NodeBalance balance =
      node_balance(model, mesh, placement, case_index, loading, std::move(nodal_sum));
  for (std::size_t d = 0; d < 3; ++d) balance.p_delta_moment[d] = -geometric_moment[d];
  check_member_results(model, mesh.nodes, geometry, r);
  balance_reactions(model, mesh.nodes, c, balance, r);
  return r;
}

void name_supports(const Model& model, const Mesh& mesh, const Placement& placement,
                   std::vector<CaseResult>& cases) {
  std::vector<const std::string*> name(static_cast<std::size_t>(mesh.n_nodes), nullptr);
  for (std::size_t k = 0; k < model.supports.size(); ++k)
    if (model.supports[k].named)
      name[at(mesh.drawing_node[at(placement.support_node[k])])] = &model.supports[k].name;
  for (CaseResult& r : cases)
    for (Reaction& x : r.reactions)
      if (const std::string* n = name[at(x.node)]) x.support = *n;
}

}  // namespace zervola::frame
