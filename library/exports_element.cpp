// Exported routines of the element formulation: host arrays in, core views,
// results written back. No arithmetic here.

#include "zervola.h"

#include "abi_support.hpp"
#include "common/frame_model.hpp"
#include "common/matrix12.hpp"
#include "element/global_matrix.hpp"
#include "element/local_axes.hpp"
#include "element/local_stiffness.hpp"

namespace {

using zervola::abi::element_nodes_view;
using zervola::abi::node_view;
using zervola::abi::orientation_view;

using zervola::ElementNodes;
using zervola::k_unknown_extent;
using zervola::Matrix12;
using zervola::Point3;
using zervola::Vector1;

constexpr std::size_t k_matrix_entries = 144;

Point3 read_point(const double* p) { return {p[0], p[1], p[2]}; }

}  // namespace

extern "C" {

ZERVOLA_API void ZERVOLA_CALL MATRIXCOS(double* transform, const double* node_x,
                                        const double* node_y, const double* node_z,
                                        const int32_t* element_nodes, const int32_t* /*n_nodes*/,
                                        const int32_t* /*n_elements*/,
                                        const int32_t* element_index,
                                        const int32_t* reverse_flag) {
  zervola::abi::guarded(
      [&] {
        const auto walk = zervola::element::walk_from_reverse_flag(*reverse_flag);
        const ElementNodes pairs = element_nodes_view(element_nodes);
        if (!walk || !zervola::element::references_are_readable(pairs, *element_index)) {
          zervola::abi::fill_failure(transform, k_matrix_entries);
          return;
        }
        const Matrix12 T = zervola::element::default_transform(node_view(node_x, node_y, node_z),
                                                               pairs, *element_index, *walk);
        zervola::write_matrix12(T, transform);
      },
      [&] { zervola::abi::fill_failure(transform, k_matrix_entries); });
}

ZERVOLA_API void ZERVOLA_CALL MATRIXCOS3P(double* transform, const double* node_x,
                                          const double* node_y, const double* node_z,
                                          const double* orient_x, const double* orient_y,
                                          const double* orient_z, const int32_t* element_nodes,
                                          const int32_t* /*n_nodes*/,
                                          const int32_t* /*n_elements*/,
                                          const int32_t* element_index,
                                          const int32_t* reverse_flag) {
  zervola::abi::guarded(
      [&] {
        const auto walk = zervola::element::walk_from_reverse_flag(*reverse_flag);
        const ElementNodes pairs = element_nodes_view(element_nodes);
        if (!walk || !zervola::element::references_are_readable(pairs, *element_index)) {
          zervola::abi::fill_failure(transform, k_matrix_entries);
          return;
        }
        const Matrix12 T = zervola::element::element_transform(
            node_view(node_x, node_y, node_z), orientation_view(orient_x, orient_y, orient_z),
            pairs, *element_index, *walk);
        zervola::write_matrix12(T, transform);
      },
      [&] { zervola::abi::fill_failure(transform, k_matrix_entries); });
}

ZERVOLA_API void ZERVOLA_CALL MATRIXUCS(double* ucs_origin, double* ucs_point_a,
                                        double* ucs_point_b, const double* ucs_point_c,
                                        const int32_t* ucs_mode) {
  zervola::abi::guarded(
      [&] {
        const Point3 a = read_point(ucs_point_a);
        const Point3 b = read_point(ucs_point_b);
        const Point3 c = read_point(ucs_point_c);
        const auto axes = zervola::element::ucs_axes(a, b, c);
        const auto& first = *ucs_mode == 0 ? axes.rows[2] : axes.rows[0];
        const auto& second = *ucs_mode == 0 ? axes.rows[0] : axes.rows[1];
        ucs_origin[0] = a.x;
        ucs_origin[1] = a.y;
        ucs_origin[2] = a.z;
        for (std::size_t k = 0; k < 3; ++k) {
          ucs_point_a[k] = first[k];
          ucs_point_b[k] = second[k];
        }
      },
      [&] {
        zervola::abi::fill_failure(ucs_origin, 3);
        zervola::abi::fill_failure(ucs_point_a, 3);
        zervola::abi::fill_failure(ucs_point_b, 3);
      });
}

ZERVOLA_API void ZERVOLA_CALL MTRXE_012SHR(double* element_matrix, const double* elastic_modulus,
                                           const double* shear_modulus, const double* area,
                                           const double* torsion_constant, const double* inertia_y,
                                           const double* inertia_z, const double* delta_x,
                                           const double* delta_y, const double* delta_z,
                                           const double* length, const double* length_sq,
                                           const double* length_cu, const int32_t* end_code) {
  zervola::abi::guarded(
      [&] {
        // Only the arguments that the form uses are read.
        const zervola::element::EndForm form = zervola::element::end_form(*end_code);
        zervola::element::SectionProperties section{};
        zervola::element::BarGeometry geometry{};
        section.E = *elastic_modulus;
        section.A = *area;
        geometry.L3 = *length_cu;
        if (form == zervola::element::EndForm::pin_ended) {
          geometry.dx = *delta_x;
          geometry.dy = *delta_y;
          geometry.dz = *delta_z;
        } else {
          section.G = *shear_modulus;
          section.It = *torsion_constant;
          section.Iy = *inertia_y;
          section.Iz = *inertia_z;
          geometry.L = *length;
          geometry.L2 = *length_sq;
        }
        const Matrix12 K = zervola::element::local_stiffness(section, geometry, form);
        zervola::write_matrix12(K, element_matrix);
      },
      [&] { zervola::abi::fill_failure(element_matrix, k_matrix_entries); });
}

ZERVOLA_API void ZERVOLA_CALL MATRIXE(double* element_matrix, const double* node_x,
                                      const double* node_y, const double* node_z,
                                      const double* orient_x, const double* orient_y,
                                      const double* orient_z, const int32_t* element_nodes,
                                      const int32_t* section_codes,
                                      const int32_t* /*space_frame*/,
                                      const double* section_table, const int32_t* element_index,
                                      const int32_t* /*n_nodes*/, const int32_t* /*n_elements*/,
                                      const int32_t* element_frame, const int32_t* end_code) {
  zervola::abi::guarded(
      [&] {
        const zervola::element::ElementModel model{
            node_view(node_x, node_y, node_z), orientation_view(orient_x, orient_y, orient_z),
            element_nodes_view(element_nodes),
            Vector1<const int32_t>(section_codes, k_unknown_extent),
            zervola::SectionTable(section_table, zervola::k_section_table_rows,
                                  k_unknown_extent)};
        if (!zervola::element::references_are_readable(model, *element_index)) {
          zervola::abi::fill_failure(element_matrix, k_matrix_entries);
          return;
        }
        const Matrix12 K =
            zervola::element::element_matrix(model, *element_index, *element_frame, *end_code);
        zervola::write_matrix12(K, element_matrix);
      },
      [&] { zervola::abi::fill_failure(element_matrix, k_matrix_entries); });
}

}  // extern "C"
