#pragma once

// The dense reference of the eigensolvers' tests: a frame's stiffness K and
// a second matrix B (mass, or geometric stiffness) written out plainly, n x n
// column-major, from the element matrices, the library's unit diagonals for
// equations without stiffness, and the supported equations cleared (their
// rows and columns; K keeps its diagonal, B none).

#include <cstddef>
#include <utility>
#include <vector>

#include "element/global_matrix.hpp"
#include "frame_fixture.hpp"

namespace zervola::global::test {

struct DenseSystem {
  std::size_t n = 0;
  std::vector<double> K;
  std::vector<double> B;
};

// element_b(model, e, end_code): element e's B in global axes;
// diagonal_b: (equation, value) added to B's diagonal; fixed_equations:
// 1-based equations that the supports hold.
template <class ElementB>
DenseSystem dense_system(const HostFrame& f, ElementB element_b,
                         const std::vector<std::pair<Index, double>>& diagonal_b,
                         const std::vector<Index>& fixed_equations) {
  DenseSystem d;
  d.n = static_cast<std::size_t>(6 * f.n_nodes());
  d.K.assign(d.n * d.n, 0.0);
  d.B.assign(d.n * d.n, 0.0);
  const element::ElementModel model = f.model();
  const auto add = [&](std::vector<double>& target, const Matrix12& X, Index a, Index b) {
    for (Index r = 1; r <= 12; ++r)
      for (Index c = 1; c <= 12; ++c) {
        const auto gr = static_cast<std::size_t>(6 * ((r <= 6 ? a : b) - 1) + (r - 1) % 6);
        const auto gc = static_cast<std::size_t>(6 * ((c <= 6 ? a : b) - 1) + (c - 1) % 6);
        target[gc * d.n + gr] += X(r, c);
      }
  };
  for (Index e = 1; e <= f.n_elements(); ++e) {
    const Index a = f.pairs[static_cast<std::size_t>(2 * e - 2)];
    const Index b = f.pairs[static_cast<std::size_t>(2 * e - 1)];
    const HostInt code = f.codes[static_cast<std::size_t>(e - 1)];
    add(d.K, element::element_matrix(model, e, 0, code), a, b);
    add(d.B, element_b(model, e, code), a, b);
  }
  for (const auto& [equation, value] : diagonal_b)
    d.B[static_cast<std::size_t>(equation - 1) * (d.n + 1)] += value;
  std::vector<bool> cleared(d.n, false);
  for (std::size_t j = 0; j < d.n; ++j)
    if (d.K[j * (d.n + 1)] == 0.0) {
      d.K[j * (d.n + 1)] = 1.0;
      cleared[j] = true;
    }
  for (Index q : fixed_equations) cleared[static_cast<std::size_t>(q - 1)] = true;
  for (std::size_t j = 0; j < d.n; ++j) {
    if (!cleared[j]) continue;
    const double keep = d.K[j * (d.n + 1)];
    for (std::size_t i = 0; i < d.n; ++i) {
      d.K[j * d.n + i] = 0.0;
      d.K[i * d.n + j] = 0.0;
      d.B[j * d.n + i] = 0.0;
      d.B[i * d.n + j] = 0.0;
    }
    d.K[j * (d.n + 1)] = keep;
  }
  return d;
}

}  // namespace zervola::global::test
