#include "mesh_numbering/wide_level_screen.hpp"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstring>

namespace zervola::mesh_numbering {
namespace {

using Word = StartWord;
using Starts = StartSet;

[[gnu::always_inline]] inline bool none(const Starts& set) {
  Word any = 0;
  for (std::size_t i = 0; i < k_start_words; ++i) any |= set[i];
  return any == 0;
}

// 0 or 1: whether the set has a start.
[[gnu::always_inline]] inline std::size_t any_of(const Starts& set) { return static_cast<std::size_t>(!none(set)); }

// Bit-sliced counters, one per bit of a set: bit k of plane b is bit b of
// the k-th counter. Sets are added into four low planes (no branch); every
// fifteen additions, before the low counters can overflow, they are carried
// into the high planes.
class LevelCounters {
 public:
  // Counts up to n_nodes fit.
  explicit LevelCounters(Index n_nodes)
      : n_high_(static_cast<std::size_t>(std::bit_width(static_cast<std::uint64_t>(n_nodes))) + 1) {
    assert(n_high_ <= k_max_planes);
  }

  [[gnu::always_inline]] void add(const Starts& added) {
    Starts set = added;
    for (Starts& plane : low_) {
      const Starts carry = plane & set;
      plane ^= set;
      set = carry;
    }
    if (++pending_ == k_low_capacity) carry_low();
  }

  // result: the counters that are at least bound; all counters are 0
  // afterwards.
  [[gnu::always_inline]] void take_at_least(Index bound, Starts& result) {
    carry_low();
    result = Starts{};
    if ((static_cast<std::uint64_t>(bound) >> n_high_) == 0) {
      Starts greater{};
      Starts equal = ~Starts{};
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
    for (std::size_t b = 0; b < n_high_; ++b) high_[b] = Starts{};
  }

 private:
  static constexpr std::size_t k_low_planes = 4;
  static constexpr int k_low_capacity = (1 << k_low_planes) - 1;
  static constexpr std::size_t k_max_planes = 66;

  [[gnu::always_inline]] void carry_low() {
    Starts carry{};
    for (std::size_t b = 0; b < n_high_; ++b) {
      const Starts x = b < k_low_planes ? low_[b] : Starts{};
      const Starts h = high_[b];
      high_[b] = h ^ x ^ carry;
      carry = (h & x) | (carry & (h ^ x));
    }
    for (Starts& plane : low_) plane = Starts{};
    pending_ = 0;
  }

  std::size_t n_high_;
  std::array<Starts, k_low_planes> low_{};
  std::array<Starts, k_max_planes> high_{};
  int pending_ = 0;
};

}  // namespace

WideLevelScreen::WideLevelScreen(const NodeLists& neighbours, [[maybe_unused]] VectorUnits units)
    : neighbours_(neighbours),
#if defined(__x86_64__) || defined(__i386__)
      has_avx2_(units == VectorUnits::widest && __builtin_cpu_supports("avx2") != 0),
#endif
      n_nodes_(neighbours.n_lists()),
      first_(static_cast<std::size_t>(n_nodes_) + 1, 0),
      grouped_(n_nodes_, Mark::clear),
      wide_(n_nodes_, Mark::clear),
      search_stamp_(n_nodes_, 0),
      seen_(static_cast<std::size_t>(n_nodes_)),
      next_(static_cast<std::size_t>(n_nodes_)),
      candidates_(static_cast<std::size_t>(n_nodes_) + 1, 0),
      touched_(static_cast<std::size_t>(n_nodes_) + 1, 0),
      frontier_nodes_(static_cast<std::size_t>(n_nodes_) + 1, 0),
      frontier_starts_(static_cast<std::size_t>(n_nodes_) + 1),
      in_order_(static_cast<std::size_t>(n_nodes_) + k_flags_per_word * (k_block_words + 1), 0),
      reach_low_(static_cast<std::size_t>(n_nodes_), ~std::uint32_t{0}),
      reach_high_(static_cast<std::size_t>(n_nodes_), 0) {
  // The groups, formed in the order in which the starts come: the group of
  // a start holds it and the nearest starts that no earlier group holds.
  place_.assign(static_cast<std::size_t>(n_nodes_), 0);
  group_of_.assign(static_cast<std::size_t>(n_nodes_), 0);
  group_begin_.push_back(0);
  for (Index s = 1; s <= n_nodes_; ++s) {
    if (grouped_(s) == Mark::set) continue;
    form_group(static_cast<HostInt>(s));
    for (const HostInt v : group_) {
      place_[static_cast<std::size_t>(v - 1)] = static_cast<std::uint32_t>(node_at_.size());
      group_of_[static_cast<std::size_t>(v - 1)] = static_cast<std::uint32_t>(swept_under_.size());
      node_at_.push_back(v);
    }
    group_begin_.push_back(node_at_.size());
    swept_under_.push_back(k_not_swept);
  }
  for (std::size_t p = 0; p < node_at_.size(); ++p) {
    for (const HostInt w : neighbours(node_at_[p])) {
      const std::uint32_t neighbour = place_[static_cast<std::size_t>(w - 1)];
      adjacent_.push_back(neighbour);
      reach_low_[p] = std::min(reach_low_[p], neighbour);
      reach_high_[p] = std::max(reach_high_[p], neighbour);
    }
    first_[p + 1] = adjacent_.size();
  }
}

bool WideLevelScreen::certainly_abandoned(HostInt start, Index bound) {
  assert(bound >= 1);
  const std::uint32_t group = group_of_[static_cast<std::size_t>(start - 1)];
  // A group swept under a larger bound is swept again for the starts that
  // it could not mark then.
  if (wide_(start) == Mark::clear && swept_under_[group] > bound) {
    swept_under_[group] = bound;
    sweep_group(group, bound);
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

void WideLevelScreen::sweep_group(std::size_t group, Index bound) {
#if defined(__x86_64__) || defined(__i386__)
  if (has_avx2_) {
    sweep_group_avx2(group, bound);
    return;
  }
#endif
  sweep_group_body(group, bound);
}

#if defined(__x86_64__) || defined(__i386__)
[[gnu::target("avx2")]] void WideLevelScreen::sweep_group_avx2(std::size_t group, Index bound) {
  sweep_group_body(group, bound);
}
#endif

void WideLevelScreen::sweep_group_body(std::size_t group, Index bound) {
  // Plain pointers: the compiler need not assume that a store through one
  // array changes another.
  const std::size_t* const first = first_.data();
  const std::uint32_t* const adjacent = adjacent_.data();
  WideLevelScreen::StartsSlot* const seen = seen_.data();
  WideLevelScreen::StartsSlot* const next = next_.data();
  std::uint32_t* const candidates = candidates_.data();
  std::uint32_t* const touched = touched_.data();
  std::uint32_t* const frontier_nodes = frontier_nodes_.data();
  WideLevelScreen::StartsSlot* const frontier_starts = frontier_starts_.data();
  unsigned char* const in_order = in_order_.data();
  const std::uint32_t* const reach_low = reach_low_.data();
  const std::uint32_t* const reach_high = reach_high_.data();

  const std::size_t begin = group_begin_[group];
  const std::size_t n_starts = group_begin_[group + 1] - begin;
  Starts active{};
  std::size_t n_frontier = 0;
  std::size_t n_touched = 0;
  for (std::size_t k = 0; k < n_starts; ++k) {
    if (wide_(node_at_[begin + k]) == Mark::set) continue;
    const auto s = static_cast<std::uint32_t>(begin + k);
    Starts bit{};
    bit[k / 64] = Word{1} << (k % 64);
    active |= bit;
    frontier_nodes[n_frontier] = s;
    frontier_starts[n_frontier].bits = bit;
    ++n_frontier;
    seen[s].bits = bit;
    touched[n_touched++] = s;
  }
  LevelCounters level_size(n_nodes_);
  while (!none(active) && n_frontier != 0) {
    // Every neighbour of the level, once, as a candidate for the next level.
    // When the candidates are dense in their range of node numbers they are
    // flagged by node and taken in increasing order, so that the next
    // level walks the node arrays forwards; otherwise in a list.
    std::uint32_t lowest = ~std::uint32_t{0};
    std::uint32_t highest = 0;
    for (std::size_t f = 0; f < n_frontier; ++f) {
      lowest = std::min(lowest, reach_low[frontier_nodes[f]]);
      highest = std::max(highest, reach_high[frontier_nodes[f]]);
    }
    const std::size_t first_word = lowest / k_flags_per_word;
    const std::size_t last_word = highest / k_flags_per_word;
    const bool dense = lowest <= highest && last_word - first_word < k_dense_ratio * n_frontier;
    const std::size_t n_level = n_frontier;
    n_frontier = 0;
    auto take = [&](std::uint32_t w) __attribute__((always_inline)) {
      const Starts had = seen[w].bits;
      const Starts fresh = next[w].bits & ~had & active;
      next[w].bits = Starts{};
      seen[w].bits = had | fresh;
      touched[n_touched] = w;
      n_touched += (1 - any_of(had)) & any_of(fresh);
      frontier_nodes[n_frontier] = w;
      frontier_starts[n_frontier].bits = fresh;
      n_frontier += any_of(fresh);
    };
    if (dense) {
      for (std::size_t f = 0; f < n_level; ++f) {
        const std::uint32_t v = frontier_nodes[f];
        const Starts from = frontier_starts[f].bits;
        const std::size_t end = first[v + 1];
        for (std::size_t k = first[v]; k < end; ++k) {
          const std::uint32_t w = adjacent[k];
          next[w].bits |= from;
          in_order[w] = 1;
        }
      }
      // The frontier list is read to its end before take overwrites it:
      // take writes at most as many entries as it has taken.
      // Four words at a time: most blocks of the range are empty.
      for (std::size_t block = first_word; block <= last_word; block += k_block_words) {
        std::array<Word, k_block_words> flags;
        std::memcpy(flags.data(), in_order + k_flags_per_word * block, sizeof flags);
        if ((flags[0] | flags[1] | flags[2] | flags[3]) == 0) continue;
        std::memset(in_order + k_flags_per_word * block, 0, sizeof flags);
        for (std::size_t j = 0; j < k_block_words; ++j) {
          for (Word word = flags[j]; word != 0; word &= word - 1) {
            const auto byte = static_cast<std::size_t>(std::countr_zero(word)) / 8;
            take(static_cast<std::uint32_t>(k_flags_per_word * (block + j) + byte));
          }
        }
      }
    } else {
      std::size_t n_candidates = 0;
      for (std::size_t f = 0; f < n_level; ++f) {
        const std::uint32_t v = frontier_nodes[f];
        const Starts from = frontier_starts[f].bits;
        const std::size_t end = first[v + 1];
        for (std::size_t k = first[v]; k < end; ++k) {
          const std::uint32_t w = adjacent[k];
          const Starts before = next[w].bits;
          next[w].bits = before | from;
          candidates[n_candidates] = w;
          n_candidates += 1 - any_of(before);
        }
      }
      for (std::size_t c = 0; c < n_candidates; ++c) take(candidates[c]);
    }
    for (std::size_t f = 0; f < n_frontier; ++f) level_size.add(frontier_starts[f].bits);
    Starts wide;
    level_size.take_at_least(bound, wide);
    wide &= active;
    active &= ~wide;
    for (std::size_t i = 0; i < k_start_words; ++i) {
      for (Word bits = wide[i]; bits != 0; bits &= bits - 1)
        wide_(node_at_[begin + 64 * i + static_cast<std::size_t>(std::countr_zero(bits))]) = Mark::set;
    }
  }
  for (std::size_t t = 0; t < n_touched; ++t) seen[touched[t]].bits = Starts{};
}

}  // namespace zervola::mesh_numbering
