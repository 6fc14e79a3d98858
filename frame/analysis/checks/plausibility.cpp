#include "analysis/checks/plausibility.hpp"

#include <fmt/format.h>

#include "zervola/frame/units.hpp"

namespace zervola::frame {
namespace {

// Every structural material's elastic modulus lies between these, N/mm^2:
// from soft timber across the grain and polymers (about 3e3) to tungsten
// (4e5), with a margin.
constexpr double k_least_modulus = 1.0e3;
constexpr double k_greatest_modulus = 1.0e6;
// And its density, kg/m^3: from light timber (about 150) to lead (11,340).
constexpr double k_least_density = 50.0;
constexpr double k_greatest_density = 25000.0;
constexpr double k_pascal_per_mpa = 1.0e6;

}  // namespace

std::vector<Warning> plausibility_warnings(const Model& model) {
  std::vector<Warning> out;
  const auto scale = unit_scale(model.units);
  if (!scale) return out;
  // One model unit of stress and of density in N/mm^2 and kg/m^3.
  const double mpa_per_unit = 1.0 / scale->from_si(k_pascal_per_mpa, 1, -2);
  const double kg_per_unit = 1.0 / scale->from_si(1.0, 1, -4);
  const std::string stress = fmt::format("{}/{}^2", model.units.force, model.units.length);
  for (const Section& s : model.sections) {
    const double e = s.elastic_modulus * mpa_per_unit;
    if (!(e >= k_least_modulus && e <= k_greatest_modulus))
      out.push_back(
          {"implausible_modulus",
           fmt::format("{}: section \"{}\": E = {:g} {} is {:g} N/mm^2, outside every structural "
                       "material ({:g} to {:g} N/mm^2; steel 210,000): check the units of E "
                       "(steel is {:g} in {})",
                       model.source_file, s.name, s.elastic_modulus, stress, e, k_least_modulus,
                       k_greatest_modulus, 210000.0 / mpa_per_unit, stress),
           {s.name}});
    if (!s.density) continue;
    const double rho = *s.density * kg_per_unit;
    if (!(rho >= k_least_density && rho <= k_greatest_density))
      out.push_back(
          {"implausible_density",
           fmt::format("{}: section \"{}\": density {:g} (in {}*s^2/{}^4) is {:g} kg/m^3, outside "
                       "every structural material ({:g} to {:g} kg/m^3): steel's 7850 kg/m^3 is "
                       "{:g} in these units; or give \"density_unit\": \"kg/m3\"",
                       model.source_file, s.name, *s.density, model.units.force,
                       model.units.length, rho, k_least_density, k_greatest_density,
                       7850.0 / kg_per_unit),
           {s.name}});
  }
  return out;
}

}  // namespace zervola::frame
