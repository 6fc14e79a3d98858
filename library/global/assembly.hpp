#pragma once

// One complete linear static analysis: the skyline store obtained for the
// call, every element's global matrix added into it, unit diagonals for
// equations without stiffness, then supports, springs, loads and the
// solution. Nothing of the system survives the call.

#include "common/index.hpp"
#include "common/matrix12.hpp"
#include "common/one_based.hpp"
#include "element/global_matrix.hpp"
#include "global/skyline_matrix.hpp"
#include "global/status.hpp"
#include "global/supports.hpp"

namespace zervola::global {

// The host's arrays of one analysis.
struct FrameAnalysis {
  element::ElementModel model;       // element_nodes ascending, as profiled
  Vector1<const HostInt> end_codes;  // (n_elements)
  Vector1<const HostInt> diag;       // (n_equations)
  Index profile_length = 0;
  Index n_nodes = 0;
  Index n_equations = 0;
  Supports supports;
  HostInt element_frame = 0;
};

// Adds element matrix E of the element with ascending nodes a < b: the upper
// triangles of its two end blocks and the whole block that couples node a
// (rows) with node b (columns). Only E's lower triangle is read.
void add_element(const SkylineMatrix& K, const Matrix12& E, Index a, Index b);

// Sets every exactly zero diagonal of K to 1.
void give_unit_diagonals(const SkylineMatrix& K);

// K zeroed on entry: every element's matrix added (no unit diagonals).
void assemble_elements(const FrameAnalysis& analysis, const SkylineMatrix& K);

// K zeroed on entry: every element's matrix added, then unit diagonals.
void assemble(const FrameAnalysis& analysis, const SkylineMatrix& K);

// solved, or the first broken requirement: n_equations = 6 n_nodes, a valid
// profile, pairs ascending inside 1 .. n_nodes with a non-zero section code,
// every element's entries inside the profile, a store of at least the
// profile's length, and the supports' own checks.
[[nodiscard]] Status analysis_status(const FrameAnalysis& analysis);

// The same checks for a factorisation that keeps K in node blocks of the
// elements' own pattern (global/supernodal), which reads neither diag nor
// profile_length, so that a frame beyond the skyline's 32-bit addresses can
// be solved: n_equations = 6 n_nodes, pairs ascending inside 1 .. n_nodes
// with a non-zero section code, and the records inside 1 .. n_equations
// with every spring entry inside one node or two nodes that an element
// joins.
[[nodiscard]] Status node_block_status(const FrameAnalysis& analysis);

// The analysis: on solved, f holds the displacements. On any other outcome
// (a failed check, or no memory for the store) f is left untouched for the
// caller to mark.
[[nodiscard]] Status analyse(const FrameAnalysis& analysis, Vector1<double> f);

}  // namespace zervola::global
