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
#include <vector>

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
// What the factorisation says of each equation, for a host that checks for
// mechanisms: per equation (1-based equation j at index j - 1), whether the
// elements gave it no stiffness at all (the library then gives it a unit
// diagonal), its diagonal as factorised (springs added, prescribed
// equations eliminated) and its pivot D(j).
// For the first `most_shapes` equations (in equation order) that have
// stiffness but whose pivot is below `small_share` of their diagonal, the
// shape of the motion the frame makes without strain there: x = L^-T e_j,
// for which K x = D(j) L e_j vanishes with D(j).
struct EquationPivots {
  double small_share = 0.0;     // in
  std::size_t most_shapes = 0;  // in
  std::vector<bool> without_stiffness;
  std::vector<bool> prescribed;  // held by a support record (eliminated)
  std::vector<double> diagonal;
  std::vector<double> pivot;
  std::vector<std::vector<double>> shapes;  // n_equations values each
};

[[nodiscard]] Status analyse_load_cases(const FrameAnalysis& frame,
                                        std::span<const NodeRecordTable> cases,
                                        Table1<double> displacements);

// With K holding its factors and p's without_stiffness, diagonal and pivot
// filled: p.shapes gets L^-T e_j for the first p.most_shapes equations whose
// pivot is small (the back substitution alone, column by column from the
// last).
void strain_free_shapes(const SkylineMatrix& K, EquationPivots& p);

// The same, and on solved the pivots of every equation in pivots.
[[nodiscard]] Status analyse_load_cases(const FrameAnalysis& frame,
                                        std::span<const NodeRecordTable> cases,
                                        Table1<double> displacements, EquationPivots& pivots);

// Second order: the same for the tangent stiffness K + Kg(N) of the
// elements' axial forces axial_force (n_elements, compression positive;
// assemble_geometric of linear_buckling.hpp), added to the elements' K
// before the springs and the eliminations (equations without elastic
// stiffness get none of it). A negative pivot in pivots.pivot says that
// K + Kg is not positive definite: the state is beyond buckling.
[[nodiscard]] Status analyse_load_cases(const FrameAnalysis& frame,
                                        std::span<const NodeRecordTable> cases,
                                        Table1<double> displacements, EquationPivots& pivots,
                                        Vector1<const double> axial_force);

}  // namespace zervola::global
