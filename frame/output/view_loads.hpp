#pragma once

// The loads of a load set as the 3D view draws them (viewer/README.md,
// "loads of a set"), from the model's load cases, in global axes: forces
// and moments at points, distributed forces along members. Temperature
// loads and support settlements are not drawn.

#include <cstddef>
#include <vector>

#include "zervola/frame/combinations.hpp"
#include "zervola/frame/model.hpp"
#include "zervola/frame/results.hpp"

namespace zervola::frame {

struct ViewLoads {
  std::vector<double> forces;       // [6a]: point x, y, z; Fx, Fy, Fz
  std::vector<double> moments;      // [6b]: point x, y, z; Mx, My, Mz
  // [9c]: member index, x1, x2 (from its start), q at x1, q at x2 (global
  // components, force per unit length of the member).
  std::vector<double> distributed;
};

// The loads of set (in: one of load_sets(model), a load case or a
// combination, whose cases' loads are scaled by their factors) on the
// model (in) as analysed into r (in): each member load placed on its member
// as the analysis places it, loads in local axes turned into global ones,
// global_projected loads per unit length of the member, self-weight as
// density * A * gravity on every member. Throws nothing but std::bad_alloc
// for a model that analyse accepted.
[[nodiscard]] ViewLoads set_view_loads(const Model& model, const AnalysisResult& r,
                                       const LoadSet& set);

}  // namespace zervola::frame
