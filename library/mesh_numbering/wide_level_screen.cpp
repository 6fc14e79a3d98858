#include "mesh_numbering/wide_level_screen.hpp"

#include <bit>

namespace zervola::mesh_numbering {
namespace {

using Word = std::uint64_t;

// Adds one to the counter of every bit set in word; counters are bit-sliced:
// bit k of plane b is bit b of the k-th counter.
template <std::size_t Planes>
void add_bits(std::array<Word, Planes>& planes, Word word) {
  for (std::size_t b = 0; word != 0 && b < Planes; ++b) {
    const Word carry = planes[b] & word;
    planes[b] ^= word;
    word = carry;
  }
}

// The bits whose counter is at least bound (bound below 2^Planes).
template <std::size_t Planes>
Word at_least(const std::array<Word, Planes>& planes, Index bound) {
  Word greater = 0;
  Word equal = ~Word{0};
  for (std::size_t b = Planes; b-- > 0;) {
    if (((static_cast<std::uint64_t>(bound) >> b) & 1U) != 0) {
      equal &= planes[b];
    } else {
      greater |= equal & planes[b];
      equal &= ~planes[b];
    }
  }
  return greater | equal;
}

}  // namespace

template <std::size_t Words>
[[nodiscard]] bool none(const std::array<Word, Words>& set) {
  Word any = 0;
  for (const Word w : set) any |= w;
  return any == 0;
}

WideLevelScreen::WideLevelScreen(const NodeLists& neighbours)
    : neighbours_(neighbours),
      grouped_(neighbours.n_lists(), Mark::clear),
      wide_(neighbours.n_lists(), Mark::clear),
      search_stamp_(neighbours.n_lists(), 0),
      state_(static_cast<std::size_t>(neighbours.n_lists())) {}

bool WideLevelScreen::certainly_abandoned(HostInt start, Index bound) {
  if (grouped_(start) == Mark::clear) {
    form_group(start);
    sweep_group(bound);
  }
  return wide_(start) == Mark::set;
}

// The group: first and the nearest nodes without a group, found by a
// breadth-first search of limited extent from first.
void WideLevelScreen::form_group(HostInt first) {
  group_.clear();
  search_.clear();
  search_.push_back(first);
  search_stamp_(first) = first;
  for (std::size_t h = 0; h < search_.size(); ++h) {
    const HostInt v = search_[h];
    if (grouped_(v) == Mark::clear) {
      grouped_(v) = Mark::set;
      group_.push_back(v);
      if (static_cast<Index>(group_.size()) == k_group_size) return;
    }
    if (static_cast<Index>(search_.size()) >= k_group_search) continue;
    for (const HostInt w : neighbours_(v)) {
      if (search_stamp_(w) == first) continue;
      search_stamp_(w) = first;
      search_.push_back(w);
    }
  }
}

void WideLevelScreen::sweep_group(Index bound) {
  const std::size_t n_starts = group_.size();
  Starts active{};
  frontier_.clear();
  touched_.clear();
  for (std::size_t k = 0; k < n_starts; ++k) {
    const HostInt s = group_[k];
    const Word bit = Word{1} << (k % 64);
    active[k / 64] |= bit;
    Reached r{s, {}};
    r.starts[k / 64] = bit;
    frontier_.push_back(r);
    state_[static_cast<std::size_t>(s - 1)].seen = r.starts;
    touched_.push_back(s);
  }
  while (!none(active) && !frontier_.empty()) {
    // The next level of every active start.
    next_nodes_.clear();
    for (const Reached& r : frontier_) {
      Starts from{};
      for (std::size_t i = 0; i < k_words; ++i) from[i] = r.starts[i] & active[i];
      if (none(from)) continue;
      for (const HostInt w : neighbours_(r.node)) {
        NodeState& state = state_[static_cast<std::size_t>(w - 1)];
        Starts fresh{};
        for (std::size_t i = 0; i < k_words; ++i) fresh[i] = from[i] & ~state.seen[i];
        if (none(fresh)) continue;
        if (none(state.seen)) touched_.push_back(w);
        if (none(state.next)) next_nodes_.push_back(w);
        for (std::size_t i = 0; i < k_words; ++i) {
          state.next[i] |= fresh[i];
          state.seen[i] |= fresh[i];
        }
      }
    }
    std::array<std::array<Word, k_counter_planes>, k_words> level_size{};
    next_frontier_.clear();
    for (const HostInt w : next_nodes_) {
      NodeState& state = state_[static_cast<std::size_t>(w - 1)];
      next_frontier_.push_back({w, state.next});
      for (std::size_t i = 0; i < k_words; ++i) add_bits(level_size[i], state.next[i]);
      state.next = Starts{};
    }
    for (std::size_t i = 0; i < k_words; ++i) {
      Word wide = at_least(level_size[i], bound) & active[i];
      active[i] &= ~wide;
      while (wide != 0) {
        const auto k = 64 * i + static_cast<std::size_t>(std::countr_zero(wide));
        wide_(group_[k]) = Mark::set;
        wide &= wide - 1;
      }
    }
    frontier_.swap(next_frontier_);
  }
  for (const HostInt v : touched_) state_[static_cast<std::size_t>(v - 1)].seen = Starts{};
}

}  // namespace zervola::mesh_numbering
