#pragma once

// The results drawn into the drawing the model came from: the engineer's
// file, with every entity, layer and setting it holds, and the results'
// layers and entities added, so that one file opens with both.

#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "output/dxf_writer.hpp"
#include "output/text_out.hpp"
#include "zervola/frame.hpp"

namespace zervola::frame {

class DrawingToExtend {
 public:
  // Reads the model's drawing (model.dxf_file) again, in the unit taken
  // when the model was read (model.dxf_units, its $INSUNITS or the model's).
  // Results drawn into it by an earlier run (entities and layers whose
  // names begin RESULTS_) are left out, so that the new ones replace them.
  // Throws OutputError when it cannot be read or holds no place for the
  // results (an R13 or later drawing without its layer table or model
  // space), naming the file.
  explicit DrawingToExtend(const Model& model);

  // Drawing length per model length.
  [[nodiscard]] double scale() const { return drawing_per_model_; }
  // The drawing's length unit as taken (the model's when none is stated).
  [[nodiscard]] const std::string& unit() const { return unit_; }
  // The handles new records take, null for an R12 drawing (none kept).
  [[nodiscard]] DxfHandles* handles() { return keeps_handles_ ? &handles_ : nullptr; }
  [[nodiscard]] bool r12() const { return !keeps_handles_; }
  // Its text is UTF-8 (AutoCAD 2007 on, AC1021).
  [[nodiscard]] bool utf8() const { return utf8_; }
  // The drawing's layer names, upper case (layer names ignore case).
  [[nodiscard]] const std::set<std::string>& layer_names() const { return layer_names_; }

  // Writes the drawing with the layer records (added_layers of them) and
  // the entities added, $INSUNITS stating the unit taken and $HANDSEED
  // above every handle used.
  void write(TextOut& out, const std::string& layer_records, std::size_t added_layers,
             const std::string& entities) const;

 private:
  struct Edit {
    std::size_t begin = 0;  // offsets in text_: [begin, end) is replaced
    std::size_t end = 0;
    std::string text;
  };

  std::string file_;
  std::string text_;
  double drawing_per_model_ = 1.0;
  std::string unit_;
  int insunits_ = 0;
  bool keeps_handles_ = false;
  bool utf8_ = false;
  DxfHandles handles_;
  std::set<std::string> layer_names_;
  // Where the drawing is changed, found when it is read.
  std::size_t header_end_ = 0;       // "0 ENDSEC" of HEADER; npos: no header
  std::size_t insunits_value_[2] = {0, 0};   // [begin, end) of $INSUNITS's value, if any
  std::size_t handseed_value_[2] = {0, 0};   // of $HANDSEED's value, if any
  std::size_t layer_count_value_[2] = {0, 0};  // of the LAYER table's 70
  std::size_t layer_table_end_ = 0;  // its "0 ENDTAB"; npos: no layer table
  std::size_t tables_end_ = 0;       // "0 ENDSEC" of TABLES; npos: none
  std::size_t first_content_ = 0;    // "0 SECTION" of BLOCKS or ENTITIES
  std::size_t entities_end_ = 0;     // "0 ENDSEC" of ENTITIES
  int layer_count_ = 0;
  // The records of results drawn into it before (their entities and
  // layers), left out of what is written.
  std::vector<Edit> removed_;
  int removed_layers_ = 0;
};

}  // namespace zervola::frame
