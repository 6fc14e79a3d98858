#include "output/dxf_writer.hpp"

#include <fmt/format.h>

#include <cctype>
#include <cstdint>
#include <string_view>

namespace zervola::frame {
namespace {

// Group codes of the entities written.
constexpr int k_entity_type = 0;
constexpr int k_name = 2;
constexpr int k_handle = 5;
constexpr int k_linetype = 6;
constexpr int k_layer = 8;
constexpr int k_subclass = 100;
constexpr int k_owner = 330;
constexpr int k_text_value = 1;
constexpr int k_x = 10;
constexpr int k_height = 40;
constexpr int k_colour = 62;
constexpr int k_flags = 70;
constexpr int k_entities_follow = 66;
constexpr int k_variable = 9;
// POLYLINE flag: a 3D polyline; VERTEX flag: a vertex of one.
constexpr int k_polyline_3d = 8;
constexpr int k_vertex_3d = 32;
// The characters a layer name may not hold (AutoCAD R13 on), and the
// characters besides letters and digits an R12 name may hold.
constexpr std::string_view k_forbidden_in_names = "<>/\\\":;?*|=`";
constexpr std::string_view k_r12_name_signs = "$-_";

}  // namespace

int dxf_insunits(const std::string& length_unit) {
  if (length_unit == "in") return 1;
  if (length_unit == "ft") return 2;
  if (length_unit == "mm") return 4;
  if (length_unit == "cm") return 5;
  if (length_unit == "m") return 6;
  return 0;
}

std::string dxf_layer_name(const std::string& text, bool r12) {
  std::string name;
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    const bool forbidden =
        r12 ? !(std::isalnum(u) != 0 && u < 0x80) && k_r12_name_signs.find(c) == std::string_view::npos
            : k_forbidden_in_names.find(c) != std::string_view::npos || u < 0x20 || u == 0x7f;
    name += forbidden ? '_' : c;
  }
  return name.empty() ? "_" : name;
}

std::string dxf_ascii_text(const std::string& utf8) {
  std::string text;
  for (std::size_t k = 0; k < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[k]);
    if (lead < 0x80) {
      text += static_cast<char>(lead);
      ++k;
      continue;
    }
    // The sequence's length from its lead byte, its bits after it.
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    std::uint32_t code = lead & (length == 4 ? 0x07u : length == 3 ? 0x0Fu : 0x1Fu);
    bool whole = length > 0 && k + length <= utf8.size();
    for (std::size_t j = 1; whole && j < length; ++j) {
      const auto next = static_cast<unsigned char>(utf8[k + j]);
      whole = (next & 0xC0u) == 0x80u;
      code = (code << 6) | (next & 0x3Fu);
    }
    if (!whole) {
      text += '?';
      ++k;
      continue;
    }
    text += code > 0xFFFF ? std::string("?") : fmt::format("\\U+{:04X}", code);
    k += length;
  }
  return text;
}

void DxfWriter::pair(int code, const std::string& value) { out_.print("{:>3}\n{}\n", code, value); }
// Seventeen significant digits: a coordinate read back is the one written.
void DxfWriter::pair(int code, double value) { out_.print("{:>3}\n{:.17g}\n", code, value); }
void DxfWriter::pair(int code, int value) { out_.print("{:>3}\n{:>6}\n", code, value); }

void DxfWriter::point(int base, const DxfPoint& p) {
  pair(base, p[0] * scale_);
  pair(base + 10, p[1] * scale_);
  pair(base + 20, p[2] * scale_);
}

std::string DxfWriter::record(const std::string& type, const std::string& owner) {
  pair(k_entity_type, type);
  if (!handles_) return {};
  std::string handle = fmt::format("{:X}", handles_->next++);
  pair(k_handle, handle);
  pair(k_owner, owner);
  return handle;
}

void DxfWriter::subclass(const std::string& marker) {
  if (handles_) pair(k_subclass, marker);
}

std::string DxfWriter::entity(const std::string& type, const std::string& layer,
                              const std::string& owner) {
  std::string handle = record(type, owner);
  subclass("AcDbEntity");
  pair(k_layer, layer);
  return handle;
}

void DxfWriter::begin(int insunits, const DxfPoint& lo, const DxfPoint& hi,
                      const std::vector<DxfLayer>& layers) {
  pair(k_entity_type, "SECTION");
  pair(k_name, "HEADER");
  pair(k_variable, "$ACADVER");
  pair(k_text_value, "AC1009");
  pair(k_variable, "$INSUNITS");
  pair(k_flags, insunits);
  pair(k_variable, "$EXTMIN");
  point(k_x, lo);
  pair(k_variable, "$EXTMAX");
  point(k_x, hi);
  pair(k_entity_type, "ENDSEC");
  pair(k_entity_type, "SECTION");
  pair(k_name, "TABLES");
  pair(k_entity_type, "TABLE");
  pair(k_name, "LAYER");
  pair(k_flags, static_cast<int>(layers.size()));
  layer_records(layers);
  pair(k_entity_type, "ENDTAB");
  pair(k_entity_type, "ENDSEC");
  pair(k_entity_type, "SECTION");
  pair(k_name, "ENTITIES");
}

void DxfWriter::layer_records(const std::vector<DxfLayer>& layers) {
  for (const DxfLayer& l : layers) {
    record("LAYER", handles_ ? handles_->layer_table : std::string());
    subclass("AcDbSymbolTableRecord");
    subclass("AcDbLayerTableRecord");
    pair(k_name, l.name);
    pair(k_flags, 0);
    pair(k_colour, l.colour);
    pair(k_linetype, "CONTINUOUS");
  }
}

void DxfWriter::line(const std::string& layer, const DxfPoint& a, const DxfPoint& b) {
  entity("LINE", layer, handles_ ? handles_->model_space : std::string());
  subclass("AcDbLine");
  point(k_x, a);
  point(k_x + 1, b);
}

void DxfWriter::polyline(const std::string& layer, const std::vector<DxfPoint>& points) {
  const std::string own = entity("POLYLINE", layer, handles_ ? handles_->model_space : std::string());
  subclass("AcDb3dPolyline");
  pair(k_entities_follow, 1);
  point(k_x, {0.0, 0.0, 0.0});
  pair(k_flags, k_polyline_3d);
  for (const DxfPoint& p : points) {
    entity("VERTEX", layer, own);
    subclass("AcDbVertex");
    subclass("AcDb3dPolylineVertex");
    point(k_x, p);
    pair(k_flags, k_vertex_3d);
  }
  entity("SEQEND", layer, own);
}

void DxfWriter::text(const std::string& layer, const DxfPoint& p, double height,
                     const std::string& value) {
  entity("TEXT", layer, handles_ ? handles_->model_space : std::string());
  subclass("AcDbText");
  point(k_x, p);
  pair(k_height, height * scale_);
  // A value is one line: a control character would end it.
  std::string one_line = utf8_ ? value : dxf_ascii_text(value);
  for (char& c : one_line)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  pair(k_text_value, one_line);
  subclass("AcDbText");
}

void DxfWriter::end() {
  pair(k_entity_type, "ENDSEC");
  pair(k_entity_type, "EOF");
}

}  // namespace zervola::frame
