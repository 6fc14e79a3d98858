#pragma once

// Reads what a model says of its stability:
//
//   "buckling": {"sets": ["ULS1", "wind"], "modes": 3}     modes: default 1
//   on a load case or combination:
//     "second_order": true,
//     "imperfection": {"direction": "X", "phi": 0.005}     phi: default 1/200
//
// "sets" name load cases or combinations; validate_model checks that they
// exist. An imperfection is read on a second-order case or combination only.

#include <optional>

#include "reading/json_item.hpp"
#include "zervola/frame/model.hpp"

namespace zervola::frame {

// Throws InputError naming the file, the item and the field: an unknown
// field, a value of the wrong type, an empty list of sets, modes that are
// not a whole number from 1 on.
[[nodiscard]] BucklingRequest read_buckling(const Item& item);

// The "second_order" and "imperfection" fields of a load case or
// combination (item): throws InputError for a second_order that is not true
// or false, an imperfection on a set that is not second-order, a direction
// that is neither "X" nor "Y" and a phi that is not a positive number below 1.
void read_second_order(const Item& item, bool& second_order,
                       std::optional<SwayImperfection>& imperfection);

}  // namespace zervola::frame
