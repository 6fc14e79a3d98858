#include "sections/section_material.hpp"

#include <fmt/format.h>

#include "model/item_fault.hpp"
#include "model/nearest_names.hpp"
#include "zervola/frame/sections.hpp"

namespace zervola::frame {
namespace {

// Suggestions offered for an unknown material name.
constexpr std::size_t k_suggested_materials = 4;

const Material& named(const std::string& name, bool from_model, const Origin& origin) {
  if (const Material* m = find_material(name)) return *m;
  std::vector<std::string> keys, names;
  for (const Material& m : named_materials()) {
    keys.push_back(normalised_designation(m.name));
    names.push_back(m.name);
  }
  const std::string nearest =
      nearest_text(nearest_names(normalised_designation(name), keys, names, k_suggested_materials));
  const Origin where = from_model ? Origin{origin.file, "model"} : origin;
  fail_item(where, "material",
            fmt::format("unknown material \"{}\"{} (docs/model-format.md lists the named "
                        "materials; or give E, G, density and thermal_coefficient)",
                        name, nearest));
}

}  // namespace

void complete_material(Section& section, const std::string& material, bool from_model,
                       const MaterialOverrides& given, const Units& units, const Origin& origin) {
  MaterialValues values;
  if (!material.empty()) {
    const Material& m = named(material, from_model, origin);
    const UnitScale scale =
        required_unit_scale(units, fmt::format("the material \"{}\"", m.name), origin);
    values = material_values(m, scale);
    section.material = m.name;
    section.density = values.density;
  } else {
    const char* missing = !given.elastic_modulus ? "E" : !given.shear_modulus ? "G" : nullptr;
    if (missing != nullptr)
      fail_item(origin, missing,
                "missing field (give E and G, or a \"material\" such as \"S355\" or \"C30/37\")");
  }
  section.elastic_modulus = given.elastic_modulus.value_or(values.elastic_modulus);
  section.shear_modulus = given.shear_modulus.value_or(values.shear_modulus);
  section.thermal_coefficient = given.thermal_coefficient.value_or(values.thermal_coefficient);
  if (given.density) section.density = given.density;
}

}  // namespace zervola::frame
