#include "global/supports.hpp"

#include <new>
#include <vector>

#include "common/matrix12.hpp"
#include "global/ldlt_solver.hpp"
#include "global/prescription.hpp"

namespace zervola::global {

namespace {

// Out-of-plane equations of a node, counted from its first equation.
constexpr std::array<Index, 3> k_out_of_plane_offsets{2, 3, 4};

}  // namespace

void add_load(Vector1<double> f, const NodeRecord& r) {
  for (Index a = 0; a < 3; ++a) f(r.first_equation + a) += r.p[static_cast<std::size_t>(a)];
}

void add_spring(const SkylineMatrix& K, const NodeRecord& r) {
  SkylineMatrix view = K;
  add_spring_terms(view, r);
}

Status supports_status(const Supports& supports, const SkylineProfile& profile) {
  if (supports.max_column_height < profile.max_column_height())
    return failure(Outcome::bad_column_height);
  if (supports.mode == FrameMode::plane && profile.n_equations() % k_node_dofs != 0)
    return failure(Outcome::bad_equation_count);
  return records_status(supports.records, profile);
}

std::vector<Prescription> prescriptions(const Supports& supports, Index n_equations) {
  const NodeRecordTable& records = supports.records;
  const Index n_nodes = (n_equations + k_node_dofs - 1) / k_node_dofs;
  auto out_of_plane = [](Index node, Index offset) {
    return k_node_dofs * (node - 1) + 1 + offset;
  };

  // The last prescription of every equation: record number + 1, the plane
  // restraint, or none.
  constexpr Index k_none = 0;
  constexpr Index k_restraint = -1;
  std::vector<Index> last(static_cast<std::size_t>(n_equations), k_none);
  const Vector1<Index> last_prescription(last.data(), n_equations);
  for (Index number = 0; number < records.count(); ++number) {
    const NodeRecord r = records.record(number);
    for (Index a = 0; a < r.prescribed_count(); ++a)
      last_prescription(r.first_equation + a) = number + 1;
  }
  if (supports.mode == FrameMode::plane)
    for (Index node = 1; node <= n_nodes; ++node)
      for (const Index offset : k_out_of_plane_offsets)
        last_prescription(out_of_plane(node, offset)) = k_restraint;

  std::vector<Prescription> made;
  for (Index number = 0; number < records.count(); ++number) {
    const NodeRecord r = records.record(number);
    for (Index a = 0; a < r.prescribed_count(); ++a) {
      const Index k = r.first_equation + a;
      if (last_prescription(k) == number + 1)
        made.push_back({k, r.p[static_cast<std::size_t>(a)]});
    }
  }
  if (supports.mode == FrameMode::plane)
    for (Index node = 1; node <= n_nodes; ++node)
      for (const Index offset : k_out_of_plane_offsets)
        made.push_back({out_of_plane(node, offset), 0.0});
  return made;
}

Status apply_records_and_solve(const SkylineMatrix& K, Vector1<double> f,
                               const Supports& supports) {
  std::vector<Prescription> made;
  try {
    made = prescriptions(supports, K.n_equations());
  } catch (const std::bad_alloc&) {
    return failure(Outcome::out_of_memory);
  }

  const NodeRecordTable& records = supports.records;
  for (Index number = 0; number < records.count(); ++number) {
    const NodeRecord r = records.record(number);
    if (r.adds_spring()) add_spring(K, r);
    if (r.kind == RecordKind::load) add_load(f, r);
  }
  for (const Prescription& p : made)
    prescribe(K, f, p.equation, p.value, supports.max_column_height);
  solve(K, f);
  return {};
}

}  // namespace zervola::global
