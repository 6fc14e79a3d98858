// Exported routines of the global system: host arrays in, core views,
// results written back. No arithmetic here.

#include "zervola.h"

#include <algorithm>

#include "abi_support.hpp"
#include "common/frame_model.hpp"
#include "global/assembly.hpp"
#include "global/ldlt_solver.hpp"
#include "global/node_records.hpp"
#include "global/prescription.hpp"
#include "global/profile_builder.hpp"
#include "global/skyline_profile.hpp"
#include "global/supports.hpp"

namespace {

using zervola::HostInt;
using zervola::Index;
using zervola::k_unknown_extent;
using zervola::Table1;
using zervola::Vector1;
namespace global = zervola::global;

// Number of entries of a host array whose count is *n (none when negative).
Index count_of(const int32_t* n) { return std::max<Index>(*n, 0); }

void fill_failure(double* load_vector, const int32_t* n_equations) {
  zervola::abi::fill_failure(load_vector, static_cast<std::size_t>(count_of(n_equations)));
}

global::SkylineMatrix skyline_view(double* store, const int32_t* diag_address,
                                   const int32_t* n_equations, const int32_t* profile_length) {
  return {global::SkylineProfile(Vector1<const HostInt>(diag_address, count_of(n_equations))),
          Vector1<double>(store, count_of(profile_length))};
}

global::Supports supports_view(const double* node_records, const int32_t* n_records,
                               const int32_t* max_column_height, const int32_t* space_frame) {
  return {global::NodeRecordTable(node_records, *n_records), *max_column_height,
          global::frame_mode(*space_frame)};
}

}  // namespace

extern "C" {

ZERVOLA_API void ZERVOLA_CALL ZEBMUK6(int32_t* element_nodes, int32_t* diag_address,
                                      int32_t* end_codes, const int32_t* n_nodes,
                                      const int32_t* n_equations, const int32_t* n_elements,
                                      int32_t* profile_length, int32_t* max_column_height) {
  zervola::abi::guarded(
      [&] {
        const global::Connectivity connectivity{
            Table1<HostInt>(element_nodes, 2, count_of(n_elements)),
            Vector1<HostInt>(end_codes, count_of(n_elements))};
        global::ProfileSize size;
        const global::Status status = global::profile_frame(
            connectivity, Vector1<HostInt>(diag_address, count_of(n_equations)), *n_nodes,
            *n_equations, size);
        *profile_length = status.ok() ? static_cast<HostInt>(size.profile_length) : 0;
        *max_column_height = status.ok() ? static_cast<HostInt>(size.max_column_height) : 0;
      },
      [&] {
        *profile_length = 0;
        *max_column_height = 0;
      });
}

ZERVOLA_API void ZERVOLA_CALL
MATRIXG(double* load_vector, const double* node_records, const double* node_x, const double* node_y,
        const double* node_z, const double* orient_x, const double* orient_y,
        const double* orient_z, const int32_t* element_nodes, const int32_t* section_codes,
        const int32_t* diag_address, const int32_t* end_codes, const int32_t* space_frame,
        const double* section_table, const int32_t* n_nodes, const int32_t* n_elements,
        const int32_t* profile_length, const int32_t* n_equations, const int32_t* n_records,
        const int32_t* max_column_height, const int32_t* element_frame) {
  zervola::abi::guarded(
      [&] {
        const Index nodes = count_of(n_nodes);
        const Index elements = count_of(n_elements);
        const global::FrameAnalysis analysis{
            {{Vector1<const double>(node_x, nodes), Vector1<const double>(node_y, nodes),
              Vector1<const double>(node_z, nodes)},
             {Vector1<const double>(orient_x, elements), Vector1<const double>(orient_y, elements),
              Vector1<const double>(orient_z, elements)},
             zervola::ElementNodes(element_nodes, 2, elements),
             Vector1<const HostInt>(section_codes, elements),
             zervola::SectionTable(section_table, zervola::k_section_table_rows, k_unknown_extent)},
            Vector1<const HostInt>(end_codes, elements),
            Vector1<const HostInt>(diag_address, count_of(n_equations)),
            *profile_length,
            *n_nodes,
            *n_equations,
            supports_view(node_records, n_records, max_column_height, space_frame),
            *element_frame};
        const global::Status status =
            global::analyse(analysis, Vector1<double>(load_vector, count_of(n_equations)));
        if (!status.ok()) fill_failure(load_vector, n_equations);
      },
      [&] { fill_failure(load_vector, n_equations); });
}

ZERVOLA_API void ZERVOLA_CALL ZEBSLA(double* skyline_store, double* load_vector,
                                     const int32_t* diag_address, const int32_t* n_equations,
                                     const int32_t* profile_length) {
  zervola::abi::guarded(
      [&] {
        const Vector1<const HostInt> diag(diag_address, count_of(n_equations));
        if (!global::profile_status(diag, *profile_length).ok()) {
          fill_failure(load_vector, n_equations);
          return;
        }
        global::solve(skyline_view(skyline_store, diag_address, n_equations, profile_length),
                      Vector1<double>(load_vector, count_of(n_equations)));
      },
      [&] { fill_failure(load_vector, n_equations); });
}

ZERVOLA_API void ZERVOLA_CALL ZEBGUT(double* skyline_store, double* load_vector,
                                     const int32_t* diag_address, const double* prescribed_value,
                                     const int32_t* equation, const int32_t* n_equations,
                                     const int32_t* profile_length,
                                     const int32_t* max_column_height) {
  zervola::abi::guarded(
      [&] {
        const Vector1<const HostInt> diag(diag_address, count_of(n_equations));
        if (!global::prescription_status(diag, *equation, *profile_length, *max_column_height)
                 .ok()) {
          fill_failure(load_vector, n_equations);
          return;
        }
        global::prescribe(skyline_view(skyline_store, diag_address, n_equations, profile_length),
                          Vector1<double>(load_vector, count_of(n_equations)), *equation,
                          *prescribed_value, *max_column_height);
      },
      [&] { fill_failure(load_vector, n_equations); });
}

ZERVOLA_API void ZERVOLA_CALL GUKATOK(double* skyline_store, double* load_vector,
                                      const double* node_records, const int32_t* diag_address,
                                      const int32_t* profile_length, const int32_t* n_equations,
                                      const int32_t* n_records, const int32_t* max_column_height,
                                      const int32_t* space_frame) {
  zervola::abi::guarded(
      [&] {
        const Vector1<const HostInt> diag(diag_address, count_of(n_equations));
        const global::Supports supports =
            supports_view(node_records, n_records, max_column_height, space_frame);
        if (!global::profile_status(diag, *profile_length).ok() ||
            !global::supports_status(supports, global::SkylineProfile(diag)).ok()) {
          fill_failure(load_vector, n_equations);
          return;
        }
        const global::Status status = global::apply_records_and_solve(
            skyline_view(skyline_store, diag_address, n_equations, profile_length),
            Vector1<double>(load_vector, count_of(n_equations)), supports);
        if (!status.ok()) fill_failure(load_vector, n_equations);
      },
      [&] { fill_failure(load_vector, n_equations); });
}

}  // extern "C"
