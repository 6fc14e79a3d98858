#include "section_listing.hpp"

#include <fmt/format.h>
#include <zervola/frame/sections.hpp>

#include <cmath>
#include <cstdio>

#include "exit_status.hpp"

namespace zervola::frame::cli {
namespace {

// Designations offered when nothing matches.
constexpr std::size_t k_suggestions = 5;

// The table's own units: mm and cm (EN tables) or inches (AISC).
struct TableUnits {
  const char* dimension;
  const char* area;
  const char* inertia;
  double metres_per_dimension;
  double metres_per_property;
  const char* mass;
  double kg_per_m_per_mass_unit;
};

constexpr TableUnits k_metric = {"mm", "cm2", "cm4", 1.0 / 1000.0, 1.0 / 100.0, "kg/m", 1.0};
constexpr TableUnits k_inch = {"in", "in2", "in4", 0.0254, 0.0254, "lb/ft", 0.45359237 / 0.3048};

std::string value(double si, double metres_per_unit, int power) {
  return fmt::format("{:.4g}", si / std::pow(metres_per_unit, power));
}

}  // namespace

int list_sections(const std::string& filter) {
  const SectionCatalogue catalogue = SectionCatalogue::load();
  const std::vector<const CatalogueSection*> found = catalogue.matching(filter);
  if (found.empty()) {
    std::string nearest;
    for (const std::string& name : catalogue.nearest(filter, k_suggestions))
      nearest += fmt::format("{}\"{}\"", nearest.empty() ? "" : ", ", name);
    fmt::print(stderr, "zervola-frame: no section of the catalogue matches \"{}\"; nearest: {}\n",
               filter, nearest);
    return static_cast<int>(ExitStatus::usage);
  }
  std::string last_table;
  for (const CatalogueSection* s : found) {
    const TableUnits& u = s->inch_table ? k_inch : k_metric;
    if (s->table != last_table) {
      fmt::print("{}{} ({}; I_strong, I_weak about the principal axes{})\n",
                 last_table.empty() ? "" : "\n", s->table, catalogue.directory(),
                 s->principal_axes_rotated ? ", at 45 degrees to the legs" : "");
      fmt::print("  {:<18} {:<7} {:>8} {:>8} {:>9} {:>13} {:>12} {:>10} {:>8}\n", "designation",
                 "family", fmt::format("h {}", u.dimension), fmt::format("b {}", u.dimension),
                 fmt::format("A {}", u.area), fmt::format("I_strong {}", u.inertia),
                 fmt::format("I_weak {}", u.inertia), fmt::format("It {}", u.inertia), u.mass);
      last_table = s->table;
    }
    fmt::print("  {:<18} {:<7} {:>8} {:>8} {:>9} {:>13} {:>12} {:>10} {:>8}{}\n", s->designation,
               s->family, value(s->nominal_depth, u.metres_per_dimension, 1),
               value(s->nominal_width, u.metres_per_dimension, 1),
               value(s->area, u.metres_per_property, 2),
               value(s->axes.inertia_strong, u.metres_per_property, 4),
               value(s->axes.inertia_weak, u.metres_per_property, 4),
               value(s->torsion_constant, u.metres_per_property, 4),
               fmt::format("{:.4g}", s->mass_per_length / u.kg_per_m_per_mass_unit),
               s->torsion_from_formula ? "  (It thin-walled formula)" : "");
  }
  return 0;
}

}  // namespace zervola::frame::cli
