#pragma once

// Forward reduction and back substitution for several load cases at once on
// the same factors. The right-hand sides are held by equation: row i holds
// f(i) of every case side by side, `width` doubles per row (a multiple of
// k_block_width; the unused places are carried along and never read back by
// the caller). One pass over the factors then serves every case, and the
// forward reduction runs on the factorisation's block kernel: for each
// equation j the stretch L(j, top(j) .. j-1) is the block's one row and the
// rows top(j) .. j-1 of the cases are its panel.
//
// Every case's sums run in the order of a single substitution, but with
// fused multiply-adds on the wide paths: the results agree with substitute()
// to rounding.

#include "common/index.hpp"
#include "global/skyline_matrix.hpp"
#include "global/vector_path.hpp"

namespace zervola::global {

// Cases per pass over the factors: four groups of eight, what the widest
// kernel holds in its registers for one row.
inline constexpr Index k_cases_per_pass = 32;

// With K holding its factors: for every case c < width, the rows of f
// (n_equations rows of `width` doubles) become L^-T D^-1 L^-1 of themselves.
// `path` must be available.
void substitute_cases(const SkylineMatrix& K, double* rows, Index width, VectorPath path);

// The same with the widest available path.
void substitute_cases(const SkylineMatrix& K, double* rows, Index width);

}  // namespace zervola::global
