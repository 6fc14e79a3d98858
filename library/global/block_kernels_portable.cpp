#include <array>
#include <cstddef>
#include <cstring>

#include "global/block_kernels.hpp"

namespace zervola::global {

namespace {

constexpr auto k_width = static_cast<std::size_t>(k_block_width);

// Pairs of columns in the narrowest vectors every target offers (two
// doubles; the compiler's generic vectors, lowered to scalars where a target
// has none). Two rows per pass over the panel: their eight vectors of sums,
// four of the panel row and one multiplier fit the sixteen registers of
// SSE2, where six rows at once would spill to memory on every step.
using Pair = double __attribute__((vector_size(2 * sizeof(double))));
constexpr std::size_t k_pairs = k_width / 2;

Pair load(const double* p) {
  Pair v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

template <std::size_t Rows>
void pass(const double* const* row, const double* panel, Index panel_step, Index length,
          double* out, Index out_step) {
  static_assert(Rows == 1 || Rows == 2);
  Pair first[k_pairs] = {}, second[k_pairs] = {};
  const double* const r0 = row[0];
  const double* const r1 = row[Rows - 1];
  for (Index k = 0; k < length; ++k) {
    const double* const p = panel + k * panel_step;
    Pair columns[k_pairs];
    for (std::size_t v = 0; v < k_pairs; ++v) columns[v] = load(p + 2 * v);
    const Pair l0 = {r0[k], r0[k]};
    for (std::size_t v = 0; v < k_pairs; ++v) first[v] += l0 * columns[v];
    if constexpr (Rows == 2) {
      const Pair l1 = {r1[k], r1[k]};
      for (std::size_t v = 0; v < k_pairs; ++v) second[v] += l1 * columns[v];
    }
  }
  for (std::size_t v = 0; v < k_width; ++v) out[v] -= first[v / 2][v % 2];
  if constexpr (Rows == 2)
    for (std::size_t v = 0; v < k_width; ++v)
      out[out_step + static_cast<Index>(v)] -= second[v / 2][v % 2];
}

template <std::size_t Rows>
void block(const double* const* row, const double* panel, Index panel_step, Index length,
           double* out, Index out_step) {
  for (std::size_t a = 0; a + 1 < Rows; a += 2)
    pass<2>(row + a, panel, panel_step, length, out + static_cast<Index>(a) * out_step, out_step);
  if constexpr (Rows % 2 == 1)
    pass<1>(row + (Rows - 1), panel, panel_step, length,
            out + static_cast<Index>(Rows - 1) * out_step, out_step);
}

constexpr std::array<GroupProducts, k_block_rows> k_blocks{block<1>, block<2>, block<3>,
                                                   block<4>, block<5>, block<6>};

}  // namespace

void block_products_portable(const BlockUpdate& u) {
  by_groups(u, k_blocks[static_cast<std::size_t>(u.rows - 1)]);
}

CaseRowUpdate case_row_update_for(VectorPath path) {
  switch (path) {
    case VectorPath::portable:
      return case_row_update_portable;
#if ZERVOLA_HAVE_X86_PATHS
    case VectorPath::avx2:
      return case_row_update_avx2;
    case VectorPath::avx512:
      return case_row_update_avx512;
#else
    case VectorPath::avx2:
    case VectorPath::avx512:
      break;
#endif
  }
  return case_row_update_portable;
}

BlockProducts block_products_for(VectorPath path) {
  switch (path) {
    case VectorPath::portable:
      return block_products_portable;
#if ZERVOLA_HAVE_X86_PATHS
    case VectorPath::avx2:
      return block_products_avx2;
    case VectorPath::avx512:
      return block_products_avx512;
#else
    case VectorPath::avx2:
    case VectorPath::avx512:
      break;
#endif
  }
  return block_products_portable;
}

}  // namespace zervola::global

#define ZERVOLA_CASE_KERNEL_TARGET
#include "global/case_column_kernel.hpp"
#undef ZERVOLA_CASE_KERNEL_TARGET

namespace zervola::global {

void case_row_update_portable(const double* const* column, Index count, Index length,
                              const double* const* done, double* rows, Index width) {
  update_case_rows_of_width(column, count, length, done, rows, width);
}

}  // namespace zervola::global
