#pragma once

// Local axes of a bar and the 12 x 12 transformation built from them.
//
// Local x runs along the bar from its start node to its end node. Local y and
// z follow from the element's orientation point when it has one (local z lies
// in the plane of the bar and the point, towards the point), or from the
// default rule that keeps local y horizontal. local = T * global.

#include <array>
#include <optional>

#include "common/frame_model.hpp"
#include "common/index.hpp"
#include "common/matrix12.hpp"

namespace zervola::element {

// An element carries no orientation point when all three coordinates hold
// exactly one of these markers (compared for exact equality). The second is
// the first in drawing units (1000 times larger).
inline constexpr double k_no_orientation_marker = 12345678.0;
inline constexpr double k_no_orientation_marker_drawing = 12345678000.0;

// A bar whose horizontal projection per unit length is below this value is
// treated as vertical by the default rule (dimensionless).
inline constexpr double k_vertical_bar_projection = 1.0E-6;

// Direction cosines: row 1 local x, row 2 local y, row 3 local z, each in
// global components. rows[r][c] is row r+1, column c+1.
struct DirectionCosines {
  std::array<std::array<double, 3>, 3> rows{};
};

// The direction in which an element is walked: from its first to its second
// node, or the other way.
enum class Walk : HostInt { forward = 0, reversed = 1 };

// The host's reverse_flag: 0 walks forward, 1 reversed, any other value has
// no walk.
[[nodiscard]] constexpr std::optional<Walk> walk_from_reverse_flag(HostInt reverse_flag) {
  if (reverse_flag == 0) return Walk::forward;
  if (reverse_flag == 1) return Walk::reversed;
  return std::nullopt;
}

[[nodiscard]] bool has_no_orientation_point(Point3 p);

// Default axes for a bar from start to end.
[[nodiscard]] DirectionCosines default_axes(Point3 start, Point3 end);

// Axes from an orientation point; sign is +1 for a forward walk and -1 for a
// reversed one (it turns the vector from the midpoint towards the point).
[[nodiscard]] DirectionCosines orientation_point_axes(Point3 start, Point3 end, Point3 orientation,
                                                      double sign);

// The block-diagonal transformation: four copies of the block, zero elsewhere.
[[nodiscard]] Matrix12 transformation_matrix(const DirectionCosines& block);

// Start and end node numbers of element e walked in the given direction.
struct WalkedNodes {
  Index start = 0;
  Index end = 0;
};
[[nodiscard]] WalkedNodes walked_nodes(ElementNodes element_nodes, Index element, Walk walk);

// True when element e and both its node numbers are at least 1: the lower
// bounds that can be checked where the interface passes no array lengths.
[[nodiscard]] bool references_are_readable(ElementNodes element_nodes, Index element);

// Transformation of element e by the default rule, whatever its orientation point.
[[nodiscard]] Matrix12 default_transform(const NodeCoordinates& nodes, ElementNodes element_nodes,
                                         Index element, Walk walk);

// Transformation of element e: from its orientation point, or by the default
// rule when it carries the no-orientation marker.
[[nodiscard]] Matrix12 element_transform(const NodeCoordinates& nodes,
                                         const OrientationPoints& orientation,
                                         ElementNodes element_nodes, Index element, Walk walk);

// Axes of a user coordinate system fixed by three points: local x from a
// towards b, local z in the plane of the three points towards c (or the
// default rule when c carries the no-orientation marker).
[[nodiscard]] DirectionCosines ucs_axes(Point3 a, Point3 b, Point3 c);

}  // namespace zervola::element
