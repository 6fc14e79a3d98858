#pragma once

// The library's model arrays built from a model: line endpoints, section
// table, section and end codes, orientation points; and, per load case, the
// node-record table of supports, springs and loads.

#include <array>
#include <cstdint>
#include <vector>

#include "zervola/frame/export.hpp"
#include "zervola/frame/model.hpp"

namespace zervola::frame {

// The library's no-orientation marker (all three coordinates).
inline constexpr double k_no_orientation = 12345678.0;
// Rows per section column and values per node record.
inline constexpr std::size_t k_section_rows = 10;
inline constexpr std::size_t k_record_size = 8;
// Stiffness of the spring that holds a restrained direction the records
// cannot prescribe exactly (the library's rigid-link stiffness).
inline constexpr double k_penalty_stiffness = 1.0e20;

// Node-record codes.
enum class RecordCode : int {
  prescribe_translations = 113,
  prescribe_all = 116,
  spring = 213,
  load = 214,
};

// End codes of the element formulation.
enum class EndCode : std::int32_t { rigid = 0, hinge_first = 1, hinge_second = 2, pin_ended = 3 };

struct FrameArrays {
  std::int32_t n_elements = 0;
  std::int32_t n_sections = 0;
  std::int32_t space_frame = 1;
  // On entry to the mesh step: 2 n_elements line endpoints (from, to of each
  // member); afterwards the first n_nodes entries are the nodes.
  std::vector<double> node_x, node_y, node_z;
  std::vector<std::int32_t> element_nodes;
  std::vector<double> orient_x, orient_y, orient_z;
  std::vector<std::int32_t> section_codes;
  std::vector<std::int32_t> end_codes;
  std::vector<double> section_table;
  std::vector<double> temperature_change;
};

// The library's model arrays of a validated model: its members' endpoints
// (2 per member, from then to), section table and codes, end codes,
// orientation points (k_no_orientation where none is given), temperature
// changes; everything but the node numbering, which the mesh step produces.
// Throws nothing for a model that validate_model accepted.
[[nodiscard]] ZERVOLA_FRAME_API FrameArrays build_frame_arrays(const Model& model);

// Where each support, spring and load lies: the node (1-based, in the
// library's final numbering) for each.
struct Placement {
  std::vector<std::int32_t> support_node;
  std::vector<std::int32_t> spring_node;
  std::vector<std::vector<std::int32_t>> load_node;  // per load case
  // Per load case, for each support displacement, the support it moves.
  std::vector<std::vector<std::size_t>> displaced_support;
};

// How the restraint of one node becomes records: whole blocks of three or six
// directions prescribed exactly, the rest held by stiff springs.
struct RestraintPlan {
  std::vector<int> blocks_of_three;  // first direction (0..3) of each block
  bool block_of_six = false;
  std::vector<int> stiff_springs;  // directions held by a stiff spring
};

// restrained: in, the support's directions (ux .. rz); plane: in, the
// plane-frame restraint holds uz, rx, ry anyway, so blocks may include them.
// Throws nothing.
[[nodiscard]] ZERVOLA_FRAME_API RestraintPlan plan_restraint(const std::array<bool, 6>& restrained,
                                                             bool plane);

// The node-record table (k_record_size values per record, in the library's
// record format) for load case load_case (index into Model::load_cases):
// supports as prescriptions and stiff springs, springs, nodal loads and the
// case's support displacements, on the nodes of placement (the library's
// numbering). Throws nothing for a placement that place_on_nodes gave.
[[nodiscard]] ZERVOLA_FRAME_API std::vector<double> build_node_records(const Model& model,
                                                                       const Placement& placement,
                                                                       std::size_t load_case);

// The same table without any load case: the supports (at their own
// prescribed values) and springs alone, as the modes need them.
[[nodiscard]] ZERVOLA_FRAME_API std::vector<double> build_support_records(const Model& model,
                                                                          const Placement& placement);

}  // namespace zervola::frame
