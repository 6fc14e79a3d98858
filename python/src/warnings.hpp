#pragma once

// Warnings as Python values: a list of (code, message, items) tuples, which
// the package turns into zervola.Warning records.

#include <pybind11/pybind11.h>

#include <vector>

#include "zervola/frame/model.hpp"

namespace zervola::python {

inline pybind11::list warning_tuples(const std::vector<frame::Warning>& warnings) {
  pybind11::list out;
  for (const frame::Warning& w : warnings)
    out.append(pybind11::make_tuple(w.code, w.message, w.items));
  return out;
}

}  // namespace zervola::python
