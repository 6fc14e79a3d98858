#include "global/ldlt_solver.hpp"

#include <algorithm>
#include <cassert>

#include "global/column_kernels.hpp"

namespace zervola::global {

namespace {

// Column j, rows top(j)+1 .. j-1: K(i, j) -= sum over r of K(r, i) K(r, j),
// r = max(top(i), top(j)) .. i-1.
void reduce_column(const SkylineMatrix& K, Index j, Index top_j, double* column_j) {
  const SkylineProfile& p = K.profile();
  for (Index i = top_j + 1; i < j; ++i) {
    const Index first = std::max(p.top(i), top_j);
    const Index count = i - first;
    if (count > 0)
      column_j[i - top_j] -= dot(K.column_from(first, i), column_j + (first - top_j), count);
  }
}

// Column j, rows top(j) .. j-1: K(i, j) <- K(i, j) / D(i), and
// D(j) = K(j, j) - sum of K(i, j)^2 / D(i).
void scale_column(const SkylineMatrix& K, Index j, Index top_j, double* column_j) {
  const SkylineProfile& p = K.profile();
  const Vector1<double> store = K.store();
  double s = 0.0;
  for (Index i = top_j; i < j; ++i) {
    const double g = column_j[i - top_j];
    const double l = g / store(p.diag(i));
    column_j[i - top_j] = l;
    s += g * l;
  }
  column_j[j - top_j] -= s;
}

}  // namespace

void factorise_column(const SkylineMatrix& K, Index j) {
  const Index top_j = K.profile().top(j);
  assert(top_j < j || j == 1);
  double* column_j = K.column_from(top_j, j);
  reduce_column(K, j, top_j, column_j);
  scale_column(K, j, top_j, column_j);
}

void factorise_columns(const SkylineMatrix& K) {
  const Index n = K.n_equations();
  for (Index j = 2; j <= n; ++j) factorise_column(K, j);
}

void factorise(const SkylineMatrix& K) { factorise_blocked(K, best_vector_path()); }

void substitute(const SkylineMatrix& K, Vector1<double> f) {
  const SkylineProfile& p = K.profile();
  const Index n = K.n_equations();
  assert(f.size() >= n);
  for (Index j = 2; j <= n; ++j) {
    const Index top_j = p.top(j);
    const Index count = j - top_j;
    f(j) -= dot(K.column_from(top_j, j), f.slice(top_j, count).data(), count);
  }
  const Vector1<double> store = K.store();
  for (Index j = 1; j <= n; ++j) f(j) /= store(p.diag(j));
  for (Index j = n; j >= 2; --j) {
    const Index top_j = p.top(j);
    const Index count = j - top_j;
    subtract_multiple(f.slice(top_j, count).data(), K.column_from(top_j, j), f(j), count);
  }
}

void solve(const SkylineMatrix& K, Vector1<double> f) {
  factorise(K);
  substitute(K, f);
}

}  // namespace zervola::global
