#pragma once

// The pieces of zervola._core, each adding its names to the module. The
// Python package (python/zervola) is the public face; these are its
// building blocks and are documented there for users.

#include <pybind11/pybind11.h>

namespace zervola::python {

// Turns the frame API's exceptions into the package's (zervola._errors):
// InputError -> ModelError, AnalysisError -> AnalysisError (with its node
// and warnings), OutputError -> OutputError.
void bind_errors(pybind11::module_& m);

// Model (an immutable, checked frame model), read_model, parse_model,
// model_document.
void bind_model(pybind11::module_& m);

// analyse and Results.
void bind_results(pybind11::module_& m);

}  // namespace zervola::python
