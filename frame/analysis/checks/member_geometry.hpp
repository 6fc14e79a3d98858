#pragma once

// The drawing's geometry as an engineer means it: members that are drawn
// twice or over each other, ends that miss what they should meet, spans
// that cross without a node. Near-linear in the number of members: only
// members whose boxes share a cell of a grid are compared.

#include <vector>

#include "zervola/frame.hpp"

namespace zervola::frame {

struct MemberGeometryFindings {
  std::vector<Warning> warnings;  // "crossing_members", "near_miss", at most one each
};

// Checks every pair of members that come near each other:
// - the same two nodes, or one line shared over more than a point: an error;
// - an end lying on another member's span (within 1e-6 of the shorter
//   member's length) without a node there, or two spans crossing between
//   their ends: "crossing_members", with the point;
// - an end closer to another member (its span or its end) than 1/100 of
//   the shorter member's length, and not one of its nodes: "near_miss",
//   with the gap.
//   model: in; r: in, with its nodes and members' geometry.
// Throws InputError naming both members of the first pair drawn twice or
// overlapping.
[[nodiscard]] MemberGeometryFindings check_member_geometry(const Model& model,
                                                           const AnalysisResult& r);

// A point inside a member's span where another member crosses it or ends on
// it without a node there.
struct MemberCrossing {
  std::size_t member;  // index into Model::members
  Point3 at;
  double tolerance;    // the distance within which the two members touch
};

// Every such point of the model's members as drawn (their points merged as
// the library merges them): where two spans cross, both members, at one
// point; where an end lies on a span, the spanned member, at that end.
// Throws InputError as check_member_geometry does for members drawn twice
// or overlapping.
[[nodiscard]] std::vector<MemberCrossing> member_crossings(const Model& model);

// The same checks on the members' points alone (merged as the library
// merges them), for a model whose mesh could not be built (not in one
// piece): what they find often names why. Overlaps are a warning
// "duplicate_member" here, not an error. Throws nothing but bad_alloc.
[[nodiscard]] std::vector<Warning> drawn_geometry_warnings(const Model& model);

}  // namespace zervola::frame
