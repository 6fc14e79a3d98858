#pragma once

// The one place where the program reaches below the library's exported
// routines: the solution of every load case on one factorisation, through
// the C++ interface of the library's core (global/load_cases.hpp), which
// the program links statically. The exports solve one load case per call
// (MATRIXG assembles and factorises for each); a model's load cases share
// the stiffness, supports and springs, so one assembly and one
// factorisation serve them all.

#include <cstdint>
#include <string>
#include <vector>

#include "global/assembly.hpp"
#include "analysis/loads/member_loads.hpp"
#include "analysis/mesh/mesh.hpp"
#include "global/node_records.hpp"
#include "zervola/frame/placement.hpp"
#include "zervola/frame/library_arrays.hpp"

namespace zervola::frame {

// The skyline system as ZEBMUK6 profiled it.
struct SystemShape {
  std::int32_t n_nodes = 0;
  std::int32_t n_equations = 0;
  const std::vector<std::int32_t>* diag_address = nullptr;
  std::int32_t profile_length = 0;
  std::int32_t max_column_height = 0;
};

// The outcome of the solution: solved, or why the core refused.
enum class SolveOutcome { solved, out_of_memory, refused };

struct LoadCaseSolution {
  SolveOutcome outcome = SolveOutcome::solved;
  std::string reason;              // for refused: the core's outcome and where
  std::vector<double> displacements;  // n_equations per case, case after case
  // Per equation (library numbering, 0-based), when solved: whether the
  // members gave it no stiffness (the library gives it a unit diagonal),
  // its diagonal as factorised (springs added, prescribed equations
  // eliminated) and its pivot D of K = L D L^T.
  std::vector<bool> without_stiffness;
  std::vector<bool> prescribed;
  std::vector<double> diagonal;
  std::vector<double> pivot;
  // For the first equations whose pivot is small (mechanism_check.hpp), the
  // motion the frame makes there without strain, per equation.
  std::vector<std::vector<double>> mechanism_shapes;
};

// The library's view of the arrays: elements, profile and the supports of
// the record table `supports` (which must outlive the result, as must a and
// shape's diag_address).
[[nodiscard]] global::FrameAnalysis frame_analysis(const FrameArrays& a, const SystemShape& shape,
                                                   const global::NodeRecordTable& supports);

// Every load case's node-record table: supports, springs, nodal loads, and
// the member loads' equivalent nodal loads (8 values per record).
[[nodiscard]] std::vector<std::vector<double>> case_records(const Model& model, const Mesh& mesh,
                                                            const Placement& placement,
                                                            const MemberLoading& loading);

struct SolverPlan;

// records[c]: case c's node-record table (8 values per record), each with
// the same supports and springs. Per load case, the displacements that
// MATRIXG gives for that table, to rounding. plan (solver_plan.hpp): the
// factorisation that solves them; nullptr: the skyline.
[[nodiscard]] LoadCaseSolution solve_load_cases(const FrameArrays& arrays, const SystemShape& shape,
                                                const std::vector<std::vector<double>>& records,
                                                const SolverPlan* plan = nullptr);

// The same on the tangent stiffness K + Kg(N) of the members' axial forces
// (axial_force: per member, compression positive), for second order.
[[nodiscard]] LoadCaseSolution solve_load_cases(const FrameArrays& arrays, const SystemShape& shape,
                                                const std::vector<std::vector<double>>& records,
                                                const std::vector<double>& axial_force,
                                                const SolverPlan* plan = nullptr);

}  // namespace zervola::frame
