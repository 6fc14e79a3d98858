#pragma once

// One list of numbers per node, all lists in one block of storage: list p
// holds at most the capacity given for it when the lists were made, and
// keeps its entries in the order in which they were appended.

#include <cassert>
#include <span>

#include "common/index.hpp"
#include "mesh_numbering/work_array.hpp"

namespace zervola::mesh_numbering {

class NodeLists {
 public:
  // capacity(p): the room of list p, p = 1 .. capacity.size().
  explicit NodeLists(const WorkArray<Index>& capacity)
      : first_(capacity.size(), 0), end_(capacity.size(), 0), entries_(total(capacity), 0) {
    Index next = 1;
    for (Index p = 1; p <= capacity.size(); ++p) {
      first_(p) = next;
      end_(p) = next;
      next += capacity(p);
    }
  }

  [[nodiscard]] Index n_lists() const { return first_.size(); }

  void append(Index p, HostInt value) {
    assert(p + 1 > n_lists() || end_(p) < first_(p + 1));
    entries_(end_(p)) = value;
    ++end_(p);
  }

  // The entries of list p, in order.
  [[nodiscard]] std::span<const HostInt> operator()(Index p) const {
    const Index count = end_(p) - first_(p);
    if (count == 0) return {};
    return {&entries_(first_(p)), static_cast<std::size_t>(count)};
  }

  // Removes from every list each entry that an earlier entry of the same list
  // already holds; the first occurrences keep their order. Entries must be
  // numbers 1 .. n_lists().
  void keep_first_occurrences() {
    WorkArray<Index> seen_in(n_lists(), 0);
    for (Index p = 1; p <= n_lists(); ++p) {
      Index kept = first_(p);
      for (Index k = first_(p); k < end_(p); ++k) {
        const HostInt value = entries_(k);
        if (seen_in(value) == p) continue;
        seen_in(value) = p;
        entries_(kept) = value;
        ++kept;
      }
      end_(p) = kept;
    }
  }

 private:
  [[nodiscard]] static Index total(const WorkArray<Index>& capacity) {
    Index sum = 0;
    for (Index p = 1; p <= capacity.size(); ++p) sum += capacity(p);
    return sum;
  }

  WorkArray<Index> first_;  // position of the first entry of each list
  WorkArray<Index> end_;    // one past the last entry of each list
  WorkArray<HostInt> entries_;
};

}  // namespace zervola::mesh_numbering
