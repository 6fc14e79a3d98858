#pragma once

// Member loads of a model turned into what the analysis needs: per load case
// and member, the loads in local axes; the equivalent nodal loads, which add
// to the case's nodal loads before the solution; and the correction that
// turns the end forces the library recovers from the displacements into the
// end forces of the loaded member.

#include <array>
#include <cstddef>
#include <vector>

#include "local_member_loads.hpp"
#include "model.hpp"
#include "results.hpp"

namespace zervola::host {

// Checks what needs no mesh: known members, positions on the member, a
// density for self-weight, a thermal coefficient for temperature, nothing
// out of a plane frame's plane, no torque on a pin-ended member, known load
// cases and combinations. Throws InputError.
void validate_member_loads(const Model& model);

struct MemberLoading {
  std::vector<std::vector<LocalMemberLoads>> loads;  // [case][member]
  std::vector<std::vector<Vector12>> correction;     // [case][member], end-force convention
  std::vector<std::vector<std::array<double, 6>>> nodal;  // [case][drawing node - 1], global
};

// The section's values as the member's stiffness uses them.
[[nodiscard]] BeamProperties beam_properties(const Model& model, std::size_t member, double length);

// The loads of one case on one member in its local axes (geometry: its axes
// and length; on_member: the case's member loads that name it).
[[nodiscard]] LocalMemberLoads local_loads(const Model& model, std::size_t load_case,
                                           std::size_t member, const MemberGeometry& geometry,
                                           const std::vector<const MemberLoad*>& on_member);

// All of it, for every case; members: local axes, length and nodes;
// n_nodes: the number of nodes.
[[nodiscard]] MemberLoading prepare_member_loads(const Model& model,
                                                 const std::vector<MemberGeometry>& members,
                                                 std::size_t n_nodes);

}  // namespace zervola::host
