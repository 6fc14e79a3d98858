#include "reading/drawing_entities.hpp"

#include <fmt/format.h>

#include <set>

#include "reading/drawn_layer.hpp"
#include "zervola/frame/errors.hpp"

namespace zervola::frame {

void check_ignored_entities(Model& model, const DxfDrawing& drawing) {
  if (drawing.ignored.empty()) return;
  std::set<std::string> section_layers;
  for (const Member& m : drawing.members) section_layers.insert(m.section);
  for (const Section& s : model.sections) section_layers.insert(s.name);
  for (const IgnoredEntities& i : drawing.ignored)
    if (!i.in_block && (i.type == "ARC" || i.type == "CIRCLE") &&
        section_layers.contains(drawn_layer(i.layer).section))
      throw InputError(fmt::format(
          "{}:{}: {} on layer \"{}\", which names a section: a curved member must be drawn as "
          "straight segments (LINE or polyline without bulges)",
          model.dxf_file, i.first_line, i.type, i.layer));
  std::string counted;
  int total = 0;
  bool inserts = false;
  for (const IgnoredEntities& i : drawing.ignored) {
    counted += fmt::format("{}{} {} on layer \"{}\"{} (first at line {})", counted.empty() ? "" : "; ",
                           i.count, i.type, i.layer, i.in_block ? " in a block definition" : "",
                           i.first_line);
    total += i.count;
    inserts = inserts || (i.type == "INSERT" && !i.in_block);
  }
  model.warnings.push_back(
      {"ignored_drawing_entity",
       fmt::format("{}: {} {} of the drawing {}: {}. Only LINE, POLYLINE and LWPOLYLINE "
                   "entities of the ENTITIES section are members; check that no member is "
                   "missing{}",
                   model.dxf_file, total, total == 1 ? "entity" : "entities",
                   total == 1 ? "is not read as a member" : "are not read as members", counted,
                   inserts ? " (a block reference is not exploded: explode it in the drawing if "
                             "it holds members)"
                           : ""),
       {model.dxf_file}});
}

}  // namespace zervola::frame
