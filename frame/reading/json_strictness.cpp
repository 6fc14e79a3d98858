#include "reading/json_strictness.hpp"

#include <fmt/format.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <utility>
#include <vector>

#include "zervola/frame/errors.hpp"

namespace zervola::frame {
namespace {

// The names of the control characters an error may meet.
constexpr const char* k_control_names[32] = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS", "TAB", "LF", "VT", "FF", "CR", "SO", "SI",
    "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB", "CAN", "EM", "SUB", "ESC", "FS", "GS", "RS", "US"};

struct Place {
  std::size_t line = 1;
  std::size_t column = 1;
};

// Walks the text byte by byte, knowing the line and column of each.
class Cursor {
 public:
  explicit Cursor(const std::string& text) : text_(text) {}
  [[nodiscard]] bool done() const { return at_ >= text_.size(); }
  [[nodiscard]] char peek(std::size_t ahead = 0) const {
    return at_ + ahead < text_.size() ? text_[at_ + ahead] : '\0';
  }
  [[nodiscard]] std::size_t offset() const { return at_; }
  [[nodiscard]] Place place() const { return place_; }
  void advance() {
    if (text_[at_] == '\n') {
      ++place_.line;
      place_.column = 1;
    } else {
      ++place_.column;
    }
    ++at_;
  }

 private:
  const std::string& text_;
  std::size_t at_ = 0;
  Place place_;
};

// One object being read: its keys with where each was given, and whether
// the next string is a key.
struct OpenObject {
  bool is_object = false;
  bool expecting_key = false;
  std::map<std::string, Place> keys;
};

bool number_char(char c) {
  return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E';
}

// Whether the number's digits before any exponent hold one that is not 0.
bool has_nonzero_digit(const std::string& number) {
  for (char c : number) {
    if (c == 'e' || c == 'E') break;
    if (c >= '1' && c <= '9') return true;
  }
  return false;
}

}  // namespace

void check_json_characters(const std::string& text, const std::string& file) {
  Cursor c(text);
  for (; !c.done(); c.advance()) {
    const auto byte = static_cast<unsigned char>(c.peek());
    if (byte >= 0x20 || byte == '\t' || byte == '\n' || byte == '\r') continue;
    throw InputError(fmt::format(
        "{}:{}:{}: a control character (byte 0x{:02x}, {}) in the model: the file is damaged or "
        "is not text (JSON allows only tab, line feed and carriage return between its tokens, "
        "and none unescaped in a string)",
        file, c.place().line, c.place().column, byte, k_control_names[byte]));
  }
}

void check_json_keys_and_numbers(const std::string& text, const std::string& file) {
  Cursor c(text);
  std::vector<OpenObject> open;
  while (!c.done()) {
    const char ch = c.peek();
    if (ch == '/' && c.peek(1) == '/') {
      while (!c.done() && c.peek() != '\n') c.advance();
    } else if (ch == '/' && c.peek(1) == '*') {
      c.advance();
      c.advance();
      while (!c.done() && !(c.peek() == '*' && c.peek(1) == '/')) c.advance();
      if (!c.done()) {
        c.advance();
        c.advance();
      }
    } else if (ch == '"') {
      const Place start = c.place();
      const std::size_t first = c.offset();
      c.advance();
      while (!c.done() && c.peek() != '"') {
        if (c.peek() == '\\') c.advance();
        if (!c.done()) c.advance();
      }
      if (!c.done()) c.advance();
      if (!open.empty() && open.back().is_object && open.back().expecting_key) {
        open.back().expecting_key = false;
        // The parser accepted the text, so the literal decodes; were it not
        // to, the parser's own check stands.
        const nlohmann::json literal =
            nlohmann::json::parse(text.substr(first, c.offset() - first), nullptr, false);
        if (!literal.is_string()) continue;
        const std::string key = literal.get<std::string>();
        const auto [it, added] = open.back().keys.emplace(key, start);
        if (!added)
          throw InputError(fmt::format(
              "{}:{}:{}: the key \"{}\" is given twice in one object (first at line {}, column "
              "{}): one of the two values would be lost without a word; keep one",
              file, start.line, start.column, key, it->second.line, it->second.column));
      }
    } else if (ch == '{' || ch == '[') {
      open.push_back({ch == '{', ch == '{', {}});
      c.advance();
    } else if (ch == '}' || ch == ']') {
      if (!open.empty()) open.pop_back();
      c.advance();
    } else if (ch == ',') {
      if (!open.empty() && open.back().is_object) open.back().expecting_key = true;
      c.advance();
    } else if (ch == '-' || (ch >= '0' && ch <= '9')) {
      const Place start = c.place();
      const std::size_t first = c.offset();
      while (!c.done() && number_char(c.peek())) c.advance();
      const std::string number = text.substr(first, c.offset() - first);
      double value = 0.0;
      const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
      (void)end;
      const bool underflow = has_nonzero_digit(number) &&
                             (value == 0.0 || std::fpclassify(value) == FP_SUBNORMAL ||
                              error == std::errc::result_out_of_range);
      if (underflow)
        throw InputError(fmt::format(
            "{}:{}:{}: the number {} is too small for a double (smallest normal magnitude {}): it "
            "would be read as {}; write 0 if zero is meant",
            file, start.line, start.column, number, std::numeric_limits<double>::min(),
            value == 0.0 ? "0" : "a number without full precision"));
    } else {
      c.advance();
    }
  }
}

}  // namespace zervola::frame
