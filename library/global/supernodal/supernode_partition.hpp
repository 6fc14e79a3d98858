#pragma once

// The symbolic factorisation of a frame's stiffness by nodes. A node's six
// equations are always eliminated together, so the pattern of the factor is
// that of the node graph (two nodes adjacent when an element joins them)
// with each entry a 6 x 6 block. From the node graph and an elimination
// order this finds the elimination tree, renumbers it in postorder (the same
// fill, the tree's subtrees contiguous), and groups consecutive nodes into
// supernodes: nodes whose columns of L share one pattern below them, then,
// relaxed, a child merged into its parent when the explicit zeros that this
// adds are few, so that the dense kernels work on wide blocks.
//
// Notation (node level, 0-based): position k is the k-th node eliminated;
// supernode s holds the positions first_node[s] .. first_node[s + 1] - 1 and
// its rows below them are the positions rows[first_row[s] ..
// first_row[s + 1] - 1], ascending. Its front is (columns + rows) nodes.

#include <cstdint>
#include <span>
#include <vector>

#include "common/index.hpp"

namespace zervola::global::supernodal {

// The nodes' adjacency: the neighbours of node v (0-based) are
// neighbour[first[v] .. first[v + 1] - 1], without v itself, each once.
struct NodeGraph {
  Index n_nodes = 0;
  std::vector<Index> first;
  std::vector<Index> neighbour;
};

// The graph of the node pairs (a, b), 1-based node numbers of the elements
// (element_nodes(1, e), element_nodes(2, e) for e = 1 .. n_pairs, as the
// host's (2, n_elements) table in column-major order). Pairs with a == b or
// a node outside 1 .. n_nodes are left out (the caller's checks refuse them).
[[nodiscard]] NodeGraph node_graph(Index n_nodes, std::span<const std::int32_t> element_nodes);

// How far the relaxed merging goes: a child and its parent are merged when
// their columns together are at most `always_nodes` nodes, or when the
// explicit zeros of the merged supernode stay below the share that the first
// bound of `nodes` it fits under allows (larger supernodes tolerate fewer).
struct Amalgamation {
  Index always_nodes = 2;
  Index nodes[3] = {8, 32, 1 << 30};
  double zero_share[3] = {0.5, 0.1, 0.05};
};

struct SupernodePartition {
  Index n_nodes = 0;
  std::vector<Index> node_at;   // node_at[k]: the node (0-based) eliminated at position k
  std::vector<Index> position;  // position[v]: the position of node v
  std::vector<Index> first_node;  // (n_supernodes + 1)
  std::vector<Index> parent;      // supernode parent; k_root for a root
  std::vector<Index> first_row;   // (n_supernodes + 1)
  std::vector<Index> rows;        // node positions, ascending per supernode

  [[nodiscard]] Index n_supernodes() const { return static_cast<Index>(parent.size()); }
  [[nodiscard]] Index column_nodes(Index s) const {
    return first_node[static_cast<std::size_t>(s + 1)] - first_node[static_cast<std::size_t>(s)];
  }
  [[nodiscard]] Index row_nodes(Index s) const {
    return first_row[static_cast<std::size_t>(s + 1)] - first_row[static_cast<std::size_t>(s)];
  }
  // Where the factor holds equation j (1-based, the library's numbering):
  // the elimination place 6 position(node) + dof, 0-based.
  [[nodiscard]] Index place_of(Index j) const {
    return 6 * position[static_cast<std::size_t>((j - 1) / 6)] + (j - 1) % 6;
  }
};

inline constexpr Index k_root = -1;

// order: a permutation of 0 .. n_nodes - 1, order[k] the node to eliminate
// k-th (the caller's fill-reducing order). The partition's node_at is that
// order in the elimination tree's postorder: the same fill.
[[nodiscard]] SupernodePartition partition_supernodes(const NodeGraph& graph,
                                                      std::span<const Index> order,
                                                      const Amalgamation& rule = {});

// What a factorisation on the partition costs, at the level of equations
// (six per node): the entries of L stored (every supernode's columns over
// its front, the diagonal block whole), and the floating-point operations
// of the factorisation (a multiply and an add per product, as LAPACK counts
// them: sum over columns of c^2 + c, c the entries below the diagonal).
struct FactorCost {
  std::int64_t entries = 0;
  double flops = 0.0;
  Index largest_front = 0;  // equations
};

[[nodiscard]] FactorCost factor_cost(const SupernodePartition& p);

// The flops of supernode s's own columns (its share of factor_cost).
[[nodiscard]] double supernode_flops(const SupernodePartition& p, Index s);

}  // namespace zervola::global::supernodal
