#pragma once

// A drawing of the frame in SVG: one panel per load case and combination
// with the undeformed and the deformed shape (at a stated scale, curved by
// the member loads), supports, springs and nodal loads as symbols, node and
// member labels, and on request the moment, shear or axial-force diagrams.

#include <optional>
#include <string>

#include "model.hpp"
#include "results.hpp"

namespace zervola::host {

enum class View { automatic, xy, xz, yz, axonometric };

// The internal-force diagram drawn along the members, if any.
enum class DiagramKind { none, moment, shear, axial };

struct DrawingOptions {
  View view = View::automatic;
  std::optional<double> deformation_scale;  // automatic when empty
  DiagramKind diagram = DiagramKind::none;
  bool labels = true;
  std::optional<std::string> load_case;      // a case or combination; all when empty
};

// Throws InputError when options.load_case names no load case or combination.
[[nodiscard]] std::string draw_svg(const Model& model, const AnalysisResult& result,
                                   const DrawingOptions& options);

// The view a drawing uses when asked for the automatic one: xy for a plane
// frame, axonometric for a space frame.
[[nodiscard]] View resolved_view(const Model& model, View view);

}  // namespace zervola::host
