#pragma once

// Random frame models for the differential tests: chains, trees, rings,
// grids and stars under a random node numbering, with duplicated elements,
// elements whose two ends are the same node, coincident nodes and random end
// codes mixed in. The generator is seeded by the caller, so every model can
// be made again from its printed seed.

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>
#include <vector>

#include "oracles.hpp"

namespace zervola::mesh_numbering::test {

enum class Shape { chain, tree, ring, grid, star, kinked_chain, two_pieces, count };

struct ModelOptions {
  bool extras = true;           // duplicates, self-joined elements, coincident nodes
  bool odd_coordinates = true;  // -0.0 and NaN coordinates now and then
};

class ModelMaker {
 public:
  explicit ModelMaker(unsigned seed) : rng_(seed) {}

  oracle::Mesh make(Shape shape, int size, ModelOptions options = {}) {
    pairs_.clear();
    int n = std::max(size, 1);
    switch (shape) {
      case Shape::chain:
      case Shape::kinked_chain:
        for (int k = 1; k < n; ++k) pairs_.push_back({k, k + 1});
        break;
      case Shape::tree:
        for (int k = 2; k <= n; ++k) pairs_.push_back({uniform(1, k - 1), k});
        break;
      case Shape::ring:
        n = std::max(n, 3);
        for (int k = 1; k <= n; ++k) pairs_.push_back({k, k % n + 1});
        break;
      case Shape::grid: {
        const int w = std::max(2, static_cast<int>(std::sqrt(n)));
        const int h = std::max(2, n / w);
        n = w * h;
        for (int j = 0; j < h; ++j)
          for (int i = 0; i < w; ++i) {
            const int p = 1 + i + w * j;
            if (i + 1 < w) pairs_.push_back({p, p + 1});
            if (j + 1 < h) pairs_.push_back({p, p + w});
          }
        break;
      }
      case Shape::star:
        n = std::max(n, 2);
        for (int k = 2; k <= n; ++k) pairs_.push_back({1, k});
        break;
      case Shape::two_pieces: {
        n = std::max(n, 2);
        const int cut = uniform(1, n - 1);
        for (int k = 1; k < n; ++k)
          if (k != cut) pairs_.push_back({k, k + 1});
        if (chance(0.3)) pairs_.push_back({1, cut});
        break;
      }
      case Shape::count:
        break;
    }
    if (options.extras) add_extras(n);
    std::shuffle(pairs_.begin(), pairs_.end(), rng_);

    // A random numbering of the nodes, and random orientation of elements.
    std::vector<HostInt> relabel(static_cast<std::size_t>(n));
    std::iota(relabel.begin(), relabel.end(), 1);
    std::shuffle(relabel.begin(), relabel.end(), rng_);
    oracle::Mesh mesh;
    for (const auto& [a, b] : pairs_) {
      HostInt p = relabel[static_cast<std::size_t>(a - 1)];
      HostInt q = relabel[static_cast<std::size_t>(b - 1)];
      if (chance(0.5)) std::swap(p, q);
      mesh.element_nodes.push_back(p);
      mesh.element_nodes.push_back(q);
      mesh.end_codes.push_back(random_code());
    }
    place_nodes(mesh, shape, n, relabel, options);
    return mesh;
  }

  int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool chance(double p) { return std::bernoulli_distribution(p)(rng_); }
  std::mt19937& rng() { return rng_; }

 private:
  struct Pair {
    int a, b;
  };

  void add_extras(int n) {
    if (!pairs_.empty() && chance(0.5)) {  // the same element again, either way round
      const Pair p = pairs_[static_cast<std::size_t>(uniform(0, static_cast<int>(pairs_.size()) - 1))];
      pairs_.push_back(chance(0.5) ? p : Pair{p.b, p.a});
    }
    if (chance(0.3)) {  // an element from a node to itself
      const int p = uniform(1, n);
      pairs_.push_back({p, p});
    }
    if (n > 3 && chance(0.4)) {  // a few extra joins
      const int extra = uniform(1, 3);
      for (int k = 0; k < extra; ++k) pairs_.push_back({uniform(1, n), uniform(1, n)});
    }
  }

  HostInt random_code() {
    return k_codes[static_cast<std::size_t>(uniform(0, static_cast<int>(k_codes.size()) - 1))];
  }

  static constexpr std::array<HostInt, 12> k_codes{0, 0, -1, -1, -2, -2, 1, 2, 3, 4, -3, 7};

  // Node positions by shape position k (1..n), stored under the relabelled
  // number. Kinked chains bend by small random angles; other shapes use a
  // small integer lattice so that coincidences happen.
  void place_nodes(oracle::Mesh& mesh, Shape shape, int n, const std::vector<HostInt>& relabel,
                   ModelOptions options) {
    mesh.x.assign(static_cast<std::size_t>(n), 0.0);
    mesh.y = mesh.x;
    mesh.z = mesh.x;
    double angle = 0.0, px = 0.0, py = 0.0;
    for (int k = 1; k <= n; ++k) {
      const auto at = static_cast<std::size_t>(relabel[static_cast<std::size_t>(k - 1)] - 1);
      if (shape == Shape::kinked_chain) {
        mesh.x[at] = px;
        mesh.y[at] = py;
        const double degrees = std::uniform_real_distribution<double>(-12.0, 12.0)(rng_);
        angle += degrees * 3.14159265358979323846 / 180.0;
        px += std::cos(angle);
        py += std::sin(angle);
      } else {
        mesh.x[at] = uniform(-3, 3);
        mesh.y[at] = uniform(-3, 3);
        mesh.z[at] = uniform(-1, 1);
      }
    }
    if (options.extras && n > 1 && chance(0.5)) {  // coincident nodes
      const int copies = uniform(1, 3);
      for (int c = 0; c < copies; ++c) {
        const auto from = static_cast<std::size_t>(uniform(0, n - 1));
        const auto to = static_cast<std::size_t>(uniform(0, n - 1));
        mesh.x[to] = mesh.x[from];
        mesh.y[to] = mesh.y[from];
        mesh.z[to] = mesh.z[from];
      }
    }
    if (options.odd_coordinates && chance(0.2)) {
      const auto k = static_cast<std::size_t>(uniform(0, n - 1));
      if (chance(0.5)) mesh.z[k] = -0.0;
      else mesh.y[k] = std::numeric_limits<double>::quiet_NaN();
    }
  }

  std::mt19937 rng_;
  std::vector<Pair> pairs_;
};

}  // namespace zervola::mesh_numbering::test
