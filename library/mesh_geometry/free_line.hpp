#pragma once

// Whether a set of lines forms one connected figure.

#include <cstdint>
#include <memory_resource>
#include <optional>
#include <vector>

#include "common/frame_model.hpp"
#include "common/index.hpp"
#include "common/one_based.hpp"

namespace zervola::mesh_geometry {

// line_points (2, n_lines): the point numbers of the two ends of each line.
using LinePoints = Table1<const HostInt>;

// Result when every line is connected to line 1 (or there is no line).
inline constexpr HostInt k_all_connected = 0;
// Result when the call is refused (a point number below 1) or its work
// storage cannot be obtained.
inline constexpr HostInt k_free_line_failure = -1;

// One flag per line, index 0 unused: 1 for a line reached from line 1.
using ReachedLines = std::pmr::vector<std::uint8_t>;

// The lines reached from line 1 (n_lines >= 1) through touching lines (see
// free_line), or nothing when the work storage cannot be obtained. Every
// point number in line_points must be at least 1.
[[nodiscard]] std::optional<ReachedLines> lines_reached_from_first(
    const NodeCoordinates& points, LinePoints line_points, HostInt n_lines,
    std::pmr::memory_resource* storage);

// Two lines touch when an endpoint of one lies within k_coincidence_tolerance
// of an endpoint of the other; the lines reached from line 1 through touching
// lines are its part of the figure. Returns k_all_connected when that part
// holds every line; otherwise, when the other lines outnumber it, the
// highest-numbered line of line 1's part, else (ties included) the
// highest-numbered line outside it.
//
// points holds the coordinates of every point number used in line_points;
// line_points is only read.
//
// Work: expected linear in n_lines (a hash grid of the endpoints and a
// breadth-first search over the lines).
[[nodiscard]] HostInt free_line(const NodeCoordinates& points, LinePoints line_points,
                                HostInt n_lines, std::pmr::memory_resource* storage);

}  // namespace zervola::mesh_geometry
