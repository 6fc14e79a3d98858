#pragma once

// Member loads of a model turned into what the analysis needs: per load case
// and member, the loads in local axes; the equivalent nodal loads, which add
// to the case's nodal loads before the solution; and the correction that
// turns the end forces the library recovers from the displacements into the
// end forces of the loaded member.

#include <array>
#include <cstddef>
#include <vector>

#include "zervola/frame/local_member_loads.hpp"
#include "zervola/frame/model.hpp"
#include "zervola/frame/results.hpp"

namespace zervola::frame {

struct MemberLoading {
  std::vector<std::vector<LocalMemberLoads>> loads;  // [case][member]
  std::vector<std::vector<Vector12>> correction;     // [case][member], end-force convention
  std::vector<std::vector<std::array<double, 6>>> nodal;  // [case][drawing node - 1], global
};

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

}  // namespace zervola::frame
