#include "global/dense_symmetric_eigen.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace zervola::global {

namespace {

std::size_t at(Index r, Index c, Index n) {
  return static_cast<std::size_t>(c) * static_cast<std::size_t>(n) + static_cast<std::size_t>(r);
}

// A <- J^T A J and V <- V J for the rotation J in the plane (p, q) that
// clears A(p, q).
void rotate(std::vector<double>& A, std::vector<double>& V, Index n, Index p, Index q) {
  const double apq = A[at(p, q, n)];
  const double theta = (A[at(q, q, n)] - A[at(p, p, n)]) / (2.0 * apq);
  // The smaller root of t^2 + 2 theta t - 1 = 0: the rotation of at most 45
  // degrees, which keeps the method convergent.
  const double t = (theta >= 0.0 ? 1.0 : -1.0) / (std::fabs(theta) + std::sqrt(theta * theta + 1.0));
  const double c = 1.0 / std::sqrt(t * t + 1.0);
  const double s = t * c;
  for (Index k = 0; k < n; ++k) {
    const double akp = A[at(k, p, n)];
    const double akq = A[at(k, q, n)];
    A[at(k, p, n)] = c * akp - s * akq;
    A[at(k, q, n)] = s * akp + c * akq;
  }
  for (Index k = 0; k < n; ++k) {
    const double apk = A[at(p, k, n)];
    const double aqk = A[at(q, k, n)];
    A[at(p, k, n)] = c * apk - s * aqk;
    A[at(q, k, n)] = s * apk + c * aqk;
  }
  A[at(p, q, n)] = 0.0;
  A[at(q, p, n)] = 0.0;
  for (Index k = 0; k < n; ++k) {
    const double vkp = V[at(k, p, n)];
    const double vkq = V[at(k, q, n)];
    V[at(k, p, n)] = c * vkp - s * vkq;
    V[at(k, q, n)] = s * vkp + c * vkq;
  }
}

}  // namespace

SymmetricEigen symmetric_eigen(const std::vector<double>& upper, Index n) {
  std::vector<double> A(static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
  for (Index c = 0; c < n; ++c)
    for (Index r = 0; r <= c; ++r) {
      A[at(r, c, n)] = upper[at(r, c, n)];
      A[at(c, r, n)] = upper[at(r, c, n)];
    }
  std::vector<double> V(A.size(), 0.0);
  for (Index k = 0; k < n; ++k) V[at(k, k, n)] = 1.0;

  double whole = 0.0;
  for (double a : A) whole += a * a;
  const double eps = std::numeric_limits<double>::epsilon();
  for (int sweep = 0; sweep < k_jacobi_sweeps; ++sweep) {
    double off = 0.0;
    for (Index c = 1; c < n; ++c)
      for (Index r = 0; r < c; ++r) off += A[at(r, c, n)] * A[at(r, c, n)];
    if (off <= eps * eps * whole) break;
    for (Index p = 0; p < n - 1; ++p)
      for (Index q = p + 1; q < n; ++q) {
        const double apq = A[at(p, q, n)];
        // An entry below the rounding of both diagonals changes neither.
        const double small = eps * 1e-2 * (std::fabs(A[at(p, p, n)]) + std::fabs(A[at(q, q, n)]));
        if (std::fabs(apq) <= small) {
          A[at(p, q, n)] = 0.0;
          A[at(q, p, n)] = 0.0;
          continue;
        }
        rotate(A, V, n, p, q);
      }
  }

  std::vector<Index> order(static_cast<std::size_t>(n));
  std::iota(order.begin(), order.end(), Index{0});
  std::sort(order.begin(), order.end(),
            [&](Index a, Index b) { return A[at(a, a, n)] < A[at(b, b, n)]; });
  SymmetricEigen result;
  result.values.resize(static_cast<std::size_t>(n));
  result.vectors.resize(A.size());
  for (Index k = 0; k < n; ++k) {
    const Index from = order[static_cast<std::size_t>(k)];
    result.values[static_cast<std::size_t>(k)] = A[at(from, from, n)];
    std::copy_n(V.begin() + static_cast<std::ptrdiff_t>(at(0, from, n)), n,
                result.vectors.begin() + static_cast<std::ptrdiff_t>(at(0, k, n)));
  }
  return result;
}

}  // namespace zervola::global
