#include "mesh_geometry/cell_table.hpp"

#include <bit>

namespace zervola::mesh_geometry {
namespace {

// Slots per cell at most: the table stays at most half full.
constexpr std::size_t k_slots_per_cell = 2;

std::size_t slot_count(std::size_t max_cells) {
  const std::size_t wanted = max_cells < 1 ? 1 : max_cells;
  if (wanted > (std::size_t{1} << 60U)) return std::size_t{1} << 62U;  // cannot be obtained
  return std::bit_ceil(k_slots_per_cell * wanted);
}

}  // namespace

std::uint64_t cell_hash(const CellKey& key) {
  // Each cell number spread by its own odd constant, then the splitmix64
  // finaliser so that neighbouring cells land far apart.
  std::uint64_t h = static_cast<std::uint64_t>(key.x) * 0x9E3779B97F4A7C15ULL +
                    static_cast<std::uint64_t>(key.y) * 0xC2B2AE3D27D4EB4FULL +
                    static_cast<std::uint64_t>(key.z) * 0x165667B19E3779F9ULL;
  h ^= h >> 30U;
  h *= 0xBF58476D1CE4E5B9ULL;
  h ^= h >> 27U;
  h *= 0x94D049BB133111EBULL;
  h ^= h >> 31U;
  return h;
}

CellTable::CellTable(std::size_t max_cells, std::pmr::memory_resource* storage)
    : slots_(storage) {
  const std::size_t n = slot_count(max_cells);
  slots_.resize(n);
  mask_ = n - 1;
}

}  // namespace zervola::mesh_geometry
