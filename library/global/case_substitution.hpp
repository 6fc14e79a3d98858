#pragma once

// Forward reduction and back substitution for several load cases at once on
// the same factors. The right-hand sides are held by equation: row i holds
// f(i) of every case side by side, `width` doubles per row (a multiple of
// k_block_width; the unused places are carried along and never read back by
// the caller). One pass over the factors then serves every case, and the
// forward reduction runs on the factorisation's block kernel (the stretches
// L(j, ..) of a block's equations are its rows, the cases' rows above the
// block its panel), the back substitution on case_column_kernel.hpp, built
// for every path too.
//
// Both passes go in blocks of k_block_rows equations (a node's six): the
// stretch of rows that every column of a block reaches is taken for the
// whole block at once, the rest equation by equation. The sums therefore
// run in another order than in substitute(), and the results agree with it
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
