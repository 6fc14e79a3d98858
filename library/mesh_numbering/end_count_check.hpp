#pragma once

// End counts at the nodes, and on request the orientation of element chains
// or the clearing of end codes at slight kinks.

#include "common/frame_model.hpp"
#include "common/index.hpp"
#include "common/one_based.hpp"
#include "mesh_numbering/host_mesh.hpp"

namespace zervola::mesh_numbering {

// What is done with the elements once the ends are counted.
enum class ChainMode {
  orient_chains,  // host value 0
  clear_kinks,    // host value 1
  counts_only,    // any other host value
};

[[nodiscard]] constexpr ChainMode chain_mode(HostInt host_mode) {
  if (host_mode == 0) return ChainMode::orient_chains;
  if (host_mode == 1) return ChainMode::clear_kinks;
  return ChainMode::counts_only;
}

// Writes end_count (one entry per node, n_nodes = end_count.size()) and
// returns the largest end count (see largest_end_count); then orients chains
// or clears end codes at slight kinks as mode says, in place.
//
// Throws NodeNumberOutOfRange, before any change, when an element names a
// node outside 1 .. n_nodes.
[[nodiscard]] HostInt check_end_counts(const NodeCoordinates& nodes,
                                       MeshElementNodes element_nodes, Vector1<HostInt> end_codes,
                                       Vector1<HostInt> end_count, ChainMode mode);

// The largest count reported when the call is refused: every end count is
// set to 0. With one or more nodes no accepted call returns it.
inline constexpr HostInt k_refused_max_count = -1;

// Writes the refusal into end_count and returns k_refused_max_count.
[[nodiscard]] HostInt refuse_end_counts(Vector1<HostInt> end_count);

}  // namespace zervola::mesh_numbering
