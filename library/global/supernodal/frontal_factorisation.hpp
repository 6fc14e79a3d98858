#pragma once

// The dense partial L D L^T of one front: the first `columns` equations of
// a symmetric matrix eliminated, the rest left as their Schur complement
// (what the front passes to its parent). Pivots are taken in order and not
// tested, as in the skyline's factorisation: a zero pivot gives non-finite
// factors, a negative one is counted (the inertia of the eliminated part).
//
// The front is held in two parts, so that neither is copied afterwards: its
// first `columns` columns, every row, are the supernode's block of the
// factor (row i at L + i * columns), and the rest of its rows and columns
// are the update matrix (row i - columns at U + (i - columns) * u_stride,
// its columns from `columns` on). Only entries j <= i are read.
//
// The columns go in blocks of k_front_block: each block is finished one
// group of k_block_width columns at a time (the block's earlier groups
// subtracted by the block kernel, then the group's own columns one by one),
// then subtracted from the trailing matrix by the block kernel, the
// trailing columns in chunks that stay in the second-level cache; the
// chunks are the runner's tasks.

#include "common/index.hpp"
#include "global/block_kernels.hpp"
#include "global/supernodal/task_runner.hpp"

namespace zervola::global::supernodal {

inline constexpr Index k_front_block = 64;
// Trailing columns per task of the update: 32 groups of 8 (their packed
// multipliers, k_front_block x 256 doubles, stay in the second-level cache).
inline constexpr Index k_trailing_chunk = 256;

// The row stride of an update matrix of m equations: the kernels write
// whole groups of k_block_width columns.
[[nodiscard]] constexpr Index update_stride(Index m) {
  return (m + k_block_width - 1) / k_block_width * k_block_width;
}

struct FrontView {
  double* L = nullptr;  // (size x columns)
  double* U = nullptr;  // (size - columns) rows of u_stride >= update_stride(size - columns)
  Index size = 0, columns = 0, u_stride = 0;
};

//   front    (in/out) the front's two parts, assembled: 0 <= columns <= size,
//            u_stride >= update_stride(size - columns).
//   products (in) the block kernel of an available vector path.
//   runner   (in) the tasks of the trailing update (each chunk of columns).
// On return L(k, k) holds D(k) and L(i, k) the multipliers, i > k; U the
// Schur complement's lower part. The entries above the diagonal of L's
// first rows, and of U, are left with values not to be read. Returns the
// count of negative pivots. Throws std::bad_alloc (scratch).
Index factorise_front(const FrontView& front, BlockProducts products, const TaskRunner& runner);

}  // namespace zervola::global::supernodal
