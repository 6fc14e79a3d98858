#include <array>
#include <cstddef>

#include "global/block_kernels.hpp"

namespace zervola::global {

namespace {

constexpr auto k_width = static_cast<std::size_t>(k_block_width);

// Plain loops over a fixed block, which the compiler turns into vector
// multiplies and adds of the build's baseline instruction set.
template <std::size_t Rows>
void block(const double* const* row, const double* panel, Index panel_step, Index length,
           double* out, Index out_step) {
  double acc[Rows][k_width] = {};
  for (Index k = 0; k < length; ++k) {
    const double* const p = panel + k * panel_step;
    for (std::size_t a = 0; a < Rows; ++a) {
      const double l = row[a][k];
      for (std::size_t v = 0; v < k_width; ++v) acc[a][v] += l * p[v];
    }
  }
  for (std::size_t a = 0; a < Rows; ++a) {
    double* const target = out + static_cast<Index>(a) * out_step;
    for (std::size_t v = 0; v < k_width; ++v) target[v] -= acc[a][v];
  }
}

using Block = void (*)(const double* const*, const double*, Index, Index, double*, Index);

constexpr std::array<Block, k_block_rows> k_blocks{block<1>, block<2>, block<3>,
                                                   block<4>, block<5>, block<6>};

}  // namespace

void block_products_portable(const double* const* row, Index rows, const double* panel,
                             Index panel_step, Index length, double* out, Index out_step) {
  k_blocks[static_cast<std::size_t>(rows - 1)](row, panel, panel_step, length, out, out_step);
}

BlockProducts block_products_for(VectorPath path) {
#if ZERVOLA_HAVE_X86_PATHS
  if (path == VectorPath::avx2) return block_products_avx2;
#else
  (void)path;
#endif
  return block_products_portable;
}

}  // namespace zervola::global
