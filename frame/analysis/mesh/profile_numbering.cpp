#include "zervola/frame/profile_numbering.hpp"

#include <algorithm>
#include <queue>
#include <utility>

namespace zervola::frame {
namespace {

using Int = std::int32_t;

// Neighbours of each node, 0-based, without repeats or the node itself.
struct NodeGraph {
  std::vector<std::size_t> first;  // (n_nodes + 1)
  std::vector<Int> neighbours;

  [[nodiscard]] std::size_t size() const { return first.size() - 1; }
  [[nodiscard]] Int degree(Int n) const {
    return static_cast<Int>(first[static_cast<std::size_t>(n) + 1] - first[static_cast<std::size_t>(n)]);
  }
  template <class Visit>
  void for_each_neighbour(Int n, Visit visit) const {
    for (std::size_t k = first[static_cast<std::size_t>(n)]; k < first[static_cast<std::size_t>(n) + 1]; ++k)
      visit(neighbours[k]);
  }
};

NodeGraph node_graph(const std::vector<Int>& element_nodes, Int n_nodes) {
  const auto n = static_cast<std::size_t>(n_nodes);
  std::vector<std::vector<Int>> lists(n);
  for (std::size_t k = 0; k + 1 < element_nodes.size(); k += 2) {
    const Int a = element_nodes[k] - 1, b = element_nodes[k + 1] - 1;
    if (a == b) continue;
    lists[static_cast<std::size_t>(a)].push_back(b);
    lists[static_cast<std::size_t>(b)].push_back(a);
  }
  NodeGraph g;
  g.first.assign(n + 1, 0);
  for (std::size_t i = 0; i < n; ++i) {
    auto& l = lists[i];
    std::sort(l.begin(), l.end());
    l.erase(std::unique(l.begin(), l.end()), l.end());
    g.first[i + 1] = g.first[i] + l.size();
  }
  g.neighbours.reserve(g.first[n]);
  for (const auto& l : lists) g.neighbours.insert(g.neighbours.end(), l.begin(), l.end());
  return g;
}

// Breadth-first distances from `root` inside its piece (-1 outside it);
// returns the depth (largest distance) and the width (largest level).
struct Levels {
  std::vector<Int> distance;
  Int depth = 0;
  std::size_t width = 0;
  std::vector<Int> last_level;
};

Levels levels_from(const NodeGraph& g, Int root) {
  Levels l;
  l.distance.assign(g.size(), -1);
  std::vector<Int> level{root};
  l.distance[static_cast<std::size_t>(root)] = 0;
  while (true) {
    l.width = std::max(l.width, level.size());
    std::vector<Int> next;
    for (const Int n : level)
      g.for_each_neighbour(n, [&](Int m) {
        if (l.distance[static_cast<std::size_t>(m)] < 0) {
          l.distance[static_cast<std::size_t>(m)] = l.depth + 1;
          next.push_back(m);
        }
      });
    if (next.empty()) break;
    ++l.depth;
    level = std::move(next);
  }
  l.last_level = std::move(level);
  return l;
}

// The ends of a pseudo-diameter of the piece holding `start`: from the
// start, each node of the deepest level (the lowest degrees first, a few
// of them) is tried as a root; a deeper tree moves the start there, and
// among equally deep ones the narrowest gives the end.
std::pair<Int, Int> pseudo_diameter(const NodeGraph& g, Int start) {
  constexpr std::size_t k_candidates = 5;
  Levels from_start = levels_from(g, start);
  while (true) {
    std::vector<Int> candidates = from_start.last_level;
    std::stable_sort(candidates.begin(), candidates.end(),
                     [&](Int a, Int b) { return g.degree(a) < g.degree(b); });
    // One candidate per degree, as Sloan shrinks the last level.
    candidates.erase(std::unique(candidates.begin(), candidates.end(),
                                 [&](Int a, Int b) { return g.degree(a) == g.degree(b); }),
                     candidates.end());
    if (candidates.size() > k_candidates) candidates.resize(k_candidates);
    Int end = candidates.front();
    std::size_t narrowest = g.size() + 1;
    bool deeper = false;
    for (const Int c : candidates) {
      Levels from_c = levels_from(g, c);
      if (from_c.depth > from_start.depth) {
        start = c;
        from_start = std::move(from_c);
        deeper = true;
        break;
      }
      if (from_c.width < narrowest) {
        narrowest = from_c.width;
        end = c;
      }
    }
    if (!deeper) return {start, end};
  }
}

enum class State { inactive, preactive, active, postactive };

// Sloan's numbering of one piece, from `start` towards `end`; numbers
// continue from `next_number`.
void number_piece(const NodeGraph& g, Int start, Int end, std::vector<Int>& new_number,
                  Int& next_number) {
  const Levels from_end = levels_from(g, end);
  std::vector<std::int64_t> priority(g.size());
  std::vector<State> state(g.size(), State::inactive);
  for (std::size_t i = 0; i < g.size(); ++i)
    priority[i] = -k_degree_weight * (g.degree(static_cast<Int>(i)) + 1) +
                  k_distance_weight * from_end.distance[i];
  // Highest priority first, then the lowest node, so that the numbering
  // does not depend on the heap's order; stale entries are skipped.
  using Entry = std::pair<std::int64_t, Int>;
  auto lower = [](const Entry& a, const Entry& b) {
    return a.first != b.first ? a.first < b.first : a.second > b.second;
  };
  std::priority_queue<Entry, std::vector<Entry>, decltype(lower)> queue(lower);
  const auto raise = [&](Int n) {
    priority[static_cast<std::size_t>(n)] += k_degree_weight;
    queue.push({priority[static_cast<std::size_t>(n)], n});
  };
  const auto make_preactive = [&](Int n) {
    state[static_cast<std::size_t>(n)] = State::preactive;
    queue.push({priority[static_cast<std::size_t>(n)], n});
  };
  make_preactive(start);
  while (!queue.empty()) {
    const auto [p, i] = queue.top();
    queue.pop();
    const auto si = static_cast<std::size_t>(i);
    if (state[si] == State::postactive || p != priority[si]) continue;
    if (state[si] == State::preactive)
      g.for_each_neighbour(i, [&](Int j) {
        const auto sj = static_cast<std::size_t>(j);
        if (state[sj] == State::postactive) return;
        raise(j);
        if (state[sj] == State::inactive) make_preactive(j);
      });
    new_number[si] = ++next_number;
    state[si] = State::postactive;
    g.for_each_neighbour(i, [&](Int j) {
      const auto sj = static_cast<std::size_t>(j);
      if (state[sj] != State::preactive) return;
      state[sj] = State::active;
      raise(j);
      g.for_each_neighbour(j, [&](Int k) {
        const auto sk = static_cast<std::size_t>(k);
        if (state[sk] == State::postactive) return;
        raise(k);
        if (state[sk] == State::inactive) make_preactive(k);
      });
    });
  }
}

}  // namespace

std::vector<Int> profile_numbering(const std::vector<Int>& element_nodes, Int n_nodes) {
  const NodeGraph g = node_graph(element_nodes, n_nodes);
  std::vector<Int> new_number(g.size(), 0);
  Int next_number = 0;
  while (next_number < n_nodes) {
    // The piece's start: its unnumbered node of least degree.
    Int start = -1;
    for (Int n = 0; n < n_nodes; ++n)
      if (new_number[static_cast<std::size_t>(n)] == 0 &&
          (start < 0 || g.degree(n) < g.degree(start)))
        start = n;
    // Pieces already numbered are done; the search sees only this one.
    const auto [s, e] = pseudo_diameter(g, start);
    number_piece(g, s, e, new_number, next_number);
  }
  return new_number;
}

std::int64_t node_profile(const std::vector<Int>& element_nodes, Int n_nodes) {
  std::vector<Int> lowest(static_cast<std::size_t>(n_nodes));
  for (Int n = 0; n < n_nodes; ++n) lowest[static_cast<std::size_t>(n)] = n + 1;
  for (std::size_t k = 0; k + 1 < element_nodes.size(); k += 2) {
    const Int a = element_nodes[k], b = element_nodes[k + 1];
    auto& la = lowest[static_cast<std::size_t>(a - 1)];
    auto& lb = lowest[static_cast<std::size_t>(b - 1)];
    la = std::min(la, b);
    lb = std::min(lb, a);
  }
  std::int64_t sum = 0;
  for (Int n = 0; n < n_nodes; ++n) sum += n + 1 - lowest[static_cast<std::size_t>(n)];
  return sum;
}

}  // namespace zervola::frame
