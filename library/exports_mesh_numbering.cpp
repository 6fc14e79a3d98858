// Exported routines of mesh numbering and checking: host arrays in, core
// views, results written back. No arithmetic here.

#include <cstdio>

#include "zervola.h"

#include "abi_support.hpp"
#include "common/frame_model.hpp"
#include "common/index.hpp"
#include "common/one_based.hpp"
#include "mesh_numbering/band_renumbering.hpp"
#include "mesh_numbering/end_count_check.hpp"
#include "mesh_numbering/host_mesh.hpp"
#include "mesh_numbering/mesh_errors.hpp"

namespace {

using zervola::HostInt;
using zervola::Index;
using zervola::Vector1;
using zervola::mesh_numbering::host_count;

// The library's one message to its host: the text and a newline on the
// standard error stream.
void report_to_host(const char* message) {
  std::fputs(message, stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

}  // namespace

extern "C" {

ZERVOLA_API void ZERVOLA_CALL KRINUM(double* node_x, double* node_y, double* node_z,
                                     int32_t* element_nodes, const int32_t* n_nodes,
                                     const int32_t* n_elements, int32_t* node_bandwidth) {
  namespace mn = zervola::mesh_numbering;
  zervola::abi::guarded(
      [&] {
        const Index nodes = host_count(*n_nodes);
        const mn::MeshCoordinates coordinates{Vector1<double>(node_x, nodes),
                                              Vector1<double>(node_y, nodes),
                                              Vector1<double>(node_z, nodes)};
        try {
          *node_bandwidth = static_cast<HostInt>(mn::renumber_for_band(
              coordinates, mn::MeshElementNodes(element_nodes, 2, host_count(*n_elements))));
        } catch (const mn::MeshNotInOnePiece& refusal) {
          *node_bandwidth = mn::k_refused_bandwidth;
          report_to_host(refusal.what());
        }
      },
      [&] { *node_bandwidth = mn::k_refused_bandwidth; });
}

ZERVOLA_API void ZERVOLA_CALL NODEEQV(const double* node_x, const double* node_y,
                                      const double* node_z, int32_t* element_nodes,
                                      int32_t* end_count, int32_t* end_codes,
                                      int32_t* max_end_count, const int32_t* n_nodes,
                                      const int32_t* n_elements, const int32_t* mode) {
  namespace mn = zervola::mesh_numbering;
  const Index nodes = host_count(*n_nodes);
  const Index elements = host_count(*n_elements);
  const Vector1<HostInt> counts(end_count, nodes);
  zervola::abi::guarded(
      [&] {
        const zervola::NodeCoordinates coordinates{Vector1<const double>(node_x, nodes),
                                                   Vector1<const double>(node_y, nodes),
                                                   Vector1<const double>(node_z, nodes)};
        *max_end_count = mn::check_end_counts(
            coordinates, mn::MeshElementNodes(element_nodes, 2, elements),
            Vector1<HostInt>(end_codes, elements), counts, mn::chain_mode(*mode));
      },
      [&] { *max_end_count = mn::refuse_end_counts(counts); });
}

}  // extern "C"
