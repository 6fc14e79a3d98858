#include "reading/dxf_pairs.hpp"

#include <fmt/format.h>

#include <charconv>
#include <cmath>
#include <optional>
#include <system_error>

#include "zervola/frame/errors.hpp"

namespace zervola::frame {
namespace {

// Group codes run from -5 to 1071; 999 is a comment.
constexpr int k_lowest_group_code = -5;
constexpr int k_highest_group_code = 1071;
constexpr int k_comment_code = 999;

// The sentinel at the start of a binary DXF file.
constexpr std::string_view k_binary_sentinel = "AutoCAD Binary DXF";

enum class ValueKind { text, real, integer };

ValueKind kind_of(int code) {
  const auto in = [code](int low, int high) { return code >= low && code <= high; };
  if (in(10, 59) || in(110, 149) || in(210, 239) || in(460, 469) || in(1010, 1059))
    return ValueKind::real;
  if (in(60, 99) || in(160, 179) || in(270, 299) || in(370, 389) || in(400, 409) ||
      in(420, 429) || in(440, 459) || in(1060, 1071))
    return ValueKind::integer;
  return ValueKind::text;
}

std::string_view trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

// A leading '+' is written by some programs; from_chars does not take it.
std::string_view without_plus(std::string_view s) {
  if (s.size() > 1 && s.front() == '+' && s[1] != '-' && s[1] != '+') s.remove_prefix(1);
  return s;
}

std::optional<double> parse_real(std::string_view s) {
  s = without_plus(s);
  double v = 0.0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

std::optional<std::int64_t> parse_integer(std::string_view s) {
  s = without_plus(s);
  std::int64_t v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

std::string quoted(std::string_view s) {
  constexpr std::size_t k_shown = 40;
  if (s.size() <= k_shown) return fmt::format("\"{}\"", s);
  return fmt::format("\"{}...\"", s.substr(0, k_shown));
}

// A fault of the value is placed on the value's own line, after its code.
[[noreturn]] void fail_value(const DxfPair& pair, const std::string& file,
                             const std::string& problem) {
  throw InputError(
      fmt::format("{}:{}: group code {}: {}", file, pair.line + 1, pair.code, problem));
}

void check_value(const DxfPair& pair, const std::string& file) {
  const ValueKind kind = kind_of(pair.code);
  if (kind == ValueKind::text) return;
  if (pair.value.empty()) fail_value(pair, file, "the value is empty, a number was expected");
  if (kind == ValueKind::real && !parse_real(pair.value)) {
    // Tell an overflow from a word: both are refused, for different reasons.
    double v = 0.0;
    const std::string_view s = without_plus(pair.value);
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec == std::errc::result_out_of_range && end == s.data() + s.size())
      fail_value(pair, file, fmt::format("the number {} is beyond the range of a double",
                                      quoted(pair.value)));
    fail_value(pair, file, fmt::format("{} is not a finite number", quoted(pair.value)));
  }
  if (kind == ValueKind::integer && !parse_integer(pair.value))
    fail_value(pair, file, fmt::format("{} is not an integer", quoted(pair.value)));
}

}  // namespace

void fail_at(const DxfPair& pair, const std::string& file, const std::string& problem) {
  throw InputError(fmt::format("{}:{}: group code {}: {}", file, pair.line, pair.code, problem));
}

double dxf_real(const DxfPair& pair) { return parse_real(pair.value).value_or(0.0); }

std::int64_t dxf_integer(const DxfPair& pair) { return parse_integer(pair.value).value_or(0); }

std::vector<DxfPair> read_dxf_pairs(std::string_view text, const std::string& file) {
  if (text.starts_with(k_binary_sentinel))
    throw InputError(fmt::format("{}:1: a binary DXF drawing; save the drawing as ASCII DXF", file));
  std::vector<DxfPair> pairs;
  std::size_t line = 0;
  std::size_t at = 0;
  const auto next_line = [&]() -> std::optional<std::string_view> {
    if (at >= text.size()) return std::nullopt;
    const std::size_t end = text.find('\n', at);
    const std::size_t stop = end == std::string_view::npos ? text.size() : end;
    const std::string_view l = text.substr(at, stop - at);
    at = end == std::string_view::npos ? text.size() : end + 1;
    ++line;
    return l;
  };
  while (const std::optional<std::string_view> code_line = next_line()) {
    const std::string_view code_text = trim(*code_line);
    DxfPair pair;
    pair.line = line;
    if (code_text.empty() && at >= text.size()) break;  // a final blank line
    const std::optional<std::int64_t> code = parse_integer(code_text);
    if (!code || *code < k_lowest_group_code || *code > k_highest_group_code)
      throw InputError(fmt::format("{}:{}: {} is not a group code (an integer from {} to {})",
                                   file, line, quoted(code_text), k_lowest_group_code,
                                   k_highest_group_code));
    pair.code = static_cast<int>(*code);
    const std::optional<std::string_view> value_line = next_line();
    if (!value_line) fail_at(pair, file, "the drawing ends before the value of this group code");
    pair.value = trim(*value_line);
    check_value(pair, file);
    if (pair.code != k_comment_code) pairs.push_back(pair);
  }
  return pairs;
}

}  // namespace zervola::frame
