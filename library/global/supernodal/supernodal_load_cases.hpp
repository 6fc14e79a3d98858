#pragma once

// Several load cases of one frame on one supernodal factorisation: the same
// system as the skyline's analyse_load_cases (global/load_cases.hpp), built
// in node blocks instead of the profile, in an elimination order the caller
// chooses (a nested dissection for large frames), factorised by supernodes
// with the caller's runner for its threads. Each case's displacements equal
// the skyline's to rounding; the pivots differ with the order, but a
// singular or indefinite system shows as it does there: a small or negative
// pivot where the frame can move without strain, and the strain-free motion
// x = L^-T e_j (in the factor's order) of the first few.

#include <span>

#include "common/index.hpp"
#include "common/one_based.hpp"
#include "global/assembly.hpp"
#include "global/load_cases.hpp"
#include "global/node_records.hpp"
#include "global/status.hpp"
#include "global/supernodal/supernode_partition.hpp"
#include "global/supernodal/task_runner.hpp"
#include "global/vector_path.hpp"

namespace zervola::global::supernodal {

// order: the library's nodes (0-based) in elimination order, a permutation
// of 0 .. n_nodes - 1. runner: the host's tasks (SequentialRunner: the
// caller's thread alone). path: an available vector path.
struct SupernodalSetup {
  std::span<const Index> order;
  const TaskRunner* runner = nullptr;
  VectorPath path = VectorPath::portable;
};

class SupernodalFactor;

// Whether order is a permutation of the nodes 0 .. n_nodes - 1.
[[nodiscard]] bool is_node_order(std::span<const Index> order, Index n_nodes);

// With p's without_stiffness, diagonal and pivot filled (by equation):
// p.shapes gets the strain-free motion x = L^-T e_j (in equation order) of
// the first p.most_shapes equations whose pivot is small.
void strain_free_shapes(const SupernodalFactor& factor, VectorPath path, EquationPivots& p);

// As analyse_load_cases with pivots (and with axial_force for the tangent
// stiffness of second order when it is not null): frame, cases and
// displacements as there; pivots per equation in the library's numbering.
// frame.diag and profile_length are not read (node_block_status checks the
// arrays), so a frame whose skyline would outgrow 32-bit addresses is
// solved. Returned status: as there; bad_node_count when order is not a
// permutation of the nodes.
[[nodiscard]] Status analyse_load_cases(const FrameAnalysis& frame,
                                        std::span<const NodeRecordTable> cases,
                                        Table1<double> displacements, EquationPivots& pivots,
                                        const Vector1<const double>* axial_force,
                                        const SupernodalSetup& setup);

}  // namespace zervola::global::supernodal
