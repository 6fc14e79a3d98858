#include "reading/section_reader.hpp"

#include <fmt/format.h>

#include <array>

#include "model/item_fault.hpp"
#include "model/nearest_names.hpp"
#include "sections/section_material.hpp"

namespace zervola::frame {
namespace {

// Suggestions offered for an unknown profile.
constexpr std::size_t k_suggested_profiles = 5;

constexpr std::array<const char*, 4> k_local_fields = {"Iy", "Iz", "extent_z", "extent_y"};
constexpr std::array<const char*, 4> k_axis_fields = {"I_strong", "I_weak", "depth", "width"};
constexpr std::array<const char*, 2> k_typed_fields = {"A", "It"};
constexpr std::array<const char*, 6> k_shape_fields = {"b", "h", "d", "t", "tw", "tf"};

template <std::size_t N>
const char* first_present(const Item& item, const std::array<const char*, N>& fields) {
  for (const char* f : fields)
    if (item.has(f)) return f;
  return nullptr;
}

// A section given by one form must not carry the fields of another.
template <std::size_t N>
void refuse(const Item& item, const std::array<const char*, N>& fields, const char* form) {
  if (const char* f = first_present(item, fields))
    item.fail(f, fmt::format("a section given by {} takes no \"{}\": remove it, or give the "
                             "section's properties without {}",
                             form, f, form));
}

// A value that the local axes receive under another name is checked under
// its own, so that a message names the field the model gives.
double positive(const Item& item, const char* key) {
  const double v = item.number(key);
  if (!(v > 0.0)) item.fail(key, fmt::format("must be positive, is {}", v));
  return v;
}

std::optional<double> optional_number(const Item& item, const char* key) {
  if (!item.has(key)) return std::nullopt;
  return item.number(key);
}

void read_profile(const Item& item, SectionContext& context, Section& s) {
  refuse(item, k_typed_fields, "\"profile\"");
  refuse(item, k_local_fields, "\"profile\"");
  refuse(item, k_axis_fields, "\"profile\"");
  refuse(item, k_shape_fields, "\"profile\"");
  if (item.has("shape")) item.fail("shape", "give either \"profile\" or \"shape\", not both");
  const std::string name = item.string("profile");
  const UnitScale scale = required_unit_scale(
      context.units, fmt::format("the catalogue section \"{}\"", name), item.origin());
  const SectionCatalogue& catalogue = context.section_catalogue();
  const CatalogueSection* entry = catalogue.find(name);
  if (entry == nullptr) fail_unknown_profile(item.origin(), "profile", name, catalogue);
  const Origin origin = s.origin;
  s = catalogue_section(s.name, *entry, scale, context.frame);
  s.origin = origin;
}

void read_shape(const Item& item, const SectionContext& context, Section& s) {
  refuse(item, k_typed_fields, "\"shape\"");
  refuse(item, k_local_fields, "\"shape\"");
  refuse(item, k_axis_fields, "\"shape\"");
  const std::string name = item.string("shape");
  ShapeKind kind{};
  if (!shape_kind(name, kind))
    item.fail("shape", fmt::format("\"{}\" is not a shape (rectangle, circle, hollow_circle, "
                                   "hollow_rectangle, i)",
                                   name));
  // The dimensions each shape reads; any other is refused.
  std::vector<const char*> needed;
  switch (kind) {
    case ShapeKind::rectangle: needed = {"b", "h"}; break;
    case ShapeKind::circle: needed = {"d"}; break;
    case ShapeKind::hollow_circle: needed = {"d", "t"}; break;
    case ShapeKind::hollow_rectangle: needed = {"b", "h", "t"}; break;
    case ShapeKind::i_section: needed = {"h", "b", "tw", "tf"}; break;
  }
  for (const char* f : k_shape_fields) {
    const bool wanted = std::find_if(needed.begin(), needed.end(), [&](const char* n) {
                          return std::string_view(n) == f;
                        }) != needed.end();
    if (!wanted && item.has(f))
      item.fail(f, fmt::format("a \"{}\" has no dimension \"{}\"", name, f));
  }
  ShapeDimensions dims;
  std::string text = name;
  for (const char* f : needed) {
    const double v = item.number(f);
    text += fmt::format("{} {} {}", f == needed.front() ? "" : ",", f, v);
    const std::string_view field = f;
    if (field == "b") dims.b = v;
    else if (field == "h") dims.h = v;
    else if (field == "d") dims.d = v;
    else if (field == "t") dims.t = v;
    else if (field == "tw") dims.tw = v;
    else dims.tf = v;
  }
  StrongWeakAxes axes;
  shape_properties(kind, dims, s.area, s.torsion_constant, axes, item.origin());
  place_strong_weak(axes, context.frame, s);
  s.shape = text;
}

void read_typed(const Item& item, const SectionContext& context, Section& s) {
  refuse(item, k_shape_fields, "typed properties");
  s.area = item.number("A");
  s.torsion_constant = item.number("It");
  const char* local = first_present(item, k_local_fields);
  const char* axis = first_present(item, k_axis_fields);
  if (local != nullptr && axis != nullptr)
    item.fail(axis, fmt::format("give the inertias in local axes (Iy, Iz, extent_z, extent_y) "
                                "or by the section's axes (I_strong, I_weak, depth, width), not "
                                "both (\"{}\" is of the first kind)",
                                local));
  if (axis != nullptr) {
    StrongWeakAxes axes;
    axes.inertia_strong = positive(item, "I_strong");
    axes.inertia_weak = positive(item, "I_weak");
    axes.depth = positive(item, "depth");
    axes.width = positive(item, "width");
    place_strong_weak(axes, context.frame, s);
    return;
  }
  s.inertia_y = item.number("Iy");
  s.inertia_z = item.number("Iz");
  s.extent_z = item.number("extent_z");
  s.extent_y = item.number("extent_y");
}

}  // namespace

void fail_unknown_profile(const Origin& origin, const std::string& field, const std::string& name,
                          const SectionCatalogue& catalogue) {
  fail_item(origin, field,
            fmt::format("\"{}\" is not in the section catalogue{} (zervola-frame --sections "
                        "FILTER lists its designations)",
                        name, nearest_text(catalogue.nearest(name, k_suggested_profiles))));
}

Section read_section(const Item& item, SectionContext& context) {
  item.expect_object({"name", "E", "G", "A", "It", "Iy", "Iz", "extent_z", "extent_y",
                      "I_strong", "I_weak", "depth", "width", "profile", "shape", "b", "h", "d",
                      "t", "tw", "tf", "material", "thermal_coefficient", "density", "comment"});
  Section s;
  s.name = item.string("name");
  s.origin = item.origin();
  if (item.has("profile")) read_profile(item, context, s);
  else if (item.has("shape")) read_shape(item, context, s);
  else read_typed(item, context, s);

  MaterialOverrides given;
  given.elastic_modulus = optional_number(item, "E");
  given.shear_modulus = optional_number(item, "G");
  given.thermal_coefficient = optional_number(item, "thermal_coefficient");
  given.density = optional_number(item, "density");
  if (given.density && context.density_in_kg_per_m3) {
    const UnitScale scale = required_unit_scale(
        context.units, "a density in kg/m3 (the model's \"density_unit\")", item.origin());
    given.density = scale.from_si(*given.density, 1, -4);
  }
  const bool own = item.has("material");
  const std::string material = own ? item.string("material") : context.material;
  complete_material(s, material, !own, given, context.units, s.origin);
  return s;
}

}  // namespace zervola::frame
