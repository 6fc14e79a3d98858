#include "global/case_substitution.hpp"

#include <cassert>

#include "global/block_kernels.hpp"

namespace zervola::global {

namespace {

// y(j, :) -= sum over i = top(j) .. j-1 of L(j, i) y(i, :), j ascending.
void forward_reduction(const SkylineMatrix& K, double* rows, Index width, BlockProducts products) {
  const SkylineProfile& p = K.profile();
  for (Index j = 2; j <= K.n_equations(); ++j) {
    const Index top = p.top(j);
    const double* stretch = K.column_from(top, j);
    BlockUpdate u;
    u.row = &stretch;
    u.rows = 1;
    u.panel = rows + (top - 1) * width;
    u.panel_step = width;
    u.panel_group_step = k_block_width;
    u.groups = width / k_block_width;
    u.length = j - top;
    u.out = rows + (j - 1) * width;
    u.out_step = width;
    u.out_group_step = k_block_width;
    products(u);
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

// u(i, :) -= L(j, i) u(j, :) for i = top(j) .. j-1, j descending: column j
// of L is read once for every case.
void back_substitution(const SkylineMatrix& K, double* rows, Index width, CaseRowUpdate update) {
  const SkylineProfile& p = K.profile();
  for (Index j = K.n_equations(); j >= 2; --j) {
    const Index top = p.top(j);
    update(K.column_from(top, j), j - top, rows + (j - 1) * width, rows + (top - 1) * width,
           width);
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
