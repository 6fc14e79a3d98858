#include "global/supernodal/frontal_factorisation.hpp"

#include <algorithm>
#include <vector>

namespace zervola::global::supernodal {

namespace {

constexpr Index k_group = k_block_width;

// A region of the front that one product writes: rows by their pointers,
// each `width` columns wide from its first; the kernel writes whole groups,
// so a last group narrower than k_group goes through `spare` when the
// region's rows may not be written past their width.
struct Target {
  double* first = nullptr;  // (row 0, column 0) of the region
  Index step = 0;           // between rows
  Index width = 0;          // columns of the region
  bool padded = false;      // rows may be written up to a whole last group
};

// target(i .., j ..) -= A(i, from .. from + length - 1) * packed, for rows
// first_row .. last_row - 1 of the front (A's rows, L's) in blocks of
// k_block_rows, target rows counted from target_row0; `groups_for(i, rows)`
// says how many groups (from column group0 of the target) a block reaches.
template <class GroupsFor>
void subtract_block(const FrontView& f, Index first_row, Index last_row, Index from, Index length,
                    const double* packed, Index packed_group_step, const Target& t,
                    Index target_row0, Index group0, GroupsFor groups_for, BlockProducts products) {
  const double* row[k_block_rows];
  double spare[k_block_rows * k_group];
  const Index groups_in_width = (t.width + k_group - 1) / k_group;
  for (Index i = first_row; i < last_row; i += k_block_rows) {
    const Index rows = std::min(k_block_rows, last_row - i);
    Index groups = groups_for(i, rows);
    if (groups <= 0) continue;
    for (Index a = 0; a < rows; ++a) row[a] = f.L + (i + a) * f.columns + from;
    BlockUpdate u;
    u.row = row;
    u.rows = rows;
    u.panel = packed;
    u.panel_step = k_group;
    u.panel_group_step = packed_group_step;
    u.length = length;
    u.out_step = t.step;
    u.out_group_step = k_group;
    double* out = t.first + (i - target_row0) * t.step + (group0 * k_group);
    const Index last_width = t.width - (group0 + groups - 1) * k_group;
    const bool narrow_last = !t.padded && group0 + groups == groups_in_width && last_width < k_group;
    if (narrow_last) --groups;
    if (groups > 0) {
      u.groups = groups;
      u.out = out;
      products(u);
    }
    if (narrow_last) {
      std::fill(spare, spare + k_block_rows * k_group, 0.0);
      u.groups = 1;
      u.panel = packed + groups * packed_group_step;
      u.out = spare;
      u.out_step = k_group;
      products(u);
      double* last = out + groups * k_group;
      for (Index a = 0; a < rows; ++a)
        for (Index v = 0; v < last_width; ++v) last[a * t.step + v] += spare[a * k_group + v];
    }
  }
}

// packed[g * length * 8 + k * 8 + v] = D(from + k) L(first + 8 g + v, from + k)
// for rows first .. last - 1 of L (zero past last).
void pack_multipliers(const FrontView& f, Index from, Index length, Index first, Index last,
                      double* packed) {
  const Index groups = (last - first + k_group - 1) / k_group;
  for (Index g = 0; g < groups; ++g) {
    double* out = packed + g * length * k_group;
    for (Index v = 0; v < k_group; ++v) {
      const Index j = first + g * k_group + v;
      if (j >= last) {
        for (Index k = 0; k < length; ++k) out[k * k_group + v] = 0.0;
        continue;
      }
      const double* l = f.L + j * f.columns + from;
      for (Index k = 0; k < length; ++k) {
        const Index c = from + k;
        out[k * k_group + v] = f.L[c * f.columns + c] * l[k];
      }
    }
  }
}

// The group of columns p .. p + width - 1, whose earlier columns of the
// block are already subtracted: column by column, its pivot, then its
// multipliers in every row below.
Index finish_group(const FrontView& f, Index p, Index width) {
  Index negative = 0;
  const Index n = f.columns;
  for (Index v = 0; v < width; ++v) {
    const Index c = p + v;
    double* row_c = f.L + c * n;
    double d = row_c[c];
    for (Index u = 0; u < v; ++u) d -= row_c[p + u] * f.L[(p + u) * n + p + u] * row_c[p + u];
    row_c[c] = d;
    if (d < 0.0) ++negative;
    double scaled[k_group];
    for (Index u = 0; u < v; ++u) scaled[u] = f.L[(p + u) * n + p + u] * row_c[p + u];
    for (Index i = c + 1; i < f.size; ++i) {
      double* row_i = f.L + i * n;
      double g = row_i[c];
      for (Index u = 0; u < v; ++u) g -= row_i[p + u] * scaled[u];
      row_i[c] = g / d;
    }
  }
  return negative;
}

}  // namespace

Index factorise_front(const FrontView& f, BlockProducts products, const TaskRunner& runner) {
  Index negative = 0;
  const Index columns = f.columns, size = f.size;
  std::vector<double> panel(static_cast<std::size_t>(k_front_block * k_group));
  std::vector<double> own_packed, update_packed;
  const Target update{f.U, f.u_stride, size - columns, true};
  for (Index k0 = 0; k0 < columns; k0 += k_front_block) {
    const Index k1 = std::min(columns, k0 + k_front_block);
    for (Index p = k0; p < k1; p += k_group) {
      const Index width = std::min(k_group, k1 - p);
      if (p > k0) {
        pack_multipliers(f, k0, p - k0, p, p + width, panel.data());
        // The group's columns p .. p + width - 1 of every row from p.
        const Target group{f.L + p, columns, std::min(k_group, columns - p), false};
        subtract_block(f, p, size, k0, p - k0, panel.data(), 0, group, 0, 0,
                       [](Index, Index) { return Index{1}; }, products);
      }
      negative += finish_group(f, p, width);
    }
    if (k1 >= size) continue;
    // The trailing matrix, lower part: its columns k1 .. columns - 1 in L
    // (every row from k1), then its columns from `columns` on in U.
    const Index length = k1 - k0;
    const Index own_groups = (columns - k1 + k_group - 1) / k_group;
    const Index update_groups = (size - columns + k_group - 1) / k_group;
    own_packed.resize(static_cast<std::size_t>(own_groups * length * k_group));
    update_packed.resize(static_cast<std::size_t>(update_groups * length * k_group));
    if (own_groups > 0) pack_multipliers(f, k0, length, k1, columns, own_packed.data());
    pack_multipliers(f, k0, length, columns, size, update_packed.data());
    const Index chunk_groups = k_trailing_chunk / k_group;
    const Index own_chunks = (own_groups + chunk_groups - 1) / chunk_groups;
    const Index update_chunks = (update_groups + chunk_groups - 1) / chunk_groups;
    const Target rest_of_own{f.L + k1, columns, columns - k1, false};
    runner.run(own_chunks + update_chunks, [&](Index chunk) {
      const bool in_own = chunk < own_chunks;
      const Index g0 = (in_own ? chunk : chunk - own_chunks) * chunk_groups;
      const Index g1 = std::min(in_own ? own_groups : update_groups, g0 + chunk_groups);
      // The region's first column and its first row that reaches it.
      const Index origin = in_own ? k1 : columns;
      const Index first_column = origin + g0 * k_group;
      const auto groups_for = [&](Index i, Index rows) {
        return std::min(g1 - g0, (i + rows - 1 - first_column) / k_group + 1);
      };
      if (in_own) {
        subtract_block(f, first_column, size, k0, length, own_packed.data() + g0 * length * k_group,
                       length * k_group, rest_of_own, 0, g0, groups_for, products);
      } else {
        subtract_block(f, first_column, size, k0, length,
                       update_packed.data() + g0 * length * k_group, length * k_group, update,
                       columns, g0, groups_for, products);
      }
    });
  }
  return negative;
}

}  // namespace zervola::global::supernodal
