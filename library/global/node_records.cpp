#include "global/node_records.hpp"

#include <cmath>
#include <limits>

#include "common/matrix12.hpp"

namespace zervola::global {

namespace {

constexpr Index k_translation_count = 3;

}  // namespace

Index NodeRecord::prescribed_count() const {
  switch (kind) {
    case RecordKind::prescribed_translations:
    case RecordKind::spring_and_prescribed_translations:
      return k_translation_count;
    case RecordKind::prescribed_node:
      return k_node_dofs;
    default:
      return 0;
  }
}

Index NodeRecord::span() const {
  switch (kind) {
    case RecordKind::prescribed_translations:
    case RecordKind::load:
      return k_translation_count;
    case RecordKind::spring_and_prescribed_translations:
    case RecordKind::prescribed_node:
    case RecordKind::spring:
      return k_node_dofs;
    case RecordKind::ignored:
      break;
  }
  return 0;
}

bool truncate_field(double field, Index& value) {
  constexpr auto lowest = static_cast<double>(std::numeric_limits<HostInt>::min());
  constexpr auto highest = static_cast<double>(std::numeric_limits<HostInt>::max());
  const double whole = std::trunc(field);
  if (!(whole >= lowest && whole <= highest)) return false;
  value = static_cast<Index>(whole);
  return true;
}

RecordKind record_kind(double code_field) {
  Index code = 0;
  if (!truncate_field(code_field, code)) return RecordKind::ignored;
  switch (static_cast<RecordCode>(code)) {
    case RecordCode::prescribed_translations:
      return RecordKind::prescribed_translations;
    case RecordCode::spring_and_prescribed_translations:
      return RecordKind::spring_and_prescribed_translations;
    case RecordCode::prescribed_node:
      return RecordKind::prescribed_node;
    case RecordCode::spring:
    case RecordCode::spring_246:
      return RecordKind::spring;
    case RecordCode::load:
      return RecordKind::load;
  }
  return RecordKind::ignored;
}

NodeRecord NodeRecordTable::record(Index number) const {
  const Vector1<const double> fields = table_.column(number + 1);
  NodeRecord r;
  r.kind = record_kind(fields(1));
  for (Index k = 0; k < 6; ++k) r.p[static_cast<std::size_t>(k)] = fields(3 + k);
  if (r.kind != RecordKind::ignored && !truncate_field(fields(2), r.first_equation))
    r.first_equation = 0;  // names no equation; records_status() refuses it
  return r;
}

Status records_status(const NodeRecordTable& records, const SkylineProfile& profile) {
  return records_status(records, profile.n_equations(),
                        [&profile](Index i, Index j) { return profile.contains(i, j); });
}

}  // namespace zervola::global
