#pragma once

// Random symmetric systems on random node graphs, the supernodal solver's
// test material: a graph (a random spanning tree with extra edges, or a
// grid of nodes), 6 x 6 blocks on its edges and nodes, written both into a
// node-block matrix and plainly as a dense matrix.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <random>
#include <vector>

#include "global/supernodal/node_block_matrix.hpp"
#include "global/supernodal/supernode_partition.hpp"

namespace zervola::global::supernodal::test {

// Element node pairs (1-based, a != b), column-major (2, count).
inline std::vector<std::int32_t> random_tree_pairs(Index nodes, Index extra, std::mt19937_64& rng) {
  std::vector<std::int32_t> pairs;
  for (Index v = 2; v <= nodes; ++v) {
    std::uniform_int_distribution<Index> earlier(1, v - 1);
    pairs.push_back(static_cast<std::int32_t>(earlier(rng)));
    pairs.push_back(static_cast<std::int32_t>(v));
  }
  std::uniform_int_distribution<Index> any(1, nodes);
  for (Index e = 0; e < extra && nodes > 1; ++e) {
    const Index a = any(rng), b = any(rng);
    if (a == b) continue;
    pairs.push_back(static_cast<std::int32_t>(std::min(a, b)));
    pairs.push_back(static_cast<std::int32_t>(std::max(a, b)));
  }
  return pairs;
}

// An nx x ny x nz grid of nodes joined along x, y and z.
inline std::vector<std::int32_t> grid_pairs(Index nx, Index ny, Index nz) {
  std::vector<std::int32_t> pairs;
  const auto node = [&](Index i, Index j, Index k) { return static_cast<std::int32_t>(1 + i + nx * (j + ny * k)); };
  for (Index k = 0; k < nz; ++k)
    for (Index j = 0; j < ny; ++j)
      for (Index i = 0; i < nx; ++i) {
        if (i + 1 < nx) pairs.insert(pairs.end(), {node(i, j, k), node(i + 1, j, k)});
        if (j + 1 < ny) pairs.insert(pairs.end(), {node(i, j, k), node(i, j + 1, k)});
        if (k + 1 < nz) pairs.insert(pairs.end(), {node(i, j, k), node(i, j, k + 1)});
      }
  return pairs;
}

struct DenseMatrix {
  Index n = 0;
  std::vector<double> a;  // column-major n x n, both triangles
  double& operator()(Index i, Index j) { return a[static_cast<std::size_t>(i + n * j)]; }
  double operator()(Index i, Index j) const { return a[static_cast<std::size_t>(i + n * j)]; }
};

// Random entries on the graph's blocks; each diagonal entry then gets
// `dominance` times the row's sum of magnitudes, with the sign of
// `negative_share` of the nodes turned negative (an indefinite matrix whose
// inertia the dense reference counts).
inline DenseMatrix random_values(NodeBlockMatrix& K, const NodeGraph& g, double dominance,
                                 double negative_share, std::mt19937_64& rng) {
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  DenseMatrix d;
  d.n = 6 * g.n_nodes;
  d.a.assign(static_cast<std::size_t>(d.n * d.n), 0.0);
  for (Index v = 0; v < g.n_nodes; ++v) {
    for (Index r = 0; r < 6; ++r)
      for (Index c = 0; c < r; ++c) d(6 * v + r, 6 * v + c) = d(6 * v + c, 6 * v + r) = value(rng);
    for (Index t = g.first[static_cast<std::size_t>(v)]; t < g.first[static_cast<std::size_t>(v + 1)]; ++t) {
      const Index w = g.neighbour[static_cast<std::size_t>(t)];
      if (w < v) continue;
      for (Index r = 0; r < 6; ++r)
        for (Index c = 0; c < 6; ++c) d(6 * v + r, 6 * w + c) = d(6 * w + c, 6 * v + r) = value(rng);
    }
  }
  for (Index v = 0; v < g.n_nodes; ++v) {
    const double sign = unit(rng) < negative_share ? -1.0 : 1.0;
    for (Index r = 0; r < 6; ++r) {
      const Index i = 6 * v + r;
      double sum = 0.0;
      for (Index j = 0; j < d.n; ++j) sum += std::abs(d(i, j));
      d(i, i) = sign * (dominance * sum + 0.5 + unit(rng));
    }
  }
  for (Index j = 0; j < d.n; ++j)
    for (Index i = j; i < d.n; ++i)
      if (K.contains(i + 1, j + 1)) K(i + 1, j + 1) = d(i, j);
  return d;
}

// Plain L D L^T in natural order: the solution of several right-hand sides
// (b, n x count column-major, overwritten) and the count of negative pivots.
inline Index dense_solve(DenseMatrix m, std::vector<double>& b, Index count) {
  const Index n = m.n;
  Index negative = 0;
  std::vector<double> w(static_cast<std::size_t>(n));
  for (Index k = 0; k < n; ++k) {
    const double d = m(k, k);
    if (d < 0.0) ++negative;
    for (Index i = k + 1; i < n; ++i) w[static_cast<std::size_t>(i)] = m(i, k);
    for (Index j = k + 1; j < n; ++j) {
      const double wj = w[static_cast<std::size_t>(j)] / d;
      if (wj == 0.0) continue;
      for (Index i = j; i < n; ++i) m(i, j) -= w[static_cast<std::size_t>(i)] * wj;
    }
    for (Index i = k + 1; i < n; ++i) m(i, k) = w[static_cast<std::size_t>(i)] / d;
  }
  for (Index c = 0; c < count; ++c) {
    double* x = b.data() + c * n;
    for (Index i = 0; i < n; ++i)
      for (Index k = 0; k < i; ++k) x[i] -= m(i, k) * x[k];
    for (Index i = 0; i < n; ++i) x[i] /= m(i, i);
    for (Index i = n - 1; i >= 0; --i)
      for (Index k = i + 1; k < n; ++k) x[i] -= m(k, i) * x[k];
  }
  return negative;
}

inline std::vector<Index> random_order(Index n, std::mt19937_64& rng) {
  std::vector<Index> order(static_cast<std::size_t>(n));
  std::iota(order.begin(), order.end(), Index{0});
  std::shuffle(order.begin(), order.end(), rng);
  return order;
}

}  // namespace zervola::global::supernodal::test
