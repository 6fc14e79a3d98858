#include "reading/dynamics_reader.hpp"

#include <fmt/format.h>

#include <cmath>

namespace zervola::frame {

namespace {

// The largest number of modes a request may name: far beyond any frame's
// use, and well inside an int.
constexpr double k_most_modes = 100000.0;

std::string place_of(const char* kind, const char* list, std::size_t index, const json& value) {
  if (value.is_object() && value.contains("name") && value.at("name").is_string())
    return fmt::format("{} \"{}\" ({}[{}])", kind, printable_text(value.at("name").get<std::string>()),
                       list, index);
  return fmt::format("{} {} ({}[{}])", kind, index + 1, list, index);
}

const json& as_list(const json& list, const std::string& file, const char* field) {
  if (!list.is_array())
    throw InputError(fmt::format("{}: model: field \"{}\": expected an array, found {}", file, field,
                                 list.type_name()));
  return list;
}

double non_negative(const Item& item, const char* field, double value) {
  if (value < 0.0)
    item.fail(field, fmt::format("must not be negative, is {} (a mass or inertia pulls no way)", value));
  return value;
}

}  // namespace

std::vector<PointMass> read_point_masses(const json& list, const std::string& file) {
  std::vector<PointMass> masses;
  const json& items = as_list(list, file, "masses");
  for (std::size_t k = 0; k < items.size(); ++k) {
    const Item item(items[k], file, place_of("mass", "masses", k, items[k]));
    item.expect_object({"name", "at", "mass", "rotary_inertia", "comment"});
    PointMass m;
    m.name = item.string_or("name", fmt::format("M{}", k + 1));
    m.at = item.point("at");
    m.mass = non_negative(item, "mass", item.number("mass"));
    if (item.has("rotary_inertia")) {
      m.rotary_inertia = item.vector3("rotary_inertia");
      for (double v : m.rotary_inertia) non_negative(item, "rotary_inertia", v);
    }
    m.origin = item.origin();
    masses.push_back(std::move(m));
  }
  return masses;
}

std::vector<MassFromLoads> read_mass_from_loads(const json& list, const std::string& file) {
  std::vector<MassFromLoads> from_loads;
  const json& items = as_list(list, file, "mass_from_loads");
  for (std::size_t k = 0; k < items.size(); ++k) {
    const Item item(items[k], file, fmt::format("mass_from_loads[{}]", k));
    item.expect_object({"case", "factor", "comment"});
    MassFromLoads m;
    m.load_case = item.string("case");
    m.factor = item.number_or("factor", 1.0);
    if (!(m.factor > 0.0))
      item.fail("factor", fmt::format("must be positive, is {} (leave the case out instead)", m.factor));
    m.origin = item.origin();
    from_loads.push_back(std::move(m));
  }
  return from_loads;
}

ModalRequest read_modal(const Item& item) {
  item.expect_object({"modes", "mass_matrix", "comment"});
  ModalRequest r;
  const double modes = item.number("modes");
  if (!(modes >= 1.0) || modes != std::floor(modes) || modes > k_most_modes)
    item.fail("modes", fmt::format("expected a whole number of modes from 1 to {}, found {}",
                                   k_most_modes, modes));
  r.modes = static_cast<int>(modes);
  const std::string matrix = item.string_or("mass_matrix", "consistent");
  if (matrix == "consistent")
    r.mass_matrix = MassMatrix::consistent;
  else if (matrix == "lumped")
    r.mass_matrix = MassMatrix::lumped;
  else
    item.fail("mass_matrix", fmt::format("\"{}\" is neither \"consistent\" nor \"lumped\"",
                                         printable_text(matrix)));
  r.origin = item.origin();
  return r;
}

}  // namespace zervola::frame
