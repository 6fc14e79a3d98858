#pragma once

// L D L^T of a node-block matrix by supernodes, multifrontal: each
// supernode's front (its columns and the rows below them) gathers its
// columns of K and its children's update matrices, eliminates its own
// columns densely (frontal_factorisation.hpp) and passes the rest of the
// front, the update matrix, to its parent. Independent subtrees of the
// supernodes' tree are the runner's tasks, and each front above them splits
// its trailing update among the runner's tasks.
//
// The factor holds, per supernode s, its front's columns by rows: rows
// 0 .. front - 1 of (columns) doubles, row i the entries L(i, k) of the
// front's i-th equation (the supernode's own, then those of its rows, six
// per node), with D(k) in place of the unit diagonal; entries above the
// diagonal of the first rows are zero.

#include <cstddef>
#include <memory>
#include <vector>

#include "common/index.hpp"
#include "global/supernodal/node_block_matrix.hpp"
#include "global/supernodal/supernode_partition.hpp"
#include "global/supernodal/task_runner.hpp"
#include "global/vector_path.hpp"

namespace zervola::global::supernodal {

// The most doubles that factorise() holds beside the factor at once on a
// runner of `workers` workers: a working stack per worker for its subtrees,
// the top fronts' stack, and the update matrices that pass from the
// subtrees to the fronts above them (counted as if all were held at once).
[[nodiscard]] std::size_t working_entries(const SupernodePartition& partition, Index workers);

class SupernodalFactor {
 public:
  // Room for the factors of the partition, which must outlive the factor.
  // Throws std::bad_alloc.
  explicit SupernodalFactor(const SupernodePartition& partition);

  [[nodiscard]] const SupernodePartition& partition() const { return *partition_; }
  [[nodiscard]] Index columns(Index s) const { return 6 * partition_->column_nodes(s); }
  [[nodiscard]] Index front(Index s) const {
    return columns(s) + 6 * partition_->row_nodes(s);
  }
  [[nodiscard]] const double* block(Index s) const { return values_.get() + offset_[static_cast<std::size_t>(s)]; }
  [[nodiscard]] double* block(Index s) { return values_.get() + offset_[static_cast<std::size_t>(s)]; }
  [[nodiscard]] std::size_t entries() const { return offset_.back(); }

  // The pivot D of equation (0-based) at elimination place q = 6 k + dof of
  // position k.
  [[nodiscard]] double pivot_at(Index q) const;
  // Negative pivots after factorise().
  [[nodiscard]] Index negative_pivots() const { return negative_; }

  // Factorises K (read only; of the same partition) into this factor, with
  // the kernel of `path` (which must be available) and the runner's tasks:
  // independent subtrees at once, then the large fronts' updates split
  // among them. A zero pivot gives non-finite factors (nothing is tested);
  // negative_pivots() counts the negative ones. May be called again with
  // other values. Throws std::bad_alloc (the working stacks), or what the
  // runner throws.
  void factorise(const NodeBlockMatrix& K, VectorPath path, const TaskRunner& runner);

 private:
  const SupernodePartition* partition_;
  std::vector<std::size_t> offset_;
  std::vector<Index> supernode_of_;  // by position
  std::unique_ptr<double[]> values_;  // written whole by factorise()
  Index negative_ = 0;
};

}  // namespace zervola::global::supernodal
