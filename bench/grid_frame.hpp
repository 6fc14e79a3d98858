#pragma once

// Building-like frames for the benchmarks: an nx x ny x nz grid of nodes,
// columns between floors, beams along x and y on every floor above the
// ground, fixed bases and a lateral load at every node above the ground.
// Nodes are numbered floor by floor (x fastest), or by diagonal planes
// from a corner (ix + iy + iz increasing), the order a profile-reducing
// renumbering gives a grid: the same frame with about a third of the work.

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <vector>

#include "zervola.h"

namespace bench {

enum class Numbering : int64_t { floors, diagonal };

struct GridFrame {
  static constexpr double k_bay = 5000.0;     // mm between columns
  static constexpr double k_storey = 3500.0;  // mm between floors
  static constexpr double k_marker = 12345678.0;
  static constexpr double k_lateral_load = 1000.0;  // N along x at every node above the ground

  int32_t n_nodes = 0, n_elements = 0, n_equations = 0, n_records = -1;
  int32_t space_frame = 1, element_frame = 0;
  std::vector<double> x, y, z, ox, oy, oz, records;
  std::vector<int32_t> pairs, sections, codes;
  std::vector<double> table{210000.0, 81000.0, 1.0e4, 1.0e8, 2.0e8, 1.0e8, 0.0, 300.0, 200.0, 0.0};

  GridFrame(int nx, int ny, int nz, Numbering numbering = Numbering::floors) {
    n_nodes = nx * ny * nz;
    n_equations = 6 * n_nodes;
    auto place = [&](int k) { return std::array<int, 3>{k % nx, (k / nx) % ny, k / (nx * ny)}; };
    // number[k]: the node number of grid point k (x fastest, then y, then z).
    std::vector<int32_t> order(static_cast<std::size_t>(n_nodes));
    std::iota(order.begin(), order.end(), 0);
    if (numbering == Numbering::diagonal)
      std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const auto pa = place(a), pb = place(b);
        return pa[0] + pa[1] + pa[2] < pb[0] + pb[1] + pb[2];
      });
    std::vector<int32_t> number(order.size());
    for (std::size_t n = 0; n < order.size(); ++n)
      number[static_cast<std::size_t>(order[n])] = static_cast<int32_t>(n) + 1;
    for (int32_t k : order) {
      const auto [ix, iy, iz] = place(k);
      x.push_back(ix * k_bay);
      y.push_back(iy * k_bay);
      z.push_back(iz * k_storey);
    }
    auto id = [&](int ix, int iy, int iz) {
      return number[static_cast<std::size_t>(ix + nx * (iy + ny * iz))];
    };
    auto element = [&](int a, int b) {
      pairs.insert(pairs.end(), {a, b});
      sections.push_back(1);
      codes.push_back(0);
      ox.push_back(k_marker);
      oy.push_back(k_marker);
      oz.push_back(k_marker);
    };
    for (int iz = 0; iz < nz; ++iz)
      for (int iy = 0; iy < ny; ++iy)
        for (int ix = 0; ix < nx; ++ix) {
          if (iz + 1 < nz) element(id(ix, iy, iz), id(ix, iy, iz + 1));
          if (iz == 0) continue;
          if (ix + 1 < nx) element(id(ix, iy, iz), id(ix + 1, iy, iz));
          if (iy + 1 < ny) element(id(ix, iy, iz), id(ix, iy + 1, iz));
        }
    n_elements = static_cast<int32_t>(codes.size());
    auto record = [&](double code, int node, std::array<double, 6> p) {
      records.insert(records.end(), {code, 6.0 * node - 5.0});
      records.insert(records.end(), p.begin(), p.end());
      ++n_records;
    };
    for (int32_t k = 0; k < n_nodes; ++k) {
      const bool base = place(k)[2] == 0;
      record(base ? 116.0 : 214.0, number[static_cast<std::size_t>(k)],
             base ? std::array<double, 6>{} : std::array<double, 6>{k_lateral_load});
    }
  }
};

struct Profile {
  std::vector<int32_t> diag;
  int32_t profile_length = 0, max_column_height = 0;
  double sum_h2 = 0.0;  // flops of the factorisation: about h^2 / 2 multiply-adds per column
};

inline Profile profile(GridFrame& g) {
  Profile p;
  p.diag.assign(static_cast<std::size_t>(g.n_equations), 0);
  ZEBMUK6(g.pairs.data(), p.diag.data(), g.codes.data(), &g.n_nodes, &g.n_equations, &g.n_elements,
          &p.profile_length, &p.max_column_height);
  int32_t previous = 0;
  for (int32_t d : p.diag) {
    const double h = d - previous;
    p.sum_h2 += h * h;
    previous = d;
  }
  return p;
}

}  // namespace bench
