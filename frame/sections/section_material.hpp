#pragma once

// A section's material values: those the section gives, the rest from its
// named material, converted into the model's units.

#include <optional>
#include <string>

#include "zervola/frame/model.hpp"

namespace zervola::frame {

// The material values a section states itself (in the model's units).
struct MaterialOverrides {
  std::optional<double> elastic_modulus;
  std::optional<double> shear_modulus;
  std::optional<double> density;
  std::optional<double> thermal_coefficient;
};

// Sets section's E, G, density and thermal coefficient: each given value,
// else the named material's (material empty: none; E and G must then be
// given, the thermal coefficient defaults to 0 and the density to none).
//   section: in/out; material: in, the name; from_model: in, the name is
//   the model's "material" rather than the section's (for messages).
//   given: in; units: in, the model's; origin: in, the section.
// Throws InputError: an unknown material (with the nearest names), units
// that cannot be converted, E or G missing without a material.
void complete_material(Section& section, const std::string& material, bool from_model,
                       const MaterialOverrides& given, const Units& units, const Origin& origin);

}  // namespace zervola::frame
