#pragma once

// The register-blocked kernel of the blocked factorisation: all inner
// products between up to k_tile_rows columns on the left and up to
// k_tile_columns columns on the right, over one stretch of rows that every
// one of them holds contiguously. The partial sums run in vector lanes, so
// each product differs from a sum in increasing order only by rounding.

#include "common/index.hpp"
#include "global/vector_path.hpp"

namespace zervola::global {

inline constexpr Index k_tile_rows = 3;
inline constexpr Index k_tile_columns = 4;

// out[a * k_tile_columns + b] = sum over k < length of left[a][k] * right[b][k]
// for a < rows <= k_tile_rows, b < columns <= k_tile_columns; length >= 1.
using TileProducts = void (*)(const double* const* left, Index rows, const double* const* right,
                              Index columns, Index length, double* out);

void tile_products_portable(const double* const* left, Index rows, const double* const* right,
                            Index columns, Index length, double* out);
#if ZERVOLA_HAVE_X86_PATHS
void tile_products_avx2(const double* const* left, Index rows, const double* const* right,
                        Index columns, Index length, double* out);
#endif

// The kernel of a path; the path must be available.
[[nodiscard]] TileProducts tile_products_for(VectorPath path);

}  // namespace zervola::global
