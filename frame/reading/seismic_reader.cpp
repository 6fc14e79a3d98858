#include "reading/seismic_reader.hpp"

#include <fmt/format.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "analysis/seismic/seismic_rules.hpp"
#include "zervola/frame/errors.hpp"

namespace zervola::frame {
namespace {

using nlohmann::json;

void refuse(const Item& item, const char* field, const std::optional<std::string>& problem) {
  if (problem) item.fail(field, *problem);
}

std::vector<std::array<double, 2>> read_table(const Item& item) {
  const json& list = item.array("table");
  std::vector<std::array<double, 2>> table;
  table.reserve(list.size());
  for (std::size_t k = 0; k < list.size(); ++k) {
    const json& point = list[k];
    const bool pair = point.is_array() && point.size() == 2 && point[0].is_number() &&
                      point[1].is_number();
    if (!pair)
      item.fail("table", fmt::format("point {} (table[{}]) is {}, not two numbers [period s, "
                                     "acceleration]",
                                     k + 1, k, printable_text(point.dump())));
    table.push_back({point[0].get<double>(), point[1].get<double>()});
  }
  refuse(item, "table", spectrum_rules::table_problem(table));
  return table;
}

char read_ground(const Item& ec8) {
  const std::string ground = ec8.string("ground");
  refuse(ec8, "ground", spectrum_rules::ground_problem(ground));
  return ground[0];
}

// q chooses the spectrum: the design one when given, else the elastic one.
void read_ec8(const Item& item, ResponseSpectrum& spectrum) {
  const Item ec8(item.get("ec8"), item.file(), fmt::format("{}, ec8", item.place()));
  ec8.expect_object({"type", "ground", "ag", "q", "beta", "comment"});
  const double type = ec8.number("type");
  refuse(ec8, "type", spectrum_rules::type_problem(type));
  spectrum.ec8.type = static_cast<int>(type);
  spectrum.ec8.ground_type = read_ground(ec8);
  spectrum.ec8.ag = ec8.number("ag");
  refuse(ec8, "ag", spectrum_rules::ag_problem(spectrum.ec8.ag));
  if (!ec8.has("q")) {
    if (ec8.has("beta"))
      ec8.fail("beta", "beta bounds the design spectrum, which q asks for: give q too, or "
                       "leave beta out for the elastic spectrum");
    spectrum.shape = SpectrumShape::ec8_elastic;
    return;
  }
  spectrum.shape = SpectrumShape::ec8_design;
  spectrum.ec8.behaviour_factor = ec8.number("q");
  refuse(ec8, "q", spectrum_rules::behaviour_factor_problem(spectrum.ec8.behaviour_factor));
  spectrum.ec8.lower_bound_factor = ec8.number_or("beta", k_default_lower_bound_factor);
  refuse(ec8, "beta", spectrum_rules::lower_bound_factor_problem(spectrum.ec8.lower_bound_factor));
}

std::array<bool, 3> read_directions(const Item& item) {
  if (!item.has("directions")) return SpectrumRequest{}.directions;
  const json& list = item.array("directions");
  if (list.empty()) item.fail("directions", "names no direction: give any of \"X\", \"Y\", \"Z\"");
  static constexpr std::array<const char*, 3> k_names = {"X", "Y", "Z"};
  std::array<bool, 3> excited{};
  for (const json& entry : list) {
    if (!entry.is_string())
      item.fail("directions", fmt::format("{} is not a direction: give any of \"X\", \"Y\", \"Z\"",
                                          printable_text(entry.dump())));
    const std::string name = entry.get<std::string>();
    std::size_t d = 0;
    while (d < k_names.size() && name != k_names[d]) ++d;
    if (d == k_names.size())
      item.fail("directions", fmt::format("\"{}\" is not a direction: give any of \"X\", \"Y\", "
                                          "\"Z\"",
                                          printable_text(name)));
    if (excited[d])
      item.fail("directions", fmt::format("\"{}\" is named twice: name each direction once", name));
    excited[d] = true;
  }
  return excited;
}

ModalCombination read_modal(const Item& item) {
  const std::string name = item.string_or("modal_combination", "CQC");
  if (name == "CQC") return ModalCombination::cqc;
  if (name == "SRSS") return ModalCombination::srss;
  item.fail("modal_combination",
            fmt::format("\"{}\" is not a modal combination: give \"CQC\" or \"SRSS\"", printable_text(name)));
}

DirectionalCombination read_directional(const Item& item) {
  const std::string name = item.string_or("directional_combination", "SRSS");
  if (name == "SRSS") return DirectionalCombination::srss;
  if (name == "100/30") return DirectionalCombination::rule_100_30;
  item.fail("directional_combination",
            fmt::format("\"{}\" is not a directional combination: give \"SRSS\" or \"100/30\"",
                        printable_text(name)));
}

}  // namespace

SpectrumRequest read_spectrum(const Item& item) {
  item.expect_object({"name", "table", "ec8", "damping", "directions", "direction_factors",
                      "modal_combination", "directional_combination", "comment"});
  SpectrumRequest request;
  request.origin = item.origin();
  if (item.has("name")) {
    request.name = item.string("name");
    if (request.name.empty()) item.fail("name", "is empty: give the load set a name, or leave it out");
    if (has_control_character(request.name))
      item.fail("name", fmt::format("\"{}\" holds a control character", printable_text(request.name)));
  }
  if (item.has("table") == item.has("ec8"))
    item.fail(item.has("table") ? "ec8" : "table",
              item.has("table") ? "give either a table or ec8, not both"
                                : "missing field: give the spectrum as a table of [period, "
                                  "acceleration] points or as ec8 parameters");
  if (item.has("table")) {
    request.spectrum.shape = SpectrumShape::table;
    request.spectrum.table = read_table(item);
  } else {
    read_ec8(item, request.spectrum);
  }
  request.spectrum.damping = item.number_or("damping", k_default_spectrum_damping);
  refuse(item, "damping", spectrum_rules::damping_problem(request.spectrum.damping));
  request.directions = read_directions(item);
  if (item.has("direction_factors")) {
    request.direction_factors = item.vector3("direction_factors");
    for (const double f : request.direction_factors)
      if (!(f > 0.0))
        item.fail("direction_factors",
                  fmt::format("{} is not a factor: give three positive numbers [fx, fy, fz] that "
                              "scale the spectrum along X, Y and Z",
                              f));
  }
  request.modal = read_modal(item);
  request.directional = read_directional(item);
  return request;
}

}  // namespace zervola::frame
