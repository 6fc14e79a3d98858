#include "global/supernodal/frontal_factorisation.hpp"

#include <algorithm>

namespace zervola::global::supernodal {

namespace {

constexpr Index k_group = k_block_width;

// out(i .. i + rows - 1, groups of 8 from `out_column`) -= F(rows, from ..
// from + length - 1) times the packed multipliers, rows i .. last - 1 in
// blocks of k_block_rows; `groups_for(i, rows)` says how many groups a block
// reaches.
template <class GroupsFor>
void subtract_block(double* F, Index stride, Index first_row, Index last_row, Index from,
                    Index length, const double* packed, Index packed_group_step, Index out_column,
                    GroupsFor groups_for, BlockProducts products) {
  const double* row[k_block_rows];
  for (Index i = first_row; i < last_row; i += k_block_rows) {
    const Index rows = std::min(k_block_rows, last_row - i);
    const Index groups = groups_for(i, rows);
    if (groups <= 0) continue;
    for (Index a = 0; a < rows; ++a) row[a] = F + (i + a) * stride + from;
    BlockUpdate u;
    u.row = row;
    u.rows = rows;
    u.panel = packed;
    u.panel_step = k_group;
    u.panel_group_step = packed_group_step;
    u.groups = groups;
    u.length = length;
    u.out = F + i * stride + out_column;
    u.out_step = stride;
    u.out_group_step = k_group;
    products(u);
  }
}

// packed[g * length * 8 + k * 8 + v] = D(from + k) L(first + 8 g + v, from + k)
// for columns first .. last - 1 (zero past last).
void pack_multipliers(const double* F, Index stride, Index from, Index length, Index first,
                      Index last, double* packed) {
  const Index groups = (last - first + k_group - 1) / k_group;
  for (Index g = 0; g < groups; ++g) {
    double* out = packed + g * length * k_group;
    for (Index v = 0; v < k_group; ++v) {
      const Index j = first + g * k_group + v;
      if (j >= last) {
        for (Index k = 0; k < length; ++k) out[k * k_group + v] = 0.0;
        continue;
      }
      const double* l = F + j * stride + from;
      for (Index k = 0; k < length; ++k) {
        const Index c = from + k;
        out[k * k_group + v] = F[c * stride + c] * l[k];
      }
    }
  }
}

// The group of columns p .. p + width - 1, whose earlier columns of the
// block are already subtracted: column by column, its pivot, then its
// multipliers in every row below.
Index finish_group(double* F, Index size, Index stride, Index p, Index width) {
  Index negative = 0;
  for (Index v = 0; v < width; ++v) {
    const Index c = p + v;
    double* row_c = F + c * stride;
    double d = row_c[c];
    for (Index u = 0; u < v; ++u) d -= row_c[p + u] * F[(p + u) * stride + p + u] * row_c[p + u];
    row_c[c] = d;
    if (d < 0.0) ++negative;
    double scaled[k_group];
    for (Index u = 0; u < v; ++u) scaled[u] = F[(p + u) * stride + p + u] * row_c[p + u];
    for (Index i = c + 1; i < size; ++i) {
      double* row_i = F + i * stride;
      double g = row_i[c];
      for (Index u = 0; u < v; ++u) g -= row_i[p + u] * scaled[u];
      row_i[c] = g / d;
    }
  }
  return negative;
}

}  // namespace

Index factorise_front(double* F, Index size, Index stride, Index columns, BlockProducts products,
                      const TaskRunner& runner) {
  Index negative = 0;
  std::vector<double> panel(static_cast<std::size_t>(k_front_block * k_group));
  std::vector<double> trailing;
  for (Index k0 = 0; k0 < columns; k0 += k_front_block) {
    const Index k1 = std::min(columns, k0 + k_front_block);
    for (Index p = k0; p < k1; p += k_group) {
      const Index width = std::min(k_group, k1 - p);
      if (p > k0) {
        pack_multipliers(F, stride, k0, p - k0, p, p + width, panel.data());
        subtract_block(F, stride, p, size, k0, p - k0, panel.data(), 0, p,
                       [](Index, Index) { return Index{1}; }, products);
      }
      negative += finish_group(F, size, stride, p, width);
    }
    if (k1 >= size) continue;
    // The trailing matrix: rows and columns k1 .. size - 1, lower part.
    const Index length = k1 - k0;
    const Index groups = (size - k1 + k_group - 1) / k_group;
    trailing.resize(static_cast<std::size_t>(groups * length * k_group));
    pack_multipliers(F, stride, k0, length, k1, size, trailing.data());
    const Index chunk_groups = k_trailing_chunk / k_group;
    const Index chunks = (groups + chunk_groups - 1) / chunk_groups;
    runner.run(chunks, [&](Index chunk) {
      const Index g0 = chunk * chunk_groups;
      const Index g1 = std::min(groups, g0 + chunk_groups);
      const Index first_column = k1 + g0 * k_group;
      subtract_block(F, stride, first_column, size, k0, length,
                     trailing.data() + g0 * length * k_group, length * k_group, first_column,
                     [&](Index i, Index rows) {
                       return std::min(g1 - g0, (i + rows - 1 - first_column) / k_group + 1);
                     },
                     products);
    });
  }
  return negative;
}

}  // namespace zervola::global::supernodal
