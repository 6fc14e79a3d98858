#include "zervola/frame.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <exception>
#include <functional>
#include <map>
#include <string>
#include <system_error>
#include <thread>

#include "analysis/checks/large_displacement.hpp"
#include "analysis/checks/member_geometry.hpp"
#include "analysis/checks/plausibility.hpp"
#include "analysis/checks/section_axes.hpp"
#include "analysis/checks/short_members.hpp"
#include "analysis/superposition/member_stresses.hpp"
#include "analysis/loads/member_loads.hpp"
#include "analysis/modal/natural_modes.hpp"
#include "analysis/modal/seismic_response.hpp"
#include "analysis/solution/every_case.hpp"
#include "analysis/stability/linear_buckling.hpp"
#include "analysis/stability/second_order.hpp"
#include "analysis/mesh/mesh.hpp"
#include "analysis/solution/case_recovery.hpp"
#include "analysis/solution/mechanism_check.hpp"
#include "analysis/solution/result_check.hpp"
#include "analysis/solution/load_case_solver.hpp"
#include "analysis/solution/solver_plan.hpp"
#include "zervola/frame/store_size.hpp"
#include "zervola/frame/combinations.hpp"
#include "zervola/frame/errors.hpp"
#include "zervola/frame/library_arrays.hpp"
#include "zervola/frame/placement.hpp"

namespace zervola::frame {
namespace {

using Int = std::int32_t;

double length_of(const Vector3& a) { return std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]); }

// Each member's local axes: the rows of its transformation's first block.
void member_axes(const std::vector<Transform>& transforms, std::vector<MemberGeometry>& geometry) {
  for (std::size_t e = 0; e < transforms.size(); ++e)
    for (std::size_t row = 0; row < 3; ++row)
      for (std::size_t col = 0; col < 3; ++col)
        geometry[e].axes[row][col] = transforms[e][row + 12 * col];
}

std::vector<double> solve_all_cases(const Model& model, const Mesh& mesh,
                                    const std::vector<std::vector<double>>& records,
                                    const SolverPlan& plan, Progress& progress) {
  progress.stage(fmt::format("assembling and factorising once for {} load case{}",
                             records.size(), records.size() == 1 ? "" : "s"));
  const SystemShape shape{mesh.n_nodes, mesh.n_equations, &mesh.diag_address, mesh.profile_length,
                          mesh.max_column_height};
  LoadCaseSolution solution = solve_load_cases(mesh.arrays, shape, records, &plan);
  if (solution.outcome == SolveOutcome::out_of_memory) {
    if (plan.summary.used == SolverChoice::supernodal)
      throw AnalysisError(fmt::format(
          "{}: out of memory for the supernodal factor of {:.3g} MB ({} equations) and the load "
          "cases' working arrays",
          model.source_file, plan.summary.supernodal_bytes / 1.0e6, mesh.n_equations));
    throw AnalysisError(fmt::format("{}: out of memory for the skyline store of {} entries "
                                    "({} equations) and the load cases' working arrays",
                                    model.source_file, mesh.profile_length, mesh.n_equations));
  }
  if (solution.outcome == SolveOutcome::refused)
    throw AnalysisError(fmt::format("{}: the library refused the system of the model: {}",
                                    model.source_file, solution.reason));
  const std::vector<Mechanism> mechanisms =
      find_mechanisms(solution.without_stiffness, solution.prescribed, solution.diagonal,
                      solution.pivot, solution.mechanism_shapes, mesh.drawing_node);
  if (!mechanisms.empty())
    throw AnalysisError(mechanism_message(model, mesh.nodes, mechanisms), mechanisms.front().node);
  return std::move(solution.displacements);
}

double seconds_since(std::chrono::steady_clock::time_point& start) {
  const auto now = std::chrono::steady_clock::now();
  const double seconds = std::chrono::duration<double>(now - start).count();
  start = now;
  return seconds;
}

// Every stage of analyse, into result, whose warnings are kept as they are
// found so that an error later on can carry them; likely_cause gets, per
// node, what would explain a solution failing there, before it is tried.
void analyse_into(const Model& model, const AnalysisOptions& options, AnalysisResult& result,
                  std::map<std::int32_t, std::string>& likely_cause) {
  Progress silent;
  Progress& progress = options.progress != nullptr ? *options.progress : silent;
  const NumberingChoice numbering = options.numbering;
  auto clock = std::chrono::steady_clock::now();
  result.warnings = model.warnings;
  progress.stage("building the mesh");
  Mesh mesh = [&] {
    try {
      return build_mesh(model, numbering);
    } catch (const AnalysisError&) {
      // A member apart from the rest is often one drawn across or onto
      // another without a common point: say so beside the error.
      for (Warning& w : drawn_geometry_warnings(model)) result.warnings.push_back(std::move(w));
      throw;
    }
  }();
  const Placement placement = place_on_nodes(model, mesh.nodes, mesh.library_node);
  for (Warning& w : section_axis_warnings(model)) result.warnings.push_back(std::move(w));
  for (Warning& w : plausibility_warnings(model)) result.warnings.push_back(std::move(w));
  result.mesh = mesh.summary;
  result.nodes = mesh.nodes;
  result.members.resize(model.members.size());
  for (std::size_t e = 0; e < model.members.size(); ++e) {
    MemberGeometry& g = result.members[e];
    g.start_node = mesh.member_start[e];
    g.end_node = mesh.member_end[e];
    const Point3& p = mesh.nodes[at(g.start_node)];
    const Point3& q = mesh.nodes[at(g.end_node)];
    g.length = length_of({q.x - p.x, q.y - p.y, q.z - p.z});
  }
  for (Warning& w : check_member_geometry(model, result).warnings)
    result.warnings.push_back(std::move(w));
  ShortMemberFindings short_members = short_member_warnings(model, result);
  for (Warning& w : short_members.warnings) result.warnings.push_back(std::move(w));
  likely_cause = std::move(short_members.likely_cause);
  const std::vector<Transform> transforms = member_transforms(mesh);
  member_axes(transforms, result.members);
  MemberLoading loading =
      prepare_member_loads(model, result.members, static_cast<std::size_t>(mesh.n_nodes));
  result.times.mesh = seconds_since(clock);
  // A model may ask for its modes alone, without a load case.
  SolverPlan plan;
  if (!model.load_cases.empty() || model.modal || model.buckling) {
    progress.stage("choosing the solver");
    const SystemShape shape{mesh.n_nodes, mesh.n_equations, &mesh.diag_address,
                            mesh.profile_length, mesh.max_column_height};
    const MemoryBound memory = usable_memory();
    plan = plan_solver(mesh.arrays, shape, options.solver, options.threads, [&](double bytes) {
      return factor_fits(model, bytes, mesh.n_nodes, memory);
    });
    result.mesh.solver = plan.summary;
    check_chosen_store(model, mesh, plan, memory);
  }
  const std::vector<double> u =
      model.load_cases.empty()
          ? std::vector<double>()
          : solve_all_cases(model, mesh, case_records(model, mesh, placement, loading), plan,
                            progress);
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
  name_supports(model, mesh, placement, result.cases);
  result.times.recovery = seconds_since(clock);
  result.member_loads = std::move(loading.loads);
  result.combinations = combine(model, result);
  // Buckling takes the first-order axial forces; second-order results then
  // replace those of their sets (after the combinations superposed the
  // first-order cases: second-order results do not superpose).
  if (model.buckling) {
    progress.stage("finding the critical load factors");
    result.buckling = linear_buckling(model, mesh, placement, result, &plan);
  }
  result.second_order = second_order(model, mesh, transforms, result, progress, &plan);
  take_stresses_along_members(model, result);
  // Finite cases can still combine beyond the range of a double.
  for (const CaseResult& c : result.combinations) {
    check_member_results(model, result.nodes, result.members, c, SetKind::combination);
    check_reactions(model, result.nodes, c, SetKind::combination);
  }
  for (Warning& w : large_displacement_warnings(model, result)) result.warnings.push_back(std::move(w));
  if (model.modal) {
    progress.stage(fmt::format("finding the {} lowest natural mode{}", model.modal->modes,
                               model.modal->modes == 1 ? "" : "s"));
    NaturalModes modes =
        natural_modes(model, mesh, placement, result.members, result.warnings, &plan);
    if (model.spectrum) {
      progress.stage("combining the modes' responses to the spectrum");
      result.spectrum = response_spectrum(model, mesh, placement, modes, result.members, transforms,
                                          result.warnings, progress);
    }
    result.modal = std::move(modes.result);
  }
  progress.finish();
}

}  // namespace

AnalysisResult analyse(const Model& model, const AnalysisOptions& options) {
  AnalysisResult result;
  std::map<std::int32_t, std::string> likely_cause;
  try {
    analyse_into(model, options, result, likely_cause);
  } catch (AnalysisError& e) {
    // What was found before the failure often explains it (a near miss
    // beside a mechanism): the error carries it, and names a short member
    // at the node where the solution failed as the likely cause.
    const auto cause = likely_cause.find(e.node);
    if (e.node != 0 && cause != likely_cause.end()) {
      AnalysisError explained(fmt::format("{}. {}", e.what(), cause->second), e.node);
      explained.warnings = std::move(result.warnings);
      throw explained;
    }
    e.warnings = std::move(result.warnings);
    throw;
  }
  return result;
}

}  // namespace zervola::frame
