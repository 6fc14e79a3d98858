#pragma once

// What the solutions of several load cases share, whichever factorisation
// serves them: the springs and prescribed equations that every case must
// have alike, the values each case prescribes, the couplings that a
// prescribed value moves to the right-hand side, and each case's
// right-hand side.

#include <span>
#include <vector>

#include "common/index.hpp"
#include "common/one_based.hpp"
#include "global/assembly.hpp"
#include "global/node_records.hpp"
#include "global/status.hpp"
#include "global/supports.hpp"

namespace zervola::global {

// The springs of a record table, in record order.
[[nodiscard]] std::vector<NodeRecord> springs_of(const NodeRecordTable& records);
// Whether two tables' springs are the same records (kind, equation and
// values) in the same order, as every case must share the frame's.
[[nodiscard]] bool same_springs(const std::vector<NodeRecord>& a, const std::vector<NodeRecord>& b);
// Whether two lists prescribe the same equations in the same order (their
// values may differ: a case's settlements).
[[nodiscard]] bool same_equations(const std::vector<Prescription>& a, const std::vector<Prescription>& b);

// An entry of a prescribed equation's column of K (row and column), kept
// for the cases that move it.
struct Coupling {
  Index equation = 0;
  double stiffness = 0.0;
};

// Everything the cases need from K besides its factors: per elimination,
// K(k, k), and for the eliminations that some case moves, the entries that
// the elimination would take to the right-hand side, in its order.
struct Eliminations {
  std::vector<Prescription> shared;
  std::vector<double> values;  // (eliminations, cases), column-major
  std::vector<double> diagonal;
  std::vector<std::size_t> first_coupling;  // (eliminations + 1)
  std::vector<Coupling> couplings;
};

// Case c's right-hand side: its record loads, then what its prescribed
// values take from every other equation, then the prescribed equations'
// own entries, which no correction may disturb.
void right_hand_side(const NodeRecordTable& records, const Eliminations& e, std::size_t c,
                     Vector1<double> f);

// Where the factorisation keeps K: in the skyline profile of frame.diag,
// or in node blocks of the elements' pattern (frame.diag and
// profile_length are then not read).
enum class StiffnessStore { skyline, node_blocks };

// The arrays (analysis_status or node_block_status), every case's records
// and the size of displacements checked.
[[nodiscard]] Status cases_status(const FrameAnalysis& frame, std::span<const NodeRecordTable> cases,
                                  Table1<double> displacements,
                                  StiffnessStore store = StiffnessStore::skyline);

// e.shared and e.values from the frame's and every case's records; the
// springs of the frame. Fails with case_supports_differ (where: the case,
// 1-based) when a case's springs or prescribed equations are not the
// frame's.
[[nodiscard]] Status case_prescriptions(const FrameAnalysis& frame,
                                        std::span<const NodeRecordTable> cases, Eliminations& e,
                                        std::vector<NodeRecord>& springs);

}  // namespace zervola::global
