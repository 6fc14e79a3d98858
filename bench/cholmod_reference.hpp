#pragma once

// CHOLMOD on a frame's stiffness pattern, for the solver benchmark's
// comparison: a 6 x 6 block for every node and for every pair of nodes that
// an element joins (the entries that assembly makes, not the skyline's whole
// profile, which a reordering would only spread), random and diagonally
// dominant, the upper triangle in compressed columns. It is analysed in
// CHOLMOD's own default ordering (AMD, or METIS when AMD fills in much) or in
// the skyline's node order (natural, not postordered), then factorised a few
// times. Each factorisation is timed by the wall clock and by the process's
// processor time (all threads summed), so that the threads of the BLAS show
// as the difference of the two.

#include <cholmod.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace bench {

enum class CholmodOrdering { own_default, skyline };

struct CholmodFigures {
  double wall = 0.0;       // seconds of the fastest factorisation
  double processor = 0.0;  // processor seconds of that factorisation
  double flops = 0.0;      // CHOLMOD's count of the analysis (common.fl)
  double factor_entries = 0.0;  // doubles the numeric factor holds (L->xsize)
  int ordering = CHOLMOD_NATURAL;  // the ordering that the analysis chose
};

inline const char* cholmod_ordering_name(int ordering) {
  switch (ordering) {
    case CHOLMOD_NATURAL: return "natural";
    case CHOLMOD_GIVEN: return "given";
    case CHOLMOD_AMD: return "amd";
    case CHOLMOD_METIS: return "metis";
    case CHOLMOD_NESDIS: return "nesdis";
    case CHOLMOD_COLAMD: return "colamd";
    case CHOLMOD_POSTORDERED: return "postordered";
    default: return "?";
  }
}

inline double process_seconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1.0e-9 * static_cast<double>(t.tv_nsec);
}

inline constexpr int k_node_freedoms = 6;

// element_nodes: the node pairs (1-based, two per element) of n_nodes nodes.
inline CholmodFigures factorise_with_cholmod(const std::vector<int32_t>& element_nodes,
                                             int32_t n_nodes, CholmodOrdering ordering,
                                             int repetitions) {
  // The nodes coupled to each node, itself included, in increasing order.
  std::vector<std::vector<int32_t>> coupled(static_cast<std::size_t>(n_nodes));
  for (int32_t v = 0; v < n_nodes; ++v) coupled[static_cast<std::size_t>(v)].push_back(v);
  for (std::size_t k = 0; k + 1 < element_nodes.size(); k += 2) {
    const int32_t a = element_nodes[k] - 1;
    const int32_t b = element_nodes[k + 1] - 1;
    coupled[static_cast<std::size_t>(a)].push_back(b);
    coupled[static_cast<std::size_t>(b)].push_back(a);
  }
  std::size_t entries = 0;
  for (auto& list : coupled) {
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
    entries += list.size() * k_node_freedoms * k_node_freedoms;
  }

  cholmod_common common;
  cholmod_start(&common);
  if (ordering == CholmodOrdering::skyline) {
    common.nmethods = 1;
    common.method[0].ordering = CHOLMOD_NATURAL;
    common.postorder = 0;
  }
  const auto n = static_cast<std::size_t>(n_nodes) * k_node_freedoms;
  cholmod_sparse* A = cholmod_allocate_sparse(n, n, entries, 1, 1, 1, CHOLMOD_REAL, &common);
  auto* column_start = static_cast<int*>(A->p);
  auto* row = static_cast<int*>(A->i);
  auto* value = static_cast<double*>(A->x);
  // Off-diagonal entries in (-1, 1); each diagonal entry exceeds the sum of
  // the magnitudes in its row, so that the matrix is positive definite.
  std::mt19937_64 rng(20240611);
  std::uniform_real_distribution<double> random_value(-1.0, 1.0);
  std::vector<double> row_sum(n, 0.0);
  std::vector<std::size_t> diagonal_at(n, 0);
  std::size_t next = 0;
  for (std::size_t j = 0; j < n; ++j) {
    column_start[j] = static_cast<int>(next);
    const auto node = static_cast<int32_t>(j / k_node_freedoms);
    for (const int32_t other : coupled[static_cast<std::size_t>(node)]) {
      if (other > node) break;
      for (int k = 0; k < k_node_freedoms; ++k) {
        const std::size_t i = static_cast<std::size_t>(other) * k_node_freedoms + static_cast<std::size_t>(k);
        if (i > j) break;
        row[next] = static_cast<int>(i);
        if (i == j) {
          diagonal_at[j] = next;
        } else {
          value[next] = random_value(rng);
          row_sum[i] += std::fabs(value[next]);
          row_sum[j] += std::fabs(value[next]);
        }
        ++next;
      }
    }
  }
  column_start[n] = static_cast<int>(next);
  for (std::size_t j = 0; j < n; ++j) value[diagonal_at[j]] = row_sum[j] + 1.0;

  CholmodFigures f;
  cholmod_factor* L = cholmod_analyze(A, &common);
  f.flops = common.fl;

  f.ordering = common.method[common.selected].ordering;
  for (int r = 0; r < repetitions; ++r) {
    const double processor0 = process_seconds();
    const auto wall0 = std::chrono::steady_clock::now();
    cholmod_factorize(A, L, &common);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    const double processor = process_seconds() - processor0;
    if (r == 0 || wall < f.wall) {
      f.wall = wall;
      f.processor = processor;
    }
  }
  // The supernodal factor's own storage, explicit zeros of its supernodes
  // included, as the library's count includes its own.
  f.factor_entries = static_cast<double>(L->xsize);
  cholmod_free_factor(&L, &common);
  cholmod_free_sparse(&A, &common);
  cholmod_finish(&common);
  return f;
}

}  // namespace bench
