#pragma once

// Doubles that a factorisation writes before it reads them, growing as
// needed and keeping what they hold; their pages are mapped in when
// obtained (map_in_pages), since a page fault per 4 KiB of a front or of
// the factor costs more than the arithmetic on it in some virtual machines.

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>

#include "global/zeroed_store.hpp"

namespace zervola::global::supernodal {

// Regions the factorisation maps in at once: a front or a factor of a
// small frame already costs thousands of page faults.
inline constexpr std::size_t k_work_map_in_bytes = std::size_t{256} << 10;

class WorkBuffer {
 public:
  WorkBuffer() = default;
  explicit WorkBuffer(std::size_t count) { reserve(count); }

  // The doubles, and how many are in use (the rest of the capacity is
  // obtained but holds nothing to read).
  [[nodiscard]] double* data() const { return data_.get(); }
  [[nodiscard]] std::size_t size() const { return size_; }

  // At least `count` doubles, the first size() kept. Throws std::bad_alloc.
  void reserve(std::size_t count) {
    if (count <= capacity_) return;
    const std::size_t grown = std::max(count, capacity_ + capacity_ / 2);
    std::unique_ptr<double[]> larger(new double[grown]);
    map_in_pages(larger.get(), grown * sizeof(double), k_work_map_in_bytes);
    if (size_ > 0) std::memcpy(larger.get(), data_.get(), size_ * sizeof(double));
    data_ = std::move(larger);
    capacity_ = grown;
  }
  // The first `count` doubles in use; those past the old size() hold
  // nothing to read until written.
  void resize(std::size_t count) {
    reserve(count);
    size_ = count;
  }

 private:
  std::unique_ptr<double[]> data_;
  std::size_t size_ = 0, capacity_ = 0;
};

}  // namespace zervola::global::supernodal
