#include "global/supernodal/node_block_matrix.hpp"

#include <algorithm>
#include <stdexcept>

namespace zervola::global::supernodal {

namespace {

constexpr Index k_missing = -1;
constexpr Index k_dofs = k_node_dofs;

}  // namespace

NodeBlockMatrix::NodeBlockMatrix(const NodeGraph& graph, const SupernodePartition& partition)
    : partition_(&partition), n_nodes_(graph.n_nodes) {
  const auto n = static_cast<std::size_t>(n_nodes_);
  first_block_.assign(n + 1, 0);
  std::vector<Index> row_count(n + 1, 0);
  for (std::size_t j = 0; j < n; ++j) {
    const Index v = partition.node_at[j];
    Index count = 1;
    for (Index t = graph.first[static_cast<std::size_t>(v)]; t < graph.first[static_cast<std::size_t>(v + 1)]; ++t) {
      const Index i = partition.position[static_cast<std::size_t>(graph.neighbour[static_cast<std::size_t>(t)])];
      if (i > static_cast<Index>(j)) {
        ++count;
        ++row_count[static_cast<std::size_t>(i) + 1];
      }
    }
    first_block_[j + 1] = first_block_[j] + count;
  }
  block_row_.resize(static_cast<std::size_t>(first_block_[n]));
  for (std::size_t j = 0; j < n; ++j) {
    Index* out = block_row_.data() + first_block_[j];
    *out++ = static_cast<Index>(j);
    const Index v = partition.node_at[j];
    Index* begin = out;
    for (Index t = graph.first[static_cast<std::size_t>(v)]; t < graph.first[static_cast<std::size_t>(v + 1)]; ++t) {
      const Index i = partition.position[static_cast<std::size_t>(graph.neighbour[static_cast<std::size_t>(t)])];
      if (i > static_cast<Index>(j)) *out++ = i;
    }
    std::sort(begin, out);
  }
  values_.assign(block_row_.size() * static_cast<std::size_t>(k_block_entries), 0.0);

  first_in_row_.assign(n + 1, 0);
  for (std::size_t i = 0; i < n; ++i) first_in_row_[i + 1] = first_in_row_[i] + row_count[i + 1];
  row_block_.resize(static_cast<std::size_t>(first_in_row_[n]));
  std::vector<Index> fill(first_in_row_.begin(), first_in_row_.end() - 1);
  for (std::size_t j = 0; j < n; ++j)
    for (Index b = first_block_[j] + 1; b < first_block_[j + 1]; ++b)
      row_block_[static_cast<std::size_t>(fill[static_cast<std::size_t>(block_row_[static_cast<std::size_t>(b)])]++)] = b;
}

Index NodeBlockMatrix::find(Index i, Index j) const {
  const auto begin = block_row_.begin() + static_cast<std::ptrdiff_t>(first_block_[static_cast<std::size_t>(j)]);
  const auto end = block_row_.begin() + static_cast<std::ptrdiff_t>(first_block_[static_cast<std::size_t>(j + 1)]);
  const auto at = std::lower_bound(begin + 1, end, i);
  if (i == j) return first_block_[static_cast<std::size_t>(j)];
  if (at == end || *at != i) return k_missing;
  return static_cast<Index>(at - block_row_.begin());
}

double* NodeBlockMatrix::entry(Index i, Index j) {
  const Index ni = partition_->position[static_cast<std::size_t>((i - 1) / k_dofs)];
  const Index nj = partition_->position[static_cast<std::size_t>((j - 1) / k_dofs)];
  Index a = (i - 1) % k_dofs, b = (j - 1) % k_dofs;
  Index row = ni, column = nj;
  // Below the diagonal: the later position's row; in a node's own block,
  // its lower triangle.
  if (ni < nj || (ni == nj && a < b)) {
    std::swap(row, column);
    std::swap(a, b);
  }
  const Index found = find(row, column);
  if (found == k_missing) return nullptr;
  return values_.data() + found * k_block_entries + a * k_dofs + b;
}

bool NodeBlockMatrix::contains(Index i, Index j) const {
  return const_cast<NodeBlockMatrix*>(this)->entry(i, j) != nullptr;
}

double& NodeBlockMatrix::operator()(Index i, Index j) {
  double* e = entry(i, j);
  if (e == nullptr) throw std::out_of_range("an entry outside the nodes' pattern");
  return *e;
}

double NodeBlockMatrix::operator()(Index i, Index j) const {
  const double* e = const_cast<NodeBlockMatrix*>(this)->entry(i, j);
  return e == nullptr ? 0.0 : *e;
}

void NodeBlockMatrix::add_element(const Matrix12& E, Index a, Index b) {
  const Index ia = k_dofs * (a - 1) + 1, ib = k_dofs * (b - 1) + 1;
  for (Index r = 1; r <= k_dofs; ++r)
    for (Index c = 1; c <= r; ++c) {
      (*this)(ia + r - 1, ia + c - 1) += E(r, c);
      (*this)(ib + r - 1, ib + c - 1) += E(r + k_dofs, c + k_dofs);
    }
  for (Index m = 1; m <= k_dofs; ++m)
    for (Index n = 1; n <= k_dofs; ++n) (*this)(ia + n - 1, ib + m - 1) += E(k_dofs + m, n);
}

void NodeBlockMatrix::for_each_coupling(Index k, const std::function<void(Index, double)>& f) const {
  const Index node = (k - 1) / k_dofs;
  const Index a = (k - 1) % k_dofs;
  const Index pk = partition_->position[static_cast<std::size_t>(node)];
  const auto equation = [&](Index position, Index dof) {
    return k_dofs * partition_->node_at[static_cast<std::size_t>(position)] + dof + 1;
  };
  // The node's own block.
  const double* own = block(first_block_[static_cast<std::size_t>(pk)]);
  for (Index b = 0; b < k_dofs; ++b) {
    const double x = own[std::max(a, b) * k_dofs + std::min(a, b)];
    if (b != a && x != 0.0) f(k_dofs * node + b + 1, x);
  }
  // Rows below in its column: column a of each block.
  for (Index t = first_block_[static_cast<std::size_t>(pk)] + 1; t < first_block_[static_cast<std::size_t>(pk + 1)]; ++t) {
    const double* x = block(t);
    for (Index r = 0; r < k_dofs; ++r)
      if (x[r * k_dofs + a] != 0.0) f(equation(block_row(t), r), x[r * k_dofs + a]);
  }
  // Earlier columns where it is a row: row a of each block.
  for (Index t = first_in_row_[static_cast<std::size_t>(pk)]; t < first_in_row_[static_cast<std::size_t>(pk + 1)]; ++t) {
    const Index b = row_block_[static_cast<std::size_t>(t)];
    const Index column = static_cast<Index>(std::upper_bound(first_block_.begin(), first_block_.end(), b) - first_block_.begin()) - 1;
    const double* x = block(b);
    for (Index c = 0; c < k_dofs; ++c)
      if (x[a * k_dofs + c] != 0.0) f(equation(column, c), x[a * k_dofs + c]);
  }
}

void NodeBlockMatrix::clear_couplings(Index k) {
  const Index node = (k - 1) / k_dofs;
  const Index a = (k - 1) % k_dofs;
  const Index pk = partition_->position[static_cast<std::size_t>(node)];
  double* own = values_.data() + first_block_[static_cast<std::size_t>(pk)] * k_block_entries;
  for (Index b = 0; b < k_dofs; ++b)
    if (b != a) own[std::max(a, b) * k_dofs + std::min(a, b)] = 0.0;
  for (Index t = first_block_[static_cast<std::size_t>(pk)] + 1; t < first_block_[static_cast<std::size_t>(pk + 1)]; ++t) {
    double* x = values_.data() + t * k_block_entries;
    for (Index r = 0; r < k_dofs; ++r) x[r * k_dofs + a] = 0.0;
  }
  for (Index t = first_in_row_[static_cast<std::size_t>(pk)]; t < first_in_row_[static_cast<std::size_t>(pk + 1)]; ++t) {
    double* x = values_.data() + row_block_[static_cast<std::size_t>(t)] * k_block_entries;
    for (Index c = 0; c < k_dofs; ++c) x[a * k_dofs + c] = 0.0;
  }
}

void NodeBlockMatrix::for_each_entry(const std::function<void(Index, Index, double)>& f) const {
  for (Index j = 0; j < n_nodes_; ++j) {
    const Index vj = partition_->node_at[static_cast<std::size_t>(j)];
    for (Index t = first_block_[static_cast<std::size_t>(j)]; t < first_block_[static_cast<std::size_t>(j + 1)]; ++t) {
      const Index vi = partition_->node_at[static_cast<std::size_t>(block_row(t))];
      const double* x = block(t);
      for (Index r = 0; r < k_dofs; ++r)
        for (Index c = 0; c < k_dofs; ++c) {
          if (t == first_block_[static_cast<std::size_t>(j)] && c > r) continue;
          const Index ei = k_dofs * vi + r + 1, ej = k_dofs * vj + c + 1;
          f(std::min(ei, ej), std::max(ei, ej), x[r * k_dofs + c]);
        }
    }
  }
}

void NodeBlockMatrix::clear() { std::fill(values_.begin(), values_.end(), 0.0); }

}  // namespace zervola::global::supernodal
