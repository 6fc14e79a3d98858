#include <fmt/format.h>

#include <set>

#include "model/item_fault.hpp"
#include "zervola/frame/errors.hpp"
#include "model/nearest_names.hpp"
#include "sections/section_material.hpp"
#include "zervola/frame/sections.hpp"

namespace zervola::frame {
namespace {

// Suggestions offered for a section name that is nowhere.
constexpr std::size_t k_suggested_sections = 5;

[[noreturn]] void fail_unknown_section(const Model& model, const Member& m,
                                       const SectionCatalogue* catalogue) {
  std::vector<std::string> keys, names;
  for (const Section& s : model.sections) {
    keys.push_back(normalised_designation(s.name));
    names.push_back(s.name);
  }
  if (catalogue != nullptr)
    for (const CatalogueSection& s : catalogue->sections()) {
      keys.push_back(normalised_designation(s.designation));
      names.push_back(s.designation);
    }
  fail_item(m.origin, "section",
            fmt::format("unknown section \"{}\": neither a section of the model nor a "
                        "catalogue profile{}",
                        m.section,
                        nearest_text(nearest_names(normalised_designation(m.section), keys, names,
                                                   k_suggested_sections))));
}

}  // namespace

void add_catalogue_sections(Model& model) {
  std::set<std::string> known;
  for (const Section& s : model.sections) known.insert(s.name);
  std::optional<SectionCatalogue> catalogue;
  for (const Member& m : model.members) {
    if (known.contains(m.section)) continue;
    if (!catalogue) {
      try {
        catalogue = SectionCatalogue::load();
      } catch (const InputError& e) {
        // Name the member first: a misspelt section is the likelier fault.
        fail_item(m.origin, "section",
                  fmt::format("unknown section \"{}\": not a section of the model, and the "
                              "catalogue cannot be read ({})",
                              m.section, e.what()));
      }
    }
    const CatalogueSection* entry = catalogue->find(m.section);
    if (entry == nullptr) fail_unknown_section(model, m, &*catalogue);
    const UnitScale scale = required_unit_scale(
        model.units, fmt::format("the catalogue section \"{}\"", m.section), m.origin);
    if (model.material.empty())
      fail_item(m.origin, "section",
                fmt::format("the catalogue profile \"{}\" needs a material: give the model a "
                            "\"material\" such as \"S355\", or define a section \"{}\" with "
                            "its own",
                            m.section, m.section));
    Section s = catalogue_section(m.section, *entry, scale, model.frame);
    s.origin = m.origin;
    complete_material(s, model.material, true, {}, model.units, m.origin);
    model.sections.push_back(std::move(s));
    known.insert(m.section);
  }
}

}  // namespace zervola::frame
