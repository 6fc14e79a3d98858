#include "analysis/solution/load_case_solver.hpp"

#include <fmt/format.h>

#include "analysis/ordering/thread_runner.hpp"
#include "analysis/solution/mechanism_check.hpp"
#include "analysis/solution/solver_plan.hpp"
#include "global/supernodal/supernodal_load_cases.hpp"
#include "common/frame_model.hpp"
#include "global/load_cases.hpp"
#include "global/supports.hpp"

namespace zervola::frame {
namespace {

const char* outcome_name(global::Outcome o) {
  switch (o) {
    case global::Outcome::solved: return "solved";
    case global::Outcome::bad_node_count: return "bad node count";
    case global::Outcome::bad_equation_count: return "bad equation count";
    case global::Outcome::bad_element: return "bad element";
    case global::Outcome::bad_profile: return "bad profile";
    case global::Outcome::bad_column_height: return "bad column height";
    case global::Outcome::element_outside_profile: return "element outside the profile";
    case global::Outcome::bad_record: return "bad node record";
    case global::Outcome::bad_equation: return "bad equation";
    case global::Outcome::profile_too_long: return "profile too long";
    case global::Outcome::out_of_memory: return "out of memory";
    case global::Outcome::case_supports_differ: return "load cases with different supports";
  }
  return "unknown outcome";
}

}  // namespace

global::FrameAnalysis frame_analysis(const FrameArrays& a, const SystemShape& shape,
                                     const global::NodeRecordTable& supports) {
  const Index nodes = shape.n_nodes;
  const Index elements = a.n_elements;
  const element::ElementModel model{
      {Vector1<const double>(a.node_x.data(), nodes), Vector1<const double>(a.node_y.data(), nodes),
       Vector1<const double>(a.node_z.data(), nodes)},
      {Vector1<const double>(a.orient_x.data(), elements),
       Vector1<const double>(a.orient_y.data(), elements),
       Vector1<const double>(a.orient_z.data(), elements)},
      ElementNodes(a.element_nodes.data(), 2, elements),
      Vector1<const HostInt>(a.section_codes.data(), elements),
      SectionTable(a.section_table.data(), k_section_table_rows, a.n_sections)};
  // Element matrices in global axes, as the host's MATRIXG call had them.
  constexpr HostInt k_global_element_frame = 0;
  return {model,
          Vector1<const HostInt>(a.end_codes.data(), elements),
          Vector1<const HostInt>(shape.diag_address->data(), shape.n_equations),
          shape.profile_length,
          shape.n_nodes,
          shape.n_equations,
          {supports, shape.max_column_height, global::frame_mode(a.space_frame)},
          k_global_element_frame};
}

namespace {

LoadCaseSolution solve_cases(const FrameArrays& a, const SystemShape& shape,
                             const std::vector<std::vector<double>>& records,
                             const std::vector<double>* axial_force, const SolverPlan* plan) {
  std::vector<global::NodeRecordTable> tables;
  for (const std::vector<double>& r : records)
    tables.emplace_back(r.data(), static_cast<Index>(r.size() / k_record_size) - 1);
  const global::NodeRecordTable shared = tables.empty() ? global::NodeRecordTable() : tables.front();
  const global::FrameAnalysis frame = frame_analysis(a, shape, shared);

  LoadCaseSolution solution;
  solution.displacements.assign(
      static_cast<std::size_t>(shape.n_equations) * records.size(), 0.0);
  global::EquationPivots pivots;
  pivots.small_share = k_mechanism_pivot_share;
  pivots.most_shapes = k_mechanism_shapes;
  const Table1<double> u(solution.displacements.data(), shape.n_equations,
                         static_cast<Index>(records.size()));
  const Vector1<const double> axial(axial_force == nullptr ? nullptr : axial_force->data(),
                                    axial_force == nullptr ? 0 : static_cast<Index>(axial_force->size()));
  global::Status status;
  const SupernodalChoice choice(plan);
  if (choice.setup() != nullptr) {
    status = global::supernodal::analyse_load_cases(frame, tables, u, pivots,
                                                     axial_force == nullptr ? nullptr : &axial,
                                                     *choice.setup());
  } else {
    status = axial_force == nullptr ? global::analyse_load_cases(frame, tables, u, pivots)
                                    : global::analyse_load_cases(frame, tables, u, pivots, axial);
  }
  solution.without_stiffness = std::move(pivots.without_stiffness);
  solution.prescribed = std::move(pivots.prescribed);
  solution.diagonal = std::move(pivots.diagonal);
  solution.pivot = std::move(pivots.pivot);
  solution.mechanism_shapes = std::move(pivots.shapes);
  if (status.outcome == global::Outcome::out_of_memory) {
    solution.outcome = SolveOutcome::out_of_memory;
  } else if (!status.ok()) {
    solution.outcome = SolveOutcome::refused;
    solution.reason = fmt::format("{} (at {})", outcome_name(status.outcome), status.where);
  }
  return solution;
}

}  // namespace

void add_member_load_records(const Mesh& mesh, const std::vector<std::array<double, 6>>& nodal,
                             std::vector<double>& records) {
  for (std::size_t n = 0; n < nodal.size(); ++n)
    for (std::size_t block = 0; block < 2; ++block) {
      const double* v = &nodal[n][3 * block];
      if (v[0] == 0.0 && v[1] == 0.0 && v[2] == 0.0) continue;
      const std::int32_t lib = mesh.library_node[n];
      records.insert(records.end(),
                     {static_cast<double>(static_cast<int>(RecordCode::load)),
                      static_cast<double>(6 * (lib - 1) + 1 + 3 * static_cast<std::int32_t>(block)),
                      v[0], v[1], v[2], 0.0, 0.0, 0.0});
    }
}

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

LoadCaseSolution solve_load_cases(const FrameArrays& a, const SystemShape& shape,
                                  const std::vector<std::vector<double>>& records,
                                  const SolverPlan* plan) {
  return solve_cases(a, shape, records, nullptr, plan);
}

LoadCaseSolution solve_load_cases(const FrameArrays& a, const SystemShape& shape,
                                  const std::vector<std::vector<double>>& records,
                                  const std::vector<double>& axial_force, const SolverPlan* plan) {
  return solve_cases(a, shape, records, &axial_force, plan);
}

}  // namespace zervola::frame
