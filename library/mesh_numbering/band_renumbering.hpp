#pragma once

// Node renumbering for a narrow band.
//
// The node bandwidth of a numbering is the largest |a - b| over all elements
// (a, b). A breadth-first numbering is tried from every start node in turn;
// neighbours are numbered in the order in which the element list first joins
// them to a node. A trial is abandoned as soon as it numbers a node whose new
// number exceeds that of the node it is numbered from by the best bandwidth
// so far or more; a trial that numbers every node becomes the best numbering.
// The starting bound is the bandwidth of the incoming numbering, at least 2.

#include "common/index.hpp"
#include "mesh_numbering/host_mesh.hpp"

namespace zervola::mesh_numbering {

// The smallest starting bound: a trial must reach a bandwidth below it to
// replace the incoming numbering.
inline constexpr Index k_least_starting_bound = 2;

// The bandwidth reported for a mesh that is refused. A mesh of two or more
// nodes in one piece always has a bandwidth of 1 or more.
inline constexpr HostInt k_refused_bandwidth = 0;

// Renumbers the mesh in place: moves every coordinate to its node's new
// number and rewrites every node number of element_nodes (the order of the
// elements and of their two ends stays). Returns the node bandwidth of the
// returned numbering when a trial succeeded, else the starting bound, with
// everything as it came.
//
// Throws NodeNumberOutOfRange when an element names a node outside
// 1 .. n_nodes, and MeshNotInOnePiece when there are two or more nodes and
// the elements do not join them all into one piece; in both cases nothing has
// been changed.
[[nodiscard]] Index renumber_for_band(const MeshCoordinates& coordinates,
                                      MeshElementNodes element_nodes);

}  // namespace zervola::mesh_numbering
