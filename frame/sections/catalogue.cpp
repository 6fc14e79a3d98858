#include <fmt/format.h>

#include <cctype>
#include <filesystem>
#include <map>

#include "model/library_directory.hpp"
#include "model/nearest_names.hpp"
#include "sections/catalogue_tables.hpp"
#include "zervola/frame/errors.hpp"
#include "zervola/frame/sections.hpp"

namespace zervola::frame {
namespace {

// A catalogue directory holds every table.
bool holds_tables(const std::filesystem::path& directory) {
  std::error_code ec;
  for (const TableLayout& t : catalogue_tables())
    if (!std::filesystem::is_regular_file(directory / t.file, ec)) return false;
  return true;
}

// UTF-8 multiplication sign, written between dimensions in some tables.
constexpr std::string_view k_multiplication_sign = "\xC3\x97";

}  // namespace

std::string normalised_designation(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (std::size_t k = 0; k < name.size(); ++k) {
    if (name.substr(k, k_multiplication_sign.size()) == k_multiplication_sign) {
      out += 'X';
      k += k_multiplication_sign.size() - 1;
      continue;
    }
    const auto c = static_cast<unsigned char>(name[k]);
    if (std::isspace(c) != 0) continue;
    out += static_cast<char>(std::toupper(c));
  }
  return out;
}

std::string section_catalogue_directory() {
  const std::filesystem::path beside_library =
      (library_directory() / ZERVOLA_SECTIONS_FROM_LIBRARY).lexically_normal();
  if (holds_tables(beside_library)) return beside_library.string();
  throw InputError(fmt::format("the section catalogue is not installed: its tables are not in "
                               "{}; reinstall zervola",
                               beside_library.string()));
}

SectionCatalogue SectionCatalogue::load() { return load(section_catalogue_directory()); }

SectionCatalogue SectionCatalogue::load(const std::string& directory) {
  SectionCatalogue catalogue;
  catalogue.directory_ = directory;
  std::map<std::string, std::string> seen;  // spelling compared -> designation
  for (const TableLayout& t : catalogue_tables()) {
    const std::string path = (std::filesystem::path(directory) / t.file).string();
    for (CatalogueSection& s : read_catalogue_table(t, path)) {
      for (const std::string& name : {s.designation, s.alias}) {
        if (name.empty()) continue;
        const auto [it, fresh] = seen.emplace(normalised_designation(name), name);
        if (!fresh)
          throw InputError(fmt::format("{}: \"{}\" is spelt like \"{}\" of another table: "
                                       "reinstall zervola's section catalogue",
                                       path, name, it->second));
      }
      catalogue.sections_.push_back(std::move(s));
    }
  }
  return catalogue;
}

const CatalogueSection* SectionCatalogue::find(std::string_view designation) const {
  const std::string key = normalised_designation(designation);
  for (const CatalogueSection& s : sections_)
    if (normalised_designation(s.designation) == key ||
        (!s.alias.empty() && normalised_designation(s.alias) == key))
      return &s;
  return nullptr;
}

std::vector<std::string> SectionCatalogue::nearest(std::string_view designation,
                                                   std::size_t count) const {
  std::vector<std::string> keys, names;
  keys.reserve(sections_.size());
  names.reserve(sections_.size());
  for (const CatalogueSection& s : sections_) {
    keys.push_back(normalised_designation(s.designation));
    names.push_back(s.designation);
  }
  return nearest_names(normalised_designation(designation), keys, names, count);
}

std::vector<const CatalogueSection*> SectionCatalogue::matching(std::string_view filter) const {
  const std::string key = normalised_designation(filter);
  std::vector<const CatalogueSection*> out;
  for (const CatalogueSection& s : sections_)
    if (normalised_designation(s.designation).find(key) != std::string::npos ||
        (!s.alias.empty() && normalised_designation(s.alias).find(key) != std::string::npos))
      out.push_back(&s);
  return out;
}

Section catalogue_section(const std::string& name, const CatalogueSection& entry,
                          const UnitScale& scale, FrameKind frame) {
  Section s;
  s.name = name;
  s.profile = entry.designation;
  s.area = scale.from_si(entry.area, 0, 2);
  s.torsion_constant = scale.from_si(entry.torsion_constant, 0, 4);
  StrongWeakAxes axes = entry.axes;
  axes.inertia_strong = scale.from_si(axes.inertia_strong, 0, 4);
  axes.inertia_weak = scale.from_si(axes.inertia_weak, 0, 4);
  axes.depth = scale.from_si(axes.depth, 0, 1);
  axes.width = scale.from_si(axes.width, 0, 1);
  axes.stress_depth = scale.from_si(axes.stress_depth, 0, 1);
  axes.stress_width = scale.from_si(axes.stress_width, 0, 1);
  place_strong_weak(axes, frame, s);
  return s;
}

}  // namespace zervola::frame
