#include "global/prescription.hpp"

#include <algorithm>
#include <cassert>

namespace zervola::global {

namespace {

// Last column that prescribe() scans for row k.
Index last_scanned_column(Index k, Index n, Index max_column_height) {
  return std::min(n, k + std::max<Index>(max_column_height, 1) - 1);
}

}  // namespace

void prescribe(const SkylineMatrix& K, Vector1<double> f, Index k, double x,
               Index max_column_height) {
  const SkylineProfile& p = K.profile();
  const Index n = K.n_equations();
  assert(k >= 1 && k <= n);

  // Column k above the diagonal.
  for (Index r = p.top(k); r < k; ++r) {
    double& entry = K(r, k);
    f(r) -= entry * x;
    entry = 0.0;
  }

  f(k) = K(k, k) * x;

  // Row k right of the diagonal, in the columns that reach it.
  const Index last = last_scanned_column(k, n, max_column_height);
  for (Index j = k + 1; j <= last; ++j) {
    if (!p.contains(k, j)) continue;
    double& entry = K(k, j);
    f(j) -= entry * x;
    entry = 0.0;
  }
}

Status prescription_status(Vector1<const HostInt> diag, Index k, Index profile_length,
                           Index max_column_height) {
  const Index n = diag.size();
  if (k < 1 || k > n) return failure(Outcome::bad_equation, k);
  const Index last = last_scanned_column(k, n, max_column_height);
  for (Index j = k; j <= last; ++j)
    if (!column_is_valid(diag, j, profile_length)) return failure(Outcome::bad_profile, j);
  return {};
}

}  // namespace zervola::global
