#pragma once

// The host's arrays as result recovery reads them, after an analysis has
// turned the load vector into nodal displacements.

#include <optional>

#include "common/frame_model.hpp"
#include "common/index.hpp"
#include "common/one_based.hpp"
#include "element/local_axes.hpp"

namespace zervola::results {

// displacements: (6, n_nodes); entry (c, n) is degree of freedom c of node n
// in global axes (ux, uy, uz, theta_x, theta_y, theta_z), that is entry
// 6 (n - 1) + c of the load vector the analysis returns.
using Displacements = Table1<const double>;

inline constexpr Index k_displacement_rows = 6;

// What the end forces of one element are computed from.
struct RecoveryModel {
  Displacements displacements;
  NodeCoordinates nodes;
  ElementNodes element_nodes;
  Vector1<const HostInt> section_codes;  // |code| names the section column
  SectionTable section_table;
};

using element::walk_from_reverse_flag;

// True when element e, its nodes and its section code can be read: numbers
// at least 1, section code not 0.
[[nodiscard]] inline bool references_are_readable(const RecoveryModel& model, Index element) {
  return element::references_are_readable(model.element_nodes, element) &&
         model.section_codes(element) != 0;
}

}  // namespace zervola::results
