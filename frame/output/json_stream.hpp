#pragma once

// One JSON document written to a stream piece by piece, laid out exactly as
// nlohmann's dump(1) lays out the whole (one space per level, objects with
// their keys in byte order), so that an output of any size needs only the
// memory of its largest piece.

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace zervola::frame {

class JsonStream {
 public:
  explicit JsonStream(std::ostream& out) : out_(out) {}

  // An object or array opened here, at the top, as an array element or
  // after key(), and closed by the matching end.
  void begin_object() { open('{', true); }
  void end_object() { close('}'); }
  void begin_array() { open('[', false); }
  void end_array() { close(']'); }

  // The next key of the open object: keys must come in byte order, as
  // nlohmann orders them (checked in debug builds).
  void key(std::string_view name);

  // A whole value (of moderate size) here.
  void value(const nlohmann::json& v);

 private:
  struct Level {
    bool object = false;
    bool empty = true;
    std::string last_key;
  };
  void before_item();
  void open(char bracket, bool object);
  void close(char bracket);
  void indent(std::size_t depth);

  std::ostream& out_;
  std::vector<Level> levels_;
  bool after_key_ = false;
};

}  // namespace zervola::frame
