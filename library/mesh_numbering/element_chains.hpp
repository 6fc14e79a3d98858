#pragma once

// Orientation of element chains.
//
// Walks start from every node whose end count is neither 0 nor 2 (a free end
// or a branch point), in increasing node order, as many walks from a node as
// its count. A walk from node p takes the first element, in increasing
// element order, that no walk has taken yet and that has p as one of its
// ends; it turns the element so that p is its first end (the end code follows
// by the swap rule), and goes on from the element's second end q while the
// count of q is 2 or less. A node with count 2 never starts a walk, so a
// closed ring of such nodes keeps its orientation.

#include "common/index.hpp"
#include "common/one_based.hpp"
#include "mesh_numbering/host_mesh.hpp"

namespace zervola::mesh_numbering {

// end_count(1 .. n_nodes) as count_ends gives it; node numbers must lie in
// 1 .. n_nodes. Rewrites element_nodes and end_codes in place.
void orient_chains(MeshElementNodes element_nodes, Vector1<HostInt> end_codes,
                   Vector1<const HostInt> end_count);

}  // namespace zervola::mesh_numbering
