#pragma once

// Second-order analysis of the load cases and combinations marked
// second_order: the set's loads (a combination's combined by its factors
// first, since second-order results do not superpose), with its sway
// imperfection as equivalent horizontal forces, analysed on the tangent
// stiffness K + Kg(N), N from the previous iteration, until the
// displacements settle.

#include <vector>

#include "analysis/mesh/mesh.hpp"
#include "zervola/frame/progress.hpp"
#include "zervola/frame/results.hpp"
#include "zervola/frame/stability.hpp"

namespace zervola::frame {

struct SolverPlan;

// The one load case that set (a load case, or a combination: its cases'
// loads, settlements and gravity times their factors) applies, with the
// set's sway imperfection's horizontal forces among its nodal loads when it
// has one (imperfection_force gets their sum).
[[nodiscard]] LoadCase combined_case(const Model& model, const Mesh& mesh,
                                     const std::vector<MemberGeometry>& members,
                                     const std::string& set, double& imperfection_force);

// Every second-order set of the model, its results in result.cases or
// result.combinations replaced by the second-order ones (result holds the
// first-order results of every set on entry: the combinations already
// combined). Throws AnalysisError naming the set when its alpha_cr is at
// most 1 (with alpha_cr), when the iterations do not settle within
// k_second_order_iterations, or when the tangent stiffness loses its
// positive definiteness.
[[nodiscard]] std::vector<SecondOrderSet> second_order(const Model& model, const Mesh& mesh,
                                                       const std::vector<Transform>& transforms,
                                                       AnalysisResult& result, Progress& progress,
                                                       const SolverPlan* plan = nullptr);

}  // namespace zervola::frame
