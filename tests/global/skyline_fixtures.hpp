#pragma once

// Test fixtures of the global system: dense symmetric matrices, skyline
// stores built from them, random profiles, and the dense oracles.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iostream>
#include <random>
#include <vector>

#include "common/index.hpp"
#include "common/one_based.hpp"
#include "global/skyline_matrix.hpp"
#include "support/matrix_checks.hpp"

namespace zervola::global::test {

using zervola::test::epsilon;
using zervola::test::k_rounding_threshold;

// A dense n x n matrix, 1-based, column-major.
struct Dense {
  Index n = 0;
  std::vector<double> a;

  explicit Dense(Index size) : n(size), a(static_cast<std::size_t>(size * size), 0.0) {}
  double& operator()(Index i, Index j) {
    return a[static_cast<std::size_t>((j - 1) * n + (i - 1))];
  }
  double operator()(Index i, Index j) const {
    return a[static_cast<std::size_t>((j - 1) * n + (i - 1))];
  }
};

// Host-style arrays of a skyline matrix: diag_address and the store.
struct HostSkyline {
  std::vector<HostInt> diag;
  std::vector<double> store;

  [[nodiscard]] Index n() const { return static_cast<Index>(diag.size()); }
  [[nodiscard]] Index length() const { return diag.empty() ? 0 : diag.back(); }
  [[nodiscard]] SkylineProfile profile() const {
    return SkylineProfile(Vector1<const HostInt>(diag.data(), n()));
  }
  [[nodiscard]] SkylineMatrix matrix() {
    return SkylineMatrix(profile(), Vector1<double>(store.data(), length()));
  }
  [[nodiscard]] Index height(Index j) const {
    return j == 1 ? diag[0]
                  : diag[static_cast<std::size_t>(j - 1)] - diag[static_cast<std::size_t>(j - 2)];
  }
  [[nodiscard]] Index top(Index j) const { return j - height(j) + 1; }
};

// Profile from column heights (h(1) = 1, 2 <= h(j) <= j), store zeroed.
inline HostSkyline skyline_from_heights(const std::vector<Index>& heights) {
  HostSkyline s;
  Index address = 0;
  for (Index h : heights) {
    address += h;
    s.diag.push_back(static_cast<HostInt>(address));
  }
  s.store.assign(static_cast<std::size_t>(address), 0.0);
  return s;
}

// Random heights of a valid profile: a mix of full, banded and short columns.
inline std::vector<Index> random_heights(Index n, std::mt19937_64& rng) {
  std::vector<Index> h;
  std::uniform_int_distribution<int> kind(0, 3);
  for (Index j = 1; j <= n; ++j) {
    if (j == 1) {
      h.push_back(1);
      continue;
    }
    Index height = 2;
    switch (kind(rng)) {
      case 0:
        height = 2;
        break;
      case 1:
        height = j;
        break;
      default: {
        std::uniform_int_distribution<Index> any(2, j);
        height = any(rng);
      }
    }
    h.push_back(height);
  }
  return h;
}

// Dense symmetric matrix that is zero outside the profile.
inline Dense dense_from_skyline(const HostSkyline& s) {
  Dense A(s.n());
  for (Index j = 1; j <= s.n(); ++j)
    for (Index i = s.top(j); i <= j; ++i) {
      const double v =
          s.store[static_cast<std::size_t>(s.diag[static_cast<std::size_t>(j - 1)] - (j - i) - 1)];
      A(i, j) = v;
      A(j, i) = v;
    }
  return A;
}

// Random symmetric positive definite entries inside the profile: random
// off-diagonal values in [-1, 1], diagonals strictly dominant.
inline void fill_random_spd(HostSkyline& s, std::mt19937_64& rng) {
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  std::uniform_real_distribution<double> margin(0.5, 2.0);
  for (Index j = 1; j <= s.n(); ++j)
    for (Index i = s.top(j); i < j; ++i)
      s.store[static_cast<std::size_t>(s.diag[static_cast<std::size_t>(j - 1)] - (j - i) - 1)] =
          value(rng);
  Dense A = dense_from_skyline(s);
  for (Index j = 1; j <= s.n(); ++j) {
    double row = 0.0;
    for (Index i = 1; i <= s.n(); ++i)
      if (i != j) row += std::fabs(A(i, j));
    s.store[static_cast<std::size_t>(s.diag[static_cast<std::size_t>(j - 1)] - 1)] =
        row + margin(rng);
  }
}

inline std::vector<double> multiply(const Dense& A, const std::vector<double>& u) {
  std::vector<double> f(static_cast<std::size_t>(A.n), 0.0);
  for (Index j = 1; j <= A.n; ++j)
    for (Index i = 1; i <= A.n; ++i)
      f[static_cast<std::size_t>(i - 1)] += A(i, j) * u[static_cast<std::size_t>(j - 1)];
  return f;
}

inline double norm_inf(const std::vector<double>& v) {
  double s = 0.0;
  for (double x : v) s = std::max(s, std::fabs(x));
  return s;
}

inline double norm_inf(const Dense& A) {
  double s = 0.0;
  for (Index i = 1; i <= A.n; ++i) {
    double row = 0.0;
    for (Index j = 1; j <= A.n; ++j) row += std::fabs(A(i, j));
    s = std::max(s, row);
  }
  return s;
}

// Scaled residual ||A u - f|| / (||A|| ||u|| n eps): of order 1 for a
// backward-stable solution.
inline double scaled_residual(const Dense& A, const std::vector<double>& u,
                              const std::vector<double>& f) {
  const std::vector<double> Au = multiply(A, u);
  std::vector<double> r(f.size());
  for (std::size_t k = 0; k < f.size(); ++k) r[k] = Au[k] - f[k];
  const double scale =
      norm_inf(A) * norm_inf(u) * static_cast<double>(std::max<Index>(A.n, 1)) * epsilon();
  return scale == 0.0 ? norm_inf(r) : norm_inf(r) / scale;
}

// The oracle: dense L D L^T without pivoting, then the three substitutions.
inline std::vector<double> dense_ldlt_solve(Dense A, std::vector<double> f) {
  const Index n = A.n;
  for (Index k = 1; k <= n; ++k) {
    for (Index j = k + 1; j <= n; ++j)
      for (Index i = j; i <= n; ++i) A(i, j) -= A(i, k) * A(j, k) / A(k, k);
    for (Index i = k + 1; i <= n; ++i) A(i, k) /= A(k, k);
  }
  // A now holds L below the diagonal (entries A(i, k), i > k) and D.
  for (Index i = 1; i <= n; ++i)
    for (Index k = 1; k < i; ++k)
      f[static_cast<std::size_t>(i - 1)] -= A(i, k) * f[static_cast<std::size_t>(k - 1)];
  for (Index i = 1; i <= n; ++i) f[static_cast<std::size_t>(i - 1)] /= A(i, i);
  for (Index i = n; i >= 1; --i)
    for (Index k = i + 1; k <= n; ++k)
      f[static_cast<std::size_t>(i - 1)] -= A(k, i) * f[static_cast<std::size_t>(k - 1)];
  return f;
}

inline std::vector<double> random_vector(Index n, std::mt19937_64& rng) {
  std::uniform_real_distribution<double> value(-10.0, 10.0);
  std::vector<double> v(static_cast<std::size_t>(n));
  for (double& x : v) x = value(rng);
  return v;
}

inline Vector1<double> view(std::vector<double>& v) {
  return Vector1<double>(v.data(), static_cast<Index>(v.size()));
}

// Fixed seeds, printed with every randomized case.
inline constexpr std::uint64_t k_base_seed = 20240611;

}  // namespace zervola::global::test
