#pragma once

// The two ways in which mesh data can be refused.

#include <stdexcept>

namespace zervola::mesh_numbering {

// The text that goes with a mesh whose elements do not join all nodes into
// one piece: 20 characters, the first a blank. It is the one message the
// library ever hands to its host.
inline constexpr const char* k_uncorrect_mesh_data = " Uncorrect mesh data";

// The elements do not join all nodes into one piece (two or more nodes).
class MeshNotInOnePiece : public std::runtime_error {
 public:
  MeshNotInOnePiece() : std::runtime_error(k_uncorrect_mesh_data) {}
};

// An element names a node number outside 1 .. n_nodes.
class NodeNumberOutOfRange : public std::out_of_range {
 public:
  NodeNumberOutOfRange() : std::out_of_range("node number outside 1 .. n_nodes") {}
};

}  // namespace zervola::mesh_numbering
