#pragma once

// Linear buckling of the load cases and combinations a model names
// (Model::buckling): the axial forces of each set's first-order analysis,
// the library core's eigensolution (global/linear_buckling.hpp) on the
// mesh's profile, and per member in compression its critical force and
// buckling lengths.

#include <string>
#include <vector>

#include "analysis/mesh/mesh.hpp"
#include "global/linear_buckling.hpp"
#include "zervola/frame/placement.hpp"
#include "zervola/frame/results.hpp"
#include "zervola/frame/stability.hpp"

namespace zervola::frame {

struct SolverPlan;

// Per member (model order), its axial force under a set: the mean of the
// values at its two ends, compression positive (the end-force convention of
// internal_forces.hpp), which is the constant force the geometric stiffness
// takes.
[[nodiscard]] std::vector<double> member_axial_forces(const CaseResult& set);

// The core's eigensolution for the axial forces N (per member, compression
// positive) of the set named `set`, asking for `modes` factors. Throws
// AnalysisError for a strain-free motion, an eigensolution that did not
// converge or that the Sturm check does not trust, naming the set. Its
// outcome is solved or no_compression.
[[nodiscard]] global::BucklingResult critical_factors(const Model& model, const Mesh& mesh,
                                                      const Placement& placement,
                                                      const std::vector<double>& axial_force,
                                                      int modes, const std::string& set,
                                                      const SolverPlan* plan = nullptr);

// Every set of model.buckling, its axial forces from the first-order
// results (result.cases and result.combinations, before any second-order
// results replace them).
[[nodiscard]] std::vector<BucklingSet> linear_buckling(const Model& model, const Mesh& mesh,
                                                       const Placement& placement,
                                                       const AnalysisResult& result,
                                                       const SolverPlan* plan = nullptr);

}  // namespace zervola::frame
