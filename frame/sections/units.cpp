#include "zervola/frame/units.hpp"

#include <fmt/format.h>

#include <array>
#include <cmath>
#include <string_view>

#include "model/item_fault.hpp"

namespace zervola::frame {

const char* const k_force_units_text = "N, kN, MN, lbf, kip";
const char* const k_length_units_text = "mm, cm, m, in, ft";

namespace {

struct NamedSize {
  std::string_view name;
  double si;
};

// The pound-force is the avoirdupois pound (0.45359237 kg, exact) under
// standard gravity (9.80665 m/s^2, exact); the inch is 0.0254 m (exact).
constexpr double k_newtons_per_lbf = 4.4482216152605;
constexpr std::array<NamedSize, 5> k_forces = {{
    {"N", 1.0}, {"kN", 1000.0}, {"MN", 1.0e6}, {"lbf", k_newtons_per_lbf},
    {"kip", 1000.0 * k_newtons_per_lbf},
}};
constexpr std::array<NamedSize, 5> k_lengths = {{
    {"mm", 1.0 / 1000.0}, {"cm", 1.0 / 100.0}, {"m", 1.0}, {"in", 0.0254}, {"ft", 0.3048},
}};

template <std::size_t N>
std::optional<double> size_of(const std::array<NamedSize, N>& table, const std::string& name) {
  for (const NamedSize& s : table)
    if (s.name == name) return s.si;
  return std::nullopt;
}

}  // namespace

double UnitScale::from_si(double value, int force_power, int length_power) const {
  return value / (std::pow(newtons_per_force, force_power) *
                  std::pow(metres_per_length, length_power));
}

std::optional<UnitScale> unit_scale(const Units& units) {
  const auto force = size_of(k_forces, units.force);
  const auto length = size_of(k_lengths, units.length);
  if (!force || !length) return std::nullopt;
  return UnitScale{*force, *length};
}

UnitScale required_unit_scale(const Units& units, const std::string& what, const Origin& origin) {
  if (const auto scale = unit_scale(units)) return *scale;
  fail_item(origin, "",
            fmt::format("{} needs units that zervola can convert into, but the model's units "
                        "are force \"{}\", length \"{}\": give \"units\" a force among {} and "
                        "a length among {}",
                        what, units.force, units.length, k_force_units_text,
                        k_length_units_text));
}

}  // namespace zervola::frame
