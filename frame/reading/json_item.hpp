#pragma once

// A JSON value of a model together with what it is (file and place), so that
// every fault names the file, the item and the field.

#include <fmt/format.h>

#include <cmath>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <string>

#include "zervola/frame/errors.hpp"
#include "zervola/frame/model.hpp"

namespace zervola::frame {

using nlohmann::json;

// A JSON value together with what it is, for messages.
class Item {
 public:
  Item(const json& value, std::string file, std::string place)
      : value_(value), file_(std::move(file)), place_(std::move(place)) {}

  [[nodiscard]] const std::string& place() const { return place_; }
  [[nodiscard]] Origin origin() const { return {file_, place_}; }

  [[noreturn]] void fail(const std::string& field, const std::string& problem) const {
    if (field.empty()) throw InputError(fmt::format("{}: {}: {}", file_, place_, problem));
    throw InputError(fmt::format("{}: {}: field \"{}\": {}", file_, place_, field, problem));
  }

  // The value must be an object whose keys are all among allowed.
  void expect_object(std::initializer_list<const char*> allowed) const {
    if (!value_.is_object()) fail("", fmt::format("expected an object, found {}", value_.type_name()));
    for (const auto& [key, unused] : value_.items()) {
      bool known = false;
      for (const char* name : allowed) known = known || key == name;
      if (!known) fail(key, "unknown field");
    }
  }

  [[nodiscard]] bool has(const char* key) const { return value_.contains(key); }

  [[nodiscard]] const json& get(const char* key) const {
    if (!value_.contains(key)) fail(key, "missing field");
    return value_.at(key);
  }

  [[nodiscard]] double number(const char* key) const {
    const json& v = get(key);
    if (!v.is_number()) fail(key, fmt::format("expected a number, found {}", v.type_name()));
    const double d = v.get<double>();
    if (!std::isfinite(d)) fail(key, "the number is not finite");
    return d;
  }

  [[nodiscard]] double number_or(const char* key, double fallback) const {
    return has(key) ? number(key) : fallback;
  }

  [[nodiscard]] std::string string(const char* key) const {
    const json& v = get(key);
    if (!v.is_string()) fail(key, fmt::format("expected a string, found {}", v.type_name()));
    return v.get<std::string>();
  }

  [[nodiscard]] std::string string_or(const char* key, const std::string& fallback) const {
    return has(key) ? string(key) : fallback;
  }

  [[nodiscard]] Vector3 vector3(const char* key) const {
    const json& v = get(key);
    if (!v.is_array() || v.size() != 3)
      fail(key, "expected an array of three numbers [x, y, z]");
    Vector3 out{};
    for (std::size_t k = 0; k < 3; ++k) {
      if (!v[k].is_number()) fail(key, "expected an array of three numbers [x, y, z]");
      out[k] = v[k].get<double>();
      if (!std::isfinite(out[k])) fail(key, "the number is not finite");
    }
    return out;
  }

  [[nodiscard]] Point3 point(const char* key) const {
    const Vector3 v = vector3(key);
    return {v[0], v[1], v[2]};
  }

  [[nodiscard]] const json& array(const char* key) const {
    const json& v = get(key);
    if (!v.is_array()) fail(key, fmt::format("expected an array, found {}", v.type_name()));
    return v;
  }

  // The item's own name when it has one ("name" field), else empty.
  [[nodiscard]] std::string optional_name() const {
    if (!value_.is_object() || !value_.contains("name")) return {};
    return string("name");
  }

  [[nodiscard]] const std::string& file() const { return file_; }

 private:
  const json& value_;
  std::string file_;
  std::string place_;
};

}  // namespace zervola::frame
