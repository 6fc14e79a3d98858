// The blocked L D L^T factorisation. Notation as in ldlt_solver.hpp; g(i, j)
// is the reduced, not yet scaled entry of column j at row i, which the store
// holds between the reduction of that entry and the scaling of column j:
//
//   g(i, j) = K(i, j) - sum over r = max(top(i), top(j)) .. i-1 of L(i, r) g(r, j)
//   L(j, i) = g(i, j) / D(i),   D(j) = K(j, j) - sum over i < j of g(i, j) L(j, i)
//
// A panel is the columns p0 .. p1. Its rows i < p0 need only finished
// columns: they are reduced by tiles of k_tile_rows rows (columns i) and
// k_tile_columns columns j, each tile as inner products over the rows that
// all its columns hold (the kernel), plus per pair the rows above that
// common stretch and the rows inside the tile. Then the panel's own rows.

#include <algorithm>
#include <array>
#include <cassert>
#include <cstdlib>
#include <vector>

#include "global/column_kernels.hpp"
#include "global/ldlt_solver.hpp"
#include "global/tile_kernels.hpp"

namespace zervola::global {

namespace {

// Columns whose tops differ by at most this many rows share a tile; the rows
// that one column holds above the others' common stretch go through dot().
constexpr Index k_tile_top_spread = 24;

// Last column of the tile that starts at column first: at most size columns,
// not beyond last, tops within k_tile_top_spread of the first column's.
Index tile_end(const SkylineProfile& p, Index first, Index last, Index size) {
  const Index top_first = p.top(first);
  Index end = first;
  while (end < last && end - first + 1 < size &&
         std::abs(p.top(end + 1) - top_first) <= k_tile_top_spread)
    ++end;
  return end;
}

struct Tile {
  Index first = 0, last = 0, highest_top = 0, lowest_top = 0;
};

Tile make_tile(const SkylineProfile& p, Index first, Index last) {
  Tile t{first, last, p.top(first), p.top(first)};
  for (Index c = first + 1; c <= last; ++c) {
    t.highest_top = std::max(t.highest_top, p.top(c));
    t.lowest_top = std::min(t.lowest_top, p.top(c));
  }
  return t;
}

// Rows rows.first .. rows.last (all < first column of the panel) of the
// columns of `columns`: g(i, j) for every stored pair.
void reduce_tile(const SkylineMatrix& K, TileProducts products, const Tile& rows,
                 const Tile& columns) {
  const SkylineProfile& p = K.profile();
  const Index i0 = rows.first;
  const Index common = std::max(rows.highest_top, columns.highest_top);
  std::array<double, k_tile_rows * k_tile_columns> sums;  // written by products() before use
  if (common < i0) {
    std::array<const double*, k_tile_rows> left{};
    std::array<const double*, k_tile_columns> right{};
    for (Index i = rows.first; i <= rows.last; ++i)
      left[static_cast<std::size_t>(i - i0)] = K.column_from(common, i);
    for (Index j = columns.first; j <= columns.last; ++j)
      right[static_cast<std::size_t>(j - columns.first)] = K.column_from(common, j);
    products(left.data(), rows.last - i0 + 1, right.data(), columns.last - columns.first + 1,
             i0 - common, sums.data());
  }
  for (Index i = rows.first; i <= rows.last; ++i) {
    const Index top_i = p.top(i);
    for (Index j = columns.first; j <= columns.last; ++j) {
      const Index top_j = p.top(j);
      if (i < top_j) continue;
      const Index start = std::max(top_i, top_j);
      double sum =
          common < i0
              ? sums[static_cast<std::size_t>((i - i0) * k_tile_columns + (j - columns.first))]
              : 0.0;
      const Index head_end =
          std::min(common, i0);  // rows start .. head_end-1 lie above the common stretch
      if (start < head_end)
        sum += dot(K.column_from(start, i), K.column_from(start, j), head_end - start);
      const Index inside = std::max(start, i0);  // rows inside the tile, already reduced
      if (inside < i) sum += dot(K.column_from(inside, i), K.column_from(inside, j), i - inside);
      K(i, j) -= sum;
    }
  }
}

// The panel's pairs i < j (rows of `rows`, columns of `columns`, all in the
// panel p0 ..) over the rows r < p0, with L(i, r) taken from the scratch
// copy of column i (which starts at its top) and g(r, j) from the store.
void reduce_panel_tile(const SkylineMatrix& K, TileProducts products, const Tile& rows,
                       const Tile& columns, Index p0, const std::vector<double>& scratch,
                       const std::vector<Index>& offset) {
  const SkylineProfile& p = K.profile();
  auto scaled = [&](Index r, Index i) {
    return scratch.data() + offset[static_cast<std::size_t>(i - p0)] + (r - p.top(i));
  };
  const Index common = std::max(rows.highest_top, columns.highest_top);
  std::array<double, k_tile_rows * k_tile_columns> sums;  // written by products() before use
  if (common < p0) {
    std::array<const double*, k_tile_rows> left{};
    std::array<const double*, k_tile_columns> right{};
    for (Index i = rows.first; i <= rows.last; ++i)
      left[static_cast<std::size_t>(i - rows.first)] = scaled(common, i);
    for (Index j = columns.first; j <= columns.last; ++j)
      right[static_cast<std::size_t>(j - columns.first)] = K.column_from(common, j);
    products(left.data(), rows.last - rows.first + 1, right.data(),
             columns.last - columns.first + 1, p0 - common, sums.data());
  }
  for (Index i = rows.first; i <= rows.last; ++i)
    for (Index j = std::max(columns.first, i + 1); j <= columns.last; ++j) {
      const Index top_j = p.top(j);
      if (i < top_j) continue;
      const Index start = std::max(p.top(i), top_j);
      if (start >= p0) continue;
      double sum = common < p0 ? sums[static_cast<std::size_t>((i - rows.first) * k_tile_columns +
                                                               (j - columns.first))]
                               : 0.0;
      const Index head_end = std::min(common, p0);
      if (start < head_end) sum += dot(scaled(start, i), K.column_from(start, j), head_end - start);
      K(i, j) -= sum;
    }
}

// The panel's rows i < p0, then its own rows; scratch holds the panel's
// columns above p0 scaled, L(j, r), until the panel's pairs have used g.
void factorise_panel(const SkylineMatrix& K, TileProducts products, Index p0, Index p1,
                     Index tiled_rows, std::vector<double>& scratch) {
  const SkylineProfile& p = K.profile();
  const Vector1<double> store = K.store();
  Index panel_top = p0;
  for (Index j = p0; j <= p1; ++j) panel_top = std::min(panel_top, p.top(j));
  if (p0 - panel_top < tiled_rows) {
    for (Index j = p0; j <= p1; ++j) factorise_column(K, j);
    return;
  }

  // Rows above the panel, by tiles: a tile of rows meets every tile of columns.
  std::vector<Tile> column_tiles;
  for (Index j = p0; j <= p1;) {
    const Index end = tile_end(p, j, p1, k_tile_columns);
    column_tiles.push_back(make_tile(p, j, end));
    j = end + 1;
  }
  for (Index i = panel_top; i < p0;) {
    const Tile rows = make_tile(p, i, tile_end(p, i, p0 - 1, k_tile_rows));
    for (const Tile& columns : column_tiles)
      if (rows.last >= columns.lowest_top) reduce_tile(K, products, rows, columns);
    i = rows.last + 1;
  }

  // Scale the rows above the panel into scratch. The pivots of those rows
  // are gathered first, at the end of scratch, so that the divisions run
  // over contiguous stretches.
  const Index above = p0 - panel_top;
  double* const pivots = scratch.data() + (static_cast<Index>(scratch.size()) - above);
  for (Index r = panel_top; r < p0; ++r) pivots[r - panel_top] = store(p.diag(r));
  std::vector<Index> offset(static_cast<std::size_t>(p1 - p0 + 2), 0);
  std::vector<double> diagonal_update(static_cast<std::size_t>(p1 - p0 + 1), 0.0);
  for (Index j = p0; j <= p1; ++j) {
    const Index top_j = p.top(j);
    const std::size_t slot = static_cast<std::size_t>(j - p0);
    const Index count = std::max<Index>(0, p0 - top_j);
    double* const l = scratch.data() + offset[slot];
    offset[slot + 1] = offset[slot] + count;
    if (count == 0) continue;
    const double* const g = K.column_from(top_j, j);
    const double* const d = pivots + (top_j - panel_top);
    for (Index k = 0; k < count; ++k) l[k] = g[k] / d[k];
    diagonal_update[slot] = dot(g, l, count);
  }
  // The panel's pairs i < j over the rows above the panel, by tiles, with
  // L(i, r) from scratch on the left.
  for (Index i = p0; i < p1;) {
    const Tile rows = make_tile(p, i, tile_end(p, i, p1 - 1, k_tile_rows));
    for (const Tile& columns : column_tiles)
      if (columns.last > rows.first)
        reduce_panel_tile(K, products, rows, columns, p0, scratch, offset);
    i = rows.last + 1;
  }
  for (Index j = p0; j <= p1; ++j) {
    const std::size_t slot = static_cast<std::size_t>(j - p0);
    if (offset[slot + 1] > offset[slot])
      std::copy(scratch.data() + offset[slot], scratch.data() + offset[slot + 1],
                K.column_from(p.top(j), j));
  }
  // The panel's own rows, column by column.
  for (Index j = p0; j <= p1; ++j) {
    const Index top_j = p.top(j);
    const Index first = std::max(p0, top_j);
    for (Index i = first + 1; i < j; ++i) {
      const Index start = std::max({p.top(i), top_j, p0});
      if (start < i) K(i, j) -= dot(K.column_from(start, i), K.column_from(start, j), i - start);
    }
    double s = diagonal_update[static_cast<std::size_t>(j - p0)];
    for (Index i = first; i < j; ++i) {
      const double g = K(i, j);
      const double l = g / store(p.diag(i));
      K(i, j) = l;
      s += g * l;
    }
    K(j, j) -= s;
  }
}

}  // namespace

void factorise_blocked(const SkylineMatrix& K, VectorPath path, Index panel_width,
                       Index tiled_rows) {
  assert(panel_width >= 1 && path_available(path));
  const Index n = K.n_equations();
  if (n < 2) return;
  const TileProducts products = tile_products_for(path);
  // The panel's scaled columns above it, then the pivots of those rows.
  std::vector<double> scratch(
      static_cast<std::size_t>((panel_width + 1) * K.profile().max_column_height()));
  for (Index p0 = 1; p0 <= n; p0 += panel_width)
    factorise_panel(K, products, p0, std::min(n, p0 + panel_width - 1), tiled_rows, scratch);
}

}  // namespace zervola::global
