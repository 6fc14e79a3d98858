#pragma once

// Values that no structural material has once the model's units are taken
// at their word: the commonest slip of units (E in N/mm^2 in a kN-m model,
// a density in kg/m^3 where t/m^3 is meant).

#include <vector>

#include "zervola/frame/model.hpp"

namespace zervola::frame {

// Per section, for units that convert: "implausible_modulus" when E is
// below 1e3 or above 1e6 N/mm^2, "implausible_density" when the density is
// below 50 or above 25,000 kg/m^3. Nothing for units that are labels only
// (the reader warned of them).
//   model: in.
[[nodiscard]] std::vector<Warning> plausibility_warnings(const Model& model);

}  // namespace zervola::frame
