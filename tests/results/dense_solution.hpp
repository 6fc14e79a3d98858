#pragma once

// Oracles for the end-to-end tests, written plainly: a dense assembly and
// solution of a frame from the element matrices of MATRIXE, and the sums of
// the element end forces at each node, taken through MATRIXCOS3P and
// GLOBTOLOC as a host takes them.

#include <array>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "host_frame.hpp"
#include "zervola.h"

namespace zervola::test {

// K u = f with the equations in held prescribed to 0 (dropped), every
// equation without stiffness given a unit diagonal, by Gaussian elimination
// with partial pivoting. Space frame, element matrices in global axes.
inline std::vector<double> dense_solution(const HostFrame& f, const std::vector<double>& loads,
                                          const std::vector<int>& held) {
  const std::size_t n = static_cast<std::size_t>(6 * f.n_nodes());
  std::vector<double> K(n * n, 0.0);
  int32_t space = 1, frame = 0;
  int32_t n_nodes = static_cast<int32_t>(f.n_nodes()),
          n_elements = static_cast<int32_t>(f.n_elements());
  for (int32_t e = 1; e <= n_elements; ++e) {
    std::array<double, 144> ke{};
    const std::size_t ei = static_cast<std::size_t>(e - 1);
    MATRIXE(ke.data(), f.x.data(), f.y.data(), f.z.data(), f.ox.data(), f.oy.data(), f.oz.data(),
            f.pairs.data(), f.section_codes.data(), &space, f.table.data(), &e, &n_nodes,
            &n_elements, &frame, &f.end_codes[ei]);
    const std::size_t nodes[2] = {static_cast<std::size_t>(f.pairs[2 * ei] - 1),
                                  static_cast<std::size_t>(f.pairs[2 * ei + 1] - 1)};
    for (std::size_t c = 0; c < 12; ++c)
      for (std::size_t r = 0; r < 12; ++r) {
        const std::size_t gr = 6 * nodes[r / 6] + r % 6, gc = 6 * nodes[c / 6] + c % 6;
        K[gc * n + gr] += ke[c * 12 + r];
      }
  }
  std::vector<bool> is_held(n, false);
  for (int h : held) is_held[static_cast<std::size_t>(h - 1)] = true;
  std::vector<std::size_t> free;
  for (std::size_t k = 0; k < n; ++k)
    if (!is_held[k]) free.push_back(k);
  const std::size_t m = free.size();
  std::vector<double> A(m * m), b(m);
  for (std::size_t j = 0; j < m; ++j) {
    b[j] = loads[free[j]];
    for (std::size_t i = 0; i < m; ++i) A[j * m + i] = K[free[j] * n + free[i]];
  }
  for (std::size_t d = 0; d < m; ++d)
    if (A[d * m + d] == 0.0) {
      bool empty = true;
      for (std::size_t i = 0; i < m; ++i) empty = empty && A[d * m + i] == 0.0;
      if (empty) A[d * m + d] = 1.0;
    }
  // Column-major A(i, j) = A[j * m + i]; eliminate below the pivot of column c.
  for (std::size_t c = 0; c < m; ++c) {
    std::size_t p = c;
    for (std::size_t i = c + 1; i < m; ++i)
      if (std::fabs(A[c * m + i]) > std::fabs(A[c * m + p])) p = i;
    if (p != c) {
      for (std::size_t j = 0; j < m; ++j) std::swap(A[j * m + c], A[j * m + p]);
      std::swap(b[c], b[p]);
    }
    for (std::size_t i = c + 1; i < m; ++i) {
      const double factor = A[c * m + i] / A[c * m + c];
      if (factor == 0.0) continue;
      for (std::size_t j = c; j < m; ++j) A[j * m + i] -= factor * A[j * m + c];
      b[i] -= factor * b[c];
    }
  }
  std::vector<double> x(m);
  for (std::size_t c = m; c-- > 0;) {
    double s = b[c];
    for (std::size_t j = c + 1; j < m; ++j) s -= A[j * m + c] * x[j];
    x[c] = s / A[c * m + c];
  }
  std::vector<double> u(n, 0.0);
  for (std::size_t j = 0; j < m; ++j) u[free[j]] = x[j];
  return u;
}

// The forces that the nodes exert on the elements, summed per node in global
// axes (6 per node), from the end forces: the start node takes components
// 1..6 of end_forces_global with its moments turned back, the end node
// components 7..12 with its forces turned back.
inline std::vector<double> nodal_force_sums(const HostFrame& f) {
  std::vector<double> sums(static_cast<std::size_t>(6 * f.n_nodes()), 0.0);
  int32_t n_nodes = static_cast<int32_t>(f.n_nodes()),
          n_elements = static_cast<int32_t>(f.n_elements());
  int32_t spare = 0, reverse = 0;
  for (int32_t e = 1; e <= n_elements; ++e) {
    const std::size_t ei = static_cast<std::size_t>(e - 1);
    std::array<double, 144> t{};
    MATRIXCOS3P(t.data(), f.x.data(), f.y.data(), f.z.data(), f.ox.data(), f.oy.data(), f.oz.data(),
                f.pairs.data(), &n_nodes, &n_elements, &e, &reverse);
    std::array<double, 12> ed{}, ef{}, efg{};
    GLOBTOLOC(t.data(), f.displacements.data(), ed.data(), ef.data(), efg.data(), f.x.data(),
              f.y.data(), f.z.data(), f.pairs.data(), f.section_codes.data(), f.table.data(),
              &spare, &n_nodes, &n_elements, &e, &reverse, &f.end_codes[ei]);
    const std::size_t a = static_cast<std::size_t>(f.pairs[2 * ei] - 1);
    const std::size_t b = static_cast<std::size_t>(f.pairs[2 * ei + 1] - 1);
    for (std::size_t c = 0; c < 6; ++c) {
      sums[6 * a + c] += c < 3 ? efg[c] : -efg[c];
      sums[6 * b + c] += c < 3 ? -efg[6 + c] : efg[6 + c];
    }
  }
  return sums;
}

}  // namespace zervola::test
