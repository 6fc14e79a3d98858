#include "zervola/frame/sections.hpp"

namespace zervola::frame {

void place_strong_weak(const StrongWeakAxes& axes, FrameKind frame, Section& section) {
  const double stress_depth = axes.stress_depth > 0.0 ? axes.stress_depth : axes.depth;
  const double stress_width = axes.stress_width > 0.0 ? axes.stress_width : axes.width;
  if (frame == FrameKind::space) {
    // Local z lies in the member's vertical plane: the strong axis is local y.
    section.inertia_y = axes.inertia_strong;
    section.inertia_z = axes.inertia_weak;
    section.extent_z = stress_depth;
    section.extent_y = stress_width;
    section.thermal_depth_z = axes.depth;
    section.thermal_depth_y = axes.width;
  } else {
    // A plane frame bends about local z, in its own plane.
    section.inertia_z = axes.inertia_strong;
    section.inertia_y = axes.inertia_weak;
    section.extent_y = stress_depth;
    section.extent_z = stress_width;
    section.thermal_depth_y = axes.depth;
    section.thermal_depth_z = axes.width;
  }
  section.strong_weak = true;
}

}  // namespace zervola::frame
