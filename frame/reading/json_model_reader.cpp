#include "zervola/frame.hpp"

#include <fmt/format.h>

#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>

#include "zervola/frame/errors.hpp"
#include "reading/dynamics_reader.hpp"
#include "reading/stability_reader.hpp"
#include "reading/json_item.hpp"
#include "reading/seismic_reader.hpp"
#include "reading/json_strictness.hpp"
#include "reading/member_load_reader.hpp"
#include "reading/section_reader.hpp"
#include "zervola/frame/errors.hpp"

namespace zervola::frame {
namespace {

using nlohmann::json;

// "member \"B1\" (members[3])" or "member 4 (members[3])".
std::string describe(const char* kind, const char* list, std::size_t index, const json& value) {
  if (value.is_object() && value.contains("name") && value.at("name").is_string())
    return fmt::format("{} \"{}\" ({}[{}])", kind, printable_text(value.at("name").get<std::string>()),
                       list, index);
  return fmt::format("{} {} ({}[{}])", kind, index + 1, list, index);
}

std::string default_name(const char* prefix, std::size_t index) {
  return fmt::format("{}{}", prefix, index + 1);
}

int dof_index(const Item& item, const char* field, const std::string& name) {
  for (std::size_t k = 0; k < k_dof_names.size(); ++k)
    if (name == k_dof_names[k]) return static_cast<int>(k);
  item.fail(field, fmt::format("\"{}\" is not a direction (ux, uy, uz, rx, ry, rz)", name));
}

Units read_units(const Item& item) {
  item.expect_object({"force", "length"});
  return {item.string("force"), item.string("length")};
}

// Units that are not converted are labels only: the model's numbers are
// taken as they stand, as one consistent set.
void warn_of_unknown_units(Model& model) {
  if (unit_scale(model.units)) return;
  model.warnings.push_back(
      {"unknown_units",
       fmt::format("{}: units: force \"{}\", length \"{}\" are not among the units zervola "
                   "converts (force {}; length {}): every value is taken as given, as one "
                   "consistent set of units, and the checks of plausible moduli, densities and "
                   "displacements are skipped; catalogue sections, named materials, densities in kg/m3 and a "
                   "default gravity cannot be used",
                   model.source_file, model.units.force, model.units.length, k_force_units_text,
                   k_length_units_text),
       {"units"}});
}

// The model's acceleration of gravity for self-weight: as given (length/s^2),
// else standard gravity in the model's units, else none.
std::optional<double> read_gravity(const Item& top, const Units& units) {
  if (top.has("gravity")) {
    const double g = top.number("gravity");
    if (!(g > 0.0)) top.fail("gravity", fmt::format("must be positive, is {}", g));
    return g;
  }
  if (const auto scale = unit_scale(units)) return scale->from_si(k_standard_gravity, 0, 1);
  return std::nullopt;
}

bool read_density_unit(const Item& top) {
  const std::string unit = top.string_or("density_unit", "model");
  if (unit == "model") return false;
  if (unit == "kg/m3") return true;
  top.fail("density_unit",
           fmt::format("\"{}\" is neither \"model\" (force*s^2/length^4) nor \"kg/m3\"", unit));
}

Release read_release(const Item& item) {
  const std::string r = item.string_or("release", "none");
  if (r == "none") return Release::none;
  if (r == "hinge_start") return Release::hinge_start;
  if (r == "hinge_end") return Release::hinge_end;
  if (r == "pinned") return Release::pinned;
  item.fail("release",
            fmt::format("\"{}\" is not a release (none, hinge_start, hinge_end, pinned)", r));
}

Member read_member(const Item& item, std::size_t index) {
  item.expect_object({"name", "from", "to", "section", "orientation_point", "release",
                      "temperature_change", "comment"});
  Member m;
  m.name = item.has("name") ? item.string("name") : default_name("M", index);
  m.from = item.point("from");
  m.to = item.point("to");
  m.section = item.string("section");
  if (item.has("orientation_point")) m.orientation_point = item.point("orientation_point");
  m.release = read_release(item);
  m.temperature_change = item.number_or("temperature_change", 0.0);
  m.origin = item.origin();
  return m;
}

Support read_support(const Item& item, std::size_t index) {
  item.expect_object({"name", "at", "type", "direction", "restrain", "displacement", "comment"});
  Support s;
  s.name = item.has("name") ? item.string("name") : default_name("S", index);
  s.named = item.has("name");
  s.at = item.point("at");
  s.kind = item.string("type");
  if (s.kind == "fixed") {
    s.restrained.fill(true);
  } else if (s.kind == "pinned") {
    s.restrained = {true, true, true, false, false, false};
  } else if (s.kind == "roller") {
    const std::string d = item.string("direction");
    if (d == "x") s.restrained[0] = true;
    else if (d == "y") s.restrained[1] = true;
    else if (d == "z") s.restrained[2] = true;
    else item.fail("direction", fmt::format("\"{}\" is not x, y or z", d));
  } else if (s.kind == "custom") {
    const json& list = item.array("restrain");
    if (list.empty()) item.fail("restrain", "names no direction");
    for (const json& v : list) {
      if (!v.is_string()) item.fail("restrain", "expected direction names (ux, uy, uz, rx, ry, rz)");
      const int k = dof_index(item, "restrain", v.get<std::string>());
      s.restrained[static_cast<std::size_t>(k)] = true;
    }
  } else {
    item.fail("type", fmt::format("\"{}\" is not a support type (fixed, pinned, roller, custom)",
                                  s.kind));
  }
  if ((s.kind == "roller") != item.has("direction"))
    item.fail("direction", s.kind == "roller" ? "missing field" : "only a roller has a direction");
  if (s.kind != "custom" && item.has("restrain"))
    item.fail("restrain", "only a custom support lists its restrained directions");
  if (item.has("displacement")) {
    const json& d = item.get("displacement");
    if (!d.is_object()) item.fail("displacement", "expected an object such as {\"uz\": -0.01}");
    for (const auto& [key, value] : d.items()) {
      const int k = dof_index(item, "displacement", key);
      if (!s.restrained[static_cast<std::size_t>(k)])
        item.fail("displacement", fmt::format("direction {} is not restrained by this support", key));
      if (!value.is_number() || !std::isfinite(value.get<double>()))
        item.fail("displacement", fmt::format("{}: expected a number", key));
      s.prescribed[static_cast<std::size_t>(k)] = value.get<double>();
    }
  }
  s.origin = item.origin();
  return s;
}

double stiffness_value(const Item& item, const char* key) {
  const double k = item.number(key);
  if (k < 0.0) item.fail(key, "a stiffness may not be negative");
  return k;
}

Vector3 scaled_unit(const Item& item, const char* key, const Vector3& v, double stiffness) {
  const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (!(length > 0.0)) item.fail(key, "the direction vector is zero");
  const double f = std::sqrt(stiffness) / length;
  return {v[0] * f, v[1] * f, v[2] * f};
}

Spring read_spring(const Item& item, std::size_t index) {
  item.expect_object({"name", "at", "kx", "ky", "kz", "krx", "kry", "krz", "translational",
                      "rotational", "comment"});
  Spring s;
  s.name = item.has("name") ? item.string("name") : default_name("K", index);
  s.at = item.point("at");
  const std::array<const char*, 3> t_keys = {"kx", "ky", "kz"};
  const std::array<const char*, 3> r_keys = {"krx", "kry", "krz"};
  for (std::size_t a = 0; a < 3; ++a) {
    SpringTerm term;
    bool used = false;
    if (item.has(t_keys[a])) {
      term.translation[a] = std::sqrt(stiffness_value(item, t_keys[a]));
      used = true;
    }
    if (item.has(r_keys[a])) {
      term.rotation[a] = std::sqrt(stiffness_value(item, r_keys[a]));
      used = true;
    }
    if (used) s.terms.push_back(term);
  }
  if (item.has("translational") || item.has("rotational")) {
    SpringTerm term;
    if (item.has("translational")) {
      const Item sub(item.get("translational"), item.file(), item.place() + ", translational");
      sub.expect_object({"stiffness", "direction"});
      term.translation = scaled_unit(sub, "direction", sub.vector3("direction"),
                                     stiffness_value(sub, "stiffness"));
    }
    if (item.has("rotational")) {
      const Item sub(item.get("rotational"), item.file(), item.place() + ", rotational");
      sub.expect_object({"stiffness", "axis"});
      term.rotation =
          scaled_unit(sub, "axis", sub.vector3("axis"), stiffness_value(sub, "stiffness"));
    }
    s.terms.push_back(term);
  }
  if (s.terms.empty())
    item.fail("", "a spring needs a stiffness (kx, ky, kz, krx, kry, krz, translational or "
                  "rotational)");
  s.origin = item.origin();
  return s;
}

NodalLoad read_load(const Item& item, std::size_t index) {
  item.expect_object({"name", "at", "force", "moment", "comment"});
  NodalLoad l;
  l.name = item.has("name") ? item.string("name") : default_name("L", index);
  l.at = item.point("at");
  if (!item.has("force") && !item.has("moment")) item.fail("force", "a load needs a force or a moment");
  if (item.has("force")) l.force = item.vector3("force");
  if (item.has("moment")) l.moment = item.vector3("moment");
  l.origin = item.origin();
  return l;
}

SupportDisplacement read_support_displacement(const Item& item) {
  item.expect_object({"at", "displacement", "comment"});
  SupportDisplacement d;
  d.at = item.point("at");
  const json& values = item.get("displacement");
  if (!values.is_object() || values.empty())
    item.fail("displacement", "expected an object such as {\"uz\": -0.01}");
  for (const auto& [key, value] : values.items()) {
    const auto k = static_cast<std::size_t>(dof_index(item, "displacement", key));
    if (!value.is_number() || !std::isfinite(value.get<double>()))
      item.fail("displacement", fmt::format("{}: expected a number", key));
    d.given[k] = true;
    d.value[k] = value.get<double>();
  }
  d.origin = item.origin();
  return d;
}

// "self_weight": true asks for the weight of every member under the
// model's gravity, downwards: -z in a space frame, -y in a plane frame.
void read_self_weight(const Item& item, const Model& model, LoadCase& c) {
  const json& flag = item.get("self_weight");
  if (!flag.is_boolean()) item.fail("self_weight", "expected true or false");
  if (!flag.get<bool>()) return;
  if (item.has("gravity"))
    item.fail("self_weight", "give either \"self_weight\" or a \"gravity\" vector, not both");
  if (!model.gravity)
    item.fail("self_weight",
              fmt::format("needs the acceleration of gravity: give the model's \"gravity\" (in "
                          "length/s^2), or units that zervola converts (force {}; length {})",
                          k_force_units_text, k_length_units_text));
  c.self_weight = true;
  c.gravity = model.frame == FrameKind::space ? Vector3{0.0, 0.0, -*model.gravity}
                                              : Vector3{0.0, -*model.gravity, 0.0};
}

LoadCase read_load_case(const Item& item, const Model& model, std::size_t index) {
  const std::string& file = model.source_file;
  item.expect_object({"name", "loads", "support_displacements", "member_loads", "gravity",
                      "self_weight", "second_order", "imperfection", "comment"});
  LoadCase c;
  c.name = item.has("name") ? item.string("name") : default_name("LC", index);
  c.origin = item.origin();
  read_second_order(item, c.second_order, c.imperfection);
  if (item.has("member_loads")) c.member_loads = read_member_loads(item.get("member_loads"), file, c.name);
  if (item.has("gravity")) c.gravity = item.vector3("gravity");
  if (item.has("self_weight")) read_self_weight(item, model, c);
  if (item.has("support_displacements")) {
    const json& list = item.array("support_displacements");
    for (std::size_t k = 0; k < list.size(); ++k)
      c.support_displacements.push_back(read_support_displacement(
          Item(list[k], file,
               fmt::format("load case \"{}\", support displacement {} (support_displacements[{}])",
                           c.name, k + 1, k))));
  }
  if (!item.has("loads")) return c;
  const json& loads = item.array("loads");
  for (std::size_t k = 0; k < loads.size(); ++k) {
    const std::string where = fmt::format("load case \"{}\", {}", c.name,
                                          describe("load", "loads", k, loads[k]));
    c.loads.push_back(read_load(Item(loads[k], file, where), k));
  }
  return c;
}

// What went wrong where, as the parser reported it: the byte count it had
// read and its own message.
struct ParseFailure {
  std::size_t byte = 0;
  int id = 0;
  std::string what;
  std::string token;
};

// Builds the tree as nlohmann's own DOM parser does, but keeps the position of
// a failure, which the parser's out-of-range exception (a number beyond the
// double range) does not carry.
class LocatingDomBuilder {
 public:
  explicit LocatingDomBuilder(json& root) : dom_(root, false) {}

  bool null() { return dom_.null(); }
  bool boolean(bool v) { return dom_.boolean(v); }
  bool number_integer(json::number_integer_t v) { return dom_.number_integer(v); }
  bool number_unsigned(json::number_unsigned_t v) { return dom_.number_unsigned(v); }
  bool number_float(json::number_float_t v, const std::string& s) { return dom_.number_float(v, s); }
  bool string(json::string_t& v) { return dom_.string(v); }
  bool binary(json::binary_t& v) { return dom_.binary(v); }
  bool start_object(std::size_t n) { return dom_.start_object(n); }
  bool key(json::string_t& v) { return dom_.key(v); }
  bool end_object() { return dom_.end_object(); }
  bool start_array(std::size_t n) { return dom_.start_array(n); }
  bool end_array() { return dom_.end_array(); }

  template <class Exception>
  bool parse_error(std::size_t position, const std::string& last_token, const Exception& ex) {
    failure_ = ParseFailure{position, ex.id, ex.what(), last_token};
    return dom_.parse_error(position, last_token, ex);
  }

  [[nodiscard]] const std::optional<ParseFailure>& failure() const { return failure_; }

 private:
  nlohmann::detail::json_sax_dom_parser<json> dom_;
  std::optional<ParseFailure> failure_;
};

// nlohmann's message without its "[json.exception...] " tag and its own
// "parse error at line L, column C: " prefix, found by plain search: the
// message quotes the last token read, which the input controls.
std::string parser_detail(const std::string& what) {
  std::string detail = what;
  const std::size_t tag_end = detail.find("] ");
  if (detail.starts_with("[json.exception.") && tag_end != std::string::npos)
    detail.erase(0, tag_end + 2);
  const std::size_t column = detail.find("column ");
  if (detail.starts_with("parse error") && column != std::string::npos) {
    const std::size_t colon = detail.find(": ", column);
    if (colon != std::string::npos) detail.erase(0, colon + 2);
  }
  return detail;
}

// Where the block comment that the text leaves open starts, found by one
// linear pass over strings and comments; npos when none is open.
std::size_t open_comment_start(const std::string& text) {
  enum class In { value, string, line_comment, block_comment } in = In::value;
  std::size_t start = std::string::npos;
  for (std::size_t k = 0; k < text.size(); ++k) {
    const char c = text[k];
    const char next = k + 1 < text.size() ? text[k + 1] : '\0';
    switch (in) {
      case In::value:
        if (c == '"') in = In::string;
        else if (c == '/' && next == '/') in = In::line_comment, ++k;
        else if (c == '/' && next == '*') in = In::block_comment, start = k, ++k;
        break;
      case In::string:
        if (c == '\\') ++k;
        else if (c == '"') in = In::value;
        break;
      case In::line_comment:
        if (c == '\n') in = In::value;
        break;
      case In::block_comment:
        if (c == '*' && next == '/') in = In::value, ++k;
        break;
    }
  }
  return in == In::block_comment ? start : std::string::npos;
}

// The parser quotes the whole last token read, which can be the rest of the
// file: it is cut to a readable length.
std::string shortened(std::string detail) {
  constexpr std::size_t k_longest_quoted_token = 60;
  const std::string marker = "last read: '";
  const std::size_t at = detail.find(marker);
  if (at != std::string::npos && detail.size() > at + marker.size() + k_longest_quoted_token)
    detail = detail.substr(0, at + marker.size() + k_longest_quoted_token) + "...'";
  return detail;
}

// nlohmann's id of the exception for a number beyond the double range.
constexpr int k_number_overflow_id = 406;

// The location of a syntax error: the start of the token at which the
// parser stopped (nlohmann reports the position of its last character).
std::string syntax_message(const ParseFailure& e, const std::string& text,
                           const std::string& file) {
  std::size_t last = std::min<std::size_t>(e.byte > 0 ? e.byte - 1 : 0, text.size());
  const std::size_t comment = e.what.find("missing closing '*/'") != std::string::npos
                                  ? open_comment_start(text)
                                  : std::string::npos;
  if (comment != std::string::npos) {
    last = comment;
  } else if (last < text.size()) {
    const auto word = [](char c) {
      return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '-' ||
             c == '+' || c == '_';
    };
    if (text[last] == '"' && last > 0) {
      std::size_t k = last - 1;
      while (k > 0 && !(text[k] == '"' && text[k - 1] != '\\')) --k;
      last = k;
    } else if (word(text[last])) {
      while (last > 0 && word(text[last - 1])) --last;
    }
  }
  std::size_t line = 1;
  std::size_t column = 1;
  for (std::size_t k = 0; k < last && k < text.size(); ++k) {
    if (text[k] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  if (e.id == k_number_overflow_id)
    return fmt::format("{}:{}:{}: the number {} is beyond the range of a double (largest "
                       "magnitude {})",
                       file, line, column, e.token, std::numeric_limits<double>::max());
  return fmt::format("{}:{}:{}: JSON syntax error: {}", file, line, column,
                     shortened(parser_detail(e.what)));
}

}  // namespace

Model parse_json_model(const std::string& text, const std::string& file_name) {
  check_json_characters(text, file_name);
  json root;
  LocatingDomBuilder builder(root);
  const bool strict = true;
  const bool ignore_comments = true;
  if (!json::sax_parse(text, &builder, json::input_format_t::json, strict, ignore_comments)) {
    const ParseFailure unknown{text.size(), 0, "the parser stopped", {}};
    throw InputError(syntax_message(builder.failure().value_or(unknown), text, file_name));
  }
  check_json_keys_and_numbers(text, file_name);
  const Item top(root, file_name, "model");
  top.expect_object({"$schema", "format", "title", "units", "frame", "material", "density_unit",
                     "gravity", "sections", "members", "dxf", "dxf_units", "supports", "springs",
                     "load_cases", "combinations", "envelopes", "connect_crossings", "masses",
                     "mass_from_loads", "modal", "spectrum", "buckling", "comment"});
  Model model;
  model.source_file = file_name;
  model.title = top.string_or("title", "");
  model.units = read_units(Item(top.get("units"), file_name, "units"));
  const std::string frame = top.string("frame");
  if (frame == "plane") model.frame = FrameKind::plane;
  else if (frame == "space") model.frame = FrameKind::space;
  else top.fail("frame", fmt::format("\"{}\" is neither \"plane\" nor \"space\"", frame));
  warn_of_unknown_units(model);
  model.material = top.string_or("material", "");
  model.gravity = read_gravity(top, model.units);
  if (top.has("connect_crossings")) {
    if (!top.get("connect_crossings").is_boolean())
      top.fail("connect_crossings", "expected true or false");
    model.connect_crossings = top.get("connect_crossings").get<bool>();
  }

  SectionContext sections_context{model.units, model.frame, model.material,
                                  read_density_unit(top), std::nullopt};
  // A model whose members all name catalogue profiles needs no sections.
  if (top.has("sections")) {
    const json& sections = top.array("sections");
    for (std::size_t k = 0; k < sections.size(); ++k)
      model.sections.push_back(read_section(
          Item(sections[k], file_name, describe("section", "sections", k, sections[k])),
          sections_context));
  }

  if (top.has("members")) {
    const json& members = top.array("members");
    for (std::size_t k = 0; k < members.size(); ++k)
      model.members.push_back(read_member(
          Item(members[k], file_name, describe("member", "members", k, members[k])), k));
  }
  if (top.has("dxf")) {
    const std::filesystem::path base = std::filesystem::path(file_name).parent_path();
    model.dxf_file = (base / top.string("dxf")).lexically_normal().string();
  }
  if (top.has("dxf_units")) {
    if (!top.has("dxf")) top.fail("dxf_units", "given without a \"dxf\" drawing to scale");
    model.dxf_units = top.string("dxf_units");
    if (!unit_scale({"N", *model.dxf_units}) && *model.dxf_units != model.units.length)
      top.fail("dxf_units", fmt::format("\"{}\" is not a length unit zervola converts ({})",
                                        *model.dxf_units, k_length_units_text));
  }
  if (!top.has("members") && !top.has("dxf"))
    top.fail("members", "missing field (give members, or a dxf drawing of them)");

  if (top.has("supports")) {
    const json& supports = top.array("supports");
    for (std::size_t k = 0; k < supports.size(); ++k)
      model.supports.push_back(read_support(
          Item(supports[k], file_name, describe("support", "supports", k, supports[k])), k));
  }
  if (top.has("springs")) {
    const json& springs = top.array("springs");
    for (std::size_t k = 0; k < springs.size(); ++k)
      model.springs.push_back(read_spring(
          Item(springs[k], file_name, describe("spring", "springs", k, springs[k])), k));
  }
  // A model asking for its modes alone needs no load case.
  if (top.has("load_cases") || !top.has("modal")) {
    const json& cases = top.array("load_cases");
    for (std::size_t k = 0; k < cases.size(); ++k)
      model.load_cases.push_back(read_load_case(
          Item(cases[k], file_name, describe("load case", "load_cases", k, cases[k])), model, k));
  }
  if (top.has("combinations")) model.combinations = read_combinations(top.get("combinations"), file_name);
  if (top.has("envelopes")) model.envelopes = read_envelopes(top.get("envelopes"), file_name);
  if (top.has("masses")) model.masses = read_point_masses(top.get("masses"), file_name);
  if (top.has("mass_from_loads"))
    model.mass_from_loads = read_mass_from_loads(top.get("mass_from_loads"), file_name);
  if (top.has("modal")) model.modal = read_modal(Item(top.get("modal"), file_name, "modal"));
  if (top.has("spectrum"))
    model.spectrum = read_spectrum(Item(top.get("spectrum"), file_name, "spectrum"));
  if (top.has("buckling"))
    model.buckling = read_buckling(Item(top.get("buckling"), file_name, "buckling"));
  return model;
}

Model read_json_model(const std::string& path) {
  // A device or a directory has no end or no text (a pipe is read to its end).
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (std::filesystem::is_directory(status) || std::filesystem::is_character_file(status) ||
      std::filesystem::is_block_file(status) || std::filesystem::is_socket(status))
    throw InputError(fmt::format("{}: cannot read the model file: it is not a regular file", path));
  std::ifstream in(path, std::ios::binary);
  if (!in) throw InputError(fmt::format("{}: cannot open the model file", path));
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw InputError(fmt::format("{}: cannot read the model file", path));
  return parse_json_model(text.str(), path);
}

}  // namespace zervola::frame
