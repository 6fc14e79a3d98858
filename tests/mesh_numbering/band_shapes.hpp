#pragma once

// Larger frame shapes for the band renumbering's differential tests: the
// shapes whose trials the level screen decides (long chains, plane and space
// grids, ladders), shapes with several pieces, and symmetric shapes where
// several starts reach the same bandwidth (the lowest-numbered one must win).
// Each is numbered either in its natural order or at random; the generator
// is seeded by the caller.

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

#include "host_model.hpp"
#include "oracles.hpp"

namespace zervola::mesh_numbering::test {

enum class BandShape {
  long_chain,   // one path, or a path with short spurs
  plane_grid,   // w x h nodes, bars along both directions
  space_grid,   // a x b x c nodes, bars along the three directions
  ladder,       // two long chains joined by rungs
  pieces,       // two or more of the above apart, or a node no bar touches
  tied,         // rings, complete bipartite frames, square grids: many equal starts
  count,
};

class BandShapeMaker {
 public:
  explicit BandShapeMaker(unsigned seed) : rng_(seed) {}

  // A model of about `size` nodes (at least 2).
  oracle::Mesh make(BandShape shape, int size) {
    pairs_.clear();
    n_ = 0;
    switch (shape) {
      case BandShape::long_chain:
        add_chain(size, chance(0.3));
        break;
      case BandShape::plane_grid:
        add_plane_grid(size);
        break;
      case BandShape::space_grid:
        add_space_grid(size);
        break;
      case BandShape::ladder:
        add_ladder(size);
        break;
      case BandShape::pieces:
        add_pieces(size);
        break;
      case BandShape::tied:
        add_tied(size);
        break;
      case BandShape::count:
        break;
    }
    if (chance(0.2) && !pairs_.empty()) pairs_.push_back(pairs_.front());  // a repeated bar
    return numbered(chance(0.5));
  }

  int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool chance(double p) { return std::bernoulli_distribution(p)(rng_); }

 private:
  // Nodes first .. first + count - 1 of the model, with no bars yet.
  int new_nodes(int count) {
    const int first = n_ + 1;
    n_ += count;
    return first;
  }
  void bar(int a, int b) { pairs_.push_back({a, b}); }

  void add_chain(int size, bool spurs) {
    const int first = new_nodes(std::max(size, 2));
    for (int k = first; k + 1 < first + std::max(size, 2); ++k) bar(k, k + 1);
    if (!spurs) return;
    const int n_spurs = uniform(1, 4);
    for (int s = 0; s < n_spurs; ++s) {
      const int at = uniform(first, n_);
      const int tip = new_nodes(1);
      bar(at, tip);
    }
  }

  void add_plane_grid(int size) {
    const int w = uniform(2, std::max(2, static_cast<int>(std::sqrt(size))));
    const int h = std::max(2, size / w);
    const int first = new_nodes(w * h);
    for (int j = 0; j < h; ++j)
      for (int i = 0; i < w; ++i) {
        const int p = first + i + w * j;
        if (i + 1 < w) bar(p, p + 1);
        if (j + 1 < h) bar(p, p + w);
      }
  }

  void add_space_grid(int size) {
    const int a = uniform(2, std::max(2, static_cast<int>(std::cbrt(size)) + 1));
    const int b = uniform(2, std::max(2, static_cast<int>(std::cbrt(size)) + 1));
    const int c = std::max(2, size / (a * b));
    const int first = new_nodes(a * b * c);
    auto at = [&](int i, int j, int k) { return first + i + a * (j + b * k); };
    for (int k = 0; k < c; ++k)
      for (int j = 0; j < b; ++j)
        for (int i = 0; i < a; ++i) {
          if (i + 1 < a) bar(at(i, j, k), at(i + 1, j, k));
          if (j + 1 < b) bar(at(i, j, k), at(i, j + 1, k));
          if (k + 1 < c) bar(at(i, j, k), at(i, j, k + 1));
        }
  }

  void add_ladder(int size) {
    const int length = std::max(2, size / 2);
    const int left = new_nodes(length);
    const int right = new_nodes(length);
    for (int k = 0; k + 1 < length; ++k) {
      bar(left + k, left + k + 1);
      bar(right + k, right + k + 1);
    }
    const int spacing = uniform(1, 3);
    for (int k = 0; k < length; k += spacing) bar(left + k, right + k);
  }

  void add_pieces(int size) {
    const int n_pieces = uniform(2, 3);
    for (int p = 0; p < n_pieces; ++p) {
      const int part = std::max(2, size / n_pieces);
      switch (uniform(0, 2)) {
        case 0: add_chain(part, false); break;
        case 1: add_plane_grid(part); break;
        default: add_ladder(part); break;
      }
    }
    if (chance(0.3)) {  // or one piece with a node that no bar touches
      pairs_.clear();
      const int n = n_;
      n_ = 0;
      add_chain(n - 1, false);
      static_cast<void>(new_nodes(1));
    }
  }

  void add_tied(int size) {
    switch (uniform(0, 2)) {
      case 0: {  // a ring: every start alike
        const int n = std::max(3, size);
        const int first = new_nodes(n);
        for (int k = 0; k < n; ++k) bar(first + k, first + (k + 1) % n);
        break;
      }
      case 1: {  // complete bipartite frame: every start of a side alike
        const int m = uniform(2, 6);
        const int k = uniform(2, 6);
        const int left = new_nodes(m);
        const int right = new_nodes(k);
        for (int i = 0; i < m; ++i)
          for (int j = 0; j < k; ++j) bar(left + i, right + j);
        break;
      }
      default: {  // a square plane grid: four equal corners
        const int w = std::max(2, static_cast<int>(std::sqrt(size)));
        const int first = new_nodes(w * w);
        for (int j = 0; j < w; ++j)
          for (int i = 0; i < w; ++i) {
            const int p = first + i + w * j;
            if (i + 1 < w) bar(p, p + 1);
            if (j + 1 < w) bar(p, p + w);
          }
        break;
      }
    }
  }

  // The model, its nodes in natural order or relabelled at random, its bars
  // in order or shuffled, each bar either way round at random.
  oracle::Mesh numbered(bool at_random) {
    std::vector<HostInt> relabel(static_cast<std::size_t>(n_));
    std::iota(relabel.begin(), relabel.end(), 1);
    if (at_random) {
      std::shuffle(relabel.begin(), relabel.end(), rng_);
      std::shuffle(pairs_.begin(), pairs_.end(), rng_);
    }
    std::vector<HostInt> flat;
    for (const auto& [a, b] : pairs_) {
      HostInt p = relabel[static_cast<std::size_t>(a - 1)];
      HostInt q = relabel[static_cast<std::size_t>(b - 1)];
      if (at_random && chance(0.5)) std::swap(p, q);
      flat.insert(flat.end(), {p, q});
    }
    oracle::Mesh mesh = pairs_model(static_cast<HostInt>(n_), flat);
    for (std::size_t k = 0; k < mesh.y.size(); ++k) mesh.y[k] = static_cast<double>(uniform(-9, 9));
    return mesh;
  }

  struct Pair {
    int a, b;
  };
  std::mt19937 rng_;
  std::vector<Pair> pairs_;
  int n_ = 0;
};

}  // namespace zervola::mesh_numbering::test
