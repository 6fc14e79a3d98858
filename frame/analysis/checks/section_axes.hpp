#pragma once

// Sections typed in local axes whose strong axis does not bend where
// engineers expect: the commonest slip when a section is copied from a
// plane frame into a space frame, or back.

#include <vector>

#include "zervola/frame/model.hpp"

namespace zervola::frame {

// A warning "weak_axis_bending" per section typed with Iy and Iz whose
// larger inertia lies out of the plane of the loads one expects, among
// members that bend (not pin-ended): in a plane frame Iy > Iz (the frame
// bends about Iz); in a space frame with vertical loads, Iz > Iy for a
// section of members that are not vertical and have no orientation point
// (their local z lies in their vertical plane, so vertical loads bend them
// about Iy).
//   model: in.
[[nodiscard]] std::vector<Warning> section_axis_warnings(const Model& model);

}  // namespace zervola::frame
