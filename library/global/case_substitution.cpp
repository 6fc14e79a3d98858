#include "global/case_substitution.hpp"

#include <algorithm>
#include <cassert>

#include "global/block_kernels.hpp"

namespace zervola::global {

namespace {

// y(j + a, :) -= sum over k = first .. last - 1 of L(j + a, k) y(k, :) for
// a < count: one kernel call, each multiplier broadcast against every case.
void subtract_rows(const SkylineMatrix& K, double* rows, Index width, BlockProducts products,
                   Index j, Index count, Index first, Index last) {
  if (last <= first) return;
  const double* stretch[k_block_rows];
  for (Index a = 0; a < count; ++a) stretch[a] = K.column_from(first, j + a);
  BlockUpdate u;
  u.row = stretch;
  u.rows = count;
  u.panel = rows + (first - 1) * width;
  u.panel_step = width;
  u.panel_group_step = k_block_width;
  u.groups = width / k_block_width;
  u.length = last - first;
  u.out = rows + (j - 1) * width;
  u.out_step = width;
  u.out_group_step = k_block_width;
  products(u);
}

// y(j, :) -= sum over i = top(j) .. j-1 of L(j, i) y(i, :), j ascending, in
// blocks of up to k_block_rows equations: the rows above the block that all
// of its columns reach go through the kernel together; each equation's own
// rows above those, and the block's triangle, one equation at a time.
void forward_reduction(const SkylineMatrix& K, double* rows, Index width, BlockProducts products) {
  const SkylineProfile& p = K.profile();
  const Index n = K.n_equations();
  for (Index j = 1; j <= n; j += k_block_rows) {
    const Index count = std::min(k_block_rows, n - j + 1);
    Index common = 1;
    for (Index a = 0; a < count; ++a) common = std::max(common, p.top(j + a));
    common = std::min(common, j);
    subtract_rows(K, rows, width, products, j, count, common, j);
    for (Index a = 0; a < count; ++a) {
      const Index e = j + a;
      const Index top = p.top(e);
      subtract_rows(K, rows, width, products, e, 1, top, std::min(common, e));
      subtract_rows(K, rows, width, products, e, 1, std::max(top, j), e);
    }
  }
}

void divide_by_pivots(const SkylineMatrix& K, double* rows, Index width) {
  const SkylineProfile& p = K.profile();
  const Vector1<double> store = K.store();
  for (Index j = 1; j <= K.n_equations(); ++j) {
    const double pivot = store(p.diag(j));
    double* row = rows + (j - 1) * width;
    for (Index c = 0; c < width; ++c) row[c] /= pivot;
  }
}

// u(i, :) -= L(e, i) u(e, :) for i = first .. last - 1, for the count
// columns e = j, j - 1, .. in that order, whose rows of u are final.
void update_rows(const SkylineMatrix& K, double* rows, Index width, CaseRowUpdate update, Index j,
                 Index count, Index first, Index last) {
  if (last <= first) return;
  const double* column[k_block_rows];
  const double* done[k_block_rows];
  for (Index a = 0; a < count; ++a) {
    column[a] = K.column_from(first, j - a);
    done[a] = rows + (j - a - 1) * width;
  }
  update(column, count, last - first, done, rows + (first - 1) * width, width);
}

// u(i, :) -= L(j, i) u(j, :) for i = top(j) .. j-1, j descending, in blocks
// of up to k_block_rows columns: first the block's own triangle column by
// column, which leaves the block's rows final; then the rows above the
// block that all of its columns reach, read and written once for the whole
// block; then each column's own rows above those.
void back_substitution(const SkylineMatrix& K, double* rows, Index width, CaseRowUpdate update) {
  const SkylineProfile& p = K.profile();
  for (Index last = K.n_equations(); last >= 1; last -= k_block_rows) {
    const Index first = std::max<Index>(1, last - k_block_rows + 1);
    for (Index e = last; e > first; --e)
      update_rows(K, rows, width, update, e, 1, std::max(p.top(e), first), e);
    Index common = 1;
    for (Index e = first; e <= last; ++e) common = std::max(common, p.top(e));
    common = std::min(common, first);
    update_rows(K, rows, width, update, last, last - first + 1, common, first);
    for (Index e = last; e >= first; --e)
      update_rows(K, rows, width, update, e, 1, p.top(e), std::min(common, e));
  }
}

}  // namespace

void substitute_cases(const SkylineMatrix& K, double* rows, Index width, VectorPath path) {
  assert(width > 0 && width % k_block_width == 0 && width <= k_cases_per_pass);
  assert(path_available(path));
  forward_reduction(K, rows, width, block_products_for(path));
  divide_by_pivots(K, rows, width);
  back_substitution(K, rows, width, case_row_update_for(path));
}

void substitute_cases(const SkylineMatrix& K, double* rows, Index width) {
  substitute_cases(K, rows, width, best_vector_path());
}

}  // namespace zervola::global
