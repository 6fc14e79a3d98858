#pragma once

// The results of a load case must be finite: a displacement, end force,
// stress or reaction that overflowed (an enormous load, a mechanism the
// solver did not catch) is a failed analysis, never a report. The first value
// that is not finite is named by node and direction (or member and component).

#include <vector>

#include "zervola/frame/model.hpp"
#include "zervola/frame/results.hpp"

namespace zervola::frame {

// Displacements, end forces and stresses (before the reactions are formed).
// Throws AnalysisError.
void check_member_results(const Model& model, const std::vector<Point3>& nodes,
                          const std::vector<MemberGeometry>& members, const CaseResult& r);

// Reactions and the equilibrium sums. Throws AnalysisError.
void check_reactions(const Model& model, const std::vector<Point3>& nodes, const CaseResult& r);

}  // namespace zervola::frame
