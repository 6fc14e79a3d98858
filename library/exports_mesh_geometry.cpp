// Exported routines of the mesh geometry: host arrays in, core views,
// results written back. No arithmetic here.

#include <memory_resource>

#include "zervola.h"

#include "abi_support.hpp"
#include "common/frame_model.hpp"
#include "mesh_geometry/free_line.hpp"
#include "mesh_geometry/nodes_from_lines.hpp"
#include "mesh_geometry/point_queries.hpp"

namespace {

namespace geometry = zervola::mesh_geometry;
using zervola::ElementNodes;
using zervola::k_unknown_extent;
using zervola::NodeCoordinates;
using zervola::Point3;
using zervola::Table1;
using zervola::Vector1;

// Host arrays whose lengths the interface does not pass: only the lower
// bound of an index can be checked.
NodeCoordinates node_view(const double* x, const double* y, const double* z) {
  return {Vector1<const double>(x, k_unknown_extent), Vector1<const double>(y, k_unknown_extent),
          Vector1<const double>(z, k_unknown_extent)};
}

ElementNodes element_nodes_view(const int32_t* element_nodes) {
  return ElementNodes(element_nodes, 2, k_unknown_extent);
}

Vector1<int32_t> per_element_view(int32_t* values) {
  return Vector1<int32_t>(values, k_unknown_extent);
}

Point3 read_point(const double* p) { return {p[0], p[1], p[2]}; }

void write_point(const Point3& p, double* host) {
  host[0] = p.x;
  host[1] = p.y;
  host[2] = p.z;
}

int32_t mark_made_flag(geometry::MarkOutcome outcome) {
  switch (outcome) {
    case geometry::MarkOutcome::marked:
      return 1;
    case geometry::MarkOutcome::unchanged:
      return 0;
    case geometry::MarkOutcome::refused:
      break;
  }
  return -1;
}

}  // namespace

extern "C" {

ZERVOLA_API void ZERVOLA_CALL POINTINNODE(const double* node_x, const double* node_y,
                                          const double* node_z, const int32_t* element_nodes,
                                          int32_t* end_codes, double* point,
                                          const int32_t* /*spare*/, const int32_t* n_elements,
                                          int32_t* node_found) {
  zervola::abi::guarded(
      [&] {
        const geometry::NodeAtPoint found = geometry::point_in_node(
            node_view(node_x, node_y, node_z), element_nodes_view(element_nodes),
            per_element_view(end_codes), read_point(point), *n_elements);
        write_point(found.point, point);
        *node_found = found.node;
      },
      [&] { *node_found = geometry::k_refused_node; });
}

ZERVOLA_API void ZERVOLA_CALL POINT_IN_LINE(const double* node_x, const double* node_y,
                                            const double* node_z, const int32_t* element_nodes,
                                            const double* point, int32_t* end_marks,
                                            const int32_t* /*spare*/, const int32_t* n_elements,
                                            int32_t* mark_made) {
  zervola::abi::guarded(
      [&] {
        *mark_made = mark_made_flag(geometry::point_in_line(
            node_view(node_x, node_y, node_z), element_nodes_view(element_nodes),
            read_point(point), per_element_view(end_marks), *n_elements));
      },
      [&] { *mark_made = mark_made_flag(geometry::MarkOutcome::refused); });
}

ZERVOLA_API void ZERVOLA_CALL FREELINE(const double* point_x, const double* point_y,
                                       const double* point_z, int32_t* line_points,
                                       int32_t* free_line, const int32_t* /*spare*/,
                                       const int32_t* n_lines) {
  zervola::abi::guarded(
      [&] {
        *free_line = geometry::free_line(node_view(point_x, point_y, point_z),
                                         geometry::LinePoints(line_points, 2, k_unknown_extent),
                                         *n_lines, std::pmr::new_delete_resource());
      },
      [&] { *free_line = geometry::k_free_line_failure; });
}

ZERVOLA_API void ZERVOLA_CALL MESHDISKR(double* node_x, double* node_y, double* node_z,
                                        int32_t* element_nodes, int32_t* point_count,
                                        const int32_t* n_elements) {
  zervola::abi::guarded(
      [&] {
        const geometry::MutableCoordinates points{Vector1<double>(node_x, k_unknown_extent),
                                                  Vector1<double>(node_y, k_unknown_extent),
                                                  Vector1<double>(node_z, k_unknown_extent)};
        *point_count = geometry::nodes_from_line_ends(
            points, Table1<int32_t>(element_nodes, 2, k_unknown_extent), *point_count,
            *n_elements, std::pmr::new_delete_resource());
      },
      [&] { *point_count = geometry::k_no_nodes; });
}

}  // extern "C"
