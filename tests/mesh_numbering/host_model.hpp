#pragma once

// Views of a test model as the core routines take them.

#include <bit>
#include <cstdint>
#include <utility>
#include <vector>

#include "mesh_numbering/host_mesh.hpp"
#include "oracles.hpp"

namespace zervola::mesh_numbering::test {

inline MeshCoordinates coordinates_of(oracle::Mesh& m) {
  const Index n = m.n_nodes();
  return {Vector1<double>(m.x.data(), n), Vector1<double>(m.y.data(), n),
          Vector1<double>(m.z.data(), n)};
}

inline MeshElementNodes element_nodes_of(oracle::Mesh& m) {
  return MeshElementNodes(m.element_nodes.data(), 2, m.n_elements());
}

// A model with the given node pairs; node k sits at (k, 0, 0).
inline oracle::Mesh pairs_model(HostInt n_nodes, std::vector<HostInt> pairs) {
  oracle::Mesh m;
  for (HostInt k = 1; k <= n_nodes; ++k) {
    m.x.push_back(k);
    m.y.push_back(0.0);
    m.z.push_back(0.0);
  }
  m.element_nodes = std::move(pairs);
  m.end_codes.assign(m.element_nodes.size() / 2, 0);
  return m;
}

// Bit-for-bit equality of coordinate arrays (NaN equals NaN, -0.0 differs from 0.0).
inline bool same_bits(const std::vector<double>& a, const std::vector<double>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t k = 0; k < a.size(); ++k)
    if (std::bit_cast<std::uint64_t>(a[k]) != std::bit_cast<std::uint64_t>(b[k])) return false;
  return true;
}

inline bool same_mesh(const oracle::Mesh& a, const oracle::Mesh& b) {
  return same_bits(a.x, b.x) && same_bits(a.y, b.y) && same_bits(a.z, b.z) &&
         a.element_nodes == b.element_nodes && a.end_codes == b.end_codes;
}

}  // namespace zervola::mesh_numbering::test
