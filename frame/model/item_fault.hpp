#pragma once

// The one form of a fault of a model's item, for every stage that finds one:
// "file: place: field "name": problem".

#include <string>

#include "zervola/frame/model.hpp"


namespace zervola::frame {

// Throws the InputError "file: place: field "name": problem" for the item
// read from o (without the field part when field is empty).
[[noreturn]] void fail_item(const Origin& o, const std::string& field, const std::string& problem);

}  // namespace zervola::frame
