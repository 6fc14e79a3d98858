#pragma once

// Several load cases of one frame on one factorisation. The cases share the
// stiffness: the elements, the springs and the set of prescribed equations;
// they differ in their loads and in the values of their prescribed
// displacements (settlements). The skyline store is assembled, its springs
// added and its prescribed equations eliminated once, factorised once, and
// every case is solved by substitution alone. A prescribed value other than
// zero moves its column of K to the right-hand side; the columns of the
// equations that some case moves are kept for that, before the elimination
// clears them (their entries other than zero: a node's few neighbours).
// Memory: one store, those entries, and the right-hand sides of
// k_cases_per_pass cases at a time.
//
// Each case's displacements are those that analyse() gives for the same
// frame with that case's records, to rounding: the system after the
// eliminations is the same matrix, each right-hand side receives the same
// corrections in the same order, and only the substitution sums its
// products in another way. (With a prescribed value that is not finite the
// two differ in which equations turn NaN: here only those that K couples
// to it; the solution is not finite either way.)

#include <span>

#include "common/index.hpp"
#include "common/one_based.hpp"
#include "global/assembly.hpp"
#include "global/node_records.hpp"
#include "global/status.hpp"

namespace zervola::global {

// frame.supports.records set up the stiffness (its loads are not used);
// cases[c - 1] holds case c's records, whose springs (code, equation and
// values, in order) and prescribed equations (in the order they are
// eliminated) must be the frame's. displacements is (n_equations, number of
// cases): on solved, column c holds case c's displacements. On any other
// outcome displacements is left untouched: a failed check (where names the
// case for case_supports_differ and bad_record), or no memory.
[[nodiscard]] Status analyse_load_cases(const FrameAnalysis& frame,
                                        std::span<const NodeRecordTable> cases,
                                        Table1<double> displacements);

}  // namespace zervola::global
