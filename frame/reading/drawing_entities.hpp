#pragma once

// What a drawing holds besides its members: one warning that counts it, and
// an error for a curve drawn where members are drawn.

#include "zervola/frame.hpp"

namespace zervola::frame {

// Adds to model.warnings one "ignored_drawing_entity" warning counting the
// drawing's entities that are not members, by type and layer. Throws
// InputError, naming the file and line, for an ARC or CIRCLE on a layer
// that names a section (a layer with drawn members, or a section of the
// model): a curved member must be drawn as straight segments.
//   model: in/out, with the drawing's members added; drawing: in.
void check_ignored_entities(Model& model, const DxfDrawing& drawing);

}  // namespace zervola::frame
