#pragma once

// The group-code/value pairs of an ASCII DXF drawing, read strictly: every
// group code must be an integer, every value of a numeric group code must be
// a whole, finite number of its type (no "3.5abc", no nan or inf, no empty
// value). A fault throws InputError naming the file, the line and the group
// code, so that nothing the reader did not understand is read as zero.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zervola::frame {

struct DxfPair {
  int code = 0;
  std::string_view value;  // trimmed of surrounding blanks and the line end
  std::size_t line = 0;    // 1-based line of the group code
};

// Splits text (which must outlive the pairs) into pairs and checks every
// numeric value. A comment pair (group code 999) is dropped.
[[nodiscard]] std::vector<DxfPair> read_dxf_pairs(std::string_view text, const std::string& file);

// The value of a real-valued group code (10 to 59, 110 to 149, 210 to 239,
// 460 to 469, 1010 to 1059), already checked to be a finite double.
[[nodiscard]] double dxf_real(const DxfPair& pair);

// The value of an integer group code (60 to 99, 160 to 179, 270 to 289, ...),
// already checked to fit in 64 bits.
[[nodiscard]] std::int64_t dxf_integer(const DxfPair& pair);

// "file:line: group code C: problem".
[[noreturn]] void fail_at(const DxfPair& pair, const std::string& file, const std::string& problem);

}  // namespace zervola::frame
