#include "reading/stability_reader.hpp"

#include <fmt/format.h>

#include <cmath>

namespace zervola::frame {

namespace {

// The largest number of critical factors a request may name.
constexpr double k_most_buckling_modes = 100000.0;

}  // namespace

BucklingRequest read_buckling(const Item& item) {
  item.expect_object({"sets", "modes", "comment"});
  BucklingRequest r;
  const json& sets = item.array("sets");
  if (sets.empty())
    item.fail("sets", "expected the names of one or more load cases or combinations, found none");
  for (const json& s : sets) {
    if (!s.is_string())
      item.fail("sets", fmt::format("expected names of load cases or combinations, found {}",
                                    s.type_name()));
    r.sets.push_back(s.get<std::string>());
  }
  const double modes = item.number_or("modes", 1.0);
  if (!(modes >= 1.0) || modes != std::floor(modes) || modes > k_most_buckling_modes)
    item.fail("modes", fmt::format("expected a whole number of critical factors from 1 to {}, "
                                   "found {}",
                                   k_most_buckling_modes, modes));
  r.modes = static_cast<int>(modes);
  r.origin = item.origin();
  return r;
}

void read_second_order(const Item& item, bool& second_order,
                       std::optional<SwayImperfection>& imperfection) {
  if (item.has("second_order")) {
    if (!item.get("second_order").is_boolean()) item.fail("second_order", "expected true or false");
    second_order = item.get("second_order").get<bool>();
  }
  if (!item.has("imperfection")) return;
  if (!second_order)
    item.fail("imperfection", "a sway imperfection belongs to a second-order analysis: give "
                              "\"second_order\": true too");
  const Item i(item.get("imperfection"), item.file(), fmt::format("{}, imperfection", item.place()));
  i.expect_object({"direction", "phi", "comment"});
  SwayImperfection s;
  const std::string direction = i.string("direction");
  if (direction == "X")
    s.direction = 0;
  else if (direction == "Y")
    s.direction = 1;
  else
    i.fail("direction", fmt::format("\"{}\" is not a direction of a sway imperfection: give "
                                    "\"X\" or \"Y\"",
                                    printable_text(direction)));
  s.phi = i.number_or("phi", 1.0 / 200.0);
  if (!(s.phi > 0.0 && s.phi < 1.0))
    i.fail("phi", fmt::format("expected a positive inclination below 1 (EN 1993-1-1 5.3.2 gives "
                              "about 1/200), found {}",
                              s.phi));
  s.origin = i.origin();
  imperfection = s;
}

}  // namespace zervola::frame
