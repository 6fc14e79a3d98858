// The block kernel for processors with AVX-512 Foundation. Only the functions
// of this file are built for that instruction set (by their target
// attribute); the rest of the library runs on the build's baseline, and the
// kernel is called only after the processor and the operating system have
// been asked.

#include "global/block_kernels.hpp"

#if ZERVOLA_HAVE_X86_PATHS

#include <immintrin.h>

#include <array>
#include <cstddef>
#include <utility>

namespace zervola::global {

namespace {

#define ZERVOLA_AVX512 __attribute__((target("avx512f")))

static_assert(k_block_width == 8, "one vector of eight columns per group");

// One vector holds a row of a group, so a pass covers several groups at
// once: each broadcast multiplier then feeds several multiply-adds, and a
// step loads (rows + groups) vectors for rows × groups multiply-adds.
// 64-bit mode has 32 vector registers: 6 rows × 4 groups of sums, the four
// panel vectors and one multiplier take 29. 32-bit mode has eight: one
// group of 4 rows (four sums, the panel vector, one multiplier).
#if defined(__i386__)
constexpr std::size_t k_rows_per_pass = 4;
constexpr std::size_t k_groups_per_pass = 1;
#else
constexpr std::size_t k_rows_per_pass = 6;
constexpr std::size_t k_groups_per_pass = 4;
#endif

// The sums are named variables (s<row><group>), not an array: g++ keeps an
// array of vectors in memory across the loop.
template <std::size_t Rows, std::size_t Groups>
ZERVOLA_AVX512 void pass(const BlockUpdate& u, const double* const* row, const double* panel,
                         double* out) {
  static_assert(Rows >= 1 && Rows <= 6 && Groups >= 1 && Groups <= 4);
  const __m512d zero = _mm512_setzero_pd();
  __m512d s00 = zero, s01 = zero, s02 = zero, s03 = zero, s10 = zero, s11 = zero, s12 = zero,
          s13 = zero, s20 = zero, s21 = zero, s22 = zero, s23 = zero, s30 = zero, s31 = zero,
          s32 = zero, s33 = zero, s40 = zero, s41 = zero, s42 = zero, s43 = zero, s50 = zero,
          s51 = zero, s52 = zero, s53 = zero;
  const double* const r0 = row[0];
  const double* const r1 = Rows > 1 ? row[1] : r0;
  const double* const r2 = Rows > 2 ? row[2] : r0;
  const double* const r3 = Rows > 3 ? row[3] : r0;
  const double* const r4 = Rows > 4 ? row[4] : r0;
  const double* const r5 = Rows > 5 ? row[5] : r0;
  const Index gs = u.panel_group_step;
  const double* q0 = panel;
  const double* q1 = Groups > 1 ? panel + gs : panel;
  const double* q2 = Groups > 2 ? panel + 2 * gs : panel;
  const double* q3 = Groups > 3 ? panel + 3 * gs : panel;
  const Index step = u.panel_step;
#pragma GCC unroll 2
  for (Index k = 0; k < u.length; ++k) {
    const __m512d p0 = _mm512_loadu_pd(q0);
    const __m512d p1 = Groups > 1 ? _mm512_loadu_pd(q1) : zero;
    const __m512d p2 = Groups > 2 ? _mm512_loadu_pd(q2) : zero;
    const __m512d p3 = Groups > 3 ? _mm512_loadu_pd(q3) : zero;
    q0 += step;
    if constexpr (Groups > 1) q1 += step;
    if constexpr (Groups > 2) q2 += step;
    if constexpr (Groups > 3) q3 += step;
#define ZERVOLA_ROW(a)                                                 \
  if constexpr (Rows > a) {                                            \
    const __m512d l = _mm512_set1_pd(r##a[k]);                         \
    s##a##0 = _mm512_fmadd_pd(l, p0, s##a##0);                         \
    if constexpr (Groups > 1) s##a##1 = _mm512_fmadd_pd(l, p1, s##a##1); \
    if constexpr (Groups > 2) s##a##2 = _mm512_fmadd_pd(l, p2, s##a##2); \
    if constexpr (Groups > 3) s##a##3 = _mm512_fmadd_pd(l, p3, s##a##3); \
  }
    ZERVOLA_ROW(0)
    ZERVOLA_ROW(1)
    ZERVOLA_ROW(2)
    ZERVOLA_ROW(3)
    ZERVOLA_ROW(4)
    ZERVOLA_ROW(5)
#undef ZERVOLA_ROW
  }
  const auto subtract = [&u, out](std::size_t a, std::size_t c, __m512d sum) ZERVOLA_AVX512 {
    double* const target =
        out + static_cast<Index>(a) * u.out_step + static_cast<Index>(c) * u.out_group_step;
    _mm512_storeu_pd(target, _mm512_sub_pd(_mm512_loadu_pd(target), sum));
  };
#define ZERVOLA_SUBTRACT(a)                                  \
  if constexpr (Rows > a) {                                  \
    subtract(a, 0, s##a##0);                                 \
    if constexpr (Groups > 1) subtract(a, 1, s##a##1);       \
    if constexpr (Groups > 2) subtract(a, 2, s##a##2);       \
    if constexpr (Groups > 3) subtract(a, 3, s##a##3);       \
  }
  ZERVOLA_SUBTRACT(0)
  ZERVOLA_SUBTRACT(1)
  ZERVOLA_SUBTRACT(2)
  ZERVOLA_SUBTRACT(3)
  ZERVOLA_SUBTRACT(4)
  ZERVOLA_SUBTRACT(5)
#undef ZERVOLA_SUBTRACT
}

// Rows of the block in passes of at most k_rows_per_pass, for Groups groups.
template <std::size_t Rows, std::size_t Groups>
ZERVOLA_AVX512 void rows_of(const BlockUpdate& u, const double* const* row, const double* panel,
                            double* out) {
  if constexpr (Rows <= k_rows_per_pass) {
    pass<Rows, Groups>(u, row, panel, out);
  } else {
    pass<k_rows_per_pass, Groups>(u, row, panel, out);
    rows_of<Rows - k_rows_per_pass, Groups>(
        u, row + k_rows_per_pass, panel, out + static_cast<Index>(k_rows_per_pass) * u.out_step);
  }
}

using Pass = void (*)(const BlockUpdate&, const double* const*, const double*, double*);

template <std::size_t Rows>
constexpr std::array<Pass, k_groups_per_pass> passes_of() {
  std::array<Pass, k_groups_per_pass> passes{};
  [&passes]<std::size_t... G>(std::index_sequence<G...>) {
    ((passes[G] = rows_of<Rows, G + 1>), ...);
  }(std::make_index_sequence<k_groups_per_pass>());
  return passes;
}

// k_passes[rows - 1][groups - 1].
constexpr std::array<std::array<Pass, k_groups_per_pass>, k_block_rows> k_passes{
    passes_of<1>(), passes_of<2>(), passes_of<3>(),
    passes_of<4>(), passes_of<5>(), passes_of<6>()};

#undef ZERVOLA_AVX512

}  // namespace

void block_products_avx512(const BlockUpdate& u) {
  const auto& passes = k_passes[static_cast<std::size_t>(u.rows - 1)];
  constexpr auto k_groups = static_cast<Index>(k_groups_per_pass);
  for (Index c = 0; c < u.groups; c += k_groups) {
    const Index groups = u.groups - c < k_groups ? u.groups - c : k_groups;
    passes[static_cast<std::size_t>(groups - 1)](u, u.row, u.panel + c * u.panel_group_step,
                                                 u.out + c * u.out_group_step);
  }
}

}  // namespace zervola::global

#define ZERVOLA_CASE_KERNEL_TARGET __attribute__((target("avx512f")))
#include "global/case_column_kernel.hpp"
#undef ZERVOLA_CASE_KERNEL_TARGET

namespace zervola::global {

void case_row_update_avx512(const double* const* column, Index count, Index length,
                            const double* const* done, double* rows, Index width) {
  update_case_rows_of_width(column, count, length, done, rows, width);
}

}  // namespace zervola::global

#endif
