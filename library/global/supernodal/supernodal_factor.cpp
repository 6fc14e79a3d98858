#include "global/supernodal/supernodal_factor.hpp"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "global/supernodal/frontal_factorisation.hpp"

namespace zervola::global::supernodal {

namespace {

constexpr Index k_dofs = k_node_dofs;
constexpr Index k_none = -1;
// Subtrees handed to the runner per worker: more than one each, so that
// uneven subtrees still share the work out.
constexpr Index k_subtrees_per_worker = 4;

// The rest of a front once its columns are eliminated, kept until the
// parent takes it in: (m x m) by rows, m = 6 x its row nodes, lower part.
using UpdateMatrix = std::vector<double>;

struct Workspace {
  std::vector<Index> local;  // position -> node index within the current front
  std::vector<double> front;
};

class Multifrontal {
 public:
  Multifrontal(const NodeBlockMatrix& K, SupernodalFactor& factor, BlockProducts products,
               std::vector<UpdateMatrix>& updates, std::vector<Index>& negative,
               const std::vector<std::vector<Index>>& children)
      : K_(K), factor_(factor), products_(products), updates_(updates), negative_(negative),
        children_(children) {}

  void supernode(Index s, Workspace& w, const TaskRunner& runner) const {
    const SupernodePartition& p = factor_.partition();
    const Index first = p.first_node[static_cast<std::size_t>(s)];
    const Index own = p.column_nodes(s);
    const Index below = p.row_nodes(s);
    const Index* rows = p.rows.data() + p.first_row[static_cast<std::size_t>(s)];
    const Index columns = k_dofs * own;
    const Index size = columns + k_dofs * below;
    const Index stride = front_stride(size);
    if (w.local.empty()) w.local.assign(static_cast<std::size_t>(p.n_nodes), k_none);
    for (Index t = 0; t < own; ++t) w.local[static_cast<std::size_t>(first + t)] = t;
    for (Index t = 0; t < below; ++t) w.local[static_cast<std::size_t>(rows[t])] = own + t;
    w.front.assign(static_cast<std::size_t>(size * stride), 0.0);
    double* F = w.front.data();

    // K's columns of the supernode.
    for (Index j = first; j < first + own; ++j) {
      const Index lj = k_dofs * (j - first);
      for (Index b = K_.first_block(j); b < K_.first_block(j + 1); ++b) {
        const Index li = k_dofs * w.local[static_cast<std::size_t>(K_.block_row(b))];
        const double* x = K_.block(b);
        const bool diagonal = b == K_.first_block(j);
        for (Index r = 0; r < k_dofs; ++r) {
          double* out = F + (li + r) * stride + lj;
          const Index last = diagonal ? r + 1 : k_dofs;
          for (Index c = 0; c < last; ++c) out[c] += x[r * k_dofs + c];
        }
      }
    }
    // The children's update matrices.
    for (const Index c : children_[static_cast<std::size_t>(s)]) {
      UpdateMatrix& u = updates_[static_cast<std::size_t>(c)];
      const Index* child_rows = p.rows.data() + p.first_row[static_cast<std::size_t>(c)];
      const Index nodes = p.row_nodes(c);
      const Index m = k_dofs * nodes;
      for (Index a = 0; a < nodes; ++a) {
        const Index la = k_dofs * w.local[static_cast<std::size_t>(child_rows[a])];
        for (Index b = 0; b <= a; ++b) {
          const Index lb = k_dofs * w.local[static_cast<std::size_t>(child_rows[b])];
          for (Index r = 0; r < k_dofs; ++r) {
            const double* in = u.data() + (k_dofs * a + r) * m + k_dofs * b;
            double* out = F + (la + r) * stride + lb;
            const Index last = a == b ? r + 1 : k_dofs;
            for (Index q = 0; q < last; ++q) out[q] += in[q];
          }
        }
      }
      UpdateMatrix().swap(u);
    }

    negative_[static_cast<std::size_t>(s)] = factorise_front(F, size, stride, columns, products_, runner);

    double* L = factor_.block(s);
    for (Index i = 0; i < size; ++i)
      std::memcpy(L + i * columns, F + i * stride,
                  static_cast<std::size_t>(std::min(i + 1, columns)) * sizeof(double));
    if (p.parent[static_cast<std::size_t>(s)] != k_root && below > 0) {
      const Index m = k_dofs * below;
      UpdateMatrix u(static_cast<std::size_t>(m * m));
      for (Index i = 0; i < m; ++i)
        std::memcpy(u.data() + i * m, F + (columns + i) * stride + columns,
                    static_cast<std::size_t>(i + 1) * sizeof(double));
      updates_[static_cast<std::size_t>(s)] = std::move(u);
    }
    for (Index t = 0; t < own; ++t) w.local[static_cast<std::size_t>(first + t)] = k_none;
    for (Index t = 0; t < below; ++t) w.local[static_cast<std::size_t>(rows[t])] = k_none;
  }

 private:
  const NodeBlockMatrix& K_;
  SupernodalFactor& factor_;
  BlockProducts products_;
  std::vector<UpdateMatrix>& updates_;
  std::vector<Index>& negative_;
  const std::vector<std::vector<Index>>& children_;
};

// The work of each supernode's subtree, in flops.
std::vector<double> subtree_work(const SupernodePartition& p) {
  std::vector<double> work(static_cast<std::size_t>(p.n_supernodes()), 0.0);
  for (Index s = 0; s < p.n_supernodes(); ++s) {
    const Index columns = k_dofs * p.column_nodes(s);
    const Index front = columns + k_dofs * p.row_nodes(s);
    for (Index c = 0; c < columns; ++c) {
      const auto below = static_cast<double>(front - c - 1);
      work[static_cast<std::size_t>(s)] += below * below;
    }
    const Index q = p.parent[static_cast<std::size_t>(s)];
    if (q != k_root) work[static_cast<std::size_t>(q)] += work[static_cast<std::size_t>(s)];
  }
  return work;
}

}  // namespace

SupernodalFactor::SupernodalFactor(const SupernodePartition& partition) : partition_(&partition) {
  const Index count = partition.n_supernodes();
  offset_.resize(static_cast<std::size_t>(count + 1));
  std::size_t at = 0;
  for (Index s = 0; s < count; ++s) {
    offset_[static_cast<std::size_t>(s)] = at;
    at += static_cast<std::size_t>(columns(s) * front(s));
  }
  offset_[static_cast<std::size_t>(count)] = at;
  values_.assign(at, 0.0);
  supernode_of_.resize(static_cast<std::size_t>(partition.n_nodes));
  for (Index s = 0; s < count; ++s)
    for (Index k = partition.first_node[static_cast<std::size_t>(s)]; k < partition.first_node[static_cast<std::size_t>(s + 1)]; ++k)
      supernode_of_[static_cast<std::size_t>(k)] = s;
}

double SupernodalFactor::pivot_at(Index q) const {
  const Index k = q / k_dofs;
  const Index s = supernode_of_[static_cast<std::size_t>(k)];
  const Index c = q - k_dofs * partition_->first_node[static_cast<std::size_t>(s)];
  return block(s)[c * columns(s) + c];
}

void SupernodalFactor::factorise(const NodeBlockMatrix& K, VectorPath path, const TaskRunner& runner) {
  const SupernodePartition& p = *partition_;
  const Index count = p.n_supernodes();
  std::vector<std::vector<Index>> children(static_cast<std::size_t>(count));
  for (Index s = 0; s < count; ++s)
    if (p.parent[static_cast<std::size_t>(s)] != k_root)
      children[static_cast<std::size_t>(p.parent[static_cast<std::size_t>(s)])].push_back(s);
  std::vector<UpdateMatrix> updates(static_cast<std::size_t>(count));
  std::vector<Index> negative(static_cast<std::size_t>(count), 0);
  const Multifrontal m(K, *this, block_products_for(path), updates, negative, children);
  const SequentialRunner alone;

  // Subtrees for the runner: split the heaviest until each is a small share
  // of the whole; the supernodes split off stay for afterwards.
  std::vector<Index> subtrees;
  std::vector<bool> on_top(static_cast<std::size_t>(count), false);
  if (runner.workers() > 1) {
    const std::vector<double> work = subtree_work(p);
    double total = 0.0;
    for (Index s = 0; s < count; ++s)
      if (p.parent[static_cast<std::size_t>(s)] == k_root) {
        subtrees.push_back(s);
        total += work[static_cast<std::size_t>(s)];
      }
    const double share = total / static_cast<double>(runner.workers() * k_subtrees_per_worker);
    while (!subtrees.empty()) {
      const auto heaviest = std::max_element(subtrees.begin(), subtrees.end(), [&](Index a, Index b) {
        return work[static_cast<std::size_t>(a)] < work[static_cast<std::size_t>(b)];
      });
      const Index s = *heaviest;
      if (work[static_cast<std::size_t>(s)] <= share || children[static_cast<std::size_t>(s)].empty()) break;
      subtrees.erase(heaviest);
      on_top[static_cast<std::size_t>(s)] = true;
      for (const Index c : children[static_cast<std::size_t>(s)]) subtrees.push_back(c);
    }
    std::sort(subtrees.begin(), subtrees.end(), [&](Index a, Index b) {
      return work[static_cast<std::size_t>(a)] > work[static_cast<std::size_t>(b)];
    });
  } else {
    for (Index s = 0; s < count; ++s)
      if (p.parent[static_cast<std::size_t>(s)] == k_root) subtrees.push_back(s);
  }
  // A subtree in postorder is the run of supernodes that ends at its root.
  std::vector<Index> first_in_subtree(static_cast<std::size_t>(count));
  std::iota(first_in_subtree.begin(), first_in_subtree.end(), Index{0});
  for (Index s = 0; s < count; ++s) {
    const Index q = p.parent[static_cast<std::size_t>(s)];
    if (q != k_root)
      first_in_subtree[static_cast<std::size_t>(q)] =
          std::min(first_in_subtree[static_cast<std::size_t>(q)], first_in_subtree[static_cast<std::size_t>(s)]);
  }
  runner.run(static_cast<Index>(subtrees.size()), [&](Index t) {
    Workspace w;
    const Index root = subtrees[static_cast<std::size_t>(t)];
    for (Index s = first_in_subtree[static_cast<std::size_t>(root)]; s <= root; ++s) m.supernode(s, w, alone);
  });
  Workspace w;
  for (Index s = 0; s < count; ++s)
    if (on_top[static_cast<std::size_t>(s)]) m.supernode(s, w, runner);
  negative_ = std::accumulate(negative.begin(), negative.end(), Index{0});
}

}  // namespace zervola::global::supernodal
