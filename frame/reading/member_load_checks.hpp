#pragma once

// Member loads checked where they need no mesh, and placed on their member:
// known members, positions on the member, a density for self-weight, a
// thermal coefficient for temperature, nothing out of a plane frame's plane,
// no torque on a pin-ended member, known load cases and combinations.

#include <cstddef>
#include <map>
#include <string>

#include "zervola/frame/model.hpp"

namespace zervola::frame {

// A load position may overshoot the member's ends by this fraction of its
// length (rounding in the model's numbers) and is then taken at the end.
inline constexpr double k_position_tolerance = 1.0e-9;

// Throws InputError on the first fault, naming the item and the field.
void validate_member_loads(const Model& model);

// The section of a member; throws InputError for an unknown one.
[[nodiscard]] const Section& section_of(const Model& model, const Member& m);

// Member name -> index in Model::members.
using MemberIndex = std::map<std::string, std::size_t>;
[[nodiscard]] MemberIndex member_index(const Model& model);

// The index of the member a load names; throws InputError for an unknown one.
[[nodiscard]] std::size_t member_of(const MemberIndex& index, const MemberLoad& l);

// A position on a member of length L, checked: the distance from its start
// of value (a fraction of L for a relative load). Throws InputError naming
// field when it lies outside the member.
[[nodiscard]] double place_on(const MemberLoad& l, const char* field, double value, double L);

// Where a distributed load lies on a member of length L, checked.
struct Span {
  double start = 0.0;
  double end = 0.0;
};
[[nodiscard]] Span distributed_span(const MemberLoad& l, double L);

}  // namespace zervola::frame
