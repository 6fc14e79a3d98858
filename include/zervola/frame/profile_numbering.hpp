#pragma once

// A node numbering that keeps the skyline profile small, by Sloan's
// algorithm: from one end of a pseudo-diameter of the node graph, the next
// number goes to the candidate that adds least to the front of active
// nodes, with a preference for nodes far from the other end. The library's
// band renumbering minimises the largest node-number difference instead;
// the solver's work grows with the sum of the squared column heights, which
// a small profile keeps small too.

#include <cstdint>
#include <vector>

#include "zervola/frame/export.hpp"

namespace zervola::frame {

// Weights of Sloan's priority -W1 (current degree) + W2 (distance to the
// end node); the values Sloan recommends for frames and meshes.
inline constexpr std::int64_t k_degree_weight = 2;
inline constexpr std::int64_t k_distance_weight = 1;

// element_nodes: in, 2 per element, nodes 1 .. n_nodes (an element on one
// node is ignored); n_nodes: in, >= 0. Returns the new number of each node
// (index node - 1), a permutation of 1 .. n_nodes; each piece of an
// unconnected mesh is numbered after the one before. Throws nothing but
// std::bad_alloc.
[[nodiscard]] ZERVOLA_FRAME_API std::vector<std::int32_t> profile_numbering(
    const std::vector<std::int32_t>& element_nodes, std::int32_t n_nodes);

// The profile of a numbering counted on nodes: the sum over nodes of their
// number less the smallest number among themselves and their neighbours.
[[nodiscard]] ZERVOLA_FRAME_API std::int64_t node_profile(
    const std::vector<std::int32_t>& element_nodes, std::int32_t n_nodes);

}  // namespace zervola::frame
