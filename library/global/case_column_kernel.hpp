// The kernel of the back substitution of several load cases, included by
// each block-kernel file with ZERVOLA_CASE_KERNEL_TARGET set to that file's
// target attribute (empty for the portable one), so that the one loop is
// built once per path. Internal to each file that includes it: every
// definition has internal linkage. No include guard: by design.

#include <cstddef>

#include "common/index.hpp"

namespace zervola::global {
namespace {

// rows[k * Width + c] -= sum over a < Count of column[a][k] * done[a][c],
// in increasing a, for k < length and c < Width: each row of the cases is
// read and written once for all Count columns.
template <std::size_t Width, std::size_t Count>
ZERVOLA_CASE_KERNEL_TARGET void update_case_rows(const double* const* column, Index length,
                                                 const double* const* done, double* rows) {
  double d[Count][Width];
  for (std::size_t a = 0; a < Count; ++a)
    for (std::size_t c = 0; c < Width; ++c) d[a][c] = done[a][c];
  for (Index k = 0; k < length; ++k) {
    double* row = rows + static_cast<std::size_t>(k) * Width;
    double sum[Width];
    for (std::size_t c = 0; c < Width; ++c) sum[c] = row[c];
    for (std::size_t a = 0; a < Count; ++a) {
      const double l = column[a][k];
      for (std::size_t c = 0; c < Width; ++c) sum[c] -= l * d[a][c];
    }
    for (std::size_t c = 0; c < Width; ++c) row[c] = sum[c];
  }
}

template <std::size_t Width>
ZERVOLA_CASE_KERNEL_TARGET void update_case_rows_of_count(const double* const* column,
                                                          Index count, Index length,
                                                          const double* const* done,
                                                          double* rows) {
  switch (count) {
    case 1: return update_case_rows<Width, 1>(column, length, done, rows);
    case 2: return update_case_rows<Width, 2>(column, length, done, rows);
    case 3: return update_case_rows<Width, 3>(column, length, done, rows);
    case 4: return update_case_rows<Width, 4>(column, length, done, rows);
    case 5: return update_case_rows<Width, 5>(column, length, done, rows);
    default: return update_case_rows<Width, 6>(column, length, done, rows);
  }
}

ZERVOLA_CASE_KERNEL_TARGET void update_case_rows_of_width(const double* const* column,
                                                          Index count, Index length,
                                                          const double* const* done,
                                                          double* rows, Index width) {
  switch (width) {
    case 8: return update_case_rows_of_count<8>(column, count, length, done, rows);
    case 16: return update_case_rows_of_count<16>(column, count, length, done, rows);
    case 24: return update_case_rows_of_count<24>(column, count, length, done, rows);
    default: return update_case_rows_of_count<32>(column, count, length, done, rows);
  }
}

}  // namespace
}  // namespace zervola::global
