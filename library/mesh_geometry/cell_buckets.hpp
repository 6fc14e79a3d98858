#pragma once

// Grid cells spread over a fixed number of buckets by a hash of the cell
// numbers. A bucket holds the entries of every cell that hashes to it, so a
// scan of the bucket of a cell sees that cell's entries and perhaps those of
// a few others: callers test every entry they meet by its coordinates, so
// the others cost time, never a wrong answer. No keys are stored and nothing
// grows, which keeps the memory that lookups touch small.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <new>

#include "mesh_geometry/cell_grid.hpp"

namespace zervola::mesh_geometry {

// Indices of entries in work arrays.
using Link = std::uint32_t;
inline constexpr Link k_no_link = std::numeric_limits<Link>::max();

// Asks the processor to start loading the memory at p (a hint only).
inline void prefetch(const void* p) {
#if defined(__GNUC__) || defined(__clang__)
  __builtin_prefetch(p);
#else
  (void)p;
#endif
}

class CellBuckets {
 public:
  // Beyond this many buckets no work array could be obtained; on a 32-bit
  // machine also the largest power of two a size holds.
  static constexpr std::size_t k_most_buckets =
      std::size_t{1} << std::min(40, std::numeric_limits<std::size_t>::digits - 1);

  // The least power of two not below wanted (at least 1). Throws
  // std::bad_alloc for more than k_most_buckets, as obtaining the arrays
  // would.
  explicit CellBuckets(std::size_t wanted) {
    if (wanted > k_most_buckets) throw std::bad_alloc();
    const std::size_t n = std::bit_ceil(wanted < 1 ? std::size_t{1} : wanted);
    bits_ = static_cast<unsigned>(std::countr_zero(n));
  }

  [[nodiscard]] std::size_t count() const { return std::size_t{1} << bits_; }

  // The bucket of a cell: the top bits of its hash.
  [[nodiscard]] std::size_t of(const CellKey& key) const {
    return bits_ == 0 ? 0 : static_cast<std::size_t>(hash(key) >> (64U - bits_));
  }

  [[nodiscard]] static std::uint64_t hash(const CellKey& key) {
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

 private:
  unsigned bits_ = 0;
};

}  // namespace zervola::mesh_geometry
