#include "global/supernodal/supernode_partition.hpp"

#include <algorithm>
#include <cassert>

#include "common/matrix12.hpp"

namespace zervola::global::supernodal {

namespace {

constexpr Index k_none = -1;

// parent[k] of the elimination tree at positions, by Liu's algorithm with
// path compression: the first later position whose column row k reaches.
std::vector<Index> elimination_tree(const NodeGraph& g, std::span<const Index> node_at,
                                    const std::vector<Index>& position) {
  const Index n = g.n_nodes;
  std::vector<Index> parent(static_cast<std::size_t>(n), k_none);
  std::vector<Index> ancestor(static_cast<std::size_t>(n), k_none);
  for (Index k = 0; k < n; ++k) {
    const Index v = node_at[static_cast<std::size_t>(k)];
    for (Index t = g.first[static_cast<std::size_t>(v)]; t < g.first[static_cast<std::size_t>(v + 1)]; ++t) {
      Index i = position[static_cast<std::size_t>(g.neighbour[static_cast<std::size_t>(t)])];
      if (i >= k) continue;
      while (ancestor[static_cast<std::size_t>(i)] != k_none && ancestor[static_cast<std::size_t>(i)] != k) {
        const Index next = ancestor[static_cast<std::size_t>(i)];
        ancestor[static_cast<std::size_t>(i)] = k;
        i = next;
      }
      if (ancestor[static_cast<std::size_t>(i)] == k_none) {
        ancestor[static_cast<std::size_t>(i)] = k;
        parent[static_cast<std::size_t>(i)] = k;
      }
    }
  }
  return parent;
}

// The positions in postorder: post[k'] is the old position visited k'-th,
// children in increasing order, roots in increasing order.
std::vector<Index> postorder(const std::vector<Index>& parent) {
  const auto n = static_cast<Index>(parent.size());
  std::vector<Index> head(static_cast<std::size_t>(n), k_none), next(static_cast<std::size_t>(n), k_none);
  // Children pushed in decreasing order come out increasing.
  for (Index k = n - 1; k >= 0; --k) {
    const Index p = parent[static_cast<std::size_t>(k)];
    if (p == k_none) continue;
    next[static_cast<std::size_t>(k)] = head[static_cast<std::size_t>(p)];
    head[static_cast<std::size_t>(p)] = k;
  }
  std::vector<Index> post;
  post.reserve(static_cast<std::size_t>(n));
  std::vector<Index> stack;
  for (Index root = 0; root < n; ++root) {
    if (parent[static_cast<std::size_t>(root)] != k_none) continue;
    stack.push_back(root);
    while (!stack.empty()) {
      const Index k = stack.back();
      const Index child = head[static_cast<std::size_t>(k)];
      if (child == k_none) {
        post.push_back(k);
        stack.pop_back();
      } else {
        head[static_cast<std::size_t>(k)] = next[static_cast<std::size_t>(child)];
        stack.push_back(child);
      }
    }
  }
  return post;
}

// A supernode while the partition is built: its positions, its rows.
struct Group {
  Index first = 0, last = 0;  // positions first .. last - 1
  std::vector<Index> rows;
  std::int64_t zeros = 0;     // explicit zero node blocks below the diagonal blocks
  Index parent = k_none;
};

std::int64_t stored_blocks(Index columns, Index rows) {
  return columns * (columns + 1) / 2 + columns * rows;
}

bool merge_pays(const Amalgamation& rule, const Group& child, const Group& parent) {
  const Index columns = (child.last - child.first) + (parent.last - parent.first);
  if (columns <= rule.always_nodes) return true;
  const Index parent_width = parent.last - parent.first;
  const auto own_rows = static_cast<Index>(child.rows.size());
  const std::int64_t added = (child.last - child.first) *
                             (parent_width + static_cast<Index>(parent.rows.size()) - own_rows);
  const std::int64_t zeros = child.zeros + parent.zeros + added;
  const std::int64_t total = stored_blocks(columns, static_cast<Index>(parent.rows.size()));
  for (int b = 0; b < 3; ++b)
    if (columns <= rule.nodes[b])
      return static_cast<double>(zeros) < rule.zero_share[b] * static_cast<double>(total);
  return false;
}

}  // namespace

NodeGraph node_graph(Index n_nodes, std::span<const std::int32_t> element_nodes) {
  NodeGraph g;
  g.n_nodes = n_nodes;
  const auto count = static_cast<std::size_t>(n_nodes);
  std::vector<Index> degree(count + 1, 0);
  const std::size_t pairs = element_nodes.size() / 2;
  auto valid = [&](Index a, Index b) { return a != b && a >= 1 && b >= 1 && a <= n_nodes && b <= n_nodes; };
  for (std::size_t e = 0; e < pairs; ++e) {
    const Index a = element_nodes[2 * e], b = element_nodes[2 * e + 1];
    if (!valid(a, b)) continue;
    ++degree[static_cast<std::size_t>(a)];
    ++degree[static_cast<std::size_t>(b)];
  }
  std::vector<Index> start(count + 1, 0);
  for (std::size_t v = 0; v < count; ++v) start[v + 1] = start[v] + degree[v + 1];
  std::vector<Index> all(static_cast<std::size_t>(start[count]));
  std::vector<Index> fill(start.begin(), start.end() - 1);
  for (std::size_t e = 0; e < pairs; ++e) {
    const Index a = element_nodes[2 * e], b = element_nodes[2 * e + 1];
    if (!valid(a, b)) continue;
    all[static_cast<std::size_t>(fill[static_cast<std::size_t>(a - 1)]++)] = b - 1;
    all[static_cast<std::size_t>(fill[static_cast<std::size_t>(b - 1)]++)] = a - 1;
  }
  // Several elements between two nodes join them once.
  g.first.assign(count + 1, 0);
  g.neighbour.reserve(all.size());
  for (std::size_t v = 0; v < count; ++v) {
    auto begin = all.begin() + static_cast<std::ptrdiff_t>(start[v]);
    auto end = all.begin() + static_cast<std::ptrdiff_t>(start[v + 1]);
    std::sort(begin, end);
    end = std::unique(begin, end);
    g.neighbour.insert(g.neighbour.end(), begin, end);
    g.first[v + 1] = static_cast<Index>(g.neighbour.size());
  }
  return g;
}

SupernodePartition partition_supernodes(const NodeGraph& g, std::span<const Index> order,
                                        const Amalgamation& rule) {
  const Index n = g.n_nodes;
  assert(static_cast<Index>(order.size()) == n);
  SupernodePartition p;
  p.n_nodes = n;
  p.position.assign(static_cast<std::size_t>(n), 0);
  for (Index k = 0; k < n; ++k) p.position[static_cast<std::size_t>(order[static_cast<std::size_t>(k)])] = k;
  const std::vector<Index> first_parent = elimination_tree(g, order, p.position);
  const std::vector<Index> post = postorder(first_parent);

  // Renumber in postorder.
  p.node_at.resize(static_cast<std::size_t>(n));
  std::vector<Index> renumbered(static_cast<std::size_t>(n));
  for (Index k = 0; k < n; ++k) renumbered[static_cast<std::size_t>(post[static_cast<std::size_t>(k)])] = k;
  for (Index k = 0; k < n; ++k) {
    p.node_at[static_cast<std::size_t>(k)] = order[static_cast<std::size_t>(post[static_cast<std::size_t>(k)])];
    p.position[static_cast<std::size_t>(p.node_at[static_cast<std::size_t>(k)])] = k;
  }
  std::vector<Index> parent(static_cast<std::size_t>(n), k_none);
  std::vector<Index> children(static_cast<std::size_t>(n), 0);
  for (Index k = 0; k < n; ++k) {
    const Index q = first_parent[static_cast<std::size_t>(post[static_cast<std::size_t>(k)])];
    if (q == k_none) continue;
    parent[static_cast<std::size_t>(k)] = renumbered[static_cast<std::size_t>(q)];
    ++children[static_cast<std::size_t>(parent[static_cast<std::size_t>(k)])];
  }

  // Each column's rows: its later neighbours and its children's rows, less
  // itself. A child's rows are needed by its parent only, and a supernode's
  // rows are those of its last column, so a column's set lives until its
  // parent has taken it in (or, when the parent continues its supernode,
  // passes into it). Fundamental supernodes: column k joins column k - 1 when
  // k - 1 is its only child and its rows are k - 1's less k itself.
  std::vector<Group> groups;
  std::vector<Index> group_of(static_cast<std::size_t>(n), k_none);
  std::vector<std::vector<Index>> pending(static_cast<std::size_t>(n));  // rows of finished children, by parent
  std::vector<Index> mark(static_cast<std::size_t>(n), k_none);
  std::vector<Index> column;
  for (Index k = 0; k < n; ++k) {
    column.clear();
    mark[static_cast<std::size_t>(k)] = k;
    const Index v = p.node_at[static_cast<std::size_t>(k)];
    for (Index t = g.first[static_cast<std::size_t>(v)]; t < g.first[static_cast<std::size_t>(v + 1)]; ++t) {
      const Index i = p.position[static_cast<std::size_t>(g.neighbour[static_cast<std::size_t>(t)])];
      if (i > k && mark[static_cast<std::size_t>(i)] != k) {
        mark[static_cast<std::size_t>(i)] = k;
        column.push_back(i);
      }
    }
    for (const Index i : pending[static_cast<std::size_t>(k)])
      if (mark[static_cast<std::size_t>(i)] != k) {
        mark[static_cast<std::size_t>(i)] = k;
        column.push_back(i);
      }
    std::vector<Index>().swap(pending[static_cast<std::size_t>(k)]);
    std::sort(column.begin(), column.end());

    const bool continues =
        k > 0 && parent[static_cast<std::size_t>(k - 1)] == k && children[static_cast<std::size_t>(k)] == 1 &&
        groups.back().rows.size() == column.size() + 1;
    if (continues) {
      groups.back().last = k + 1;
      groups.back().rows = column;
    } else {
      groups.push_back({k, k + 1, column, 0, k_none});
    }
    group_of[static_cast<std::size_t>(k)] = static_cast<Index>(groups.size() - 1);
    // The rows pass to the parent unless the parent continues this
    // supernode, which then holds them already.
    const Index q = parent[static_cast<std::size_t>(k)];
    if (q != k_none) {
      std::vector<Index>& into = pending[static_cast<std::size_t>(q)];
      for (const Index i : column)
        if (i != q) into.push_back(i);
    }
  }
  for (Group& s : groups) {
    const Index q = parent[static_cast<std::size_t>(s.last - 1)];
    s.parent = q == k_none ? k_none : group_of[static_cast<std::size_t>(q)];
  }

  // Relaxed merging: a parent takes its last child (whose positions end
  // where its own begin) while that pays, children first.
  const auto count = static_cast<Index>(groups.size());
  std::vector<Index> last_child(static_cast<std::size_t>(count), k_none);
  std::vector<bool> merged(static_cast<std::size_t>(count), false);
  std::vector<Index> previous_child(static_cast<std::size_t>(count), k_none);
  for (Index s = 0; s < count; ++s) {
    const Index q = groups[static_cast<std::size_t>(s)].parent;
    if (q == k_none) continue;
    previous_child[static_cast<std::size_t>(s)] = last_child[static_cast<std::size_t>(q)];
    last_child[static_cast<std::size_t>(q)] = s;
  }
  for (Index s = 0; s < count; ++s) {
    Group& parent_group = groups[static_cast<std::size_t>(s)];
    while (true) {
      const Index c = last_child[static_cast<std::size_t>(s)];
      if (c == k_none) break;
      Group& child = groups[static_cast<std::size_t>(c)];
      if (child.last != parent_group.first || !merge_pays(rule, child, parent_group)) break;
      const Index parent_width = parent_group.last - parent_group.first;
      parent_group.zeros += child.zeros + (child.last - child.first) *
                                              (parent_width + static_cast<Index>(parent_group.rows.size()) -
                                               static_cast<Index>(child.rows.size()));
      parent_group.first = child.first;
      merged[static_cast<std::size_t>(c)] = true;
      // The child's children become the parent's, the child's last one
      // now adjacent to the parent's positions.
      last_child[static_cast<std::size_t>(s)] = previous_child[static_cast<std::size_t>(c)];
      Index cc = last_child[static_cast<std::size_t>(c)];
      if (cc != k_none) {
        // Append the child's children after the parent's remaining ones:
        // the child's are later in postorder.
        Index tail = cc;
        while (previous_child[static_cast<std::size_t>(tail)] != k_none) tail = previous_child[static_cast<std::size_t>(tail)];
        previous_child[static_cast<std::size_t>(tail)] = last_child[static_cast<std::size_t>(s)];
        last_child[static_cast<std::size_t>(s)] = cc;
        for (Index t = cc; t != k_none; t = previous_child[static_cast<std::size_t>(t)]) {
          if (groups[static_cast<std::size_t>(t)].parent != c) break;
          groups[static_cast<std::size_t>(t)].parent = s;
        }
      }
      std::vector<Index>().swap(child.rows);
    }
  }

  std::vector<Index> final_number(static_cast<std::size_t>(count), k_none);
  Index kept = 0;
  for (Index s = 0; s < count; ++s)
    if (!merged[static_cast<std::size_t>(s)]) final_number[static_cast<std::size_t>(s)] = kept++;
  p.first_node.reserve(static_cast<std::size_t>(kept + 1));
  p.first_row.reserve(static_cast<std::size_t>(kept + 1));
  p.first_row.push_back(0);
  for (Index s = 0; s < count; ++s) {
    if (merged[static_cast<std::size_t>(s)]) continue;
    const Group& group = groups[static_cast<std::size_t>(s)];
    p.first_node.push_back(group.first);
    // A merged child's parent is the supernode that took it in; that
    // supernode's own parent, never merged away (parents come later).
    Index q = group.parent;
    p.parent.push_back(q == k_none ? k_none : final_number[static_cast<std::size_t>(q)]);
    p.rows.insert(p.rows.end(), group.rows.begin(), group.rows.end());
    p.first_row.push_back(static_cast<Index>(p.rows.size()));
  }
  p.first_node.push_back(n);
  return p;
}

double supernode_flops(const SupernodePartition& p, Index s) {
  const Index columns = k_node_dofs * p.column_nodes(s);
  const Index front = columns + k_node_dofs * p.row_nodes(s);
  double flops = 0.0;
  for (Index c = 0; c < columns; ++c) {
    const auto below = static_cast<double>(front - c - 1);
    flops += below * below + below;
  }
  return flops;
}

FactorCost factor_cost(const SupernodePartition& p) {
  FactorCost cost;
  for (Index s = 0; s < p.n_supernodes(); ++s) {
    const Index columns = k_node_dofs * p.column_nodes(s);
    const Index front = columns + k_node_dofs * p.row_nodes(s);
    cost.entries += columns * front;
    cost.largest_front = std::max(cost.largest_front, front);
    cost.flops += supernode_flops(p, s);
  }
  return cost;
}

}  // namespace zervola::global::supernodal
