// zervola._core: the compiled half of the Python package.

#include "bindings.hpp"

PYBIND11_MODULE(_core, m) {
  m.doc() = "zervola's frame analysis, bound from its C++ API (use the package zervola)";
  zervola::python::bind_errors(m);
  zervola::python::bind_model(m);
  zervola::python::bind_results(m);
}
