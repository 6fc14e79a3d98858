#include "zervola/frame.hpp"
#include "reading/drawing_entities.hpp"
#include "zervola/frame/sections.hpp"

namespace zervola::frame {

Model read_model(const std::string& path) {
  Model model = read_json_model(path);
  if (!model.dxf_file.empty()) {
    const DxfDrawing drawing = read_dxf_drawing(model.dxf_file);
    model.members.insert(model.members.end(), drawing.members.begin(), drawing.members.end());
    check_ignored_entities(model, drawing);
  }
  add_catalogue_sections(model);
  validate_model(model);
  if (model.connect_crossings) return connect_crossings(model);
  return model;
}

}  // namespace zervola::frame
