#pragma once

// The geometric tolerances and unit factors of the mesh geometry routines.
// Every tolerance is absolute, applied to each coordinate separately, and
// compared strictly: two positions lie within a tolerance when every
// coordinate differs by less than it.

#include <cmath>

#include "common/frame_model.hpp"

namespace zervola::mesh_geometry {

// A node lies at a picked point: 1.0e-5 as a single-precision number,
// widened and compared in double precision (9.99999974737875e-06).
inline constexpr double k_node_at_point_tolerance = static_cast<double>(1.0e-5F);

// Line endpoints that become one node.
inline constexpr double k_merge_tolerance = 1.0e-4;

// Line endpoints that connect two lines.
inline constexpr double k_coincidence_tolerance = 0.1;

// A point this close to an element end lies at that end whatever its direction.
inline constexpr double k_near_end_radius = 0.1;

// Largest |cos - 1| of the angle between an element's axis and the direction
// to a point, seen from an end, for the point to lie on the axis (about 8.1 deg).
inline constexpr double k_axis_cosine_tolerance = 0.01;

// A point lies at an end when it is no farther from it than the element's
// length divided by this (the third of the element next to the end).
inline constexpr double k_end_part_divisor = 3.0;

// Picked points arrive in drawing units and are divided by this into model units.
inline constexpr double k_drawing_units_per_model_unit = 1000.0;

// True when every coordinate of a and b differs by less than tolerance,
// tested z first, then x, then y. A non-finite coordinate is within no
// tolerance of anything, itself included.
[[nodiscard]] inline bool within(const Point3& a, const Point3& b, double tolerance) {
  return std::fabs(a.z - b.z) < tolerance && std::fabs(a.x - b.x) < tolerance &&
         std::fabs(a.y - b.y) < tolerance;
}

[[nodiscard]] inline bool is_finite(const Point3& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

}  // namespace zervola::mesh_geometry
