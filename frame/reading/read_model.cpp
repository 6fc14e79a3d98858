#include "zervola/frame.hpp"

#include <fmt/format.h>

#include "reading/drawing_entities.hpp"
#include "zervola/frame/errors.hpp"
#include "zervola/frame/sections.hpp"
#include "zervola/frame/units.hpp"

namespace zervola::frame {
namespace {

Model completed(Model model) {
  if (!model.dxf_file.empty()) {
    const ModelDrawing drawn = read_model_drawing(model);
    model.members.insert(model.members.end(), drawn.drawing.members.begin(),
                         drawn.drawing.members.end());
    check_ignored_entities(model, drawn.drawing);
  }
  add_catalogue_sections(model);
  validate_model(model);
  if (model.connect_crossings) return connect_crossings(model);
  return model;
}

}  // namespace

Model read_model(const std::string& path) { return completed(read_json_model(path)); }

Model read_model(const std::string& path, const ModelReading& reading) {
  Model model = read_json_model(path);
  if (reading.dxf_units) {
    if (model.dxf_file.empty())
      throw InputError(fmt::format("--dxf-units {}: the model {} names no DXF drawing to scale",
                                   *reading.dxf_units, path));
    if (!unit_scale({"N", *reading.dxf_units}) && *reading.dxf_units != model.units.length)
      throw InputError(fmt::format("--dxf-units {}: not a length unit zervola converts ({})",
                                   *reading.dxf_units, k_length_units_text));
    model.dxf_units = reading.dxf_units;
  }
  return completed(std::move(model));
}

}  // namespace zervola::frame
