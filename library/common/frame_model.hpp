#pragma once

// Read-only views of the host's model arrays, as the element and result
// routines see them. Every accessor takes the host's 1-based numbers.

#include "common/index.hpp"
#include "common/one_based.hpp"

namespace zervola {

struct Point3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

// node_x, node_y, node_z: one coordinate per node, global axes, model units.
struct NodeCoordinates {
  Vector1<const double> x;
  Vector1<const double> y;
  Vector1<const double> z;

  [[nodiscard]] Point3 operator()(Index node) const { return {x(node), y(node), z(node)}; }
};

// orient_x, orient_y, orient_z: one orientation point per element.
struct OrientationPoints {
  Vector1<const double> x;
  Vector1<const double> y;
  Vector1<const double> z;

  [[nodiscard]] Point3 operator()(Index element) const {
    return {x(element), y(element), z(element)};
  }
};

// element_nodes: (2, n_elements); entry (1, e) is the first node of element e
// (its node i), entry (2, e) the second (node j).
using ElementNodes = Table1<const HostInt>;

// section_table: (10, n_sections), one column per section.
using SectionTable = Table1<const double>;

inline constexpr Index k_section_table_rows = 10;

// Rows of a section column.
enum class SectionRow : Index {
  elastic_modulus = 1,
  shear_modulus = 2,
  area = 3,
  torsion_constant = 4,
  inertia_y = 5,
  inertia_z = 6,
  extent_z = 8,
  extent_y = 9,
  thermal_coefficient = 10,
};

[[nodiscard]] inline double section_value(SectionTable table, Index section, SectionRow row) {
  return table(static_cast<Index>(row), section);
}

}  // namespace zervola
