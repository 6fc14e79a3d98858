#include "mesh_numbering/band_renumbering.hpp"

#include <algorithm>
#include <cassert>

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
      : neighbours_(neighbours),
        n_nodes_(neighbours.n_lists()),
        new_number_(n_nodes_, 0),
        visit_order_(n_nodes_, 0) {}

  // The trial from start; on success trial_max holds its bandwidth.
  TrialOutcome run(HostInt start, Index bound) {
    Index head = 1;
    tail_ = 1;
    trial_max_ = 0;
    visit_order_(1) = start;
    new_number_(start) = 1;
    for (;;) {
      const auto list = neighbours_(visit_order_(head));
      if (!list.empty()) {
        for (const HostInt w : list) {
          if (new_number_(w) >= 1) continue;
          ++tail_;
          visit_order_(tail_) = w;
          new_number_(w) = static_cast<HostInt>(tail_);
          const Index d = tail_ - head;
          if (d >= bound) return TrialOutcome::abandoned;
          trial_max_ = std::max(trial_max_, d);
        }
        if (tail_ == n_nodes_) return TrialOutcome::succeeded;
      }
      ++head;
      if (head > tail_) return TrialOutcome::ran_out;
    }
  }

  [[nodiscard]] Index trial_max() const { return trial_max_; }
  [[nodiscard]] HostInt new_number(Index node) const { return new_number_(node); }

  // Clears what the last trial numbered.
  void reset() {
    for (Index p = 1; p <= tail_; ++p) new_number_(visit_order_(p)) = 0;
  }

 private:
  const NodeLists& neighbours_;
  Index n_nodes_;
  WorkArray<HostInt> new_number_;
  WorkArray<HostInt> visit_order_;
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
