#include "mesh_numbering/wide_level_screen.hpp"

#include <algorithm>
#include <bit>
#include <cassert>

namespace zervola::mesh_numbering {
namespace {

using Word = std::uint64_t;

// Bit-sliced counters, one per bit of a word: bit k of plane b is bit b of
// the k-th counter. Words are added into four low planes (no branch); every
// fifteen additions, before the low counters can overflow, they are carried
// into the high planes.
class LevelCounters {
 public:
  // Counts up to n_nodes fit.
  explicit LevelCounters(Index n_nodes)
      : n_high_(static_cast<std::size_t>(std::bit_width(static_cast<std::uint64_t>(n_nodes))) + 1) {
    assert(n_high_ <= k_max_planes);
  }

  void add(Word word) {
    for (Word& plane : low_) {
      const Word carry = plane & word;
      plane ^= word;
      word = carry;
    }
    if (++pending_ == k_low_capacity) carry_low();
  }

  // The counters that are at least bound; all counters are 0 afterwards.
  Word take_at_least(Index bound) {
    carry_low();
    Word result = 0;
    if ((static_cast<std::uint64_t>(bound) >> n_high_) == 0) {
      Word greater = 0;
      Word equal = ~Word{0};
      for (std::size_t b = n_high_; b-- > 0;) {
        if (((static_cast<std::uint64_t>(bound) >> b) & 1U) != 0) {
          equal &= high_[b];
        } else {
          greater |= equal & high_[b];
          equal &= ~high_[b];
        }
      }
      result = greater | equal;
    }
    for (std::size_t b = 0; b < n_high_; ++b) high_[b] = 0;
    return result;
  }

 private:
  static constexpr std::size_t k_low_planes = 4;
  static constexpr int k_low_capacity = (1 << k_low_planes) - 1;
  static constexpr std::size_t k_max_planes = 66;

  void carry_low() {
    Word carry = 0;
    for (std::size_t b = 0; b < n_high_; ++b) {
      const Word x = b < k_low_planes ? low_[b] : 0;
      const Word h = high_[b];
      high_[b] = h ^ x ^ carry;
      carry = (h & x) | (carry & (h ^ x));
    }
    low_ = {};
    pending_ = 0;
  }

  std::size_t n_high_;
  std::array<Word, k_low_planes> low_{};
  std::array<Word, k_max_planes> high_{};
  int pending_ = 0;
};

}  // namespace

WideLevelScreen::WideLevelScreen(const NodeLists& neighbours)
    : neighbours_(neighbours),
      n_nodes_(neighbours.n_lists()),
      first_(static_cast<std::size_t>(n_nodes_) + 1, 0),
      grouped_(n_nodes_, Mark::clear),
      wide_(n_nodes_, Mark::clear),
      search_stamp_(n_nodes_, 0),
      seen_(static_cast<std::size_t>(n_nodes_), 0),
      next_(static_cast<std::size_t>(n_nodes_), 0),
      candidates_(static_cast<std::size_t>(n_nodes_) + 1, 0),
      touched_(static_cast<std::size_t>(n_nodes_) + 1, 0),
      frontier_nodes_(static_cast<std::size_t>(n_nodes_) + 1, 0),
      frontier_starts_(static_cast<std::size_t>(n_nodes_) + 1, 0),
      in_order_(static_cast<std::size_t>(n_nodes_) / 64 + 1, 0) {
  for (Index v = 1; v <= n_nodes_; ++v) {
    for (const HostInt w : neighbours(v)) adjacent_.push_back(static_cast<std::uint32_t>(w - 1));
    first_[static_cast<std::size_t>(v)] = adjacent_.size();
  }
}

bool WideLevelScreen::certainly_abandoned(HostInt start, Index bound) {
  assert(bound >= 1);
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
  // Plain pointers: the compiler need not assume that a store through one
  // array changes another.
  const std::size_t* const first = first_.data();
  const std::uint32_t* const adjacent = adjacent_.data();
  Word* const seen = seen_.data();
  Word* const next = next_.data();
  std::uint32_t* const candidates = candidates_.data();
  std::uint32_t* const touched = touched_.data();
  std::uint32_t* const frontier_nodes = frontier_nodes_.data();
  Word* const frontier_starts = frontier_starts_.data();
  Word* const in_order = in_order_.data();

  const std::size_t n_starts = group_.size();
  Word active = 0;
  std::size_t n_frontier = 0;
  std::size_t n_touched = 0;
  for (std::size_t k = 0; k < n_starts; ++k) {
    const auto s = static_cast<std::uint32_t>(group_[k] - 1);
    const Word bit = Word{1} << k;
    active |= bit;
    frontier_nodes[n_frontier] = s;
    frontier_starts[n_frontier] = bit;
    ++n_frontier;
    seen[s] = bit;
    touched[n_touched++] = s;
  }
  LevelCounters level_size(n_nodes_);
  while (active != 0 && n_frontier != 0) {
    // Every neighbour of the level, once, as a candidate for the next level.
    std::size_t n_candidates = 0;
    std::uint32_t lowest = ~std::uint32_t{0};
    std::uint32_t highest = 0;
    for (std::size_t f = 0; f < n_frontier; ++f) {
      const std::uint32_t v = frontier_nodes[f];
      const Word from = frontier_starts[f];
      const std::size_t end = first[v + 1];
      for (std::size_t k = first[v]; k < end; ++k) {
        const std::uint32_t w = adjacent[k];
        const Word before = next[w];
        next[w] = before | from;
        candidates[n_candidates] = w;
        n_candidates += static_cast<std::size_t>(before == 0);
      }
    }
    for (std::size_t c = 0; c < n_candidates; ++c) {
      lowest = std::min(lowest, candidates[c]);
      highest = std::max(highest, candidates[c]);
    }
    // The next level of every start still in the sweep: what is new. When
    // the candidates are dense in their range of node numbers, they are taken
    // in increasing order (through a bitmap), so that the next level walks
    // the node arrays forwards instead of at random.
    n_frontier = 0;
    auto take = [&](std::uint32_t w) {
      const Word had = seen[w];
      const Word fresh = next[w] & ~had & active;
      next[w] = 0;
      seen[w] = had | fresh;
      touched[n_touched] = w;
      n_touched += static_cast<std::size_t>((had == 0) & (fresh != 0));
      frontier_nodes[n_frontier] = w;
      frontier_starts[n_frontier] = fresh;
      n_frontier += static_cast<std::size_t>(fresh != 0);
    };
    const std::size_t first_word = lowest / 64;
    const std::size_t last_word = highest / 64;
    if (n_candidates != 0 && last_word - first_word < n_candidates) {
      for (std::size_t c = 0; c < n_candidates; ++c)
        in_order[candidates[c] / 64] |= Word{1} << (candidates[c] % 64);
      for (std::size_t i = first_word; i <= last_word; ++i) {
        Word bits = in_order[i];
        in_order[i] = 0;
        while (bits != 0) {
          take(static_cast<std::uint32_t>(64 * i + static_cast<std::size_t>(std::countr_zero(bits))));
          bits &= bits - 1;
        }
      }
    } else {
      for (std::size_t c = 0; c < n_candidates; ++c) take(candidates[c]);
    }
    for (std::size_t f = 0; f < n_frontier; ++f) level_size.add(frontier_starts[f]);
    Word wide = level_size.take_at_least(bound) & active;
    active &= ~wide;
    while (wide != 0) {
      wide_(group_[static_cast<std::size_t>(std::countr_zero(wide))]) = Mark::set;
      wide &= wide - 1;
    }
  }
  for (std::size_t t = 0; t < n_touched; ++t) seen[touched[t]] = 0;
}

}  // namespace zervola::mesh_numbering
