// The blocked L D L^T factorisation. Notation as in ldlt_solver.hpp; g(i, j)
// is the reduced, not yet scaled entry of column j at row i, which the store
// holds between the reduction of that entry and the scaling of column j:
//
//   g(i, j) = K(i, j) - sum over r = max(top(i), top(j)) .. i-1 of L(i, r) g(r, j)
//   L(j, i) = g(i, j) / D(i),   D(j) = K(j, j) - sum over i < j of g(i, j) L(j, i)
//
// A panel is the columns p0 .. p1. Its rows i < p0 need only finished
// columns: for those rows the panel is a triangular solve with the unit
// lower factor, which runs on a copy of the panel by groups of 8 columns
// (each group's rows one after the other, row r holding g(r, j) for the
// group's j, zero above the column's top). The rows
// are taken in blocks of equations with nearly equal tops, and the source
// rows in chunks: a chunk first finishes its own rows, then is subtracted
// from every later row at once, while its rows of the copy stay in cache.
// The multipliers L(i, r) of a block are read straight from the columns of
// the store, where they lie contiguous. Then the panel's columns are scaled
// back into the store, its pairs i < j get their sums over the rows above
// the panel by the same kernel, and the panel's own rows go column by column.

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "global/block_kernels.hpp"
#include "global/column_kernels.hpp"
#include "global/ldlt_solver.hpp"

namespace zervola::global {

namespace {

// Equations whose tops differ by at most this many rows share a block; the
// rows that one holds above the block's common stretch are added one by one.
constexpr Index k_block_top_spread = 24;
// Alignment of the copy's rows, in doubles: one cache line.
constexpr Index k_row_alignment = 8;

Index round_up(Index value, Index multiple) { return (value + multiple - 1) / multiple * multiple; }

// Equations first .. last; common is the lowest-placed (largest) top among
// them, lowest the highest-placed (smallest).
struct Block {
  Index first = 0, last = 0, common = 0, lowest = 0;
};

// Consecutive blocks of at most k_block_rows equations covering first .. last.
std::vector<Block> make_blocks(const SkylineProfile& p, Index first, Index last) {
  std::vector<Block> blocks;
  for (Index i = first; i <= last;) {
    Block b{i, i, p.top(i), p.top(i)};
    while (b.last < last && b.last - b.first + 1 < k_block_rows &&
           std::abs(p.top(b.last + 1) - p.top(b.first)) <= k_block_top_spread) {
      ++b.last;
      b.common = std::max(b.common, p.top(b.last));
      b.lowest = std::min(b.lowest, p.top(b.last));
    }
    blocks.push_back(b);
    i = b.last + 1;
  }
  return blocks;
}

// The panel's rows top .. p0-1, by groups of k_block_width columns (panel
// columns p0 + g * k_block_width ..): each group holds its rows one after
// the other, k_block_width doubles per row, so that the kernel walks one
// contiguous stretch. group_top(g) is the smallest top in group g, above
// which the group's rows are zero.
class PanelRows {
 public:
  PanelRows(const SkylineMatrix& K, Index p0, Index p1, Index top, double* data)
      : top_(top), rows_(p0 - top), data_(data) {
    const SkylineProfile& p = K.profile();
    const Index groups = (p1 - p0) / k_block_width + 1;
    std::fill(data_, data_ + groups * rows_ * k_block_width, 0.0);
    for (Index j = p0; j <= p1; ++j) {
      const Index top_j = p.top(j);
      const Index group = (j - p0) / k_block_width;
      const Index column = (j - p0) % k_block_width;
      for (Index r = top_j; r < p0; ++r) at(r, group)[column] = K(r, j);
      const auto slot = static_cast<std::size_t>(group);
      if (group_tops_.size() <= slot) group_tops_.push_back(top_j);
      group_tops_[slot] = std::min(group_tops_[slot], top_j);
    }
  }

  // Row r of group g: k_block_width doubles, followed by row r + 1.
  [[nodiscard]] double* at(Index r, Index group) const {
    return data_ + (group * rows_ + (r - top_)) * k_block_width;
  }
  // The distance from a row of a group to the same row of the next group.
  [[nodiscard]] Index group_step() const { return rows_ * k_block_width; }
  // The first row of the copy, the panel's highest top.
  [[nodiscard]] Index top() const { return top_; }
  [[nodiscard]] Index groups() const { return static_cast<Index>(group_tops_.size()); }
  [[nodiscard]] Index group_top(Index group) const {
    return group_tops_[static_cast<std::size_t>(group)];
  }

 private:
  Index top_, rows_;
  double* data_;
  std::vector<Index> group_tops_;
};

// target[v] -= sum over r = first .. end-1 of L(i, r) * rows.at(r, group)[v],
// one source row at a time.
void subtract_rows(const SkylineMatrix& K, const PanelRows& rows, Index i, Index first, Index end,
                   Index group, double* target) {
  if (first >= end) return;
  double sum[k_block_width] = {};
  const double* const l = K.column_from(first, i);
  for (Index r = first; r < end; ++r) {
    const double* const source = rows.at(r, group);
    for (Index v = 0; v < k_block_width; ++v) sum[v] += l[r - first] * source[v];
  }
  for (Index v = 0; v < k_block_width; ++v) target[v] -= sum[v];
}

// Subtracts from out (the columns of group g0 + c of the block's row a at
// out + c * out_group_step + a * out_step) the sums over the source rows
// s0 .. s1-1 of L(i, r) times the rows of the groups g0 .. g1-1: the kernel
// over the rows that every equation of the block holds, for all the groups
// at once (from the highest of their tops: a group's rows above its own top
// are zero), then each equation's rows above that common stretch.
void subtract_block(const SkylineMatrix& K, BlockProducts products, const PanelRows& rows,
                    const Block& b, Index g0, Index g1, Index s0, Index s1, double* out,
                    Index out_step, Index out_group_step) {
  const SkylineProfile& p = K.profile();
  Index groups_top = rows.group_top(g0);
  for (Index group = g0 + 1; group < g1; ++group)
    groups_top = std::min(groups_top, rows.group_top(group));
  const Index start = std::max({s0, groups_top, b.common});
  if (start < s1) {
    const double* multipliers[k_block_rows];
    for (Index i = b.first; i <= b.last; ++i) multipliers[i - b.first] = K.column_from(start, i);
    BlockUpdate update;
    update.row = multipliers;
    update.rows = b.last - b.first + 1;
    update.panel = rows.at(start, g0);
    update.panel_step = k_block_width;
    update.panel_group_step = rows.group_step();
    update.groups = g1 - g0;
    update.length = s1 - start;
    update.out = out;
    update.out_step = out_step;
    update.out_group_step = out_group_step;
    products(update);
  }
  const Index head_end = std::min(b.common, s1);
  for (Index group = g0; group < g1; ++group) {
    const Index low = std::max(s0, rows.group_top(group));
    for (Index i = b.first; i <= b.last; ++i)
      subtract_rows(K, rows, i, std::max(low, p.top(i)), head_end, group,
                    out + (group - g0) * out_group_step + (i - b.first) * out_step);
  }
}

// The sources inside the block itself, row after row.
void finish_block(const SkylineMatrix& K, const PanelRows& rows, const Block& b, Index group) {
  const SkylineProfile& p = K.profile();
  const Index low = std::max(b.first, rows.group_top(group));
  for (Index i = b.first + 1; i <= b.last; ++i)
    subtract_rows(K, rows, i, std::max(low, p.top(i)), i, group, rows.at(i, group));
}

// g(i, j) for the rows i < p0 of the panel, in the copy.
void reduce_rows_above(const SkylineMatrix& K, BlockProducts products, const PanelRows& rows,
                       const std::vector<Block>& blocks, Index chunk_rows) {
  const Index groups = rows.groups();
  for (std::size_t c = 0; c < blocks.size();) {
    const Index c0 = blocks[c].first;
    std::size_t end = c;
    while (end < blocks.size() && blocks[end].first - c0 < chunk_rows) ++end;
    const Index c1 = blocks[end - 1].last + 1;
    for (std::size_t k = c; k < end; ++k) {
      subtract_block(K, products, rows, blocks[k], 0, groups, c0, blocks[k].first,
                     rows.at(blocks[k].first, 0), k_block_width, rows.group_step());
      for (Index group = 0; group < groups; ++group) finish_block(K, rows, blocks[k], group);
    }
    for (std::size_t k = end; k < blocks.size(); ++k) {
      if (blocks[k].lowest >= c1) continue;
      subtract_block(K, products, rows, blocks[k], 0, groups, c0, c1,
                     rows.at(blocks[k].first, 0), k_block_width, rows.group_step());
    }
    c = end;
  }
}

// L(j, r) = g(r, j) / D(r) into the store for the rows r < p0; returns per
// column the sum of g(r, j) L(j, r), its pivot's update from those rows.
// A group of columns at a time, so that each row of the copy is read once
// for the group. The pivots D(r), r = top .. p0-1, come gathered in
// `pivots`: in the store each lies in a column of its own, a page apart in
// a large profile.
std::vector<double> scale_rows_above(const SkylineMatrix& K, const PanelRows& rows, Index p0,
                                     Index p1, Index top, const std::vector<double>& pivots) {
  const SkylineProfile& p = K.profile();
  std::vector<double> update(static_cast<std::size_t>(p1 - p0 + 1), 0.0);
  for (Index group = 0; group < rows.groups(); ++group) {
    const Index first = p0 + group * k_block_width;
    const Index last = std::min(p1, first + k_block_width - 1);
    Index tops[k_block_width];
    double* columns[k_block_width];
    double sums[k_block_width] = {};
    for (Index j = first; j <= last; ++j) {
      tops[j - first] = p.top(j);
      columns[j - first] = K.column_from(tops[j - first], j);
    }
    for (Index r = rows.group_top(group); r < p0; ++r) {
      const double pivot = pivots[static_cast<std::size_t>(r - top)];
      const double* const g = rows.at(r, group);
      for (Index c = 0; c <= last - first; ++c)
        if (r >= tops[c]) {
          const double l = g[c] / pivot;
          columns[c][r - tops[c]] = l;
          sums[c] += g[c] * l;
        }
    }
    for (Index j = first; j <= last; ++j) update[static_cast<std::size_t>(j - p0)] = sums[j - first];
  }
  return update;
}

// The panel's pairs i < j: K(i, j) -= sum over r < p0 of L(i, r) g(r, j),
// the multipliers from the store (already scaled), g from the copy; the
// sums gather in rows of `step` doubles, one row per equation of the panel.
void reduce_panel_pairs(const SkylineMatrix& K, BlockProducts products, const PanelRows& rows,
                        Index p0, Index p1, Index step, std::vector<double>& sums) {
  const SkylineProfile& p = K.profile();
  std::fill(sums.begin(), sums.end(), 0.0);
  for (const Block& b : make_blocks(p, p0, p1 - 1)) {
    if (b.lowest >= p0) continue;
    // The groups holding a column j > b.first: the first such and all after.
    const Index g0 = (b.first - p0 + 1) / k_block_width;
    if (g0 < rows.groups())
      subtract_block(K, products, rows, b, g0, rows.groups(), rows.top(), p0,
                     sums.data() + (b.first - p0) * step + g0 * k_block_width, step,
                     k_block_width);
  }
  for (Index j = p0 + 1; j <= p1; ++j)
    for (Index i = std::max(p0, p.top(j)); i < j; ++i)
      K(i, j) += sums[static_cast<std::size_t>((i - p0) * step + (j - p0))];
}

// The panel's own rows, column by column, after the rows above.
void finish_panel(const SkylineMatrix& K, Index p0, Index p1, const std::vector<double>& update) {
  const SkylineProfile& p = K.profile();
  const Vector1<double> store = K.store();
  for (Index j = p0; j <= p1; ++j) {
    const Index top_j = p.top(j);
    const Index first = std::max(p0, top_j);
    for (Index i = first + 1; i < j; ++i) {
      const Index start = std::max({p.top(i), top_j, p0});
      if (start < i) K(i, j) -= dot(K.column_from(start, i), K.column_from(start, j), i - start);
    }
    double s = update[static_cast<std::size_t>(j - p0)];
    for (Index i = first; i < j; ++i) {
      const double g = K(i, j);
      const double l = g / store(p.diag(i));
      K(i, j) = l;
      s += g * l;
    }
    K(j, j) -= s;
  }
}

struct Scratch {
  std::vector<double> rows;    // the panel's rows above it, by groups of columns
  std::vector<double> sums;    // the panel's pairs, one row per equation
  std::vector<double> pivots;  // D(r) of the rows above the panel
  Index step = 0;

  // The copy's rows start on a cache line (a row of a group is one line).
  [[nodiscard]] double* aligned_rows() {
    const auto address = reinterpret_cast<std::uintptr_t>(rows.data());
    const auto line = static_cast<std::uintptr_t>(k_row_alignment * sizeof(double));
    return rows.data() + (line - address % line) % line / sizeof(double);
  }
};

void factorise_panel(const SkylineMatrix& K, BlockProducts products, Index p0, Index p1,
                     Index blocked_rows, Index chunk_rows, Scratch& scratch) {
  const SkylineProfile& p = K.profile();
  Index panel_top = p0;
  for (Index j = p0; j <= p1; ++j) panel_top = std::min(panel_top, p.top(j));
  if (p0 - panel_top < blocked_rows || p0 == panel_top) {
    for (Index j = p0; j <= p1; ++j) factorise_column(K, j);
    return;
  }
  const PanelRows rows(K, p0, p1, panel_top, scratch.aligned_rows());
  reduce_rows_above(K, products, rows, make_blocks(p, panel_top, p0 - 1), chunk_rows);
  for (Index r = panel_top; r < p0; ++r)
    scratch.pivots[static_cast<std::size_t>(r - panel_top)] = K(r, r);
  const std::vector<double> update = scale_rows_above(K, rows, p0, p1, panel_top, scratch.pivots);
  reduce_panel_pairs(K, products, rows, p0, p1, scratch.step, scratch.sums);
  finish_panel(K, p0, p1, update);
}

}  // namespace

void factorise_blocked(const SkylineMatrix& K, VectorPath path, Index panel_width,
                       Index blocked_rows, Index chunk_rows) {
  assert(panel_width >= 1 && chunk_rows >= 1 && path_available(path));
  const Index n = K.n_equations();
  if (n < 2) return;
  // No panel could reach blocked_rows rows above itself: a slender profile
  // goes column by column from the start, without scratch.
  if (K.profile().max_column_height() <= blocked_rows) {
    factorise_columns(K);
    return;
  }
  const BlockProducts products = block_products_for(path);
  Scratch scratch;
  scratch.step = round_up(panel_width, k_block_width);
  scratch.rows.resize(
      static_cast<std::size_t>(K.profile().max_column_height() * scratch.step + k_row_alignment));
  scratch.sums.resize(static_cast<std::size_t>(panel_width * scratch.step));
  scratch.pivots.resize(static_cast<std::size_t>(K.profile().max_column_height()));
  for (Index p0 = 1; p0 <= n; p0 += panel_width)
    factorise_panel(K, products, p0, std::min(n, p0 + panel_width - 1), blocked_rows, chunk_rows,
                    scratch);
}

}  // namespace zervola::global
