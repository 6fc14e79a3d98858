// Exported routines of result recovery: host arrays in, core views, results
// written back. No arithmetic here. Every input is read before any output is
// written, so an output may share memory with an input.

#include <optional>

#include "abi_support.hpp"
#include "common/frame_model.hpp"
#include "common/matrix12.hpp"
#include "results/end_forces.hpp"
#include "results/neighbour_force.hpp"
#include "results/recovery_model.hpp"
#include "results/section_stresses.hpp"
#include "zervola.h"

namespace {

using zervola::abi::element_nodes_view;
using zervola::abi::node_view;
using zervola::abi::orientation_view;

using zervola::k_unknown_extent;
using zervola::Matrix12;
using zervola::Vector1;
using zervola::Vector12;

constexpr std::size_t k_vector_entries = 12;

zervola::results::RecoveryModel recovery_view(const double* displacements, const double* node_x,
                                              const double* node_y, const double* node_z,
                                              const int32_t* element_nodes,
                                              const int32_t* section_codes,
                                              const double* section_table) {
  return {zervola::results::Displacements(displacements, zervola::results::k_displacement_rows,
                                          k_unknown_extent),
          node_view(node_x, node_y, node_z), element_nodes_view(element_nodes),
          Vector1<const int32_t>(section_codes, k_unknown_extent),
          zervola::SectionTable(section_table, zervola::k_section_table_rows, k_unknown_extent)};
}

void fail_end_forces(double* end_displacements, double* end_forces, double* end_forces_global) {
  zervola::abi::fill_failure(end_displacements, k_vector_entries);
  zervola::abi::fill_failure(end_forces, k_vector_entries);
  zervola::abi::fill_failure(end_forces_global, k_vector_entries);
}

}  // namespace

extern "C" {

ZERVOLA_API void ZERVOLA_CALL GLOBTOLOC(const double* transform, const double* displacements,
                                        double* end_displacements, double* end_forces,
                                        double* end_forces_global, const double* node_x,
                                        const double* node_y, const double* node_z,
                                        const int32_t* element_nodes, const int32_t* section_codes,
                                        const double* section_table, const int32_t* /*spare*/,
                                        const int32_t* /*n_nodes*/, const int32_t* /*n_elements*/,
                                        const int32_t* element_index, const int32_t* reverse_flag,
                                        const int32_t* end_code) {
  zervola::abi::guarded(
      [&] {
        const std::optional<zervola::element::Walk> walk =
            zervola::results::walk_from_reverse_flag(*reverse_flag);
        const zervola::results::RecoveryModel model = recovery_view(
            displacements, node_x, node_y, node_z, element_nodes, section_codes, section_table);
        if (!walk || !zervola::results::references_are_readable(model, *element_index)) {
          fail_end_forces(end_displacements, end_forces, end_forces_global);
          return;
        }
        const Matrix12 T = zervola::read_matrix12(transform);
        const zervola::results::EndForces f =
            zervola::results::element_end_forces(T, model, *element_index, *walk, *end_code);
        zervola::write_vector12(f.end_displacements, end_displacements);
        zervola::write_vector12(f.end_forces, end_forces);
        zervola::write_vector12(f.end_forces_global, end_forces_global);
      },
      [&] { fail_end_forces(end_displacements, end_forces, end_forces_global); });
}

ZERVOLA_API void ZERVOLA_CALL LOCTOGLOB(const double* transform, const double* local_vector,
                                        double* global_vector) {
  zervola::abi::guarded(
      [&] {
        const Matrix12 T = zervola::read_matrix12(transform);
        const Vector12 local = zervola::read_vector12(local_vector);
        zervola::write_vector12(zervola::results::local_to_global(T, local), global_vector);
      },
      [&] { zervola::abi::fill_failure(global_vector, k_vector_entries); });
}

ZERVOLA_API void ZERVOLA_CALL QE1QE2(const double* displacements, const double* node_x,
                                     const double* node_y, const double* node_z,
                                     const double* orient_x, const double* orient_y,
                                     const double* orient_z, const int32_t* element_nodes,
                                     const int32_t* section_codes, const double* section_table,
                                     const int32_t* end_codes, double* force_element,
                                     double* force_neighbour, const int32_t* /*spare*/,
                                     const int32_t* component, const int32_t* /*n_nodes*/,
                                     const int32_t* n_elements, const int32_t* element_index) {
  zervola::abi::guarded(
      [&] {
        const zervola::results::FrameModel model{
            recovery_view(displacements, node_x, node_y, node_z, element_nodes, section_codes,
                          section_table),
            orientation_view(orient_x, orient_y, orient_z),
            Vector1<const int32_t>(end_codes, k_unknown_extent)};
        const std::optional<zervola::results::ComponentForces> f =
            zervola::results::element_and_neighbour_force(model, *element_index, *component,
                                                          *n_elements);
        if (!f) {
          zervola::abi::fill_failure(force_element, 1);
          return;
        }
        *force_element = f->element;
        if (f->neighbour) *force_neighbour = *f->neighbour;
      },
      [&] { zervola::abi::fill_failure(force_element, 1); });
}

ZERVOLA_API void ZERVOLA_CALL SILFACT(const double* end_forces, const double* section,
                                      const double* temperature_change, double* stress_max,
                                      double* stress_min) {
  zervola::abi::guarded(
      [&] {
        const zervola::results::StressExtremes e = zervola::results::section_stress_extremes(
            zervola::read_vector12(end_forces),
            Vector1<const double>(section, zervola::k_section_table_rows), *temperature_change);
        *stress_max = e.max;
        *stress_min = e.min;
      },
      [&] {
        zervola::abi::fill_failure(stress_max, 1);
        zervola::abi::fill_failure(stress_min, 1);
      });
}

}  // extern "C"
