#include "reading/member_load_reader.hpp"

#include <fmt/format.h>

#include <cmath>
#include <initializer_list>

#include "zervola/frame/errors.hpp"
#include "reading/json_item.hpp"
#include "reading/stability_reader.hpp"
#include "zervola/frame/errors.hpp"

namespace zervola::frame {
namespace {

using nlohmann::json;

// How messages name a combination or an envelope: by its name when it has
// one, else by its number.
std::string label(const char* kind, const char* list, std::size_t k, const json& v) {
  if (v.is_object() && v.contains("name") && v.at("name").is_string())
    return fmt::format("{} \"{}\" ({}[{}])", kind, printable_text(v.at("name").get<std::string>()), list, k);
  return fmt::format("{} {} ({}[{}])", kind, k + 1, list, k);
}

LoadAxes read_axes(const Item& e) {
  if (!e.has("axes")) return LoadAxes::global;
  const std::string a = e.string("axes");
  if (a == "local") return LoadAxes::local;
  if (a == "global") return LoadAxes::global;
  if (a == "global_projected") return LoadAxes::global_projected;
  e.fail("axes", fmt::format("\"{}\" is not local, global or global_projected", a));
}

MemberLoad read_member_load(const Item& e) {
  e.expect_object({"member", "type", "axes", "relative", "start", "end", "position", "value", "start_value",
          "end_value", "uniform", "difference_y", "difference_z", "comment"});
  MemberLoad l;
  l.origin = e.origin();
  l.member = e.string("member");
  const std::string type = e.string("type");
  if (e.has("relative")) {
    if (!e.get("relative").is_boolean()) e.fail("relative", "expected true or false");
    l.relative = e.get("relative").get<bool>();
  }
  const auto forbid = [&](std::initializer_list<const char*> keys, const std::string& why) {
    for (const char* k : keys)
      if (e.has(k)) e.fail(k, why);
  };
  if (type == "distributed") {
    l.kind = MemberLoadKind::distributed;
    l.axes = read_axes(e);
    if (e.has("start")) l.start = e.number("start");
    if (e.has("end")) l.end = e.number("end");
    forbid({"position", "uniform", "difference_y", "difference_z"},
           "a distributed load has start, end and value (or start_value and end_value)");
    if (e.has("value")) {
      forbid({"start_value", "end_value"}, "give either value or start_value and end_value");
      l.start_value = l.end_value = e.vector3("value");
    } else {
      if (!e.has("start_value") && !e.has("end_value"))
        e.fail("value", "missing field (or start_value and end_value)");
      l.start_value = e.vector3("start_value");
      l.end_value = e.vector3("end_value");
    }
  } else if (type == "force" || type == "moment") {
    l.kind = type == "force" ? MemberLoadKind::force : MemberLoadKind::moment;
    l.axes = read_axes(e);
    if (l.axes == LoadAxes::global_projected)
      e.fail("axes", "a concentrated load is in local or global axes");
    l.position = e.number("position");
    l.start_value = e.vector3("value");
    forbid({"start", "end", "start_value", "end_value", "uniform", "difference_y", "difference_z"},
           "a concentrated force or moment has a position and a value");
  } else if (type == "temperature") {
    l.kind = MemberLoadKind::temperature;
    forbid({"axes", "start", "end", "position", "value", "start_value", "end_value", "relative"},
           "a temperature load acts on the whole member: give uniform, difference_y, difference_z");
    if (!e.has("uniform") && !e.has("difference_y") && !e.has("difference_z"))
      e.fail("uniform", "missing field (or difference_y, difference_z)");
    if (e.has("uniform")) l.uniform_change = e.number("uniform");
    if (e.has("difference_y")) l.difference_y = e.number("difference_y");
    if (e.has("difference_z")) l.difference_z = e.number("difference_z");
  } else {
    e.fail("type", fmt::format("\"{}\" is not a member load type (distributed, force, moment, "
                               "temperature)",
                               type));
  }
  return l;
}

}  // namespace

std::vector<MemberLoad> read_member_loads(const json& list, const std::string& file,
                                          const std::string& case_name) {
  if (!list.is_array())
    throw InputError(fmt::format("{}: load case \"{}\": field \"member_loads\": expected an "
                                 "array, found {}",
                                 file, case_name, list.type_name()));
  std::vector<MemberLoad> loads;
  for (std::size_t k = 0; k < list.size(); ++k)
    loads.push_back(read_member_load(
        Item(list[k], file,
             fmt::format("load case \"{}\", member load {} (member_loads[{}])", case_name, k + 1, k))));
  return loads;
}

std::vector<Combination> read_combinations(const json& list, const std::string& file) {
  if (!list.is_array())
    throw InputError(fmt::format("{}: model: field \"combinations\": expected an array, found {}",
                                 file, list.type_name()));
  std::vector<Combination> out;
  for (std::size_t k = 0; k < list.size(); ++k) {
    const Item e(list[k], file, label("combination", "combinations", k, list[k]));
    e.expect_object({"name", "factors", "second_order", "imperfection", "comment"});
    Combination c;
    c.name = e.string("name");
    c.origin = e.origin();
    read_second_order(e, c.second_order, c.imperfection);
    const json& f = e.get("factors");
    if (!f.is_object() || f.empty())
      e.fail("factors", "expected an object of load case names and factors, such as "
                        "{\"dead\": 1.35, \"live\": 1.5}");
    for (const auto& item : f.items()) {
      if (!item.value().is_number() || !std::isfinite(item.value().get<double>()))
        e.fail("factors", fmt::format("{}: expected a number", item.key()));
      c.factors.emplace_back(item.key(), item.value().get<double>());
    }
    out.push_back(std::move(c));
  }
  return out;
}

std::vector<Envelope> read_envelopes(const json& list, const std::string& file) {
  if (!list.is_array())
    throw InputError(fmt::format("{}: model: field \"envelopes\": expected an array, found {}",
                                 file, list.type_name()));
  std::vector<Envelope> out;
  for (std::size_t k = 0; k < list.size(); ++k) {
    const Item e(list[k], file, label("envelope", "envelopes", k, list[k]));
    e.expect_object({"name", "combinations", "comment"});
    Envelope v;
    v.name = e.string("name");
    v.origin = e.origin();
    const json& names = e.get("combinations");
    if (!names.is_array() || names.empty())
      e.fail("combinations", "expected a non-empty array of combination names");
    for (const json& n : names) {
      if (!n.is_string()) e.fail("combinations", "expected combination names");
      v.combinations.push_back(n.get<std::string>());
    }
    out.push_back(std::move(v));
  }
  return out;
}

}  // namespace zervola::frame
