#pragma once

// Clearing of end codes at slight kinks.
//
// At every node i with end count 2, in increasing node order, take the first
// two elements e1, e2 (in element order) that name i as one of their ends,
// with other ends a and b. With u = P(a) - P(i) and w = P(b) - P(i),
// c = -((u . w) / |u|) / |w| is the cosine of the kink (1 for a straight
// continuation). When k_slight_kink_lower < c < k_slight_kink_upper and both
// elements carry a negative end code, both codes become 0. A node that fewer
// than two elements name is skipped.

#include "common/frame_model.hpp"
#include "common/index.hpp"
#include "common/one_based.hpp"

namespace zervola::mesh_numbering {

// Bounds on the kink cosine (both strict): about 8.11 and 0.256 degrees.
inline constexpr double k_slight_kink_lower = 0.99;
inline constexpr double k_slight_kink_upper = 0.99999;

// The kink cosine at i between the elements towards a and b, evaluated in
// exactly this order; NaN when either element has zero length.
[[nodiscard]] double kink_cosine(Point3 i, Point3 a, Point3 b);

// end_count(1 .. n_nodes) as count_ends gives it; node numbers must lie in
// 1 .. n_nodes. May set entries of end_codes to 0.
void clear_slight_kinks(const NodeCoordinates& nodes, ElementNodes element_nodes,
                        Vector1<HostInt> end_codes, Vector1<const HostInt> end_count);

}  // namespace zervola::mesh_numbering
