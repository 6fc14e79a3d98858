#pragma once

// What one load case gives once its displacements are known: per member the
// end forces (GLOBTOLOC, plus the fixed-end forces of its own loads) and
// extreme stresses (SILFACT), what the members exert on each node
// (LOCTOGLOB), and from those the reactions and the equilibrium check.

#include <cstddef>
#include <string>
#include <vector>

#include "analysis/loads/member_loads.hpp"
#include "analysis/mesh/mesh.hpp"
#include "zervola/frame/model.hpp"
#include "zervola/frame/placement.hpp"
#include "zervola/frame/progress.hpp"
#include "zervola/frame/results.hpp"

namespace zervola::frame {

// u: the case's displacements in the library's equation order. With
// axial_force (per member, compression positive: a second-order state),
// each member's end forces and what it exerts on its nodes include its
// geometric stiffness times its end displacements, Kg(N) u (the P-Delta
// forces), and the equilibrium check counts the moment of the axial forces
// on the turned chords with the applied loads (SecondOrderSet::p_delta_moment). Throws
// AnalysisError when a displacement is not finite (a mechanism or singular
// system, naming the first node and direction), when a result is not finite
// or when equilibrium fails.
[[nodiscard]] CaseResult recover_case(const Model& model, const Mesh& mesh,
                                      const Placement& placement, std::size_t case_index,
                                      const MemberLoading& loading,
                                      const std::vector<MemberGeometry>& geometry,
                                      const std::vector<Transform>& transforms,
                                      std::vector<double> u, Progress& progress,
                                      const std::vector<double>* axial_force = nullptr);

// Gives each reaction of every case the name of its node's support, where
// the model names one (a default name S1, S2, ... is for messages only).
void name_supports(const Model& model, const Mesh& mesh, const Placement& placement,
                   std::vector<CaseResult>& cases);

}  // namespace zervola::frame
