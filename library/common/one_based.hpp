#pragma once

// Views over host memory with the host's 1-based, column-major indexing.
//
// The host owns every array; a view is a pointer plus an extent and never
// allocates, resizes or frees. The conversion from the host's 1-based index
// to a C offset happens in exactly one place per view type (offset()), and
// is checked against the extent in debug builds only, so release kernels pay
// nothing for it.

#include <cassert>
#include <cstddef>
#include <limits>

#include "common/index.hpp"

namespace zervola {

// Extent of a host array whose length the C interface does not pass
// (for example node coordinates given only with an element number). Such a
// view checks only the lower bound.
inline constexpr Index k_unknown_extent = std::numeric_limits<Index>::max();

// A 1-based vector view: v(1) .. v(size()).
template <class T>
class Vector1 {
 public:
  constexpr Vector1() = default;
  constexpr Vector1(T* data, Index size) : data_(data), size_(size) {}

  [[nodiscard]] constexpr T& operator()(Index i) const { return data_[offset(i)]; }
  [[nodiscard]] constexpr Index size() const { return size_; }
  [[nodiscard]] constexpr T* data() const { return data_; }
  [[nodiscard]] constexpr bool empty() const { return size_ == 0; }

  // A view of entries first .. first + count - 1 of this view.
  [[nodiscard]] constexpr Vector1 slice(Index first, Index count) const {
    assert(first >= 1 && count >= 0 && (count == 0 || first - 1 <= size_ - count));
    return Vector1(data_ + (first - 1), count);
  }

  // Read-only view of the same memory.
  constexpr operator Vector1<const T>() const { return Vector1<const T>(data_, size_); }

 private:
  [[nodiscard]] constexpr std::size_t offset(Index i) const {
    assert(i >= 1 && i <= size_);
    return static_cast<std::size_t>(i - 1);
  }

  T* data_ = nullptr;
  Index size_ = 0;
};

// A 1-based column-major table view: t(r, c), r = 1 .. rows(), c = 1 .. cols();
// rows() entries per column, the row index varying fastest.
template <class T>
class Table1 {
 public:
  constexpr Table1() = default;
  constexpr Table1(T* data, Index rows, Index cols) : data_(data), rows_(rows), cols_(cols) {}

  [[nodiscard]] constexpr T& operator()(Index r, Index c) const { return data_[offset(r, c)]; }
  [[nodiscard]] constexpr Index rows() const { return rows_; }
  [[nodiscard]] constexpr Index cols() const { return cols_; }
  [[nodiscard]] constexpr T* data() const { return data_; }

  // Column c as a 1-based vector of rows() entries.
  [[nodiscard]] constexpr Vector1<T> column(Index c) const {
    return Vector1<T>(data_ + offset(1, c), rows_);
  }

  constexpr operator Table1<const T>() const { return Table1<const T>(data_, rows_, cols_); }

 private:
  [[nodiscard]] constexpr std::size_t offset(Index r, Index c) const {
    assert(r >= 1 && r <= rows_ && c >= 1 && c <= cols_);
    return static_cast<std::size_t>((c - 1) * rows_ + (r - 1));
  }

  T* data_ = nullptr;
  Index rows_ = 0;
  Index cols_ = 0;
};

}  // namespace zervola
