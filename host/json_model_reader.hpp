#pragma once

// Reads a model file (JSON, with // and /* */ comments allowed). Syntax errors
// name the file, line and column; structural errors (a missing or unknown
// field, a value of the wrong type) name the item and the field. Meaning
// (positive stiffness, known sections, ...) is checked by model_validation.

#include <string>

#include "model.hpp"

namespace zervola::host {

// Reads and parses the file; throws InputError.
[[nodiscard]] Model read_json_model(const std::string& path);

// Parses model text; file_name is used in messages and to resolve the path of
// a DXF drawing. Throws InputError.
[[nodiscard]] Model parse_json_model(const std::string& text, const std::string& file_name);

}  // namespace zervola::host
