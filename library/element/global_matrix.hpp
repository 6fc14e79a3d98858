#pragma once

// The element matrix in global axes, straight from the host's model arrays.

#include "common/frame_model.hpp"
#include "common/matrix12.hpp"
#include "element/local_mass.hpp"
#include "element/local_stiffness.hpp"

namespace zervola::element {

// Stiffness that ties each translation of a rigid link's first node to the
// same translation of its second node (force per unit displacement). Large
// enough to make the link rigid in any model of ordinary units.
inline constexpr double k_rigid_link_penalty = 1.0E20;

// Element frame flag: exactly this value leaves the matrix as the local
// formulation builds it.
inline constexpr HostInt k_element_frame_local = 1;

// The host's model arrays as the element matrix reads them.
struct ElementModel {
  NodeCoordinates nodes;
  OrientationPoints orientation;
  ElementNodes element_nodes;
  Vector1<const HostInt> section_codes;  // > 0: section column; < 0: rigid link
  SectionTable section_table;
};

// The geometry of the bar from node i to node j: its components, length,
// and the powers of the length the matrices use.
[[nodiscard]] BarGeometry bar_geometry(Point3 i, Point3 j);

// Rows 1..6 of a section column: E, G, A, It, Iy, Iz.
[[nodiscard]] SectionProperties read_section(SectionTable table, Index section);

// True when element e, its nodes and its section code can be read: numbers
// at least 1, section code not 0.
[[nodiscard]] bool references_are_readable(const ElementModel& model, Index element);

// Matrix of a rigid link: translations of the two nodes tied by the penalty,
// rotations free.
[[nodiscard]] Matrix12 rigid_link_matrix();

// The 12 x 12 matrix of element e. A negative section code gives the rigid
// link. Otherwise the local stiffness of the end code; with element_frame
// other than 1 it is turned into global axes as T^T K T, except the
// pin-ended bar, whose stiffness is built in global axes already.
[[nodiscard]] Matrix12 element_matrix(const ElementModel& model, Index element,
                                      HostInt element_frame, HostInt end_code);

// The 12 x 12 mass matrix of element e in global axes: local_mass of the
// end code's form for the bar's mass per length m, turned into global axes
// as T^T M T (the pin-ended form is global already). A rigid link (negative
// section code) carries no mass of its own.
[[nodiscard]] Matrix12 element_mass_matrix(const ElementModel& model, Index element,
                                           HostInt end_code, const BarMass& m, MassForm kind);

}  // namespace zervola::element
