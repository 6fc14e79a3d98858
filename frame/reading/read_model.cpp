#include "zervola/frame.hpp"
#include "zervola/frame/sections.hpp"

namespace zervola::frame {

Model read_model(const std::string& path) {
  Model model = read_json_model(path);
  if (!model.dxf_file.empty()) {
    std::vector<Member> drawn = read_dxf_members(model.dxf_file);
    model.members.insert(model.members.end(), drawn.begin(), drawn.end());
  }
  add_catalogue_sections(model);
  validate_model(model);
  return model;
}

}  // namespace zervola::frame
