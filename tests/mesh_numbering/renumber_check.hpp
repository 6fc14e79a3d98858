#pragma once

// The fast band renumbering against the plain transcription on one model:
// the same refusal with the mesh unchanged, or the same bandwidth and the
// same coordinates and element_nodes, bit for bit.

#include <gtest/gtest.h>

#include "host_model.hpp"
#include "mesh_numbering/band_renumbering.hpp"
#include "mesh_numbering/mesh_errors.hpp"
#include "oracles.hpp"

namespace zervola::mesh_numbering::test {

inline Index renumber_fast(oracle::Mesh& m) {
  return renumber_for_band(coordinates_of(m), element_nodes_of(m));
}

inline void expect_same_as_oracle(const oracle::Mesh& model) {
  oracle::Mesh fast = model;
  oracle::Mesh slow = model;
  const bool connected = oracle::in_one_piece(model);
  const oracle::RenumberOutcome expected = oracle::renumber(slow);
  if (expected.stopped) {
    EXPECT_FALSE(connected);
  }
  if (!connected) {
    EXPECT_THROW(static_cast<void>(renumber_fast(fast)), MeshNotInOnePiece);
    EXPECT_TRUE(same_mesh(fast, model));
    return;
  }
  ASSERT_FALSE(expected.stopped);
  EXPECT_EQ(renumber_fast(fast), expected.node_bandwidth);
  EXPECT_TRUE(same_mesh(fast, slow));
}

}  // namespace zervola::mesh_numbering::test
