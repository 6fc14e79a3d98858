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

// The host's reverse_flag: 0 walks an element from its first to its second
// node, 1 the other way; any other value has no walk.
[[nodiscard]] constexpr std::optional<element::Walk> walk_from_reverse_flag(HostInt reverse_flag) {
  if (reverse_flag == 0) return element::Walk::forward;
  if (reverse_flag == 1) return element::Walk::reversed;
  return std::nullopt;
}

}  // namespace zervola::results
