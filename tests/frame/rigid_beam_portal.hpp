#pragma once

// The frame whose modes the tests know in closed form: a one-storey plane
// portal with fixed feet, columns that do not shorten and a beam a million
// times stiffer than the columns, its mass m at each beam end and none in
// the members; its sway frequency is sqrt(24 E Ic / (h^3 2 m)).

#include <nlohmann/json.hpp>

#include <string>

namespace zervola::frame::test {

inline constexpr double E = 2.1e8;     // kN/m^2
inline constexpr double Ic = 1.0e-4;   // m^4, columns
inline constexpr double h = 4.0;       // m, storey
inline constexpr double bay = 6.0;     // m
// Axially rigid columns, so that the sway is the columns' bending alone.
inline constexpr double column_area = 10.0;  // m^2

// m in t at each beam end; mass_matrix "consistent" or "lumped"; two modes.
inline nlohmann::json rigid_beam_portal(double m, const std::string& mass_matrix) {
  using nlohmann::json;
  return {
      {"units", {{"force", "kN"}, {"length", "m"}}},
      {"frame", "plane"},
      {"sections",
       {{{"name", "column"}, {"E", E}, {"G", 8.1e7}, {"A", column_area}, {"It", 1e-6}, {"Iy", 1e-6}, {"Iz", Ic}, {"extent_z", 0.3}, {"extent_y", 0.3}},
        {{"name", "beam"}, {"E", E}, {"G", 8.1e7}, {"A", 10.0}, {"It", 1e-6}, {"Iy", 1e-6}, {"Iz", 100.0}, {"extent_z", 0.3}, {"extent_y", 0.3}}}},
      {"members",
       {{{"name", "C1"}, {"from", {0, 0, 0}}, {"to", {0, h, 0}}, {"section", "column"}},
        {{"name", "C2"}, {"from", {bay, 0, 0}}, {"to", {bay, h, 0}}, {"section", "column"}},
        {{"name", "B"}, {"from", {0, h, 0}}, {"to", {bay, h, 0}}, {"section", "beam"}}}},
      {"supports",
       {{{"at", {0, 0, 0}}, {"type", "fixed"}}, {{"at", {bay, 0, 0}}, {"type", "fixed"}}}},
      {"masses", {{{"at", {0, h, 0}}, {"mass", m}}, {{"at", {bay, h, 0}}, {"mass", m}}}},
      {"modal", {{"modes", 2}, {"mass_matrix", mass_matrix}}}};
}

}  // namespace zervola::frame::test
