#pragma once

// Fixed-size element quantities: the 12 x 12 element matrix and transformation,
// and 12-component element vectors, stored column-major like the host's arrays
// so that copying to and from host memory is a straight copy.
//
// Rows and columns 1..6 belong to the element's start node (translations along
// x, y, z, then rotations about x, y, z), 7..12 to its end node.

#include <array>
#include <cassert>
#include <cstddef>

#include "common/index.hpp"
#include "common/one_based.hpp"

namespace zervola {

inline constexpr Index k_element_dofs = 12;
inline constexpr Index k_node_dofs = 6;

class Matrix12 {
 public:
  static constexpr Index k_size = k_element_dofs;

  // All 144 entries zero.
  constexpr Matrix12() = default;

  [[nodiscard]] constexpr double& operator()(Index r, Index c) { return a_[offset(r, c)]; }
  [[nodiscard]] constexpr double operator()(Index r, Index c) const { return a_[offset(r, c)]; }

  [[nodiscard]] constexpr double* data() { return a_.data(); }
  [[nodiscard]] constexpr const double* data() const { return a_.data(); }

  constexpr void fill(double value) { a_.fill(value); }

  // Multiplies every entry by factor.
  constexpr void scale(double factor) {
    for (double& x : a_) x *= factor;
  }

  // The symmetrising step of the element routines: W = K + K^T, then the
  // diagonal halved. With only the upper triangle filled, the lower triangle
  // then mirrors it and the diagonal keeps its value.
  constexpr void symmetrise_from_upper() {
    Matrix12 w;
    for (Index c = 1; c <= k_size; ++c)
      for (Index r = 1; r <= k_size; ++r) w(r, c) = (*this)(r, c) + (*this)(c, r);
    for (Index d = 1; d <= k_size; ++d) w(d, d) *= 0.5;
    *this = w;
  }

  [[nodiscard]] friend constexpr bool operator==(const Matrix12&, const Matrix12&) = default;

 private:
  [[nodiscard]] static constexpr std::size_t offset(Index r, Index c) {
    assert(r >= 1 && r <= k_size && c >= 1 && c <= k_size);
    return static_cast<std::size_t>((c - 1) * k_size + (r - 1));
  }

  std::array<double, 144> a_{};
};

class Vector12 {
 public:
  static constexpr Index k_size = k_element_dofs;

  constexpr Vector12() = default;

  [[nodiscard]] constexpr double& operator()(Index i) { return a_[offset(i)]; }
  [[nodiscard]] constexpr double operator()(Index i) const { return a_[offset(i)]; }

  [[nodiscard]] constexpr double* data() { return a_.data(); }
  [[nodiscard]] constexpr const double* data() const { return a_.data(); }

  [[nodiscard]] friend constexpr bool operator==(const Vector12&, const Vector12&) = default;

 private:
  [[nodiscard]] static constexpr std::size_t offset(Index i) {
    assert(i >= 1 && i <= k_size);
    return static_cast<std::size_t>(i - 1);
  }

  std::array<double, 12> a_{};
};

// Full products over all twelve indices, each sum in increasing index order.
[[nodiscard]] constexpr Matrix12 multiply(const Matrix12& a, const Matrix12& b) {
  Matrix12 p;
  for (Index c = 1; c <= Matrix12::k_size; ++c)
    for (Index r = 1; r <= Matrix12::k_size; ++r) {
      double s = 0.0;
      for (Index k = 1; k <= Matrix12::k_size; ++k) s += a(r, k) * b(k, c);
      p(r, c) = s;
    }
  return p;
}

// a^T * b.
[[nodiscard]] constexpr Matrix12 multiply_transposed(const Matrix12& a, const Matrix12& b) {
  Matrix12 p;
  for (Index c = 1; c <= Matrix12::k_size; ++c)
    for (Index r = 1; r <= Matrix12::k_size; ++r) {
      double s = 0.0;
      for (Index k = 1; k <= Matrix12::k_size; ++k) s += a(k, r) * b(k, c);
      p(r, c) = s;
    }
  return p;
}

// a * v.
[[nodiscard]] constexpr Vector12 multiply(const Matrix12& a, const Vector12& v) {
  Vector12 p;
  for (Index r = 1; r <= Matrix12::k_size; ++r) {
    double s = 0.0;
    for (Index k = 1; k <= Matrix12::k_size; ++k) s += a(r, k) * v(k);
    p(r) = s;
  }
  return p;
}

// a^T * v.
[[nodiscard]] constexpr Vector12 multiply_transposed(const Matrix12& a, const Vector12& v) {
  Vector12 p;
  for (Index r = 1; r <= Matrix12::k_size; ++r) {
    double s = 0.0;
    for (Index k = 1; k <= Matrix12::k_size; ++k) s += a(k, r) * v(k);
    p(r) = s;
  }
  return p;
}

// Copies between host memory (12 x 12 or 12 doubles, column-major) and the
// fixed-size types. Host arrays never alias the core's own storage.
[[nodiscard]] inline Matrix12 read_matrix12(const double* host) {
  Matrix12 m;
  for (std::size_t k = 0; k < 144; ++k) m.data()[k] = host[k];
  return m;
}
inline void write_matrix12(const Matrix12& m, double* host) {
  for (std::size_t k = 0; k < 144; ++k) host[k] = m.data()[k];
}
[[nodiscard]] inline Vector12 read_vector12(const double* host) {
  Vector12 v;
  for (std::size_t k = 0; k < 12; ++k) v.data()[k] = host[k];
  return v;
}
inline void write_vector12(const Vector12& v, double* host) {
  for (std::size_t k = 0; k < 12; ++k) host[k] = v.data()[k];
}

}  // namespace zervola
