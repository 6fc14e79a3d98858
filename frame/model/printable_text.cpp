#include <fmt/format.h>

#include <algorithm>

#include "zervola/frame/errors.hpp"

namespace zervola::frame {
namespace {

bool is_control(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7f;
}

}  // namespace

bool has_control_character(std::string_view text) {
  return std::any_of(text.begin(), text.end(), is_control);
}

std::string printable_text(std::string_view text, bool keep_line_feeds) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (is_control(c) && !(keep_line_feeds && c == '\n'))
      out += fmt::format("\\x{:02x}", static_cast<unsigned char>(c));
    else
      out += c;
  }
  return out;
}

}  // namespace zervola::frame
