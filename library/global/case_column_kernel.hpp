// The kernel of the back substitution of several load cases, included by
// each block-kernel file with ZERVOLA_CASE_KERNEL_TARGET set to that file's
// target attribute (empty for the portable one), so that the one loop is
// built once per path. Internal to each file that includes it: every
// definition has internal linkage. No include guard: by design.

#include <cstddef>

#include "common/index.hpp"

namespace zervola::global {
namespace {

// rows[k * Width + c] -= column[k] * done[c] for k < length, c < Width.
template <std::size_t Width>
ZERVOLA_CASE_KERNEL_TARGET void update_case_rows(const double* column, Index length,
                                                 const double* done, double* rows) {
  double d[Width];
  for (std::size_t c = 0; c < Width; ++c) d[c] = done[c];
  for (Index k = 0; k < length; ++k) {
    const double l = column[k];
    double* row = rows + static_cast<std::size_t>(k) * Width;
    for (std::size_t c = 0; c < Width; ++c) row[c] -= l * d[c];
  }
}

ZERVOLA_CASE_KERNEL_TARGET void update_case_rows_of_width(const double* column, Index length, const double* done,
                               double* rows, Index width) {
  switch (width) {
    case 8: return update_case_rows<8>(column, length, done, rows);
    case 16: return update_case_rows<16>(column, length, done, rows);
    case 24: return update_case_rows<24>(column, length, done, rows);
    default: return update_case_rows<32>(column, length, done, rows);
  }
}

}  // namespace
}  // namespace zervola::global
