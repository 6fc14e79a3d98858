#pragma once

// An open-addressing hash table from grid cells to singly linked lists of
// entries (small non-negative integers chosen by the caller: node numbers,
// endpoint offsets). The caller owns the links (next[entry]) and tells the
// table, through cell_of(entry), which cell an entry lies in; the table
// stores no keys, only the entry that first claimed each cell (its owner),
// the list head, and a hash tag that spares most cell_of calls.
//
// Capacity is fixed at construction for a given largest number of cells; a
// cell, once claimed, keeps its slot even when its list becomes empty.
// Storage comes from the given memory resource; constructing the table
// throws std::bad_alloc (or std::length_error) when it cannot be obtained.

#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <vector>

#include "mesh_geometry/cell_grid.hpp"

namespace zervola::mesh_geometry {

using Entry = std::int32_t;
inline constexpr Entry k_no_entry = -1;

struct CellSlot {
  Entry owner = k_no_entry;  // k_no_entry: slot free
  Entry head = k_no_entry;   // first entry of the cell's list
  std::uint32_t tag = 0;
};

[[nodiscard]] std::uint64_t cell_hash(const CellKey& key);

class CellTable {
 public:
  CellTable(std::size_t max_cells, std::pmr::memory_resource* storage);

  // The slot of key, or nullptr when no entry ever claimed that cell.
  template <class CellOf>
  [[nodiscard]] CellSlot* find(const CellKey& key, CellOf&& cell_of) {
    const std::uint64_t h = cell_hash(key);
    const auto tag = static_cast<std::uint32_t>(h >> 32U);
    for (std::size_t i = h & mask_;; i = (i + 1) & mask_) {
      CellSlot& s = slots_[i];
      if (s.owner == k_no_entry) return nullptr;
      if (s.tag == tag && cell_of(s.owner) == key) return &s;
    }
  }

  // The slot of key; when the cell is new it is claimed with entry as owner
  // and an empty list. At most max_cells cells may be claimed.
  template <class CellOf>
  CellSlot& claim(const CellKey& key, Entry entry, CellOf&& cell_of) {
    const std::uint64_t h = cell_hash(key);
    const auto tag = static_cast<std::uint32_t>(h >> 32U);
    for (std::size_t i = h & mask_;; i = (i + 1) & mask_) {
      CellSlot& s = slots_[i];
      if (s.owner == k_no_entry) {
        s.owner = entry;
        s.tag = tag;
        return s;
      }
      if (s.tag == tag && cell_of(s.owner) == key) return s;
    }
  }

 private:
  std::pmr::vector<CellSlot> slots_;
  std::size_t mask_ = 0;
};

}  // namespace zervola::mesh_geometry
