#pragma once

// Reads what a model says of its dynamics:
//
//   "masses": [{"name": "plant", "at": [x, y, z], "mass": 2.5,
//               "rotary_inertia": [Ix, Iy, Iz]}]      rotary_inertia optional
//   "mass_from_loads": [{"case": "G", "factor": 1.0}, {"case": "Q", "factor": 0.3}]
//   "modal": {"modes": 12, "mass_matrix": "consistent"}   or "lumped"
//
// Masses are in the model's force * s^2 / length (kN s^2/m = t), rotary
// inertias in that times length^2.

#include <string>
#include <vector>

#include "reading/json_item.hpp"
#include "zervola/frame/model.hpp"

namespace zervola::frame {

// Each reader throws InputError naming the file, the item and the field: an
// unknown field, a value of the wrong type, a mass or inertia that is
// negative, a factor that is not positive, modes that are not a whole
// number from 1 on, an unknown mass matrix.
[[nodiscard]] std::vector<PointMass> read_point_masses(const json& list, const std::string& file);
[[nodiscard]] std::vector<MassFromLoads> read_mass_from_loads(const json& list,
                                                              const std::string& file);
[[nodiscard]] ModalRequest read_modal(const Item& item);

}  // namespace zervola::frame
