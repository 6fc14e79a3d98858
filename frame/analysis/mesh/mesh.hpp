#pragma once

// The mesh of a model as the library numbers it: nodes from the members'
// points (MESHDISKR), connectivity (FREELINE), the better of the library's
// band renumbering (KRINUM) and the profile-reducing numbering, and the
// skyline profile of the one used (ZEBMUK6); the map between the drawing's
// node numbers and the library's; and what recovery needs of each member.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "zervola/frame/library_arrays.hpp"
#include "zervola/frame/model.hpp"
#include "zervola/frame/results.hpp"

namespace zervola::frame {

struct Mesh {
  FrameArrays arrays;
  std::int32_t n_nodes = 0;
  std::int32_t n_equations = 0;
  std::vector<std::int32_t> diag_address;
  // 0 when the skyline's store is beyond the library's 32-bit addresses:
  // diag_address is then zeros, and only the supernodal solver can solve
  // the frame.
  std::int32_t profile_length = 0;
  std::int32_t max_column_height = 0;
  std::vector<std::int32_t> library_node;  // drawing number - 1 -> library number
  std::vector<std::int32_t> drawing_node;  // library number - 1 -> drawing number
  std::vector<std::int32_t> reverse_flag;  // per element: 1 when its pair runs to -> from
  // Orientation points for recovery, so that each member's local axes run
  // from its "from" point with local z towards its orientation point.
  std::vector<double> recovery_x, recovery_y, recovery_z;
  std::vector<Point3> nodes;                           // by drawing number
  std::vector<std::int32_t> member_start, member_end;  // drawing numbers
  MeshSummary summary;
};

// The index of a 1-based number.
[[nodiscard]] inline std::size_t at(std::int32_t one_based) {
  return static_cast<std::size_t>(one_based - 1);
}

// Throws InputError (a member of zero length) or AnalysisError (a mesh not in
// one piece). A skyline beyond the library's addresses is marked, not
// refused; the solver's plan checks the store it chooses against the memory.
[[nodiscard]] Mesh build_mesh(const Model& model, NumberingChoice numbering);

// Each member's transformation to local axes, from its "from" point, as
// MATRIXCOS3P gives it: the same for every load case.
using Transform = std::array<double, 144>;
[[nodiscard]] std::vector<Transform> member_transforms(const Mesh& mesh);

}  // namespace zervola::frame
