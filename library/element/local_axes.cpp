#include "element/local_axes.hpp"

#include <cmath>

namespace zervola::element {

namespace {

struct Direction {
  double dx, dy, dz;  // end minus start
  double cx, cy, cz;  // unit vector along the bar
};

Direction bar_direction(Point3 start, Point3 end) {
  Direction d{};
  d.dx = end.x - start.x;
  d.dy = end.y - start.y;
  d.dz = end.z - start.z;
  const double length = std::sqrt(d.dx * d.dx + d.dy * d.dy + d.dz * d.dz);
  d.cx = d.dx / length;
  d.cy = d.dy / length;
  d.cz = d.dz / length;
  return d;
}

}  // namespace

bool has_no_orientation_point(Point3 p) {
  const auto all_equal = [&p](double marker) {
    return p.x == marker && p.y == marker && p.z == marker;
  };
  return all_equal(k_no_orientation_marker) || all_equal(k_no_orientation_marker_drawing);
}

DirectionCosines default_axes(Point3 start, Point3 end) {
  const Direction d = bar_direction(start, end);
  // Length of the bar's horizontal projection per unit length.
  const double D = std::sqrt(1.0 - d.cz * d.cz);
  DirectionCosines b;
  if (d.dz > 0.0 && std::fabs(D) < k_vertical_bar_projection) {
    b.rows = {{{0.0, 0.0, 1.0}, {0.0, -1.0, 0.0}, {1.0, 0.0, 0.0}}};
  } else if (d.dz < 0.0 && std::fabs(D) < k_vertical_bar_projection) {
    b.rows = {{{0.0, 0.0, -1.0}, {0.0, -1.0, 0.0}, {-1.0, 0.0, 0.0}}};
  } else {
    b.rows = {{{d.cx, d.cy, d.cz},
               {-d.cy / D, d.cx / D, 0.0},
               {-d.cx * d.cz / D, -d.cy * d.cz / D, D}}};
  }
  return b;
}

DirectionCosines orientation_point_axes(Point3 start, Point3 end, Point3 orientation,
                                        double sign) {
  const Direction d = bar_direction(start, end);
  const double mx = (start.x + end.x) / 2.0;
  const double my = (start.y + end.y) / 2.0;
  const double mz = (start.z + end.z) / 2.0;

  // u: unit vector from the midpoint towards the orientation point.
  const double vx = sign * (orientation.x - mx);
  const double vy = sign * (orientation.y - my);
  const double vz = sign * (orientation.z - mz);
  const double v_norm = std::sqrt(vx * vx + vy * vy + vz * vz);
  const double ux = vx / v_norm;
  const double uy = vy / v_norm;
  const double uz = vz / v_norm;

  // a = (u x c) / |u x c|: local y, normal to the plane of the bar and the point.
  const double wx = uy * d.cz - uz * d.cy;
  const double wy = uz * d.cx - ux * d.cz;
  const double wz = ux * d.cy - uy * d.cx;
  const double w_norm = std::sqrt(wx * wx + wy * wy + wz * wz);
  const double a1 = wx / w_norm;
  const double a2 = wy / w_norm;
  const double a3 = wz / w_norm;

  // b = c x a: local z.
  const double b1 = d.cy * a3 - d.cz * a2;
  const double b2 = d.cz * a1 - d.cx * a3;
  const double b3 = d.cx * a2 - d.cy * a1;

  DirectionCosines block;
  block.rows = {{{d.cx, d.cy, d.cz}, {a1, a2, a3}, {b1, b2, b3}}};
  return block;
}

Matrix12 transformation_matrix(const DirectionCosines& block) {
  Matrix12 t;
  for (Index copy = 0; copy < 4; ++copy) {
    const Index base = 3 * copy;
    for (Index r = 1; r <= 3; ++r)
      for (Index c = 1; c <= 3; ++c)
        t(base + r, base + c) =
            block.rows[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c - 1)];
  }
  return t;
}

WalkedNodes walked_nodes(ElementNodes element_nodes, Index element, Walk walk) {
  const Index first = element_nodes(1, element);
  const Index second = element_nodes(2, element);
  if (walk == Walk::reversed) return {second, first};
  return {first, second};
}

bool references_are_readable(ElementNodes element_nodes, Index element) {
  return element >= 1 && element_nodes(1, element) >= 1 && element_nodes(2, element) >= 1;
}

Matrix12 default_transform(const NodeCoordinates& nodes, ElementNodes element_nodes,
                           Index element, Walk walk) {
  const WalkedNodes n = walked_nodes(element_nodes, element, walk);
  return transformation_matrix(default_axes(nodes(n.start), nodes(n.end)));
}

Matrix12 element_transform(const NodeCoordinates& nodes, const OrientationPoints& orientation,
                           ElementNodes element_nodes, Index element, Walk walk) {
  const Point3 p = orientation(element);
  if (has_no_orientation_point(p)) return default_transform(nodes, element_nodes, element, walk);
  const WalkedNodes n = walked_nodes(element_nodes, element, walk);
  const double sign = walk == Walk::reversed ? -1.0 : 1.0;
  return transformation_matrix(orientation_point_axes(nodes(n.start), nodes(n.end), p, sign));
}

DirectionCosines ucs_axes(Point3 a, Point3 b, Point3 c) {
  if (has_no_orientation_point(c)) return default_axes(a, b);
  return orientation_point_axes(a, b, c, 1.0);
}

}  // namespace zervola::element
