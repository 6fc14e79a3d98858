#include <array>
#include <cstddef>

#include "global/tile_kernels.hpp"

namespace zervola::global {

namespace {

// Lanes of each partial sum: one vector register's worth on most targets.
constexpr int k_lanes = 4;

template <std::size_t Rows, std::size_t Columns>
void tile(const double* const* left, const double* const* right, Index length, double* out) {
  double acc[Rows][Columns][k_lanes] = {};
  Index k = 0;
  for (; k + k_lanes <= length; k += k_lanes)
    for (std::size_t a = 0; a < Rows; ++a)
      for (std::size_t b = 0; b < Columns; ++b)
        for (int lane = 0; lane < k_lanes; ++lane)
          acc[a][b][lane] += left[a][k + lane] * right[b][k + lane];
  for (std::size_t a = 0; a < Rows; ++a)
    for (std::size_t b = 0; b < Columns; ++b) {
      double tail = 0.0;
      for (Index t = k; t < length; ++t) tail += left[a][t] * right[b][t];
      out[a * static_cast<std::size_t>(k_tile_columns) + b] =
          ((acc[a][b][0] + acc[a][b][1]) + (acc[a][b][2] + acc[a][b][3])) + tail;
    }
}

using Tile = void (*)(const double* const*, const double* const*, Index, double*);

constexpr std::array<std::array<Tile, 4>, 3> k_tiles{{
    {tile<1, 1>, tile<1, 2>, tile<1, 3>, tile<1, 4>},
    {tile<2, 1>, tile<2, 2>, tile<2, 3>, tile<2, 4>},
    {tile<3, 1>, tile<3, 2>, tile<3, 3>, tile<3, 4>},
}};

}  // namespace

void tile_products_portable(const double* const* left, Index rows, const double* const* right,
                            Index columns, Index length, double* out) {
  k_tiles[static_cast<std::size_t>(rows - 1)][static_cast<std::size_t>(columns - 1)](left, right,
                                                                                     length, out);
}

TileProducts tile_products_for(VectorPath path) {
#if ZERVOLA_HAVE_X86_PATHS
  if (path == VectorPath::avx2) return tile_products_avx2;
#else
  (void)path;
#endif
  return tile_products_portable;
}

}  // namespace zervola::global
