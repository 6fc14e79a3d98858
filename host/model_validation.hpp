#pragma once

// Checks the meaning of a model before anything is analysed, and names the
// item and field at fault: positive section values, known sections, members
// of non-zero length, orientation points off the member's line, a plane frame
// that stays in its x-y plane, unique names, at least one load case.
// Whether supports and loads lie on nodes is checked once the nodes exist
// (library_arrays).

#include <string>

#include "model.hpp"

namespace zervola::host {

// Throws InputError on the first fault.
void validate_model(const Model& model);

// Throws the InputError "file: place: field "name": problem" for the item
// read from o (without the field part when field is empty).
[[noreturn]] void fail_item(const Origin& o, const std::string& field, const std::string& problem);

// Two points closer than this in every coordinate are one node, as the
// library merges drawn line endpoints.
inline constexpr double k_node_tolerance = 1.0e-4;

}  // namespace zervola::host
