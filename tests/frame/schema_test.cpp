// The JSON Schema of the model format agrees with the program: every bundled
// example and every test model validates against it, and typical faults do
// not. The validator here covers the keywords the schema uses.

#include <gtest/gtest.h>

#include <filesystem>

#include "run_program.hpp"

namespace zervola::frame::test {
namespace schema_test {

using nlohmann::json;

class Validator {
 public:
  explicit Validator(json schema) : root_(std::move(schema)) {}

  [[nodiscard]] std::vector<std::string> errors(const json& value) const {
    std::vector<std::string> out;
    check(root_, value, "$", out);
    return out;
  }

 private:
  const json& resolve(const json& s) const {
    if (!s.contains("$ref")) return s;
    const std::string ref = s["$ref"];
    const std::string prefix = "#/$defs/";
    return root_["$defs"][ref.substr(prefix.size())];
  }

  [[nodiscard]] bool valid(const json& s, const json& v) const {
    std::vector<std::string> e;
    check(s, v, "", e);
    return e.empty();
  }

  void check(const json& schema, const json& v, const std::string& at,
             std::vector<std::string>& out) const {
    const json& s = resolve(schema);
    const auto fail = [&](const std::string& what) { out.push_back(at + ": " + what); };
    if (s.contains("type")) {
      const std::string t = s["type"];
      const bool ok = (t == "object" && v.is_object()) || (t == "array" && v.is_array()) ||
                      (t == "number" && v.is_number()) || (t == "string" && v.is_string()) ||
                      (t == "boolean" && v.is_boolean());
      if (!ok) return fail("not of type " + t);
    }
    if (s.contains("enum") && std::find(s["enum"].begin(), s["enum"].end(), v) == s["enum"].end())
      fail("not one of " + s["enum"].dump());
    if (s.contains("const") && v != s["const"]) fail("not " + s["const"].dump());
    if (v.is_number()) {
      if (s.contains("exclusiveMinimum") && !(v.get<double>() > s["exclusiveMinimum"].get<double>()))
        fail("not above the minimum");
      if (s.contains("minimum") && v.get<double>() < s["minimum"].get<double>()) fail("below the minimum");
    }
    if (v.is_string() && s.contains("minLength") && v.get<std::string>().size() < s["minLength"].get<std::size_t>())
      fail("too short");
    if (v.is_array()) {
      if (s.contains("minItems") && v.size() < s["minItems"].get<std::size_t>()) fail("too few items");
      if (s.contains("maxItems") && v.size() > s["maxItems"].get<std::size_t>()) fail("too many items");
      if (s.contains("items"))
        for (std::size_t k = 0; k < v.size(); ++k) check(s["items"], v[k], at + "[" + std::to_string(k) + "]", out);
    }
    if (v.is_object()) {
      if (s.contains("required"))
        for (const json& r : s["required"])
          if (!v.contains(r.get<std::string>())) fail("missing " + r.get<std::string>());
      if (s.contains("minProperties") && v.size() < s["minProperties"].get<std::size_t>()) fail("empty");
      for (const auto& [key, item] : v.items()) {
        if (s.contains("propertyNames") && !valid(s["propertyNames"], key)) fail("bad key " + key);
        if (s.contains("properties") && s["properties"].contains(key)) {
          check(s["properties"][key], item, at + "." + key, out);
        } else if (s.contains("additionalProperties")) {
          const json& extra = s["additionalProperties"];
          if (extra.is_boolean() && !extra.get<bool>()) fail("unknown key " + key);
          else if (extra.is_object()) check(extra, item, at + "." + key, out);
        }
      }
    }
    if (s.contains("anyOf")) {
      bool any = false;
      for (const json& alt : s["anyOf"]) any = any || valid(alt, v);
      if (!any) fail("matches none of anyOf");
    }
    if (s.contains("not") && valid(s["not"], v)) fail("matches what is excluded");
    if (s.contains("allOf"))
      for (const json& part : s["allOf"]) {
        if (part.contains("if")) {
          if (valid(part["if"], v)) check(part["then"], v, at, out);
        } else {
          check(part, v, at, out);
        }
      }
  }

  json root_;
};

json parse_with_comments(const std::string& path) {
  return json::parse(read_text(path), nullptr, true, true);
}

Validator model_schema() {
  return Validator(read_json(examples_dir() + "/../docs/model-format.schema.json"));
}

TEST(ModelSchema, EveryExampleAndTestModelValidates) {
  const Validator v = model_schema();
  std::vector<std::string> files;
  for (const auto& e : std::filesystem::recursive_directory_iterator(examples_dir()))
    if (e.path().extension() == ".json") files.push_back(e.path().string());
  for (const auto& e : std::filesystem::directory_iterator(host_data_dir()))
    if (e.path().string().ends_with(".model.json")) files.push_back(e.path().string());
  ASSERT_GE(files.size(), 14u);
  for (const std::string& f : files) {
    const auto errors = v.errors(parse_with_comments(f));
    EXPECT_TRUE(errors.empty()) << f << ": " << (errors.empty() ? "" : errors.front());
  }
}

TEST(ModelSchema, RejectsWhatTheProgramRejects) {
  const Validator v = model_schema();
  const json good = parse_with_comments(examples_dir() + "/dxf_portal/portal_members.json");
  ASSERT_TRUE(v.errors(good).empty());
  json m = good;
  m["members"][0]["sectoin"] = "x";
  EXPECT_FALSE(v.errors(m).empty());
  m = good;
  m["sections"][0]["E"] = 0;
  EXPECT_FALSE(v.errors(m).empty());
  m = good;
  m["members"][0]["release"] = "hinged";
  EXPECT_FALSE(v.errors(m).empty());
  m = good;
  m["supports"][0] = {{"at", {0, 0, 0}}, {"type", "roller"}};
  EXPECT_FALSE(v.errors(m).empty());
  m = good;
  m.erase("load_cases");
  EXPECT_FALSE(v.errors(m).empty());
  m = good;
  m["members"][0]["from"] = {0, 0};
  EXPECT_FALSE(v.errors(m).empty());
}

}  // namespace schema_test
}  // namespace zervola::frame::test
