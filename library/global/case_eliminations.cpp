#include "global/case_eliminations.hpp"

#include <algorithm>

#include "global/skyline_profile.hpp"

namespace zervola::global {

std::vector<NodeRecord> springs_of(const NodeRecordTable& records) {
  std::vector<NodeRecord> springs;
  for (Index number = 0; number < records.count(); ++number) {
    const NodeRecord r = records.record(number);
    if (r.adds_spring()) springs.push_back(r);
  }
  return springs;
}

bool same_springs(const std::vector<NodeRecord>& a, const std::vector<NodeRecord>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const NodeRecord& x, const NodeRecord& y) {
                      return x.kind == y.kind && x.first_equation == y.first_equation &&
                             x.p == y.p;
                    });
}

bool same_equations(const std::vector<Prescription>& a, const std::vector<Prescription>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const Prescription& x, const Prescription& y) {
                      return x.equation == y.equation;
                    });
}

void right_hand_side(const NodeRecordTable& records, const Eliminations& e, std::size_t c,
                     Vector1<double> f) {
  std::fill(f.data(), f.data() + f.size(), 0.0);
  for (Index number = 0; number < records.count(); ++number) {
    const NodeRecord r = records.record(number);
    if (r.kind == RecordKind::load) add_load(f, r);
  }
  const std::size_t count = e.shared.size();
  for (std::size_t q = 0; q < count; ++q) {
    const double x = e.values[q + count * c];
    if (x == 0.0) continue;
    for (std::size_t t = e.first_coupling[q]; t < e.first_coupling[q + 1]; ++t)
      f(e.couplings[t].equation) -= e.couplings[t].stiffness * x;
  }
  for (std::size_t q = 0; q < count; ++q)
    f(e.shared[q].equation) = e.diagonal[q] * e.values[q + count * c];
}

Status cases_status(const FrameAnalysis& frame, std::span<const NodeRecordTable> cases,
                    Table1<double> displacements, StiffnessStore store) {
  const bool skyline = store == StiffnessStore::skyline;
  const Status checked = skyline ? analysis_status(frame) : node_block_status(frame);
  if (!checked.ok()) return checked;
  for (std::size_t c = 0; c < cases.size(); ++c) {
    // A case's springs must be the frame's (case_prescriptions), whose
    // entries the frame's check placed: only the equations matter here.
    const Status records_ok =
        skyline ? records_status(cases[c], SkylineProfile(frame.diag))
                : records_status(cases[c], frame.n_equations, [](Index, Index) { return true; });
    if (!records_ok.ok())
      return failure(Outcome::bad_record, static_cast<Index>(c + 1));
  }
  if (displacements.rows() < frame.n_equations ||
      displacements.cols() != static_cast<Index>(cases.size()))
    return failure(Outcome::bad_equation_count);
  return {};
}


Status case_prescriptions(const FrameAnalysis& frame, std::span<const NodeRecordTable> cases,
                          Eliminations& e, std::vector<NodeRecord>& springs) {
  const Index n = frame.n_equations;
  const std::size_t n_cases = cases.size();
  e.shared = prescriptions(frame.supports, n);
  springs = springs_of(frame.supports.records);
  e.values.resize(e.shared.size() * n_cases);
  for (std::size_t c = 0; c < n_cases; ++c) {
    Supports own = frame.supports;
    own.records = cases[c];
    const std::vector<Prescription> made = prescriptions(own, n);
    if (!same_equations(made, e.shared) || !same_springs(springs_of(cases[c]), springs))
      return failure(Outcome::case_supports_differ, static_cast<Index>(c + 1));
    for (std::size_t q = 0; q < made.size(); ++q) e.values[q + e.shared.size() * c] = made[q].value;
  }
  return {};
}

}  // namespace zervola::global
