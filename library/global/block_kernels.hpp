#pragma once

// The register-blocked kernel of the blocked factorisation. A block is up to
// k_block_rows equations i, each with a contiguous stretch of its column of
// L (L(i, r) for r = start .. start+length-1), against one or more groups of
// k_block_width columns of a panel whose rows r hold those columns' reduced
// entries g(r, j). The kernel subtracts every product from the block's
// targets: for a < rows, c < groups, v < k_block_width,
//
//   out[c * out_group_step + a * out_step + v] -=
//       sum over k < length of row[a][k] * panel[c * panel_group_step + k * panel_step + v]
//
// Each multiplier is broadcast across a vector of columns, so the sums need
// no horizontal reduction and every sum runs in increasing k. The AVX2 and
// AVX-512 paths, both with fused multiply-add, therefore give the same
// results bit for bit; they differ from the portable path by rounding only.

#include "common/index.hpp"
#include "global/vector_path.hpp"

namespace zervola::global {

inline constexpr Index k_block_rows = 6;
inline constexpr Index k_block_width = 8;

// rows in 1 .. k_block_rows, groups >= 1, length >= 0; row[a] and the
// panel's rows are read for k < length only, out only at the listed
// positions.
struct BlockUpdate {
  const double* const* row = nullptr;
  Index rows = 0;
  const double* panel = nullptr;
  Index panel_step = 0, panel_group_step = 0;
  Index groups = 0;
  Index length = 0;
  double* out = nullptr;
  Index out_step = 0, out_group_step = 0;
};

using BlockProducts = void (*)(const BlockUpdate& update);

// One block of one group of columns: the kernels' common shape.
using GroupProducts = void (*)(const double* const* row, const double* panel, Index panel_step,
                               Index length, double* out, Index out_step);

// The update one group after the other, for kernels whose sums for one
// group fill the registers already.
inline void by_groups(const BlockUpdate& u, GroupProducts products) {
  for (Index c = 0; c < u.groups; ++c)
    products(u.row, u.panel + c * u.panel_group_step, u.panel_step, u.length,
             u.out + c * u.out_group_step, u.out_step);
}

void block_products_portable(const BlockUpdate& update);
#if ZERVOLA_HAVE_X86_PATHS
void block_products_avx2(const BlockUpdate& update);
void block_products_avx512(const BlockUpdate& update);
#endif

// The back substitution of several load cases held by rows of `width`
// doubles (8, 16, 24 or 32), for 1 .. k_block_rows columns at once: for
// k < length and c < width,
//   rows[k * width + c] -= sum over a < count of column[a][k] * done[a][c],
// the terms taken in increasing a.
using CaseRowUpdate = void (*)(const double* const* column, Index count, Index length,
                               const double* const* done, double* rows, Index width);

void case_row_update_portable(const double* const* column, Index count, Index length,
                              const double* const* done, double* rows, Index width);
#if ZERVOLA_HAVE_X86_PATHS
void case_row_update_avx2(const double* const* column, Index count, Index length,
                          const double* const* done, double* rows, Index width);
void case_row_update_avx512(const double* const* column, Index count, Index length,
                            const double* const* done, double* rows, Index width);
#endif

// The update of a path; the path must be available.
[[nodiscard]] CaseRowUpdate case_row_update_for(VectorPath path);

// The kernel of a path; the path must be available.
[[nodiscard]] BlockProducts block_products_for(VectorPath path);

}  // namespace zervola::global
