#pragma once

// The loads of one member in one load case, in the member's local axes (x
// from its "from" point), positions as distances from that point in
// [0, length]: the form in which fixed-end forces and internal forces are
// computed.

#include <array>
#include <vector>

#include "zervola/frame/export.hpp"
#include "zervola/frame/model.hpp"

namespace zervola::frame {

// Per unit length, varying linearly from intensity_start at start to
// intensity_end at end.
struct LinearLoad {
  double start = 0.0;
  double end = 0.0;
  Vector3 intensity_start{};
  Vector3 intensity_end{};
};

// A force and a moment (about the local axes) at one point of the span.
struct PointAction {
  double position = 0.0;
  Vector3 force{};
  Vector3 moment{};
};

struct LocalMemberLoads {
  std::vector<LinearLoad> distributed;
  std::vector<PointAction> concentrated;
  // Free thermal strains: alpha * dT along x, and the curvatures v'' and w''
  // that a free member would take (v, w: deflections along local y, z).
  double thermal_strain = 0.0;
  double thermal_curvature_v = 0.0;
  double thermal_curvature_w = 0.0;

  [[nodiscard]] bool empty() const {
    return distributed.empty() && concentrated.empty() && thermal_strain == 0.0 &&
           thermal_curvature_v == 0.0 && thermal_curvature_w == 0.0;
  }
};

// What the stiffness of a member needs, in its local axes.
struct BeamProperties {
  double E = 0.0, G = 0.0, A = 0.0, It = 0.0, Iy = 0.0, Iz = 0.0;
  double L = 0.0;
  Release release = Release::none;
};

using Vector12 = std::array<double, 12>;

}  // namespace zervola::frame
