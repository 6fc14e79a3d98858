#pragma once

// Reads a section of a JSON model in any of its forms: typed properties in
// local axes (Iy, Iz, extent_z, extent_y) or by strong and weak axes
// (I_strong, I_weak, depth, width), a catalogue profile, or a parametric
// shape; with E, G, density and thermal coefficient given or from a named
// material (see docs/model-format.md).

#include <optional>
#include <string>

#include "reading/json_item.hpp"
#include "zervola/frame/sections.hpp"

namespace zervola::frame {

// What reading sections needs from the rest of the model, and the
// catalogue, read once at the first section that names a profile.
struct SectionContext {
  Units units;
  FrameKind frame = FrameKind::space;
  std::string material;                // the model's "material", or empty
  bool density_in_kg_per_m3 = false;   // the model's "density_unit" is "kg/m3"
  std::optional<SectionCatalogue> catalogue;

  [[nodiscard]] const SectionCatalogue& section_catalogue() {
    if (!catalogue) catalogue = SectionCatalogue::load();
    return *catalogue;
  }
};

// item: in, one entry of "sections"; context: in/out.
// Throws InputError naming the section and the field.
[[nodiscard]] Section read_section(const Item& item, SectionContext& context);

// The error for a profile the catalogue does not hold, with the nearest
// designations.
[[noreturn]] void fail_unknown_profile(const Origin& origin, const std::string& field,
                                       const std::string& name, const SectionCatalogue& catalogue);

}  // namespace zervola::frame
