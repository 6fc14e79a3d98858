#include "analysis.hpp"

#include <fmt/format.h>
#include <zervola.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <functional>
#include <memory>
#include <numeric>
#include <system_error>
#include <thread>

#include "combinations.hpp"
#include "equilibrium.hpp"
#include "errors.hpp"
#include "library_arrays.hpp"
#include "load_case_solver.hpp"
#include "member_loads.hpp"
#include "placement.hpp"
#include "profile_numbering.hpp"
#include "result_check.hpp"
#include "store_size.hpp"

namespace zervola::host {
namespace {

using Int = std::int32_t;

// The mesh as the library numbers it, and how that numbering relates to the
// drawing's.
struct Mesh {
  FrameArrays arrays;
  Int n_nodes = 0;
  Int n_equations = 0;
  std::vector<Int> diag_address;
  Int profile_length = 0;
  Int max_column_height = 0;
  std::vector<Int> library_node;  // drawing number - 1 -> library number
  std::vector<Int> drawing_node;  // library number - 1 -> drawing number
  std::vector<Int> reverse_flag;  // per element: 1 when its pair runs to -> from
  // Orientation points for recovery, so that each member's local axes run
  // from its "from" point with local z towards its orientation point.
  std::vector<double> recovery_x, recovery_y, recovery_z;
  std::vector<Point3> nodes;          // by drawing number
  std::vector<Int> member_start, member_end;  // drawing numbers
  MeshSummary summary;
};

std::size_t at(Int one_based) { return static_cast<std::size_t>(one_based - 1); }

Int node_bandwidth(const std::vector<Int>& element_nodes) {
  Int width = 0;
  for (std::size_t k = 0; k + 1 < element_nodes.size(); k += 2)
    width = std::max(width, std::abs(element_nodes[k] - element_nodes[k + 1]));
  return width;
}

// A member outside the piece that holds the first member, found on the node
// numbers: the smallest-numbered member of the piece that does not hold the
// first member.
std::size_t member_apart(const std::vector<Int>& element_nodes, Int n_nodes) {
  std::vector<Int> parent(static_cast<std::size_t>(n_nodes));
  std::iota(parent.begin(), parent.end(), 0);
  const auto root = [&](Int n) {
    while (parent[static_cast<std::size_t>(n)] != n)
      n = parent[static_cast<std::size_t>(n)] = parent[static_cast<std::size_t>(parent[static_cast<std::size_t>(n)])];
    return n;
  };
  for (std::size_t k = 0; k + 1 < element_nodes.size(); k += 2)
    parent[static_cast<std::size_t>(root(element_nodes[k] - 1))] = root(element_nodes[k + 1] - 1);
  const Int first = root(element_nodes[0] - 1);
  for (std::size_t k = 0; k + 1 < element_nodes.size(); k += 2)
    if (root(element_nodes[k] - 1) != first) return k / 2;
  return 0;
}

void make_mesh_in_one_piece(const Model& model, Mesh& mesh, Int free_line, Int bandwidth) {
  if (free_line == 0 && bandwidth != 0) return;
  std::string what;
  if (free_line > 0) {
    const Member& m = model.members[at(free_line)];
    what = fmt::format("member \"{}\" ({}) is not connected to the rest", m.name, m.origin.place);
  } else {
    const std::size_t k = member_apart(mesh.arrays.element_nodes, mesh.n_nodes);
    const Member& m = model.members[k];
    what = fmt::format("member \"{}\" ({}) does not share a node with the rest: its points lie "
                       "near other members' points (within 0.1) but not on them (within {})",
                       m.name, m.origin.place, 1.0e-4);
  }
  const std::string renumbering =
      bandwidth == 0 ? "the node renumbering reported \"Uncorrect mesh data\""
                     : "the node renumbering found no fault";
  throw AnalysisError(fmt::format("{}: the model is not in one piece: {}; {}",
                                  model.source_file, what, renumbering));
}

// Renumbers the drawing's nodes for a small profile, as KRINUM renumbers
// them for a narrow band: coordinates move to their node's new number, and
// the elements and their ends keep their order.
void renumber_for_profile(FrameArrays& a, Int n_nodes) {
  const std::vector<Int> pairs(a.element_nodes.begin(), a.element_nodes.end());
  const std::vector<Int> new_number = profile_numbering(pairs, n_nodes);
  const auto move = [&](std::vector<double>& v) {
    std::vector<double> moved = v;
    for (Int n = 1; n <= n_nodes; ++n) moved[at(new_number[at(n)])] = v[at(n)];
    v = std::move(moved);
  };
  move(a.node_x);
  move(a.node_y);
  move(a.node_z);
  for (Int& node : a.element_nodes) node = new_number[at(node)];
}

// The skyline that a numbering gives, as ZEBMUK6 profiles it.
NumberingSize numbering_size(const FrameArrays& a, Int n_nodes, Int n_equations) {
  std::vector<Int> pairs = a.element_nodes;
  std::vector<Int> codes = a.end_codes;
  std::vector<Int> diag(static_cast<std::size_t>(n_equations));
  NumberingSize size;
  Int n_elements = a.n_elements;
  ZEBMUK6(pairs.data(), diag.data(), codes.data(), &n_nodes, &n_equations, &n_elements,
          &size.profile_length, &size.max_column_height);
  size.node_bandwidth = node_bandwidth(a.element_nodes);
  Int previous = 0;
  for (const Int address : diag) {
    const auto h = static_cast<double>(address - previous);
    size.squared_column_heights += h * h;
    previous = address;
  }
  return size;
}

Mesh build_mesh(const Model& model, NumberingChoice numbering) {
  Mesh mesh;
  mesh.arrays = build_frame_arrays(model);
  FrameArrays& a = mesh.arrays;
  Int point_count = 2 * a.n_elements;
  MESHDISKR(a.node_x.data(), a.node_y.data(), a.node_z.data(), a.element_nodes.data(),
            &point_count, &a.n_elements);
  if (point_count <= 0)
    throw AnalysisError(fmt::format("{}: the library could not build nodes from the members",
                                    model.source_file));
  mesh.n_nodes = point_count;
  mesh.n_equations = 6 * mesh.n_nodes;
  for (std::size_t e = 0; e < model.members.size(); ++e) {
    if (a.element_nodes[2 * e] == a.element_nodes[2 * e + 1]) {
      const Member& m = model.members[e];
      throw InputError(fmt::format("{}: {}: field \"to\": the member has zero length (both its "
                                   "points lie on node {})",
                                   m.origin.file, m.origin.place, a.element_nodes[2 * e]));
    }
  }
  for (Int n = 1; n <= mesh.n_nodes; ++n)
    mesh.nodes.push_back({a.node_x[at(n)], a.node_y[at(n)], a.node_z[at(n)]});
  for (std::size_t e = 0; e < model.members.size(); ++e) {
    mesh.member_start.push_back(a.element_nodes[2 * e]);
    mesh.member_end.push_back(a.element_nodes[2 * e + 1]);
  }

  Int free_line = 0;
  const Int spare = 0;
  FREELINE(a.node_x.data(), a.node_y.data(), a.node_z.data(), a.element_nodes.data(), &free_line,
           &spare, &a.n_elements);

  // The profile the drawing's own numbering would need.
  {
    std::vector<Int> pairs = a.element_nodes;
    std::vector<Int> codes = a.end_codes;
    std::vector<Int> diag(static_cast<std::size_t>(mesh.n_equations));
    MeshSummary& s = mesh.summary;
    s.bandwidth_before = node_bandwidth(pairs);
    ZEBMUK6(pairs.data(), diag.data(), codes.data(), &mesh.n_nodes, &mesh.n_equations,
            &a.n_elements, &s.profile_before, &s.column_height_before);
  }

  // Two numberings compete: the library's band renumbering and the
  // profile-reducing one; the solver's work follows the profile.
  FrameArrays drawn = a;
  Int bandwidth = 0;
  KRINUM(a.node_x.data(), a.node_y.data(), a.node_z.data(), a.element_nodes.data(),
         &mesh.n_nodes, &a.n_elements, &bandwidth);
  make_mesh_in_one_piece(model, mesh, free_line, bandwidth);
  renumber_for_profile(drawn, mesh.n_nodes);
  const NumberingSize band = numbering_size(a, mesh.n_nodes, mesh.n_equations);
  const NumberingSize reducing = numbering_size(drawn, mesh.n_nodes, mesh.n_equations);
  MeshSummary& summary = mesh.summary;
  summary.band = band;
  summary.profile_reducing = reducing;
  const bool use_reducing =
      numbering == NumberingChoice::profile ||
      (numbering == NumberingChoice::automatic && reducing.profile_length > 0 &&
       (band.profile_length <= 0 || reducing.profile_length < band.profile_length));
  summary.numbering = use_reducing ? NumberingChoice::profile : NumberingChoice::band;
  if (use_reducing) a = std::move(drawn);

  mesh.library_node.assign(static_cast<std::size_t>(mesh.n_nodes), 0);
  mesh.drawing_node.assign(static_cast<std::size_t>(mesh.n_nodes), 0);
  for (std::size_t e = 0; e < model.members.size(); ++e) {
    mesh.library_node[at(mesh.member_start[e])] = a.element_nodes[2 * e];
    mesh.library_node[at(mesh.member_end[e])] = a.element_nodes[2 * e + 1];
  }
  for (Int n = 1; n <= mesh.n_nodes; ++n) mesh.drawing_node[at(mesh.library_node[at(n)])] = n;

  mesh.diag_address.assign(static_cast<std::size_t>(mesh.n_equations), 0);
  ZEBMUK6(a.element_nodes.data(), mesh.diag_address.data(), a.end_codes.data(), &mesh.n_nodes,
          &mesh.n_equations, &a.n_elements, &mesh.profile_length, &mesh.max_column_height);
  if (mesh.profile_length <= 0)
    throw AnalysisError(fmt::format("{}: the library refused the node numbering of the mesh "
                                    "(for a model of {} nodes: its skyline store would exceed "
                                    "the library's {} entries)",
                                    model.source_file, mesh.n_nodes, k_largest_profile));
  check_store_fits(model, mesh.profile_length);
  MeshSummary& s = mesh.summary;
  s.n_nodes = mesh.n_nodes;
  s.n_equations = mesh.n_equations;
  s.bandwidth_after = node_bandwidth(a.element_nodes);
  s.profile_after = mesh.profile_length;
  s.column_height_after = mesh.max_column_height;

  for (std::size_t e = 0; e < model.members.size(); ++e) {
    const Int from = mesh.library_node[at(mesh.member_start[e])];
    const Int flag = a.element_nodes[2 * e] == from ? 0 : 1;
    mesh.reverse_flag.push_back(flag);
    double ox = a.orient_x[e], oy = a.orient_y[e], oz = a.orient_z[e];
    if (flag == 1 && model.members[e].orientation_point) {
      // Walked backwards the library turns local z away from the point;
      // its mirror image through the midpoint turns it back.
      const Point3& p = mesh.nodes[at(mesh.member_start[e])];
      const Point3& q = mesh.nodes[at(mesh.member_end[e])];
      ox = (p.x + q.x) - ox;
      oy = (p.y + q.y) - oy;
      oz = (p.z + q.z) - oz;
    }
    mesh.recovery_x.push_back(ox);
    mesh.recovery_y.push_back(oy);
    mesh.recovery_z.push_back(oz);
  }
  return mesh;
}

double norm(const Vector3& a) { return std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]); }

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
      p.z, eq + 1));
}

// Each member's transformation to local axes, from its "from" point, as
// MATRIXCOS3P gives it: the same for every load case.
using Transform = std::array<double, 144>;

std::vector<Transform> member_transforms(const Mesh& mesh) {
  const FrameArrays& a = mesh.arrays;
  std::vector<Transform> transforms(static_cast<std::size_t>(a.n_elements));
  for (Int e = 1; e <= a.n_elements; ++e) {
    const Int flag = mesh.reverse_flag[at(e)];
    MATRIXCOS3P(transforms[at(e)].data(), a.node_x.data(), a.node_y.data(), a.node_z.data(),
                mesh.recovery_x.data(), mesh.recovery_y.data(), mesh.recovery_z.data(),
                a.element_nodes.data(), &mesh.n_nodes, &a.n_elements, &e, &flag);
  }
  return transforms;
}

// Each member's local axes: the rows of its transformation's first block.
void member_axes(const std::vector<Transform>& transforms, std::vector<MemberGeometry>& geometry) {
  for (std::size_t e = 0; e < transforms.size(); ++e)
    for (std::size_t row = 0; row < 3; ++row)
      for (std::size_t col = 0; col < 3; ++col)
        geometry[e].axes[row][col] = transforms[e][row + 12 * col];
}

// The member loads' equivalent nodal loads as load records (8 values each).
void add_member_load_records(const Mesh& mesh, const std::vector<std::array<double, 6>>& nodal,
                             std::vector<double>& records) {
  for (std::size_t n = 0; n < nodal.size(); ++n)
    for (std::size_t block = 0; block < 2; ++block) {
      const double* v = &nodal[n][3 * block];
      if (v[0] == 0.0 && v[1] == 0.0 && v[2] == 0.0) continue;
      const Int lib = mesh.library_node[n];
      records.insert(records.end(),
                     {static_cast<double>(static_cast<int>(RecordCode::load)),
                      static_cast<double>(6 * (lib - 1) + 1 + 3 * static_cast<Int>(block)), v[0],
                      v[1], v[2], 0.0, 0.0, 0.0});
    }
}

// Every load case's node-record table: supports, springs, nodal loads, and
// the member loads' equivalent nodal loads.
std::vector<std::vector<double>> case_records(const Model& model, const Mesh& mesh,
                                              const Placement& placement,
                                              const MemberLoading& loading) {
  std::vector<std::vector<double>> records;
  for (std::size_t c = 0; c < model.load_cases.size(); ++c) {
    records.push_back(build_node_records(model, placement, c));
    add_member_load_records(mesh, loading.nodal[c], records.back());
  }
  return records;
}

std::vector<double> solve_all_cases(const Model& model, const Mesh& mesh,
                                    const std::vector<std::vector<double>>& records,
                                    Progress& progress) {
  progress.stage(fmt::format("assembling and factorising once for {} load case{}",
                             records.size(), records.size() == 1 ? "" : "s"));
  const SystemShape shape{mesh.n_nodes, mesh.n_equations, &mesh.diag_address, mesh.profile_length,
                          mesh.max_column_height};
  LoadCaseSolution solution = solve_load_cases(mesh.arrays, shape, records);
  if (solution.outcome == SolveOutcome::out_of_memory)
    throw AnalysisError(fmt::format("{}: out of memory for the skyline store of {} entries "
                                    "({} equations) and the load cases' working arrays",
                                    model.source_file, mesh.profile_length, mesh.n_equations));
  if (solution.outcome == SolveOutcome::refused)
    throw AnalysisError(fmt::format("{}: the library refused the system of the model: {}",
                                    model.source_file, solution.reason));
  return std::move(solution.displacements);
}

CaseResult recover_case(const Model& model, const Mesh& mesh, const Placement& placement,
                        std::size_t case_index, const MemberLoading& loading,
                        const std::vector<MemberGeometry>& geometry,
                        const std::vector<Transform>& transforms, std::vector<double> u,
                        Progress& progress) {
  const LoadCase& c = model.load_cases[case_index];
  const FrameArrays& a = mesh.arrays;
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
  std::vector<std::array<double, 6>> nodal_sum(static_cast<std::size_t>(mesh.n_nodes));
  const Int spare = 0;
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

    std::array<double, 12> nodal_global{};
    LOCTOGLOB(transform.data(), nodal_local.data(), nodal_global.data());
    const std::size_t start = at(mesh.member_start[i]), end = at(mesh.member_end[i]);
    for (std::size_t k = 0; k < 6; ++k) {
      nodal_sum[start][k] += nodal_global[k];
      nodal_sum[end][k] += nodal_global[k + 6];
    }
    progress.step(static_cast<std::size_t>(e), static_cast<std::size_t>(a.n_elements));
  }

  // Applied loads per node, and which directions are held.
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

  check_member_results(model, mesh.nodes, geometry, r);
  balance_reactions(model, mesh.nodes, c, balance, r);
  return r;
}

// recover(c, progress) for c = 0 .. count - 1, on as many threads as the
// processor runs at once: the cases are independent, and the library keeps
// no state between calls. Only the calling thread reports progress. An
// exception of a case is thrown again after all have finished, that of the
// first such case in case order, as a loop over the cases would throw it.
template <class Recover>
std::vector<CaseResult> for_every_case(std::size_t count, Progress& progress, Recover recover) {
  std::vector<CaseResult> results(count);
  std::vector<std::exception_ptr> failures(count);
  std::atomic<std::size_t> next{0};
  const auto work = [&](Progress& reporting) {
    for (std::size_t c = next++; c < count; c = next++) {
      try {
        results[c] = recover(c, reporting);
      } catch (...) {
        failures[c] = std::current_exception();
      }
    }
  };
  const std::size_t helpers =
      std::min<std::size_t>(std::max(1U, std::thread::hardware_concurrency()), count) - (count > 0);
  std::vector<std::unique_ptr<Progress>> silent;
  for (std::size_t t = 0; t < helpers; ++t) silent.push_back(std::make_unique<Progress>(false));
  std::vector<std::thread> threads;
  threads.reserve(helpers);  // so that starting a thread never reallocates
  try {
    for (std::size_t t = 0; t < helpers; ++t) threads.emplace_back(work, std::ref(*silent[t]));
  } catch (const std::system_error&) {
    // Fewer threads than asked for: the calling thread takes the rest.
  }
  work(progress);
  for (std::thread& t : threads) t.join();
  for (const std::exception_ptr& failure : failures)
    if (failure) std::rethrow_exception(failure);
  return results;
}

double seconds_since(std::chrono::steady_clock::time_point& start) {
  const auto now = std::chrono::steady_clock::now();
  const double seconds = std::chrono::duration<double>(now - start).count();
  start = now;
  return seconds;
}

}  // namespace

AnalysisResult analyse(const Model& model, Progress& progress, NumberingChoice numbering) {
  auto clock = std::chrono::steady_clock::now();
  progress.stage("building the mesh");
  Mesh mesh = build_mesh(model, numbering);
  const Placement placement = place_on_nodes(model, mesh.nodes, mesh.library_node);
  AnalysisResult result;
  result.mesh = mesh.summary;
  result.nodes = mesh.nodes;
  result.members.resize(model.members.size());
  for (std::size_t e = 0; e < model.members.size(); ++e) {
    MemberGeometry& g = result.members[e];
    g.start_node = mesh.member_start[e];
    g.end_node = mesh.member_end[e];
    const Point3& p = mesh.nodes[at(g.start_node)];
    const Point3& q = mesh.nodes[at(g.end_node)];
    g.length = norm({q.x - p.x, q.y - p.y, q.z - p.z});
  }
  const std::vector<Transform> transforms = member_transforms(mesh);
  member_axes(transforms, result.members);
  MemberLoading loading =
      prepare_member_loads(model, result.members, static_cast<std::size_t>(mesh.n_nodes));
  result.times.mesh = seconds_since(clock);
  const std::vector<double> u =
      solve_all_cases(model, mesh, case_records(model, mesh, placement, loading), progress);
  result.times.solution = seconds_since(clock);
  const auto n = static_cast<std::ptrdiff_t>(mesh.n_equations);
  result.cases = for_every_case(model.load_cases.size(), progress,
                                [&](std::size_t c, Progress& reporting) {
                                  const auto first = u.begin() + n * static_cast<std::ptrdiff_t>(c);
                                  return recover_case(model, mesh, placement, c, loading,
                                                      result.members, transforms,
                                                      std::vector<double>(first, first + n),
                                                      reporting);
                                });
  result.times.recovery = seconds_since(clock);
  result.member_loads = std::move(loading.loads);
  result.combinations = combine(model, result);
  progress.finish();
  return result;
}

}  // namespace zervola::host
