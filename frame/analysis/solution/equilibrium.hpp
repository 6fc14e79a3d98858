#pragma once

// Reactions and the equilibrium check of one load case: what supports and
// springs exert on each supported node, the sums of loads and reactions over
// the frame (forces, and moments about the origin), and the test that every
// free direction of every node is in equilibrium.

#include <array>
#include <vector>

#include "zervola/frame/model.hpp"
#include "zervola/frame/results.hpp"

namespace zervola::frame {

// Per node (drawing numbers, from 0): the sum of K_e u over its members (what
// the node exerts on them), the applied load, which directions a support, a
// spring or the plane-frame restraint holds, and whether it is supported.
struct NodeBalance {
  std::vector<std::array<double, 6>> member_sum;
  std::vector<std::array<double, 6>> applied;
  std::vector<std::array<bool, 6>> held;
  std::vector<bool> supported;
  // Second order: the moment about the origin that the loads gain on the
  // deformed geometry (minus the sum of the members' Kg u couples), counted
  // with the applied moment.
  Vector3 p_delta_moment{};
};

// Fills result.reactions and result.equilibrium. Throws AnalysisError when a
// free direction of a node is not in equilibrium (a mechanism, or a
// near-singular system) or when the reactions do not balance the loads.
void balance_reactions(const Model& model, const std::vector<Point3>& nodes, const LoadCase& c,
                       const NodeBalance& b, CaseResult& r);

}  // namespace zervola::frame
