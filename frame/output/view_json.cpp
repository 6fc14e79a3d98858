#include "output/view_json.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>

namespace zervola::frame {
namespace {

// The length of the well-formed UTF-8 sequence that starts s, 0 when it is
// not one (a stray continuation byte, an overlong form, a surrogate, a
// sequence cut short).
std::size_t utf8_length(std::string_view s) {
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const auto continuation = [&](std::size_t k) { return k < s.size() && (b(k) & 0xC0) == 0x80; };
  const unsigned char c = b(0);
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) return continuation(1) ? 2 : 0;
  if (c >= 0xE0 && c <= 0xEF) {
    if (!continuation(1) || !continuation(2)) return 0;
    if (c == 0xE0 && b(1) < 0xA0) return 0;  // overlong
    if (c == 0xED && b(1) > 0x9F) return 0;  // a surrogate
    return 3;
  }
  if (c >= 0xF0 && c <= 0xF4) {
    if (!continuation(1) || !continuation(2) || !continuation(3)) return 0;
    if (c == 0xF0 && b(1) < 0x90) return 0;  // overlong
    if (c == 0xF4 && b(1) > 0x8F) return 0;  // beyond U+10FFFF
    return 4;
  }
  return 0;
}

}  // namespace

std::string view_number(double v, int digits) {
  if (!std::isfinite(v)) return "null";
  if (v == 0.0) return "0";
  std::string s = fmt::format("{:.{}g}", v, digits);
  const std::size_t e = s.find('e');
  if (e == std::string::npos) return s;
  const int exponent = std::stoi(s.substr(e + 1));
  s.resize(e + 1);
  return s + std::to_string(exponent);
}

double quantized_unit(std::span<const double> values) {
  double top = 0.0;
  for (double v : values)
    if (std::isfinite(v)) top = std::max(top, std::abs(v));
  return top > 0.0 ? top / k_quantized_top : 1.0;
}

std::int64_t quantized(double value, double unit) {
  const double q = std::nearbyint(value / unit);
  return std::isfinite(q) ? static_cast<std::int64_t>(q) : 0;
}

void ViewJson::before_value() {
  if (after_key_) {
    after_key_ = false;
    return;
  }
  if (empty_.empty()) return;
  if (!empty_.back()) out_.put(',');
  empty_.back() = false;
}

void ViewJson::open(char bracket) {
  before_value();
  out_.put(bracket);
  empty_.push_back(true);
}

void ViewJson::close(char bracket) {
  empty_.pop_back();
  out_.put(bracket);
  if (empty_.empty()) out_.flush();
}

void ViewJson::key(std::string_view name) {
  before_value();
  quoted(name);
  out_.put(':');
  after_key_ = true;
}

void ViewJson::text(std::string_view s) {
  before_value();
  quoted(s);
}

void ViewJson::quoted(std::string_view s) {
  out_.put('"');
  for (std::size_t k = 0; k < s.size();) {
    const char c = s[k];
    const auto byte = static_cast<unsigned char>(c);
    const std::size_t n = utf8_length(s.substr(k));
    if (n == 0) {
      out_.write("\xEF\xBF\xBD");  // U+FFFD for a byte that is no UTF-8
      ++k;
      continue;
    }
    if (n > 1) {
      out_.write(std::string(s.substr(k, n)));
      k += n;
      continue;
    }
    ++k;
    switch (c) {
      case '"': out_.write("\\\""); break;
      case '\\': out_.write("\\\\"); break;
      case '\n': out_.write("\\n"); break;
      case '\r': out_.write("\\r"); break;
      case '\t': out_.write("\\t"); break;
      case '\b': out_.write("\\b"); break;
      case '\f': out_.write("\\f"); break;
      // "</script" would end the element the data sits in, "<!--" open a
      // comment there: no "<" is written as itself.
      case '<': out_.write("\\u003c"); break;
      default:
        if (byte < 0x20)
          out_.print("\\u{:04x}", byte);
        else
          out_.put(c);
    }
  }
  out_.put('"');
}

void ViewJson::integer(std::int64_t v) {
  before_value();
  out_.print("{}", v);
}

void ViewJson::number(double v, int digits) {
  before_value();
  out_.write(view_number(v, digits));
}

void ViewJson::texts(const std::vector<std::string>& list) {
  begin_array();
  for (const std::string& s : list) text(s);
  end_array();
}

void ViewJson::numbers(std::span<const double> list, int digits) {
  begin_array();
  for (double v : list) number(v, digits);
  end_array();
}

void ViewJson::quantized_array(std::span<const double> values) {
  const double unit = quantized_unit(values);
  begin_object();
  key("unit");
  number(unit, k_place_digits);
  key("q");
  begin_array();
  for (double v : values) integer(quantized(v, unit));
  end_array();
  end_object();
}

}  // namespace zervola::frame
