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
};

// records[c]: case c's node-record table (8 values per record), each with
// the same supports and springs. Per load case, the displacements that
// MATRIXG gives for that table, to rounding.
[[nodiscard]] LoadCaseSolution solve_load_cases(const FrameArrays& arrays, const SystemShape& shape,
                                                const std::vector<std::vector<double>>& records);

}  // namespace zervola::frame
