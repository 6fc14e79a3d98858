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
// The screen finds such levels for 256 start nodes at once. The starts are
// grouped up front, in the order in which they come, each group a start and
// the nearest starts of no earlier group; the sweeps address nodes by their
// place in group order, so that near nodes lie near in memory. One
// level-by-level sweep carries a 256-bit set of starts per node (bit k:
// reached from the k-th start of the group), one machine vector where the
// processor has 256-bit vectors. Level sizes are summed per bit in
// bit-sliced counters. A start is marked wide when one of its levels reaches
// the bound given when its group is swept; later bounds are never larger, so
// the mark stays a proof. A start leaves the sweep as soon as it is marked,
// and the sweep ends when no start of the group is left in it. A group swept
// under a larger bound is swept again for its unmarked starts.
//
// The sweep runs without data-dependent branches in its inner loops (they
// would be mispredicted about half the time): list lengths advance by 0 or
// 1, and the candidates of a dense level are flagged by plain byte stores and
// taken in place order.

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "common/index.hpp"
#include "mesh_numbering/node_lists.hpp"
#include "mesh_numbering/start_sets.hpp"
#include "mesh_numbering/work_array.hpp"

namespace zervola::mesh_numbering {

// Which vector instructions the sweep may use: the widest that the processor
// has (chosen at run time), or only those that every processor of the
// target has (the same marks; for tests of that path).
enum class VectorUnits { widest, portable };

class WideLevelScreen {
 public:
  // The neighbour lists of a mesh in one piece.
  explicit WideLevelScreen(const NodeLists& neighbours,
                           VectorUnits units = VectorUnits::widest);

  // True only when the trial from start is sure to be abandoned under bound
  // (or any smaller bound). Sweeps start's group on first use, and again for
  // its unmarked starts when the bound has fallen since.
  [[nodiscard]] bool certainly_abandoned(HostInt start, Index bound);

 private:
  using Word = StartWord;
  using Starts = StartSet;
  using StartsSlot = StartSetSlot;
  static constexpr Index k_group_size = static_cast<Index>(k_starts_per_set);
  // How many nodes the search for a group's members may visit.
  static constexpr Index k_group_search = 8 * k_group_size;
  // A level's candidates go through the flags when the words of flags that
  // their range of node numbers spans are fewer than this many per node of
  // the level (scanning the words then costs less than the level itself).
  static constexpr std::size_t k_flags_per_word = sizeof(Word);
  static constexpr std::size_t k_dense_ratio = 4;
  // The flags are read in blocks of this many words (the flag storage has
  // room for a block past the last node).
  static constexpr std::size_t k_block_words = 4;

  void form_group(HostInt first);
  // The sweep, compiled twice: for any processor, and for one with 256-bit
  // vectors (chosen when the processor has them).
  void sweep_group(std::size_t group, Index bound);
  [[gnu::always_inline]] inline void sweep_group_body(std::size_t group, Index bound);
#if defined(__x86_64__) || defined(__i386__)
  void sweep_group_avx2(std::size_t group, Index bound);
#endif

  const NodeLists& neighbours_;
#if defined(__x86_64__) || defined(__i386__)
  bool has_avx2_;
#endif
  Index n_nodes_;
  // The sweeps see the nodes by place: the members of group 0 first, then
  // those of group 1, and so on, so that near nodes lie near in memory.
  // node_at_[p]: the node at place p; place_[v - 1]: the place of node v.
  std::vector<HostInt> node_at_;
  std::vector<std::uint32_t> place_;
  // Group g holds the places group_begin_[g] .. group_begin_[g + 1] - 1.
  std::vector<std::size_t> group_begin_;
  std::vector<std::uint32_t> group_of_;  // by node - 1
  // By group: the bound of its last sweep (k_not_swept before the first).
  std::vector<Index> swept_under_;
  static constexpr Index k_not_swept = std::numeric_limits<Index>::max();
  // The neighbour lists again, compressed and by place: the neighbours of
  // place p are adjacent_[first_[p] .. first_[p + 1]).
  std::vector<std::size_t> first_;
  std::vector<std::uint32_t> adjacent_;
  WorkArray<Mark> grouped_;
  WorkArray<Mark> wide_;
  WorkArray<HostInt> search_stamp_;  // the start of the search that last saw a node
  std::vector<HostInt> group_;
  std::vector<HostInt> search_;
  // By place: the starts that reached the node, and those that reach it in
  // the level being formed (both all clear between sweeps).
  std::vector<StartsSlot> seen_;
  std::vector<StartsSlot> next_;
  // One more entry than nodes each: a write past the current length is
  // harmless.
  std::vector<std::uint32_t> candidates_;
  std::vector<std::uint32_t> touched_;
  std::vector<std::uint32_t> frontier_nodes_;
  std::vector<StartsSlot> frontier_starts_;
  // One flag byte per place (plain stores, no read-modify-write): the
  // candidates of a level, to take them in order, read a word at a time.
  std::vector<unsigned char> in_order_;
  // By place: the lowest and highest place of a neighbour (none: the
  // largest number and 0).
  std::vector<std::uint32_t> reach_low_;
  std::vector<std::uint32_t> reach_high_;
};

}  // namespace zervola::mesh_numbering
