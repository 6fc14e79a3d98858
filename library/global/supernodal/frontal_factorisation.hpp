#pragma once

// The dense partial L D L^T of one front: the first `columns` equations of
// a symmetric matrix eliminated, the rest left as their Schur complement
// (what the front passes to its parent). Pivots are taken in order and not
// tested, as in the skyline's factorisation: a zero pivot gives non-finite
// factors, a negative one is counted (the inertia of the eliminated part).
//
// The front is held by rows: F(i, j) at F[i * stride + j], only j <= i read.
// The columns go in blocks of k_front_block: each block is finished one
// group of k_block_width columns at a time (the block's earlier groups
// subtracted by the block kernel, then the group's own columns one by one),
// then subtracted from the trailing matrix by the block kernel, the
// trailing columns in chunks that stay in the second-level cache; the
// chunks are the runner's tasks.

#include <vector>

#include "common/index.hpp"
#include "global/block_kernels.hpp"
#include "global/supernodal/task_runner.hpp"

namespace zervola::global::supernodal {

inline constexpr Index k_front_block = 64;
// Trailing columns per task of the update: 32 groups of 8 (their packed
// multipliers, k_front_block x 256 doubles, stay in the second-level cache).
inline constexpr Index k_trailing_chunk = 256;

// The row stride a front of `size` equations needs: the kernels write whole
// groups of k_block_width columns, which may reach past the last column.
[[nodiscard]] constexpr Index front_stride(Index size) {
  return (size + k_block_width - 1) / k_block_width * k_block_width + k_block_width;
}

// F: (size x stride), stride = front_stride(size); 0 <= columns <= size.
// On return F(k, k) = D(k) and F(i, k) = L(i, k) for k < columns, i > k;
// F(i, j) for columns <= j <= i the Schur complement. Entries with j > i
// are overwritten with values not to be read. Returns the count of negative
// pivots. Throws std::bad_alloc (scratch).
Index factorise_front(double* F, Index size, Index stride, Index columns, BlockProducts products,
                      const TaskRunner& runner);

}  // namespace zervola::global::supernodal
