#pragma once

// The three kinds of failure of reading, analysing and writing a model. Every
// message names the file and, where there is one, the item, the field and
// the value at fault, and says what to do.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "zervola/frame/model.hpp"

#include "zervola/frame/export.hpp"

namespace zervola::frame {

// A model's names, units and title are printable text (validate_model
// refuses control characters in them); a message about a model that was
// never validated may still quote one. Before a message reaches a terminal,
// printable_text shows each control character (bytes 0x00-0x1f, 0x7f) as
// \xNN, so that it is read rather than acted on (ESC moves the cursor);
// keep_line_feeds keeps the line feeds of a message of several lines.
// has_control_character says whether text holds one. Both throw nothing but
// bad_alloc.
[[nodiscard]] ZERVOLA_FRAME_API bool has_control_character(std::string_view text);
[[nodiscard]] ZERVOLA_FRAME_API std::string printable_text(std::string_view text,
                                                           bool keep_line_feeds = false);

// A fault of the model file: its syntax (with file, line and column) or its
// meaning (with the item and field).
class ZERVOLA_FRAME_API InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The model is well formed but cannot be analysed: not in one piece, a
// mechanism, a singular system, a store larger than the memory. warnings:
// what analyse had found before it failed (the model's own first), which
// often explains the failure.
class ZERVOLA_FRAME_API AnalysisError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  AnalysisError(const std::string& message, std::int32_t at_node)
      : std::runtime_error(message), node(at_node) {}
  std::vector<Warning> warnings;
  // The node (drawing number, from 1) the failure names first: a mechanism,
  // a node out of equilibrium, a displacement that is not finite; 0 when
  // the failure names none.
  std::int32_t node = 0;
};

// An output (a file, its directory, standard output) could not be written.
class ZERVOLA_FRAME_API OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace zervola::frame
