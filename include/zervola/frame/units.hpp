#pragma once

// The units a model states, and how values given in SI units (a material's
// modulus in N/mm^2, a density in kg/m^3, a catalogue's cm^4) are brought
// into them. A model's units are a force and a length; every other unit is
// derived (moment force*length, stress force/length^2, mass
// force*s^2/length, density force*s^2/length^4, acceleration length/s^2).

#include <optional>
#include <string>

#include "zervola/frame/export.hpp"
#include "zervola/frame/model.hpp"

namespace zervola::frame {

// The force and length units that are converted, in the order messages list
// them: N, kN, MN, lbf, kip and mm, cm, m, in, ft.
ZERVOLA_FRAME_API extern const char* const k_force_units_text;   // "N, kN, MN, lbf, kip"
ZERVOLA_FRAME_API extern const char* const k_length_units_text;  // "mm, cm, m, in, ft"

// Standard gravity, m/s^2: the default acceleration of self-weight.
inline constexpr double k_standard_gravity = 9.81;

// The size of a model's units in SI units.
struct UnitScale {
  double newtons_per_force = 1.0;  // 1 force unit, in N (kN: 1000)
  double metres_per_length = 1.0;  // 1 length unit, in m (mm: 0.001)

  // A value given in SI units (N, m, s and their products) in the model's
  // units. The value's unit is N^force_power * m^length_power (times
  // seconds, which need no conversion): a stress is (1, -2), a second
  // moment of area (0, 4), a density in kg/m^3 = N*s^2/m^4 (1, -4), an
  // acceleration (0, 1).
  //   value: in, in SI units.
  //   force_power, length_power: in, the powers of N and m in its unit.
  [[nodiscard]] ZERVOLA_FRAME_API double from_si(double value, int force_power,
                                                 int length_power) const;
};

// The scale of units, or nothing when either unit is not one of the known
// ones above (the model's values are then taken as given, with labels only).
//   units: in, the model's units, spelt exactly as listed (case matters:
//     "MN" is not "mn").
[[nodiscard]] ZERVOLA_FRAME_API std::optional<UnitScale> unit_scale(const Units& units);

// The scale of units, or InputError when they are not known.
//   units: in, the model's units.
//   what: in, what needs the conversion, for the message ("the catalogue
//     section \"IPE 300\"").
//   origin: in, where the request was made.
[[nodiscard]] ZERVOLA_FRAME_API UnitScale required_unit_scale(const Units& units,
                                                              const std::string& what,
                                                              const Origin& origin);

}  // namespace zervola::frame
