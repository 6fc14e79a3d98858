#include "global/supernodal/supernodal_substitution.hpp"

#include <algorithm>

#include "global/block_kernels.hpp"

namespace zervola::global::supernodal {

namespace {

constexpr Index k_dofs = k_node_dofs;

// out rows (count of them, `width` apart) -= L(rows of the factor block,
// 0 .. length - 1) times rows `from` .. from + length - 1 of x.
void subtract_products(BlockProducts products, const double* const* l_rows, Index count,
                       Index length, const double* from, double* out, Index width) {
  if (length <= 0) return;
  BlockUpdate u;
  u.row = l_rows;
  u.rows = count;
  u.panel = from;
  u.panel_step = width;
  u.panel_group_step = k_block_width;
  u.groups = width / k_block_width;
  u.length = length;
  u.out = out;
  u.out_step = width;
  u.out_group_step = k_block_width;
  products(u);
}

void forward(const SupernodalFactor& f, double* x, Index width, BlockProducts products) {
  const SupernodePartition& p = f.partition();
  const double* l_rows[k_block_rows];
  for (Index s = 0; s < p.n_supernodes(); ++s) {
    const Index columns = f.columns(s);
    const Index e0 = k_dofs * p.first_node[static_cast<std::size_t>(s)];
    const double* L = f.block(s);
    double* own = x + e0 * width;
    // The supernode's own triangle, six rows at a time: the rows above
    // them through the kernel, then the six's own small triangle.
    for (Index r = 0; r < columns; r += k_block_rows) {
      const Index count = std::min(k_block_rows, columns - r);
      for (Index a = 0; a < count; ++a) l_rows[a] = L + (r + a) * columns;
      subtract_products(products, l_rows, count, r, own, own + r * width, width);
      for (Index a = 1; a < count; ++a)
        for (Index u = 0; u < a; ++u) {
          const double l = L[(r + a) * columns + r + u];
          const double* done = own + (r + u) * width;
          double* out = own + (r + a) * width;
          for (Index c = 0; c < width; ++c) out[c] -= l * done[c];
        }
    }
    // The rows below, a node at a time.
    const Index* rows = p.rows.data() + p.first_row[static_cast<std::size_t>(s)];
    for (Index t = 0; t < p.row_nodes(s); ++t) {
      for (Index a = 0; a < k_dofs; ++a) l_rows[a] = L + (columns + k_dofs * t + a) * columns;
      subtract_products(products, l_rows, k_dofs, columns, own, x + k_dofs * rows[t] * width, width);
    }
  }
}

void divide_by_pivots(const SupernodalFactor& f, double* x, Index width) {
  const SupernodePartition& p = f.partition();
  for (Index s = 0; s < p.n_supernodes(); ++s) {
    const Index columns = f.columns(s);
    const Index e0 = k_dofs * p.first_node[static_cast<std::size_t>(s)];
    const double* L = f.block(s);
    for (Index k = 0; k < columns; ++k) {
      const double d = L[k * columns + k];
      double* row = x + (e0 + k) * width;
      for (Index c = 0; c < width; ++c) row[c] /= d;
    }
  }
}

void back(const SupernodalFactor& f, double* x, Index width, CaseRowUpdate update) {
  const SupernodePartition& p = f.partition();
  const double* column[k_block_rows];
  const double* done[k_block_rows];
  for (Index s = p.n_supernodes() - 1; s >= 0; --s) {
    const Index columns = f.columns(s);
    const Index e0 = k_dofs * p.first_node[static_cast<std::size_t>(s)];
    const double* L = f.block(s);
    double* own = x + e0 * width;
    const Index* rows = p.rows.data() + p.first_row[static_cast<std::size_t>(s)];
    for (Index t = 0; t < p.row_nodes(s); ++t) {
      for (Index a = 0; a < k_dofs; ++a) {
        column[a] = L + (columns + k_dofs * t + a) * columns;
        done[a] = x + (k_dofs * rows[t] + a) * width;
      }
      update(column, k_dofs, columns, done, own, width);
    }
    // The own triangle from its last six rows up: their small triangle,
    // then what they take from every row above them.
    const Index last_start = (columns - 1) / k_block_rows * k_block_rows;
    for (Index r = last_start; r >= 0; r -= k_block_rows) {
      const Index count = std::min(k_block_rows, columns - r);
      for (Index a = count - 2; a >= 0; --a)
        for (Index u = a + 1; u < count; ++u) {
          const double l = L[(r + u) * columns + r + a];
          const double* from = own + (r + u) * width;
          double* out = own + (r + a) * width;
          for (Index c = 0; c < width; ++c) out[c] -= l * from[c];
        }
      if (r == 0) break;
      for (Index a = 0; a < count; ++a) {
        column[a] = L + (r + a) * columns;
        done[a] = own + (r + a) * width;
      }
      update(column, count, r, done, own, width);
    }
  }
}

}  // namespace

void substitute(const SupernodalFactor& factor, double* rows, Index width, VectorPath path) {
  forward(factor, rows, width, block_products_for(path));
  divide_by_pivots(factor, rows, width);
  back(factor, rows, width, case_row_update_for(path));
}

void back_substitute(const SupernodalFactor& factor, double* rows, Index width, VectorPath path) {
  back(factor, rows, width, case_row_update_for(path));
}

}  // namespace zervola::global::supernodal
