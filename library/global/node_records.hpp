#pragma once

// The node-record table: supports, springs and loads, 8 doubles per record,
// records numbered from 0. Field 1 is the record code, field 2 the first
// equation R on which the record acts, fields 3..8 the values p1..p6. Codes
// and R are whole numbers held as doubles and are truncated toward zero.
//
//   code  stiffness pass                     prescription pass
//   113   -                                  u(R..R+2) = p1..p3
//   114   spring terms                       u(R..R+2) = p1..p3
//   116   -                                  u(R..R+5) = p1..p6
//   213   spring terms                       -
//   214   f(R..R+2) += p1..p3                -
//   246   spring terms                       -
//   other -                                  -
//
// Spring terms: K(R+a, R+b) += p(1+a) p(1+b) and K(R+3+a, R+3+b) +=
// p(4+a) p(4+b) for 0 <= a <= b <= 2.

#include <array>

#include "common/index.hpp"
#include "common/one_based.hpp"
#include "global/skyline_profile.hpp"
#include "global/status.hpp"

namespace zervola::global {

inline constexpr Index k_record_fields = 8;

// Record codes of the host's table.
enum class RecordCode : Index {
  prescribed_translations = 113,
  spring_and_prescribed_translations = 114,
  prescribed_node = 116,
  spring = 213,
  load = 214,
  spring_246 = 246,
};

// What a record does, once its code is read.
enum class RecordKind {
  ignored,
  prescribed_translations,             // 113
  spring_and_prescribed_translations,  // 114
  prescribed_node,                     // 116
  spring,                              // 213, 246
  load,                                // 214
};

struct NodeRecord {
  RecordKind kind = RecordKind::ignored;
  Index first_equation = 0;  // R; meaningful for a record that acts
  std::array<double, 6> p{};

  [[nodiscard]] bool adds_spring() const {
    return kind == RecordKind::spring || kind == RecordKind::spring_and_prescribed_translations;
  }
  // Number of equations R .. R + n - 1 that the prescription pass sets (0: none).
  [[nodiscard]] Index prescribed_count() const;
  // Number of equations R .. R + n - 1 the record touches in any pass.
  [[nodiscard]] Index span() const;
};

// The host's table, (8, n_records + 1).
class NodeRecordTable {
 public:
  NodeRecordTable() = default;
  // last_record: the number of the last record; -1 or less: no records.
  NodeRecordTable(const double* data, Index last_record)
      : table_(data, k_record_fields, last_record < 0 ? 0 : last_record + 1) {}

  [[nodiscard]] Index count() const { return table_.cols(); }
  // Record number `number`, 0 .. count() - 1, read and typed.
  [[nodiscard]] NodeRecord record(Index number) const;

 private:
  Table1<const double> table_;
};

// A double field truncated toward zero, if it is a finite value inside the
// host's integer range; otherwise no number (the field names nothing).
[[nodiscard]] bool truncate_field(double field, Index& value);

[[nodiscard]] RecordKind record_kind(double code_field);

// Positions of the spring terms off the diagonal, relative to R: the
// couplings of each 3 x 3 block's upper triangle.
inline constexpr std::array<std::array<Index, 2>, 6> k_spring_couplings{
    {{0, 1}, {0, 2}, {1, 2}, {3, 4}, {3, 5}, {4, 5}}};

// solved, or bad_record with the first record whose equations leave
// 1 .. n_equations or one of whose spring entries K(i, j), i < j, the
// storage cannot hold (stores(i, j) is false).
template <class Stores>
[[nodiscard]] Status records_status(const NodeRecordTable& records, Index n_equations,
                                    Stores stores) {
  for (Index number = 0; number < records.count(); ++number) {
    const NodeRecord r = records.record(number);
    if (r.kind == RecordKind::ignored) continue;
    const Index R = r.first_equation;
    if (R < 1 || R + r.span() - 1 > n_equations) return failure(Outcome::bad_record, number);
    if (!r.adds_spring()) continue;
    for (const auto& [a, b] : k_spring_couplings)
      if (!stores(R + a, R + b)) return failure(Outcome::bad_record, number);
  }
  return {};
}

// The same for a skyline store: the spring entries must lie inside the
// profile.
[[nodiscard]] Status records_status(const NodeRecordTable& records, const SkylineProfile& profile);

}  // namespace zervola::global
