#pragma once

// Plain transcriptions of the mesh geometry algorithms, step by step and with
// the quadratic work they take: the reference that the fast routines must
// reproduce exactly. Arrays are the host's, 1-based as written, stored in
// std::vector with entry i at position i - 1.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace zervola::mesh_geometry::oracle {

inline double& at(std::vector<double>& v, std::int64_t i) {
  return v[static_cast<std::size_t>(i - 1)];
}
inline std::int32_t& at(std::vector<std::int32_t>& v, std::int64_t i) {
  return v[static_cast<std::size_t>(i - 1)];
}

// Nodes from line endpoints. A point_count that is not positive or not
// 2 n_elements writes nothing and returns point_count = 0.
inline void meshdiskr(std::vector<double>& x, std::vector<double>& y, std::vector<double>& z,
                      std::vector<std::int32_t>& element_nodes, std::int32_t& point_count,
                      std::int32_t n_elements) {
  if (point_count <= 0 || std::int64_t{point_count} != 2 * std::int64_t{n_elements}) {
    point_count = 0;
    return;
  }
  const std::int32_t n = point_count;
  std::vector<std::int32_t> point_node(static_cast<std::size_t>(n));
  for (std::int32_t i = 1; i <= n; ++i) at(point_node, i) = i;
  for (std::int32_t i = 1; i <= n; ++i) {
    if (at(point_node, i) <= 0) continue;
    for (std::int32_t j = i + 1; j <= n; ++j) {
      if (at(point_node, j) <= 0) continue;
      if (std::fabs(at(z, i) - at(z, j)) < 1e-4 && std::fabs(at(x, i) - at(x, j)) < 1e-4 &&
          std::fabs(at(y, i) - at(y, j)) < 1e-4)
        at(point_node, j) = -i;
    }
  }
  std::int32_t c = 0;
  for (std::int32_t i = 1; i <= n; ++i) {
    if (at(point_node, i) <= 0) continue;
    ++c;
    for (std::int32_t j = i + 1; j <= n; ++j)
      if (at(point_node, j) == -i) at(point_node, j) = -c;
    at(point_node, i) = c;
    at(x, c) = at(x, i);
    at(y, c) = at(y, i);
    at(z, c) = at(z, i);
  }
  for (std::int32_t i = 1; i <= n; ++i) at(point_node, i) = std::abs(at(point_node, i));
  point_count = c;
  for (std::int32_t k = 1; k <= n_elements; ++k) {
    at(element_nodes, 2 * k - 1) = at(point_node, 2 * k - 1);
    at(element_nodes, 2 * k) = at(point_node, 2 * k);
  }
}

// Free lines, with the signs of line_points as the working marks. A point
// number of 0 or less leaves line_points unchanged and gives -1.
// When given, sweeps receives the number of sweeps run and reached one flag
// per line (index 0 unused), 1 for a line reached from line 1.
inline std::int32_t freeline(const std::vector<double>& px, const std::vector<double>& py,
                             const std::vector<double>& pz, std::vector<std::int32_t>& lp,
                             std::int32_t n_lines, int* sweeps = nullptr,
                             std::vector<std::uint8_t>* reached = nullptr) {
  if (n_lines <= 0) return 0;
  for (std::int32_t i = 1; i <= 2 * n_lines; ++i)
    if (at(lp, i) <= 0) return -1;
  auto coincide = [&](std::int32_t a, std::int32_t b) {
    const auto ia = static_cast<std::size_t>(a - 1);
    const auto ib = static_cast<std::size_t>(b - 1);
    return std::fabs(pz[ia] - pz[ib]) < 0.1 && std::fabs(px[ia] - px[ib]) < 0.1 &&
           std::fabs(py[ia] - py[ib]) < 0.1;
  };
  auto first = [&](std::int32_t k) -> std::int32_t& { return at(lp, 2 * k - 1); };
  auto second = [&](std::int32_t k) -> std::int32_t& { return at(lp, 2 * k); };
  first(1) = -first(1);
  second(1) = -second(1);
  std::int32_t count = 0;
  int n_sweeps = 0;
  do {
    ++n_sweeps;
    count = 0;
    for (std::int32_t j = 1; j <= n_lines; ++j) {
      if (!(first(j) < 0 && second(j) < 0)) continue;
      for (std::int32_t k = 1; k <= n_lines; ++k) {
        if (k == j || first(k) <= 0 || second(k) <= 0) continue;
        const std::int32_t j1 = -first(j), j2 = -second(j), k1 = first(k), k2 = second(k);
        if (coincide(j1, k1) || coincide(j1, k2) || coincide(j2, k1) || coincide(j2, k2)) {
          first(k) = -first(k);
          second(k) = -second(k);
          ++count;
        }
      }
    }
  } while (count != 0);
  if (sweeps != nullptr) *sweeps = n_sweeps;
  if (reached != nullptr) {
    reached->assign(static_cast<std::size_t>(n_lines) + 1, 0);
    for (std::int32_t i = 1; i <= n_lines; ++i)
      (*reached)[static_cast<std::size_t>(i)] = first(i) < 0 ? 1 : 0;
  }
  std::int32_t n_reached = 0, n_unreached = 0, last_reached = 0, last_unreached = 0;
  for (std::int32_t i = 1; i <= n_lines; ++i) {
    if (first(i) < 0) {
      ++n_reached;
      last_reached = i;
    } else if (first(i) > 0) {
      ++n_unreached;
      last_unreached = i;
    }
    first(i) = std::abs(first(i));
    second(i) = std::abs(second(i));
  }
  if (n_unreached == 0) return 0;
  return n_unreached > n_reached ? last_reached : last_unreached;
}

}  // namespace zervola::mesh_geometry::oracle
