#include "mesh_geometry/point_queries.hpp"

#include <cmath>
#include <initializer_list>

#include "mesh_geometry/tolerances.hpp"

namespace zervola::mesh_geometry {
namespace {

[[nodiscard]] bool node_numbers_are_readable(ElementNodes element_nodes, Index n_elements) {
  for (Index e = 1; e <= n_elements; ++e)
    if (element_nodes(1, e) < 1 || element_nodes(2, e) < 1) return false;
  return true;
}

[[nodiscard]] Point3 model_units(const Point3& drawing_point) {
  return {drawing_point.x / k_drawing_units_per_model_unit,
          drawing_point.y / k_drawing_units_per_model_unit,
          drawing_point.z / k_drawing_units_per_model_unit};
}

// Whether point lies at end A of the element A-B.
[[nodiscard]] bool lies_at_end(const Point3& a, const Point3& b, const Point3& point) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double dz = b.z - a.z;
  const double length = std::sqrt(dx * dx + dy * dy + dz * dz);
  const double qx = point.x - a.x;
  const double qy = point.y - a.y;
  const double qz = point.z - a.z;
  const double r = std::sqrt(qx * qx + qy * qy + qz * qz);
  const double cosine = r <= k_near_end_radius
                            ? 1.0
                            : (dx / length) * (qx / r) + (dy / length) * (qy / r) +
                                  (dz / length) * (qz / r);
  return std::fabs(cosine - 1.0) <= k_axis_cosine_tolerance &&
         r <= length / k_end_part_divisor;
}

[[nodiscard]] bool is_end_mark(Index value) {
  return value == static_cast<Index>(EndMark::second) ||
         value == static_cast<Index>(EndMark::first) || value == static_cast<Index>(EndMark::both);
}

}  // namespace

NodeAtPoint point_in_node(const NodeCoordinates& nodes, ElementNodes element_nodes,
                          Vector1<HostInt> end_codes, const Point3& drawing_point,
                          Index n_elements) {
  if (!node_numbers_are_readable(element_nodes, n_elements))
    return {drawing_point, k_refused_node};
  NodeAtPoint found{model_units(drawing_point), k_no_node};
  for (Index e = 1; e <= n_elements; ++e) {
    for (const NamedEnd end : {NamedEnd::first, NamedEnd::second}) {
      const HostInt n = element_nodes(end == NamedEnd::first ? 1 : 2, e);
      if (!within(nodes(n), found.point, k_node_at_point_tolerance)) continue;
      found.node = n;
      if (end_codes(e) <= 0) end_codes(e) = static_cast<HostInt>(end);
    }
  }
  return found;
}

MarkOutcome point_in_line(const NodeCoordinates& nodes, ElementNodes element_nodes,
                          const Point3& point, Vector1<HostInt> end_marks, Index n_elements) {
  if (!node_numbers_are_readable(element_nodes, n_elements)) return MarkOutcome::refused;
  MarkOutcome outcome = MarkOutcome::unchanged;
  for (Index e = 1; e <= n_elements; ++e) {
    const Point3 first = nodes(element_nodes(1, e));
    const Point3 second = nodes(element_nodes(2, e));
    const struct {
      Point3 a, b;
      EndMark mark;
    } ends[] = {{first, second, EndMark::first}, {second, first, EndMark::second}};
    for (const auto& end : ends) {
      if (!lies_at_end(end.a, end.b, point)) continue;
      // Widened so that no host value can overflow the sum.
      const Index sum = Index{end_marks(e)} + static_cast<Index>(end.mark);
      if (!is_end_mark(sum)) continue;
      end_marks(e) = static_cast<HostInt>(sum);
      outcome = MarkOutcome::marked;
    }
  }
  return outcome;
}

}  // namespace zervola::mesh_geometry
