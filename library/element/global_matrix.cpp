#include "element/global_matrix.hpp"

#include <cmath>
#include <cstdlib>

#include "element/local_axes.hpp"
#include "element/local_stiffness.hpp"

namespace zervola::element {

BarGeometry bar_geometry(Point3 i, Point3 j) {
  BarGeometry g;
  g.dx = j.x - i.x;
  g.dy = j.y - i.y;
  g.dz = j.z - i.z;
  g.L2 = g.dx * g.dx + g.dy * g.dy + g.dz * g.dz;
  g.L = std::sqrt(g.L2);
  g.L3 = g.L * g.L2;
  return g;
}

SectionProperties read_section(SectionTable table, Index section) {
  SectionProperties s;
  s.E = section_value(table, section, SectionRow::elastic_modulus);
  s.G = section_value(table, section, SectionRow::shear_modulus);
  s.A = section_value(table, section, SectionRow::area);
  s.It = section_value(table, section, SectionRow::torsion_constant);
  s.Iy = section_value(table, section, SectionRow::inertia_y);
  s.Iz = section_value(table, section, SectionRow::inertia_z);
  return s;
}

bool references_are_readable(const ElementModel& model, Index element) {
  return references_are_readable(model.element_nodes, element) &&
         model.section_codes(element) != 0;
}

Matrix12 rigid_link_matrix() {
  Matrix12 K;
  for (Index k = 1; k <= 3; ++k) {
    K(k, k) = 1.0;
    K(6 + k, 6 + k) = 1.0;
    K(k, 6 + k) = -1.0;
  }
  K.scale(k_rigid_link_penalty);
  K.symmetrise_from_upper();
  return K;
}

Matrix12 element_matrix(const ElementModel& model, Index element, HostInt element_frame,
                        HostInt end_code) {
  const HostInt section_code = model.section_codes(element);
  // The section column is read for a rigid link too, though its values play
  // no part: the link's stiffness is fixed.
  const SectionProperties section =
      read_section(model.section_table, std::abs(static_cast<Index>(section_code)));
  if (section_code < 0) return rigid_link_matrix();

  const Index i = model.element_nodes(1, element);
  const Index j = model.element_nodes(2, element);
  const BarGeometry geometry = bar_geometry(model.nodes(i), model.nodes(j));
  const EndForm form = end_form(end_code);
  Matrix12 K = local_stiffness(section, geometry, form);

  if (element_frame == k_element_frame_local || form == EndForm::pin_ended) return K;

  const Matrix12 T =
      element_transform(model.nodes, model.orientation, model.element_nodes, element, Walk::forward);
  const Matrix12 P = multiply(K, T);
  return multiply_transposed(T, P);
}

Matrix12 element_mass_matrix(const ElementModel& model, Index element, HostInt end_code,
                             const BarMass& m, MassForm kind) {
  if (model.section_codes(element) < 0) return Matrix12();
  const Index i = model.element_nodes(1, element);
  const Index j = model.element_nodes(2, element);
  const EndForm form = end_form(end_code);
  const Matrix12 M = local_mass(m, bar_geometry(model.nodes(i), model.nodes(j)), form, kind);
  if (form == EndForm::pin_ended) return M;
  const Matrix12 T =
      element_transform(model.nodes, model.orientation, model.element_nodes, element, Walk::forward);
  return multiply_transposed(T, multiply(M, T));
}

}  // namespace zervola::element
