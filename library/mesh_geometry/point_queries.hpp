#pragma once

// Where a picked point lies with respect to the elements: at a node, or on an
// element's axis near one of its ends. The answers are recorded per element
// in the host's arrays.

#include "common/frame_model.hpp"
#include "common/index.hpp"
#include "common/one_based.hpp"

namespace zervola::mesh_geometry {

// End codes that name one end of an element without releasing it.
enum class NamedEnd : HostInt {
  first = -1,   // the end at element_nodes(1, e)
  second = -2,  // the end at element_nodes(2, e)
};

// Per-element end marks: the sum of the values of the marked ends.
enum class EndMark : HostInt {
  none = 0,
  second = 2,   // the end at element_nodes(2, e)
  first = 10,   // the end at element_nodes(1, e)
  both = 12,
};

// Node result when no element end lies at the point.
inline constexpr HostInt k_no_node = 0;
// Node result of a refused call (a node number below 1 in element_nodes).
inline constexpr HostInt k_refused_node = -1;

struct NodeAtPoint {
  Point3 point;      // the picked point in model units
  HostInt node = 0;  // the node of the last element end at the point, k_no_node if none
};

// The picked point, given in drawing units, converted to model units; then
// every element end (element 1 to n_elements, first end before second) whose
// node lies within k_node_at_point_tolerance of it is visited: the result
// node becomes that node, and an element whose end code is 0 or negative gets
// the NamedEnd code of that end. Positive codes are never changed.
//
// When element_nodes holds a node number below 1 nothing is written and the
// result is {drawing_point, k_refused_node}.
[[nodiscard]] NodeAtPoint point_in_node(const NodeCoordinates& nodes, ElementNodes element_nodes,
                                        Vector1<HostInt> end_codes, const Point3& drawing_point,
                                        Index n_elements);

// Outcome of marking the element ends near a point.
enum class MarkOutcome {
  unchanged,  // no mark changed
  marked,     // at least one mark changed
  refused,    // a node number below 1: nothing written
};

// Marks, in end_marks, each element end A (other end B) such that the point
// lies within the third of the element next to A, |point - A| <= |B - A| / 3,
// and either within k_near_end_radius of A or in a direction from A whose
// cosine with B - A differs from 1 by at most k_axis_cosine_tolerance. An end
// already marked is not marked again; marks other than the EndMark values are
// left alone unless adding the end's value gives one of them.
[[nodiscard]] MarkOutcome point_in_line(const NodeCoordinates& nodes, ElementNodes element_nodes,
                                        const Point3& point, Vector1<HostInt> end_marks,
                                        Index n_elements);

}  // namespace zervola::mesh_geometry
