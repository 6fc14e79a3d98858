#pragma once

// A member far shorter than the members it joins: its stiffness grows as
// the cube of the inverse length, so beside them it swamps the equations
// and the solution keeps few correct digits. Almost always two points drawn
// apart that were meant to be one.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "zervola/frame.hpp"

namespace zervola::frame {

// A member shorter than this share of the longest member meeting it at an
// end is short: its bending stiffness is then more than 1e9 times theirs,
// leaving a double-precision solution about seven correct digits.
inline constexpr double k_short_member_share = 1.0e-3;

struct ShortMemberFindings {
  std::vector<Warning> warnings;  // "short_member", at most one
  // Per end node of a short member, a sentence naming it, for an error
  // that follows at that node (the solution failing where it is).
  std::map<std::int32_t, std::string> likely_cause;
};

// Every member shorter than k_short_member_share of the longest member that
// meets it at either end, named with its length and that member.
//   model: in; r: in, with its members' nodes and lengths.
// Throws nothing but bad_alloc.
[[nodiscard]] ShortMemberFindings short_member_warnings(const Model& model, const AnalysisResult& r);

}  // namespace zervola::frame
