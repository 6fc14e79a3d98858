#pragma once

// Work storage owned by one call: a 1-based array of fixed size.

#include <cassert>
#include <cstddef>
#include <vector>

#include "common/index.hpp"

namespace zervola::mesh_numbering {

// A yes/no mark per entry (a WorkArray of bool would be a packed bit vector).
enum class Mark : unsigned char { clear, set };

template <class T>
class WorkArray {
 public:
  WorkArray(Index size, T value) : data_(static_cast<std::size_t>(size), value) {}

  [[nodiscard]] T& operator()(Index i) { return data_[offset(i)]; }
  [[nodiscard]] const T& operator()(Index i) const { return data_[offset(i)]; }
  [[nodiscard]] Index size() const { return static_cast<Index>(data_.size()); }

 private:
  [[nodiscard]] std::size_t offset(Index i) const {
    assert(i >= 1 && i <= size());
    return static_cast<std::size_t>(i - 1);
  }

  std::vector<T> data_;
};

}  // namespace zervola::mesh_numbering
