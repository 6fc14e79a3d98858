#pragma once

// A cheap proof that a breadth-first trial will be abandoned.
//
// In a breadth-first numbering from s the nodes are numbered level by level
// (level L: the nodes at distance L from s). The last node of level L + 1 is
// numbered from a node of level L, whose number is at most the last number of
// level L; the difference is therefore at least the size of level L + 1. So
// when the mesh is in one piece and some level L >= 1 holds `bound` nodes or
// more, the trial from s reaches a difference of `bound` and is abandoned.
//
// The screen finds such levels for 256 start nodes at once: the starts are
// grouped with near neighbours, and one level-by-level sweep carries a
// 256-bit set per node (bit k: reached from the k-th start of the group). Level
// sizes are summed per bit in bit-sliced counters. A start is marked wide
// when one of its levels reaches the bound given when its group is swept;
// later bounds are never larger, so the mark stays a proof.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/index.hpp"
#include "mesh_numbering/node_lists.hpp"
#include "mesh_numbering/work_array.hpp"

namespace zervola::mesh_numbering {

class WideLevelScreen {
 public:
  // The neighbour lists of a mesh in one piece.
  explicit WideLevelScreen(const NodeLists& neighbours);

  // True only when the trial from start is sure to be abandoned under bound
  // (or any smaller bound). Sweeps start's group on first use.
  [[nodiscard]] bool certainly_abandoned(HostInt start, Index bound);

 private:
  using Word = std::uint64_t;
  static constexpr std::size_t k_words = 4;
  static constexpr Index k_group_size = 64 * k_words;
  // How many nodes the search for a group's members may visit.
  static constexpr Index k_group_search = 8 * k_group_size;
  static constexpr std::size_t k_counter_planes = 40;

  // A set of starts of the group, bit k of word k / 64 for the k-th start.
  using Starts = std::array<Word, k_words>;

  struct Reached {
    HostInt node = 0;
    Starts starts{};
  };

  // What a sweep knows of one node; both sets on one cache line.
  struct NodeState {
    Starts seen{};  // reached from these starts
    Starts next{};  // first reached in the level being formed
  };

  void form_group(HostInt first);
  void sweep_group(Index bound);

  const NodeLists& neighbours_;
  WorkArray<Mark> grouped_;
  WorkArray<Mark> wide_;
  WorkArray<HostInt> search_stamp_;  // the start of the search that last saw a node
  std::vector<NodeState> state_;     // by node number - 1
  std::vector<HostInt> group_;
  std::vector<HostInt> search_;
  std::vector<HostInt> touched_;
  std::vector<HostInt> next_nodes_;
  std::vector<Reached> frontier_;
  std::vector<Reached> next_frontier_;
};

}  // namespace zervola::mesh_numbering
