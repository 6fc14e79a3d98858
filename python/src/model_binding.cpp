// Reading a model: from its file as zervola-frame reads it, from the text a
// Python builder wrote, and its document as plain JSON for Model.to_json.

#include <pybind11/stl.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <utility>

#include "bindings.hpp"
#include "model_words.hpp"
#include "dynamics.hpp"
#include "model_binding.hpp"
#include "warnings.hpp"
#include "zervola/frame.hpp"
#include "zervola/frame/sections.hpp"

namespace py = pybind11;

namespace zervola::python {
namespace {

using frame::Model;

ModelHandle handle(Model&& model) {
  return ModelHandle{std::make_shared<const Model>(std::move(model))};
}

// The steps read_model takes after parsing, for a model given as text:
// catalogue profiles named by members, the checks of meaning, and the cut
// at crossings when the model (or the caller) asks for it.
Model check_parsed(Model model, bool connect) {
  if (!model.dxf_file.empty())
    throw frame::InputError(model.source_file +
                            ": field \"dxf\": a model given as text cannot name a drawing; "
                            "read the model file with zervola.read");
  frame::add_catalogue_sections(model);
  frame::validate_model(model);
  if (model.connect_crossings || connect) return frame::connect_crossings(model);
  return model;
}

std::string read_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

nlohmann::ordered_json point(const frame::Point3& p) {
  return nlohmann::ordered_json::array({p.x, p.y, p.z});
}

// The model file's document as plain JSON (comments dropped, keys in the
// file's order), with the members of the drawing it names appended to its
// members as the reader appends them (in the model's length unit, with
// their releases), and the "dxf" and "dxf_units" keys removed: a
// document that stands alone and reads back as the same model.
std::string model_document(const std::string& path, std::optional<std::string> dxf_units) {
  Model parsed = frame::read_json_model(path);  // syntax and structure checked here
  if (dxf_units) parsed.dxf_units = std::move(dxf_units);
  const bool strict = true;
  const bool ignore_comments = true;
  nlohmann::ordered_json doc =
      nlohmann::ordered_json::parse(read_text(path), nullptr, strict, ignore_comments);
  if (!parsed.dxf_file.empty()) {
    nlohmann::ordered_json& members = doc["members"];
    if (members.is_null()) members = nlohmann::ordered_json::array();
    for (const frame::Member& m : frame::read_model_drawing(parsed).drawing.members) {
      nlohmann::ordered_json member = {{"name", m.name},
                                       {"from", point(m.from)},
                                       {"to", point(m.to)},
                                       {"section", m.section}};
      if (m.release != frame::Release::none) member["release"] = release_name(m.release);
      members.push_back(std::move(member));
    }
    doc.erase("dxf");
    doc.erase("dxf_units");
  }
  return doc.dump();
}

template <typename Items>
std::vector<std::string> names_of(const Items& items) {
  std::vector<std::string> names;
  names.reserve(items.size());
  for (const auto& item : items) names.push_back(item.name);
  return names;
}

}  // namespace

void bind_model(py::module_& m) {
  py::class_<ModelHandle>(m, "Model")
      .def_property_readonly("title", [](const ModelHandle& h) { return h.model->title; })
      .def_property_readonly("units",
                             [](const ModelHandle& h) {
                               return py::make_tuple(h.model->units.force, h.model->units.length);
                             })
      .def_property_readonly("frame",
                             [](const ModelHandle& h) {
                               return h.model->frame == frame::FrameKind::plane ? "plane" : "space";
                             })
      .def_property_readonly("source_file", [](const ModelHandle& h) { return h.model->source_file; })
      .def_property_readonly("connect_crossings",
                             [](const ModelHandle& h) { return h.model->connect_crossings; })
      .def_property_readonly("warnings",
                             [](const ModelHandle& h) { return warning_tuples(h.model->warnings); })
      .def_property_readonly("member_names",
                             [](const ModelHandle& h) { return names_of(h.model->members); })
      .def_property_readonly("section_names",
                             [](const ModelHandle& h) { return names_of(h.model->sections); })
      .def_property_readonly("load_case_names",
                             [](const ModelHandle& h) { return names_of(h.model->load_cases); })
      .def_property_readonly("combination_names",
                             [](const ModelHandle& h) { return names_of(h.model->combinations); })
      .def_property_readonly("envelope_names",
                             [](const ModelHandle& h) { return names_of(h.model->envelopes); })
      .def_property_readonly("mass_names",
                             [](const ModelHandle& h) { return names_of(h.model->masses); })
      .def_property_readonly("masses", [](const ModelHandle& h) { return point_masses(*h.model); })
      .def_property_readonly("mass_from_loads",
                             [](const ModelHandle& h) { return masses_from_loads(*h.model); })
      .def_property_readonly("modal", [](const ModelHandle& h) { return modal_request(*h.model); })
      .def_property_readonly("spectrum",
                             [](const ModelHandle& h) { return spectrum_request(*h.model); });

  m.def(
      "read_model",
      [](const std::string& path, bool connect, std::optional<std::string> dxf_units) {
        Model model = frame::read_model(path, frame::ModelReading{std::move(dxf_units)});
        if (connect && !model.connect_crossings) model = frame::connect_crossings(model);
        return handle(std::move(model));
      },
      py::arg("path"), py::arg("connect_crossings") = false, py::arg("dxf_units") = py::none(),
      py::call_guard<py::gil_scoped_release>());
  m.def(
      "parse_model",
      [](const std::string& text, const std::string& file_name, bool connect) {
        return handle(check_parsed(frame::parse_json_model(text, file_name), connect));
      },
      py::arg("text"), py::arg("file_name"), py::arg("connect_crossings") = false,
      py::call_guard<py::gil_scoped_release>());
  m.def("model_document", &model_document, py::arg("path"), py::arg("dxf_units") = py::none(),
        py::call_guard<py::gil_scoped_release>());
}

}  // namespace zervola::python
