#include "mesh_numbering/band_renumbering.hpp"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <vector>

#include "mesh_numbering/mesh_errors.hpp"
#include "mesh_numbering/neighbour_graph.hpp"
#include "mesh_numbering/wide_level_screen.hpp"
#include "mesh_numbering/work_array.hpp"

namespace zervola::mesh_numbering {
namespace {

enum class TrialOutcome {
  abandoned,  // numbered a node at a distance of the bound or more
  succeeded,  // numbered every node within the bound
  ran_out,    // the queue ran out before success (a lone node without neighbours)
};

// One breadth-first trial at a time. new_number(node) is 0 while the node has
// no number in the current trial; a finished trial resets exactly the entries
// it set, so a trial costs only what it visits.
class Trials {
 public:
  explicit Trials(const NodeLists& neighbours)
      : n_nodes_(neighbours.n_lists()),
        first_(static_cast<std::size_t>(n_nodes_) + 2, 0),
        new_number_(static_cast<std::size_t>(n_nodes_) + 1, 0),
        visit_order_(static_cast<std::size_t>(n_nodes_) + 2, 0) {
    for (Index v = 1; v <= n_nodes_; ++v) {
      for (const HostInt w : neighbours(v)) adjacent_.push_back(w);
      first_[static_cast<std::size_t>(v) + 1] = adjacent_.size();
    }
  }

  // The trial from start; on success trial_max holds its bandwidth.
  //
  // The inner loop has no branch on whether a neighbour is numbered yet:
  // every neighbour is written after the tail, and the tail moves on only
  // for an unnumbered one. d = tail - head changes only when a node is
  // numbered, and otherwise never exceeds the largest d so far, so testing
  // and taking the maximum after every neighbour gives the same outcome.
  TrialOutcome run(HostInt start, Index bound) {
    const std::size_t* const first = first_.data();
    const HostInt* const adjacent = adjacent_.data();
    HostInt* const number = new_number_.data();
    HostInt* const order = visit_order_.data();
    Index head = 1;
    Index tail = 1;
    Index trial_max = 0;
    order[1] = start;
    number[start] = 1;
    for (;;) {
      const auto v = static_cast<std::size_t>(order[head]);
      const std::size_t end = first[v + 1];
      if (first[v] != end) {
        for (std::size_t k = first[v]; k < end; ++k) {
          const HostInt w = adjacent[k];
          const HostInt had = number[w];
          const Index fresh = had < 1 ? 1 : 0;
          order[tail + 1] = w;
          number[w] = fresh != 0 ? static_cast<HostInt>(tail + 1) : had;
          tail += fresh;
          const Index d = tail - head;
          if (d >= bound) {
            tail_ = tail;
            return TrialOutcome::abandoned;
          }
          trial_max = std::max(trial_max, d);
        }
        if (tail == n_nodes_) {
          tail_ = tail;
          trial_max_ = trial_max;
          return TrialOutcome::succeeded;
        }
      }
      ++head;
      if (head > tail) {
        tail_ = tail;
        return TrialOutcome::ran_out;
      }
    }
  }

  [[nodiscard]] Index trial_max() const { return trial_max_; }
  [[nodiscard]] HostInt new_number(Index node) const {
    return new_number_[static_cast<std::size_t>(node)];
  }

  // Clears what the last trial numbered.
  void reset() {
    for (Index p = 1; p <= tail_; ++p)
      new_number_[static_cast<std::size_t>(visit_order_[static_cast<std::size_t>(p)])] = 0;
  }

 private:
  Index n_nodes_;
  // Compressed neighbour lists: node v's are adjacent_[first_[v] .. first_[v + 1]).
  std::vector<std::size_t> first_;
  std::vector<HostInt> adjacent_;
  // By node number (entry 0 unused), and by position (entry 0 unused; one
  // spare entry after the last position for the write past the tail).
  std::vector<HostInt> new_number_;
  std::vector<HostInt> visit_order_;
  Index tail_ = 0;
  Index trial_max_ = 0;
};

void permute(Vector1<double> values, const WorkArray<HostInt>& best_number,
             WorkArray<double>& buffer) {
  for (Index i = 1; i <= values.size(); ++i) buffer(best_number(i)) = values(i);
  for (Index i = 1; i <= values.size(); ++i) values(i) = buffer(i);
}

}  // namespace

Index renumber_for_band(const MeshCoordinates& coordinates, MeshElementNodes element_nodes) {
  const Index n_nodes = coordinates.n_nodes();
  require_node_numbers_in_range(element_nodes, n_nodes);
  const NeighbourGraph graph = build_neighbour_graph(element_nodes, n_nodes);
  if (!is_in_one_piece(graph.neighbours)) throw MeshNotInOnePiece();

  // All work storage before the first change to the host's arrays.
  Trials trials(graph.neighbours);
  WideLevelScreen screen(graph.neighbours);
  WorkArray<HostInt> best_number(n_nodes, 0);
  WorkArray<double> buffer(n_nodes, 0.0);

  Index bound = std::max(graph.bandwidth, k_least_starting_bound);
  bool improved = false;
  for (Index s = 1; s <= n_nodes; ++s) {
    const auto start = static_cast<HostInt>(s);
    // A trial that is sure to be abandoned leaves no trace: skip it.
    if (screen.certainly_abandoned(start, bound)) continue;
    const TrialOutcome outcome = trials.run(start, bound);
    // In one piece, a queue can run out only for a lone node.
    assert(outcome != TrialOutcome::ran_out || n_nodes == 1);
    if (outcome == TrialOutcome::succeeded) {
      bound = trials.trial_max();
      improved = true;
      for (Index i = 1; i <= n_nodes; ++i) best_number(i) = trials.new_number(i);
    }
    trials.reset();
  }
  if (!improved) return bound;

  permute(coordinates.x, best_number, buffer);
  permute(coordinates.y, best_number, buffer);
  permute(coordinates.z, best_number, buffer);
  for (Index e = 1; e <= element_nodes.cols(); ++e) {
    element_nodes(1, e) = best_number(element_nodes(1, e));
    element_nodes(2, e) = best_number(element_nodes(2, e));
  }
  return bound;
}

}  // namespace zervola::mesh_numbering
