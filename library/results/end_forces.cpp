#include "results/end_forces.hpp"

#include <cmath>
#include <cstdlib>

namespace zervola::results {

namespace {

element::SectionProperties read_section(SectionTable table, Index section) {
  element::SectionProperties s;
  s.E = section_value(table, section, SectionRow::elastic_modulus);
  s.G = section_value(table, section, SectionRow::shear_modulus);
  s.A = section_value(table, section, SectionRow::area);
  s.It = section_value(table, section, SectionRow::torsion_constant);
  s.Iy = section_value(table, section, SectionRow::inertia_y);
  s.Iz = section_value(table, section, SectionRow::inertia_z);
  return s;
}

// Components 1..6 from the start node, 7..12 from the end node.
Vector12 gather_end_displacements(Displacements u, Index start, Index end) {
  Vector12 v;
  for (Index c = 1; c <= k_node_dofs; ++c) {
    v(c) = u(c, start);
    v(k_node_dofs + c) = u(c, end);
  }
  return v;
}

// The components of the sign convention that are negated: the start node's
// moments and the end node's forces.
constexpr bool is_negated_component(Index k) { return k >= 4 && k <= 9; }

}  // namespace

Vector12 apply_end_force_sign_convention(const Vector12& nodal_forces) {
  Vector12 f;
  for (Index k = 1; k <= k_element_dofs; ++k)
    f(k) = is_negated_component(k) ? -nodal_forces(k) : nodal_forces(k);
  return f;
}

HostInt recovery_end_code(HostInt end_code, element::Walk walk) {
  // Every code of the rigid form (0, -1, -2) is rigid; a code without
  // stiffness stays without, as in the assembly.
  const HostInt code = element::end_form(end_code) == element::EndForm::rigid ? 0 : end_code;
  return walk == element::Walk::reversed ? element::swapped_end_code(code) : code;
}

element::BarGeometry recovery_geometry(Point3 start, Point3 end, element::EndForm form) {
  element::BarGeometry g;
  g.dx = end.x - start.x;
  g.dy = end.y - start.y;
  g.dz = end.z - start.z;
  g.L = std::sqrt(g.dx * g.dx + g.dy * g.dy + g.dz * g.dz);
  g.L2 = g.L * g.L;
  g.L3 = g.L * g.L2;
  if (form == element::EndForm::pin_ended) {
    g.dx = g.L;
    g.dy = 0.0;
    g.dz = 0.0;
  }
  return g;
}

Vector12 local_to_global(const Matrix12& transform, const Vector12& local) {
  return multiply_transposed(transform, local);
}

EndForces element_end_forces(const Matrix12& transform, const RecoveryModel& model, Index element,
                             element::Walk walk, HostInt end_code) {
  const Index section = std::abs(static_cast<Index>(model.section_codes(element)));
  const element::SectionProperties properties = read_section(model.section_table, section);
  const element::WalkedNodes n = element::walked_nodes(model.element_nodes, element, walk);
  const element::EndForm form = element::end_form(recovery_end_code(end_code, walk));
  const element::BarGeometry geometry =
      recovery_geometry(model.nodes(n.start), model.nodes(n.end), form);

  EndForces r;
  r.end_displacements =
      multiply(transform, gather_end_displacements(model.displacements, n.start, n.end));
  const Matrix12 K = element::local_stiffness(properties, geometry, form);
  r.end_forces = apply_end_force_sign_convention(multiply(K, r.end_displacements));
  r.end_forces_global = local_to_global(transform, r.end_forces);
  return r;
}

}  // namespace zervola::results
