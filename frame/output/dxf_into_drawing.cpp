#include "output/dxf_into_drawing.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <sstream>

#include "reading/drawn_layer.hpp"
#include "reading/dxf_pairs.hpp"
#include "zervola/frame/errors.hpp"

namespace zervola::frame {
namespace {

constexpr std::size_t k_none = std::string::npos;
constexpr int k_type_code = 0;
constexpr int k_name_code = 2;
constexpr int k_handle_code = 5;
constexpr int k_layer_code = 8;
constexpr int k_variable_code = 9;
constexpr int k_count_code = 70;
constexpr int k_dimension_handle_code = 105;  // a DIMSTYLE record's handle
// The first version whose records carry handles, owners and subclasses (R13).
const std::string k_handles_version = "AC1012";
// The first version whose files are UTF-8 (AutoCAD 2007).
const std::string k_utf8_version = "AC1021";

std::string upper(std::string_view s) {
  std::string u(s);
  for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return u;
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  if (in) text << in.rdbuf();
  if (!in || in.bad() || text.bad())
    throw OutputError(fmt::format("{}: cannot read the drawing again to draw the results into it",
                                  path));
  return std::move(text).str();
}

}  // namespace

DrawingToExtend::DrawingToExtend(const Model& model) : file_(model.dxf_file) {
  ModelDrawing taken;
  try {
    taken = read_model_drawing(model);
    text_ = read_file(file_);
  } catch (const InputError& e) {
    throw OutputError(fmt::format("cannot draw the results into the drawing: {}", e.what()));
  }
  drawing_per_model_ = 1.0 / taken.model_per_drawing_length;
  unit_ = taken.drawing_unit.empty() ? model.units.length : taken.drawing_unit;
  insunits_ = dxf_insunits(unit_);

  const std::vector<DxfPair> pairs = read_dxf_pairs(text_, file_);
  // Offsets of the lines' starts, to cut the text before a pair.
  std::vector<std::size_t> line_start = {0};
  for (std::size_t k = 0; k < text_.size(); ++k)
    if (text_[k] == '\n') line_start.push_back(k + 1);
  const auto before = [&](const DxfPair& p) { return line_start[p.line - 1]; };
  const auto value_at = [&](const DxfPair& p, std::size_t (&range)[2]) {
    range[0] = static_cast<std::size_t>(p.value.data() - text_.data());
    range[1] = range[0] + p.value.size();
  };

  header_end_ = layer_table_end_ = tables_end_ = first_content_ = entities_end_ = k_none;
  std::string version;
  std::string section, table;
  std::uint64_t largest_handle = 0;
  for (std::size_t k = 0; k < pairs.size(); ++k) {
    const DxfPair& p = pairs[k];
    const DxfPair* next = k + 1 < pairs.size() ? &pairs[k + 1] : nullptr;
    if (p.code == k_handle_code || p.code == k_dimension_handle_code) {
      std::uint64_t h = 0;
      const auto [end, error] =
          std::from_chars(p.value.data(), p.value.data() + p.value.size(), h, 16);
      if (error == std::errc() && end == p.value.data() + p.value.size())
        largest_handle = std::max(largest_handle, h);
    }
    if (p.code == k_type_code && p.value == "SECTION" && next && next->code == k_name_code) {
      section = std::string(next->value);
      if ((section == "BLOCKS" || section == "ENTITIES") && first_content_ == k_none)
        first_content_ = before(p);
      continue;
    }
    if (p.code == k_type_code && p.value == "ENDSEC") {
      if (section == "HEADER") header_end_ = before(p);
      if (section == "TABLES") tables_end_ = before(p);
      if (section == "ENTITIES") entities_end_ = before(p);
      section.clear();
      continue;
    }
    // Results of an earlier analysis drawn into this drawing: left out, so
    // that the new ones replace them rather than lie beside them.
    if (section == "ENTITIES" && p.code == k_type_code) {
      std::size_t end = k + 1;
      std::string on_layer;
      for (; end < pairs.size() && pairs[end].code != k_type_code; ++end)
        if (pairs[end].code == k_layer_code) on_layer = std::string(pairs[end].value);
      if (is_results_layer(on_layer))
        removed_.push_back({before(p), end < pairs.size() ? before(pairs[end]) : text_.size(), {}});
      continue;
    }
    if (section == "HEADER" && p.code == k_variable_code && next) {
      if (p.value == "$ACADVER") version = std::string(next->value);
      if (p.value == "$INSUNITS") value_at(*next, insunits_value_);
      if (p.value == "$HANDSEED") value_at(*next, handseed_value_);
    }
    if (section != "TABLES") continue;
    if (p.code == k_type_code && p.value == "TABLE" && next && next->code == k_name_code) {
      table = std::string(next->value);
      if (table != "LAYER") continue;
      for (std::size_t j = k + 2; j < pairs.size() && pairs[j].code != k_type_code; ++j) {
        if (pairs[j].code == k_handle_code) handles_.layer_table = std::string(pairs[j].value);
        if (pairs[j].code == k_count_code) {
          value_at(pairs[j], layer_count_value_);
          layer_count_ = static_cast<int>(dxf_integer(pairs[j]));
        }
      }
      continue;
    }
    if (p.code == k_type_code && p.value == "ENDTAB") {
      if (table == "LAYER") layer_table_end_ = before(p);
      table.clear();
      continue;
    }
    if (p.code != k_type_code) continue;
    // A record of a table: its name and handle.
    std::string name, handle;
    std::size_t end = k + 1;
    for (; end < pairs.size() && pairs[end].code != k_type_code; ++end) {
      if (pairs[end].code == k_name_code) name = std::string(pairs[end].value);
      if (pairs[end].code == k_handle_code) handle = std::string(pairs[end].value);
    }
    if (table == "LAYER" && p.value == "LAYER") {
      if (is_results_layer(name) && end < pairs.size()) {
        removed_.push_back({before(p), before(pairs[end]), {}});
        ++removed_layers_;
      } else {
        layer_names_.insert(upper(name));
      }
    }
    if (table == "BLOCK_RECORD" && upper(name) == "*MODEL_SPACE") handles_.model_space = handle;
  }
  keeps_handles_ = !version.empty() && version >= k_handles_version;
  utf8_ = !version.empty() && version >= k_utf8_version;
  handles_.next = largest_handle + 1;
  if (entities_end_ == k_none)
    throw OutputError(fmt::format("{}: the drawing has no ENTITIES section to add the results to",
                                  file_));
  if (keeps_handles_ && (handles_.layer_table.empty() || handles_.model_space.empty() ||
                         layer_table_end_ == k_none))
    throw OutputError(fmt::format(
        "{}: a drawing of version {} without its layer table or model space record: the "
        "results cannot be added to it (write them to a drawing of their own: a model "
        "without \"dxf\", or open and save the drawing in a CAD program first)",
        file_, version));
}

void DrawingToExtend::write(TextOut& out, const std::string& layer_records,
                            std::size_t added_layers, const std::string& entities) const {
  std::vector<Edit> edits = removed_;
  const std::string insunits = fmt::format("{}", insunits_);
  if (insunits_value_[1] > insunits_value_[0])
    edits.push_back({insunits_value_[0], insunits_value_[1], insunits});
  else if (header_end_ != k_none)
    edits.push_back({header_end_, header_end_, fmt::format("  9\n$INSUNITS\n 70\n{}\n", insunits)});
  else
    edits.push_back({0, 0, fmt::format("  0\nSECTION\n  2\nHEADER\n  9\n$INSUNITS\n 70\n{}\n"
                                       "  0\nENDSEC\n", insunits)});
  if (keeps_handles_ && handseed_value_[1] > handseed_value_[0])
    edits.push_back({handseed_value_[0], handseed_value_[1], fmt::format("{:X}", handles_.next)});
  if (layer_table_end_ != k_none) {
    edits.push_back({layer_table_end_, layer_table_end_, layer_records});
    if (layer_count_value_[1] > layer_count_value_[0])
      edits.push_back({layer_count_value_[0], layer_count_value_[1],
                       fmt::format("{}", layer_count_ - removed_layers_ +
                                             static_cast<int>(added_layers))});
  } else {
    const std::string table = fmt::format("  0\nTABLE\n  2\nLAYER\n 70\n{}\n{}  0\nENDTAB\n",
                                          added_layers, layer_records);
    if (tables_end_ != k_none)
      edits.push_back({tables_end_, tables_end_, table});
    else
      edits.push_back({first_content_, first_content_,
                       "  0\nSECTION\n  2\nTABLES\n" + table + "  0\nENDSEC\n"});
  }
  edits.push_back({entities_end_, entities_end_, entities});
  std::stable_sort(edits.begin(), edits.end(),
                   [](const Edit& a, const Edit& b) { return a.begin < b.begin; });
  // What is added ends its lines as the drawing does.
  const bool crlf = text_.find("\r\n") != std::string::npos;
  const auto ended = [crlf](const std::string& added) {
    if (!crlf) return added;
    std::string text;
    for (const char c : added) {
      if (c == '\n') text += '\r';
      text += c;
    }
    return text;
  };
  std::size_t at = 0;
  for (const Edit& e : edits) {
    out.write(text_.substr(at, e.begin - at));
    out.write(ended(e.text));
    at = e.end;
  }
  out.write(text_.substr(at));
  out.flush();
}

}  // namespace zervola::frame
