#pragma once

// The results of a load case or combination must be finite: a displacement, end force,
// stress or reaction that overflowed (an enormous load, a mechanism the
// solver did not catch) is a failed analysis, never a report. The first value
// that is not finite is named by node and direction (or member and component).

#include <vector>

#include "zervola/frame/model.hpp"
#include "zervola/frame/results.hpp"

namespace zervola::frame {

// What r is the result of, for messages.
enum class SetKind { load_case, combination };

// Displacements, end forces and stresses (of a load case, before the
// reactions are formed). Throws AnalysisError naming the set, the node or
// member and the component.
void check_member_results(const Model& model, const std::vector<Point3>& nodes,
                          const std::vector<MemberGeometry>& members, const CaseResult& r,
                          SetKind kind = SetKind::load_case);

// Reactions and the equilibrium sums. Throws AnalysisError.
void check_reactions(const Model& model, const std::vector<Point3>& nodes, const CaseResult& r,
                     SetKind kind = SetKind::load_case);

}  // namespace zervola::frame
