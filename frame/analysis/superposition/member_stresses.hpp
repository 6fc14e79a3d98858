#pragma once

// The extreme stresses of every member of every load set along its whole
// length, where the library's SILFACT gives those at the two ends only: a
// beam's largest bending stress lies between its ends as soon as a load
// acts along it.

#include "zervola/frame.hpp"

namespace zervola::frame {

// For every load case and combination of r and every member: keeps the end
// stresses (as recovered) in end_stress_max and end_stress_min, and sets
// stress_max and stress_min to the extremes along the member, with where
// they occur. A member without loads in the set takes its extremes at an
// end. model: in; r: in/out, as analyse fills it up to the combinations.
void take_stresses_along_members(const Model& model, AnalysisResult& r);

}  // namespace zervola::frame
