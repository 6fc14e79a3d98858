// The frame API throws three kinds of failure; Python code catches them as
// the package's exception classes, defined in Python (zervola/_errors.py) so
// that they carry docstrings and attributes like any Python exception. The
// message is the API's, as zervola-frame prints it after "error: ".

#include <pybind11/stl.h>

#include <exception>

#include "bindings.hpp"
#include "warnings.hpp"
#include "zervola/frame/errors.hpp"

namespace py = pybind11;

namespace zervola::python {
namespace {

// Raises the package's exception class `name` with message; extra
// attributes are set by set_attributes on the instance before it is raised.
template <typename SetAttributes>
void raise_package_error(const char* name, const char* message, SetAttributes set_attributes) {
  const py::object cls = py::module_::import("zervola._errors").attr(name);
  py::object exc = cls(message);
  set_attributes(exc);
  PyErr_SetObject(cls.ptr(), exc.ptr());
}

void translate(std::exception_ptr p) {
  // Each catch builds Python objects, so the GIL is held here: pybind11
  // calls translators after the call's gil_scoped_release has ended.
  try {
    if (p) std::rethrow_exception(p);
  } catch (const frame::InputError& e) {
    raise_package_error("ModelError", e.what(), [](py::object&) {});
  } catch (const frame::AnalysisError& e) {
    raise_package_error("AnalysisError", e.what(), [&](py::object& exc) {
      exc.attr("node") = e.node;
      exc.attr("_warnings") = warning_tuples(e.warnings);
    });
  } catch (const frame::OutputError& e) {
    raise_package_error("OutputError", e.what(), [](py::object&) {});
  }
}

}  // namespace

void bind_errors(py::module_&) { py::register_exception_translator(&translate); }

}  // namespace zervola::python
