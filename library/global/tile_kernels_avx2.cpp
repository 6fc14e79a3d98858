// The tile kernel for processors with AVX2 and fused multiply-add. Only the
// functions of this file are built for that instruction set (by their target
// attribute); the rest of the library runs on the build's baseline, and the
// kernel is called only after the processor has been asked.

#include "global/tile_kernels.hpp"

#if ZERVOLA_HAVE_X86_PATHS

#include <immintrin.h>

#include <array>
#include <cstddef>

namespace zervola::global {

namespace {

constexpr int k_lanes = 4;

#define ZERVOLA_AVX2 __attribute__((target("avx2,fma")))

ZERVOLA_AVX2 inline double lane_sum(__m256d v) {
  const __m128d low = _mm256_castpd256_pd128(v);
  const __m128d high = _mm256_extractf128_pd(v, 1);
  const __m128d pair = _mm_add_pd(low, high);
  return _mm_cvtsd_f64(_mm_add_sd(pair, _mm_unpackhi_pd(pair, pair)));
}

// Each step loads the left columns once and then one right column at a
// time: the tile of partial sums, the left operands and one right operand
// fill the sixteen vector registers, with every load issued once.
template <std::size_t Rows, std::size_t Columns>
ZERVOLA_AVX2 void tile(const double* const* left, const double* const* right, Index length,
                       double* out) {
  __m256d acc[Rows][Columns];
  for (std::size_t a = 0; a < Rows; ++a)
    for (std::size_t b = 0; b < Columns; ++b) acc[a][b] = _mm256_setzero_pd();
  const double* l[Rows];
  const double* r[Columns];
  for (std::size_t a = 0; a < Rows; ++a) l[a] = left[a];
  for (std::size_t b = 0; b < Columns; ++b) r[b] = right[b];
  Index k = 0;
  for (; k + k_lanes <= length; k += k_lanes) {
    __m256d x[Rows];
    for (std::size_t a = 0; a < Rows; ++a) x[a] = _mm256_loadu_pd(l[a] + k);
    for (std::size_t b = 0; b < Columns; ++b) {
      const __m256d y = _mm256_loadu_pd(r[b] + k);
      for (std::size_t a = 0; a < Rows; ++a) acc[a][b] = _mm256_fmadd_pd(x[a], y, acc[a][b]);
    }
  }
  if (k < length) {
    // The last 1 .. 3 rows by masked loads, which read nothing past them.
    const __m256i lanes = _mm256_set_epi64x(3, 2, 1, 0);
    const __m256i mask = _mm256_cmpgt_epi64(_mm256_set1_epi64x(length - k), lanes);
    __m256d x[Rows];
    for (std::size_t a = 0; a < Rows; ++a) x[a] = _mm256_maskload_pd(l[a] + k, mask);
    for (std::size_t b = 0; b < Columns; ++b) {
      const __m256d y = _mm256_maskload_pd(r[b] + k, mask);
      for (std::size_t a = 0; a < Rows; ++a) acc[a][b] = _mm256_fmadd_pd(x[a], y, acc[a][b]);
    }
  }
  for (std::size_t a = 0; a < Rows; ++a) {
    double* const row = out + a * static_cast<std::size_t>(k_tile_columns);
    if constexpr (Columns == 4) {
      // The four sums of a row at once: pairwise within halves, then across.
      const __m256d s01 = _mm256_hadd_pd(acc[a][0], acc[a][1]);
      const __m256d s23 = _mm256_hadd_pd(acc[a][2], acc[a][3]);
      const __m256d low = _mm256_permute2f128_pd(s01, s23, 0x20);
      const __m256d high = _mm256_permute2f128_pd(s01, s23, 0x31);
      _mm256_storeu_pd(row, _mm256_add_pd(low, high));
    } else {
      for (std::size_t b = 0; b < Columns; ++b) row[b] = lane_sum(acc[a][b]);
    }
  }
}

using Tile = void (*)(const double* const*, const double* const*, Index, double*);

constexpr std::array<std::array<Tile, 4>, 3> k_tiles{{
    {tile<1, 1>, tile<1, 2>, tile<1, 3>, tile<1, 4>},
    {tile<2, 1>, tile<2, 2>, tile<2, 3>, tile<2, 4>},
    {tile<3, 1>, tile<3, 2>, tile<3, 3>, tile<3, 4>},
}};

#undef ZERVOLA_AVX2

}  // namespace

void tile_products_avx2(const double* const* left, Index rows, const double* const* right,
                        Index columns, Index length, double* out) {
  k_tiles[static_cast<std::size_t>(rows - 1)][static_cast<std::size_t>(columns - 1)](left, right,
                                                                                     length, out);
}

}  // namespace zervola::global

#endif
