#pragma once

// A symmetric matrix of 6 x 6 node blocks in the order of a supernode
// partition: for each position j, the blocks (i, j) with i >= j of the
// nodes that an element joins (and the diagonal block, first). It holds
// what the skyline store holds, for the factorisation by supernodes: the
// stiffness assembled from element matrices, springs, the eliminated
// equations, a shift. Block (i, j) is stored row by row: entry a * 6 + b is
// K(6 i + a, 6 j + b) at positions; of a diagonal block only the entries
// a >= b are used.
//
// Equations are addressed as the library numbers them (1-based, node n's
// k-th equation 6 (n - 1) + k); the matrix translates them to positions.

#include <functional>
#include <vector>

#include "common/index.hpp"
#include "common/matrix12.hpp"
#include "global/supernodal/supernode_partition.hpp"

namespace zervola::global::supernodal {

inline constexpr Index k_block_entries = k_node_dofs * k_node_dofs;

class NodeBlockMatrix {
 public:
  // The pattern of the graph in the partition's positions, zeroed. The
  // matrix keeps a reference to the partition, which must outlive it.
  // Throws std::bad_alloc.
  NodeBlockMatrix(const NodeGraph& graph, const SupernodePartition& partition);

  [[nodiscard]] Index n_equations() const { return k_node_dofs * n_nodes_; }

  // Adds an element matrix E (12 x 12, global axes) of the element from
  // node a to node b (1-based library numbers, a != b, joined in the graph).
  void add_element(const Matrix12& E, Index a, Index b);

  // K(i, j) of equations i, j (1-based), which must be joined in the pattern
  // (the same node, or nodes of one element; std::out_of_range otherwise).
  // Symmetric: K(i, j) = K(j, i). The const form gives 0 outside it.
  [[nodiscard]] double& operator()(Index i, Index j);
  [[nodiscard]] double operator()(Index i, Index j) const;
  [[nodiscard]] bool contains(Index i, Index j) const;

  // Every stored entry K(i, k), i != k, of equation k's row and column
  // (each pair once), with i 1-based: f(i, value).
  void for_each_coupling(Index k, const std::function<void(Index, double)>& f) const;

  // Clears row and column k apart from the diagonal.
  void clear_couplings(Index k);

  // Every stored entry with i <= j once: f(i, j, value) (1-based).
  void for_each_entry(const std::function<void(Index, Index, double)>& f) const;

  // For the factorisation: column position j's blocks.
  [[nodiscard]] Index first_block(Index j) const { return first_block_[static_cast<std::size_t>(j)]; }
  [[nodiscard]] Index block_row(Index b) const { return block_row_[static_cast<std::size_t>(b)]; }
  [[nodiscard]] const double* block(Index b) const { return values_.data() + b * k_block_entries; }
  [[nodiscard]] const SupernodePartition& partition() const { return *partition_; }

  // Sets every entry to zero, keeping the pattern.
  void clear();

 private:
  // The block of positions (i, j), i >= j; k_missing when not stored.
  [[nodiscard]] Index find(Index i, Index j) const;
  double* entry(Index i, Index j);

  const SupernodePartition* partition_;
  Index n_nodes_ = 0;
  std::vector<Index> first_block_;  // (n_nodes + 1) by column position
  std::vector<Index> block_row_;
  std::vector<double> values_;
  // The blocks of each position as a row: (column position, block), for the
  // couplings of an equation across earlier columns.
  std::vector<Index> first_in_row_;
  std::vector<Index> row_block_;
};

}  // namespace zervola::global::supernodal
