#pragma once

// A DXF file's group-code and value lines: the header with the drawing's
// units and extents, a layer table, and LINE, 3D POLYLINE and TEXT
// entities. Entities are written in one of two forms: R12 (AC1009), which
// has no handles, or the form of AutoCAD R13 and later (AC1012 on), where
// every record carries a handle, its owner and its subclass markers, as
// the entities added to such a drawing must.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "output/text_out.hpp"

namespace zervola::frame {

using DxfPoint = std::array<double, 3>;

// AutoCAD colour numbers of the results' layers.
inline constexpr int k_dxf_white = 7;
inline constexpr int k_dxf_red = 1;
inline constexpr int k_dxf_yellow = 2;
inline constexpr int k_dxf_green = 3;
inline constexpr int k_dxf_cyan = 4;
inline constexpr int k_dxf_blue = 5;
inline constexpr int k_dxf_magenta = 6;

struct DxfLayer {
  std::string name;
  int colour = k_dxf_white;
};

// $INSUNITS of a length unit of the model ("mm", "cm", "m", "in", "ft");
// 0 (unitless) for any other.
[[nodiscard]] int dxf_insunits(const std::string& length_unit);

// A layer name CAD programs accept, made from any text. In an R12 drawing
// (r12 true) a name holds letters, digits, '$', '-' and '_' only: any other
// byte becomes '_'. In a later one, characters that names may not hold
// (< > / \ " : ; ? * | = ` and control characters) become '_'. An empty
// name becomes "_".
[[nodiscard]] std::string dxf_layer_name(const std::string& text, bool r12);

// Text for a TEXT entity of a drawing before AutoCAD 2007 (AC1021), whose
// files are not UTF-8: each character beyond ASCII as \U+XXXX, as CAD
// programs write it; a byte that is not UTF-8 as '?'.
[[nodiscard]] std::string dxf_ascii_text(const std::string& utf8);

// Handles for the records of an R13 or later drawing: the next free one,
// and the owners of what is added (the layer table, model space).
struct DxfHandles {
  std::uint64_t next = 0;
  std::string layer_table;
  std::string model_space;
};

class DxfWriter {
 public:
  // handles: null for R12, else the drawing's handles (advanced as records
  // are written). scale: every point and text height is multiplied by it
  // (drawing length per model length).
  // utf8: the drawing's text is UTF-8 (AC1021 on); else TEXT values are
  // written with dxf_ascii_text.
  explicit DxfWriter(TextOut& out, DxfHandles* handles = nullptr, double scale = 1.0,
                     bool utf8 = false)
      : out_(out), handles_(handles), scale_(scale), utf8_(utf8) {}

  // A drawing of its own: the header and the layer table; entities follow,
  // then end(). lo, hi: the drawing's extents (model lengths); insunits:
  // dxf_insunits of its length unit.
  void begin(int insunits, const DxfPoint& lo, const DxfPoint& hi,
             const std::vector<DxfLayer>& layers);
  // The records of a layer table (into an existing table, or begin's).
  void layer_records(const std::vector<DxfLayer>& layers);
  void line(const std::string& layer, const DxfPoint& a, const DxfPoint& b);
  // A 3D polyline through points (at least two).
  void polyline(const std::string& layer, const std::vector<DxfPoint>& points);
  // Text of the given height (model lengths) whose baseline starts at p.
  void text(const std::string& layer, const DxfPoint& p, double height, const std::string& value);
  void end();

 private:
  void pair(int code, const std::string& value);
  void pair(int code, double value);
  void pair(int code, int value);
  void point(int base, const DxfPoint& p);
  // "0 TYPE", then the handle, owner and entity subclass when handles are
  // kept; returns the handle (empty for R12).
  std::string record(const std::string& type, const std::string& owner);
  std::string entity(const std::string& type, const std::string& layer, const std::string& owner);
  void subclass(const std::string& marker);

  TextOut& out_;
  DxfHandles* handles_;
  double scale_;
  bool utf8_;
};

}  // namespace zervola::frame
