// The block kernel for processors with AVX2 and fused multiply-add. Only the
// functions of this file are built for that instruction set (by their target
// attribute); the rest of the library runs on the build's baseline, and the
// kernel is called only after the processor has been asked.

#include "global/block_kernels.hpp"

#if ZERVOLA_HAVE_X86_PATHS

#include <immintrin.h>

#include <array>
#include <cstddef>

namespace zervola::global {

namespace {

#define ZERVOLA_AVX2 __attribute__((target("avx2,fma")))

static_assert(k_block_width == 8, "two vectors of four columns");

// Twelve sums in registers (two vectors of columns for each of six rows),
// the two panel vectors and one broadcast multiplier: fifteen of the sixteen
// vector registers. Each step issues two panel loads and one broadcast load
// per row, every one of them once; the multiply-adds take registers only.
// The sums are named variables, not an array: g++ 12 keeps an array of
// vectors in memory across the loop, storing every sum on every step.
template <std::size_t Rows>
ZERVOLA_AVX2 void pass(const double* const* row, const double* panel, Index panel_step,
                       Index length, double* out, Index out_step) {
  static_assert(Rows >= 1 && Rows <= 6);
  __m256d low0 = _mm256_setzero_pd(), high0 = low0, low1 = low0, high1 = low0, low2 = low0,
          high2 = low0, low3 = low0, high3 = low0, low4 = low0, high4 = low0, low5 = low0,
          high5 = low0;
  const double* const r0 = row[0];
  const double* const r1 = Rows > 1 ? row[1] : r0;
  const double* const r2 = Rows > 2 ? row[2] : r0;
  const double* const r3 = Rows > 3 ? row[3] : r0;
  const double* const r4 = Rows > 4 ? row[4] : r0;
  const double* const r5 = Rows > 5 ? row[5] : r0;
  // Four steps per pass: the loop's own instructions drop to a quarter.
#pragma GCC unroll 4
  for (Index k = 0; k < length; ++k) {
    const __m256d p_low = _mm256_loadu_pd(panel);
    const __m256d p_high = _mm256_loadu_pd(panel + 4);
    panel += panel_step;
#define ZERVOLA_ROW(a)                                 \
  if constexpr (Rows > a) {                            \
    const __m256d l = _mm256_broadcast_sd(r##a + k);   \
    low##a = _mm256_fmadd_pd(l, p_low, low##a);        \
    high##a = _mm256_fmadd_pd(l, p_high, high##a);     \
  }
    ZERVOLA_ROW(0)
    ZERVOLA_ROW(1)
    ZERVOLA_ROW(2)
    ZERVOLA_ROW(3)
    ZERVOLA_ROW(4)
    ZERVOLA_ROW(5)
#undef ZERVOLA_ROW
  }
  const auto subtract = [out, out_step](std::size_t a, __m256d low, __m256d high)
                            ZERVOLA_AVX2 {
    double* const target = out + static_cast<Index>(a) * out_step;
    _mm256_storeu_pd(target, _mm256_sub_pd(_mm256_loadu_pd(target), low));
    _mm256_storeu_pd(target + 4, _mm256_sub_pd(_mm256_loadu_pd(target + 4), high));
  };
  subtract(0, low0, high0);
  if constexpr (Rows > 1) subtract(1, low1, high1);
  if constexpr (Rows > 2) subtract(2, low2, high2);
  if constexpr (Rows > 3) subtract(3, low3, high3);
  if constexpr (Rows > 4) subtract(4, low4, high4);
  if constexpr (Rows > 5) subtract(5, low5, high5);
}

// In 32-bit mode there are eight vector registers: two rows per pass over
// the panel (four sums, two panel vectors, one multiplier).
#if defined(__i386__)
constexpr std::size_t k_rows_per_pass = 2;
#else
constexpr std::size_t k_rows_per_pass = 6;
#endif

template <std::size_t Rows>
ZERVOLA_AVX2 void block(const double* const* row, const double* panel, Index panel_step,
                        Index length, double* out, Index out_step) {
  if constexpr (Rows <= k_rows_per_pass) {
    pass<Rows>(row, panel, panel_step, length, out, out_step);
  } else {
    pass<k_rows_per_pass>(row, panel, panel_step, length, out, out_step);
    block<Rows - k_rows_per_pass>(row + k_rows_per_pass, panel, panel_step, length,
                                  out + static_cast<Index>(k_rows_per_pass) * out_step, out_step);
  }
}

constexpr std::array<GroupProducts, k_block_rows> k_blocks{block<1>, block<2>, block<3>,
                                                   block<4>, block<5>, block<6>};

#undef ZERVOLA_AVX2

}  // namespace

// One group of columns at a time: the twelve sums of a group fill the
// registers already.
void block_products_avx2(const BlockUpdate& u) {
  by_groups(u, k_blocks[static_cast<std::size_t>(u.rows - 1)]);
}

}  // namespace zervola::global

#define ZERVOLA_CASE_KERNEL_TARGET __attribute__((target("avx2,fma")))
#include "global/case_column_kernel.hpp"
#undef ZERVOLA_CASE_KERNEL_TARGET

namespace zervola::global {

void case_row_update_avx2(const double* const* column, Index count, Index length,
                          const double* const* done, double* rows, Index width) {
  update_case_rows_of_width(column, count, length, done, rows, width);
}

}  // namespace zervola::global

#endif
