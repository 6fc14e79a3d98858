#pragma once

// Results of the members as drawn that connect_crossings cut into pieces
// (Model::drawn_members): the pieces are members of the model with results
// of their own; these gather them into one member again, with every place
// measured from the drawn member's "from" point.

#include <array>
#include <cstddef>
#include <vector>

#include "zervola/frame/combinations.hpp"
#include "zervola/frame/export.hpp"
#include "zervola/frame/internal_forces.hpp"
#include "zervola/frame/model.hpp"
#include "zervola/frame/results.hpp"

namespace zervola::frame {

struct DrawnMemberResult {
  // Local axes (those of every piece): at its "from" point, the first
  // piece's start; at its "to" point, the last piece's end.
  std::array<double, 12> end_forces{};
  Extreme stress;  // extreme normal stresses along the whole member (as CaseResult's)
  // Internal forces and displacements along the whole member, as
  // member_extremes and refine_displacement_extremes give them per piece.
  std::array<Extreme, k_quantities> extremes{};
};

// The results of every drawn member of model (Model::drawn_members, in
// order) under load set k of load_sets(model).
//   model: in, as connect_crossings returned it; r: in, analyse's result for
//     it; k: in, below the number of load sets (not checked).
// Throws nothing but bad_alloc.
[[nodiscard]] ZERVOLA_FRAME_API std::vector<DrawnMemberResult> drawn_member_results(
    const Model& model, const AnalysisResult& r, std::size_t k);

struct DrawnMemberBounds {
  Bound stress_max, stress_min;                   // x_max, x_min: along the drawn member
  std::array<Bound, k_quantities> diagram{};      // likewise
};

// An envelope's bounds of every drawn member of model, from its pieces'
// bounds in e (envelope(model, r, v)), each with the set that gives it.
// Throws nothing but bad_alloc.
[[nodiscard]] ZERVOLA_FRAME_API std::vector<DrawnMemberBounds> drawn_member_envelope(
    const Model& model, const EnvelopeResult& e);

}  // namespace zervola::frame
