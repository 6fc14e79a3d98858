#include "output/csv_field.hpp"

#include <algorithm>

namespace zervola::frame {

std::string csv_field(const std::string& s) {
  // Quoted when it holds a separator, a quote or any control character, so
  // that a reader takes the field whole.
  const bool plain = std::none_of(s.begin(), s.end(), [](char c) {
    return c == ',' || c == '"' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
  });
  if (plain) return s;
  std::string q = "\"";
  for (char c : s) {
    if (c == '"') q += '"';
    q += c;
  }
  return q + "\"";
}

}  // namespace zervola::frame
