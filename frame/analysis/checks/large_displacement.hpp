#pragma once

// Displacements no frame in service shows: a node that moves by a sizeable
// share of the frame itself points at units, supports or releases.

#include <vector>

#include "zervola/frame.hpp"

namespace zervola::frame {

// The share of the frame's largest extent that no node should move.
inline constexpr double k_large_displacement_share = 1.0 / 20.0;

// One warning "large_displacement" for the load sets (cases and
// combinations) whose largest node translation exceeds
// k_large_displacement_share of the largest extent of the nodes' bounding
// box, naming each set (the first ten; the rest counted), its node and the
// value, and listing every such set among its items; none when no set
// moves so far or the model's units are labels only.
//   model, r: in, as analyse fills r up to its combinations.
[[nodiscard]] std::vector<Warning> large_displacement_warnings(const Model& model,
                                                               const AnalysisResult& r);

}  // namespace zervola::frame
