#pragma once

// The register-blocked kernel of the blocked factorisation. A block is up to
// k_block_rows equations i, each with a contiguous stretch of its column of
// L (L(i, r) for r = start .. start+length-1), against k_block_width columns
// of a row-major panel whose row r holds those columns' reduced entries
// g(r, j). The kernel subtracts every product from the block's targets:
//
//   out[a * out_step + v] -= sum over k < length of row[a][k] * panel[k * panel_step + v]
//
// for a < rows, v < k_block_width. Each multiplier of the panel is broadcast
// across a vector of columns, so the sums need no horizontal reduction and
// every sum runs in increasing k; with fused multiply-add they differ from
// the portable path by rounding only.

#include "common/index.hpp"
#include "global/vector_path.hpp"

namespace zervola::global {

inline constexpr Index k_block_rows = 6;
inline constexpr Index k_block_width = 8;

// rows in 1 .. k_block_rows, length >= 0; row[a] and the panel rows are read
// for k < length only, out only at the listed positions.
using BlockProducts = void (*)(const double* const* row, Index rows, const double* panel,
                               Index panel_step, Index length, double* out, Index out_step);

void block_products_portable(const double* const* row, Index rows, const double* panel,
                             Index panel_step, Index length, double* out, Index out_step);
#if ZERVOLA_HAVE_X86_PATHS
void block_products_avx2(const double* const* row, Index rows, const double* panel,
                         Index panel_step, Index length, double* out, Index out_step);
#endif

// The kernel of a path; the path must be available.
[[nodiscard]] BlockProducts block_products_for(VectorPath path);

}  // namespace zervola::global
