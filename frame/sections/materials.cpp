#include <cctype>

#include "zervola/frame/sections.hpp"

namespace zervola::frame {
namespace {

// Steel, EN 1993-1-1 3.2.6: E 210,000 N/mm^2, G 81,000 N/mm^2,
// alpha 12e-6/K; density 7850 kg/m^3 (EN 1991-1-1 Table A.4: 77-78.5 kN/m^3).
constexpr double k_steel_E = 210000.0;
constexpr double k_steel_G = 81000.0;
constexpr double k_steel_density = 7850.0;
constexpr double k_steel_alpha = 12.0e-6;
constexpr const char* k_steel_source = "EN 1993-1-1 3.2.6";

// Concrete, EN 1992-1-1: Ecm from Table 3.1, Poisson's ratio 0.2 (3.1.3(4))
// for uncracked concrete, alpha 10e-6/K (3.1.3(5)); density of reinforced
// normal-weight concrete 2500 kg/m^3 (EN 1991-1-1 Table A.1: 25 kN/m^3).
constexpr double k_concrete_poisson = 0.2;
constexpr double k_concrete_density = 2500.0;
constexpr double k_concrete_alpha = 10.0e-6;
constexpr const char* k_concrete_source = "EN 1992-1-1 Table 3.1, 3.1.3";

// Timber: mean values, glulam from EN 14080 Table 5, solid timber from EN
// 338 Table 1. alpha parallel to the grain, 5e-6/K, is a typical value (the
// Eurocodes give none).
constexpr double k_timber_alpha = 5.0e-6;

Material concrete(const char* name, double ecm_gpa) {
  const double E = ecm_gpa * 1000.0;
  return {name, E, E / (2.0 * (1.0 + k_concrete_poisson)), k_concrete_density, k_concrete_alpha,
          k_concrete_source};
}

std::vector<Material> build() {
  std::vector<Material> out;
  for (const char* name : {"S235", "S275", "S355", "S420", "S450", "S460"})
    out.push_back({name, k_steel_E, k_steel_G, k_steel_density, k_steel_alpha, k_steel_source});
  out.push_back(concrete("C20/25", 30.0));
  out.push_back(concrete("C25/30", 31.0));
  out.push_back(concrete("C30/37", 33.0));
  out.push_back(concrete("C35/45", 34.0));
  out.push_back(concrete("C40/50", 35.0));
  out.push_back(concrete("C45/55", 36.0));
  out.push_back(concrete("C50/60", 37.0));
  out.push_back({"GL24h", 11500.0, 650.0, 420.0, k_timber_alpha, "EN 14080 Table 5"});
  out.push_back({"GL28h", 12600.0, 650.0, 460.0, k_timber_alpha, "EN 14080 Table 5"});
  out.push_back({"GL30h", 13600.0, 650.0, 480.0, k_timber_alpha, "EN 14080 Table 5"});
  out.push_back({"GL32h", 14200.0, 650.0, 490.0, k_timber_alpha, "EN 14080 Table 5"});
  out.push_back({"C24", 11000.0, 690.0, 420.0, k_timber_alpha, "EN 338 Table 1"});
  out.push_back({"C30", 12000.0, 750.0, 460.0, k_timber_alpha, "EN 338 Table 1"});
  return out;
}

}  // namespace

const std::vector<Material>& named_materials() {
  static const std::vector<Material> table = build();
  return table;
}

const Material* find_material(std::string_view name) {
  const std::string key = normalised_designation(name);
  for (const Material& m : named_materials())
    if (normalised_designation(m.name) == key) return &m;
  return nullptr;
}

MaterialValues material_values(const Material& material, const UnitScale& scale) {
  // N/mm^2 = 1e6 N/m^2; kg/m^3 = N*s^2/m^4.
  constexpr double k_pascal_per_mpa = 1.0e6;
  return {scale.from_si(material.elastic_modulus * k_pascal_per_mpa, 1, -2),
          scale.from_si(material.shear_modulus * k_pascal_per_mpa, 1, -2),
          scale.from_si(material.density, 1, -4), material.thermal_coefficient};
}

}  // namespace zervola::frame
