#include "zervola/frame/library_arrays.hpp"

#include <cmath>
#include <map>

namespace zervola::frame {
namespace {

EndCode end_code_of(Release r) {
  switch (r) {
    case Release::none: return EndCode::rigid;
    case Release::hinge_start: return EndCode::hinge_first;
    case Release::hinge_end: return EndCode::hinge_second;
    case Release::pinned: return EndCode::pin_ended;
  }
  return EndCode::rigid;
}

// Directions that the plane-frame restraint holds: uz, rx, ry.
constexpr std::array<bool, 6> k_plane_held = {false, false, true, true, true, false};

double first_equation(std::int32_t node) { return 6.0 * node - 5.0; }

void add_record(std::vector<double>& table, RecordCode code, double first_eq,
                const std::array<double, 6>& p) {
  table.push_back(static_cast<double>(static_cast<int>(code)));
  table.push_back(first_eq);
  table.insert(table.end(), p.begin(), p.end());
}

void add_restraint_records(std::vector<double>& table, const Support& s, std::int32_t node,
                           bool plane) {
  const RestraintPlan plan = plan_restraint(s.restrained, plane);
  const double r = first_equation(node);
  if (plan.block_of_six) add_record(table, RecordCode::prescribe_all, r, s.prescribed);
  for (int start : plan.blocks_of_three) {
    std::array<double, 6> p{};
    for (int k = 0; k < 3; ++k) p[static_cast<std::size_t>(k)] = s.prescribed[static_cast<std::size_t>(start + k)];
    add_record(table, RecordCode::prescribe_translations, r + start, p);
  }
  const double root = std::sqrt(k_penalty_stiffness);
  for (int dof : plan.stiff_springs) {
    const auto d = static_cast<std::size_t>(dof);
    std::array<double, 6> p{};
    p[d] = root;
    add_record(table, RecordCode::spring, r, p);
    if (s.prescribed[d] != 0.0) {
      std::array<double, 6> load{};
      load[d % 3] = k_penalty_stiffness * s.prescribed[d];
      add_record(table, RecordCode::load, d < 3 ? r : r + 3.0, load);
    }
  }
}

}  // namespace

FrameArrays build_frame_arrays(const Model& model) {
  FrameArrays a;
  a.n_elements = static_cast<std::int32_t>(model.members.size());
  a.n_sections = static_cast<std::int32_t>(model.sections.size());
  a.space_frame = model.frame == FrameKind::space ? 1 : 0;
  std::map<std::string, std::int32_t> column;
  for (const Section& s : model.sections) {
    column[s.name] = static_cast<std::int32_t>(column.size()) + 1;
    const std::array<double, k_section_rows> rows = {
        s.elastic_modulus, s.shear_modulus, s.area,     s.torsion_constant, s.inertia_y,
        s.inertia_z,       0.0,             s.extent_z, s.extent_y,         s.thermal_coefficient};
    a.section_table.insert(a.section_table.end(), rows.begin(), rows.end());
  }
  for (const Member& m : model.members) {
    for (const Point3& p : {m.from, m.to}) {
      a.node_x.push_back(p.x);
      a.node_y.push_back(p.y);
      a.node_z.push_back(p.z);
    }
    const Point3 o = m.orientation_point.value_or(
        Point3{k_no_orientation, k_no_orientation, k_no_orientation});
    a.orient_x.push_back(o.x);
    a.orient_y.push_back(o.y);
    a.orient_z.push_back(o.z);
    a.section_codes.push_back(column.at(m.section));
    a.end_codes.push_back(static_cast<std::int32_t>(end_code_of(m.release)));
    a.temperature_change.push_back(m.temperature_change);
  }
  a.element_nodes.assign(2 * model.members.size(), 0);
  return a;
}

RestraintPlan plan_restraint(const std::array<bool, 6>& restrained, bool plane) {
  std::array<bool, 6> allowed{};
  for (std::size_t k = 0; k < 6; ++k) allowed[k] = restrained[k] || (plane && k_plane_held[k]);
  // Candidate blocks: 0..3 are three directions from that one on, 4 is all six.
  std::array<bool, 5> usable{};
  for (int s = 0; s < 4; ++s) {
    const auto u = static_cast<std::size_t>(s);
    usable[u] = allowed[u] && allowed[u + 1] && allowed[u + 2];
  }
  usable[4] = allowed[0] && allowed[1] && allowed[2] && allowed[3] && allowed[4] && allowed[5];
  int best_mask = 0;
  int best_covered = -1;
  int best_count = 0;
  for (int mask = 0; mask < 32; ++mask) {
    std::array<bool, 6> covered{};
    int count = 0;
    bool valid = true;
    for (int b = 0; b < 5; ++b) {
      if ((mask & (1 << b)) == 0) continue;
      if (!usable[static_cast<std::size_t>(b)]) {
        valid = false;
        break;
      }
      ++count;
      if (b == 4) covered.fill(true);
      else for (int k = 0; k < 3; ++k) covered[static_cast<std::size_t>(b + k)] = true;
    }
    if (!valid) continue;
    int n = 0;
    for (std::size_t k = 0; k < 6; ++k) n += (covered[k] && restrained[k]) ? 1 : 0;
    if (n > best_covered || (n == best_covered && count < best_count)) {
      best_mask = mask;
      best_covered = n;
      best_count = count;
    }
  }
  RestraintPlan plan;
  std::array<bool, 6> covered{};
  if ((best_mask & (1 << 4)) != 0) {
    plan.block_of_six = true;
    covered.fill(true);
  }
  for (int b = 0; b < 4; ++b) {
    if ((best_mask & (1 << b)) == 0) continue;
    plan.blocks_of_three.push_back(b);
    for (int k = 0; k < 3; ++k) covered[static_cast<std::size_t>(b + k)] = true;
  }
  for (std::size_t k = 0; k < 6; ++k)
    if (restrained[k] && !covered[k]) plan.stiff_springs.push_back(static_cast<int>(k));
  return plan;
}

namespace {

// The supports' restraints (at the values given) and the springs' terms.
void add_support_and_spring_records(std::vector<double>& table, const Model& model,
                                    const std::vector<Support>& supports,
                                    const Placement& placement, bool plane) {
  for (std::size_t k = 0; k < supports.size(); ++k)
    add_restraint_records(table, supports[k], placement.support_node[k], plane);
  for (std::size_t k = 0; k < model.springs.size(); ++k) {
    const double r = first_equation(placement.spring_node[k]);
    for (const SpringTerm& t : model.springs[k].terms)
      add_record(table, RecordCode::spring, r,
                 {t.translation[0], t.translation[1], t.translation[2], t.rotation[0],
                  t.rotation[1], t.rotation[2]});
  }
}

}  // namespace

std::vector<double> build_node_records(const Model& model, const Placement& placement,
                                       std::size_t load_case) {
  std::vector<double> table;
  const bool plane = model.frame == FrameKind::plane;
  const LoadCase& c = model.load_cases[load_case];
  std::vector<Support> supports = model.supports;
  for (std::size_t k = 0; k < c.support_displacements.size(); ++k) {
    const SupportDisplacement& d = c.support_displacements[k];
    Support& s = supports[placement.displaced_support[load_case][k]];
    for (std::size_t i = 0; i < 6; ++i)
      if (d.given[i]) s.prescribed[i] = d.value[i];
  }
  add_support_and_spring_records(table, model, supports, placement, plane);
  for (std::size_t k = 0; k < c.loads.size(); ++k) {
    const NodalLoad& l = c.loads[k];
    const double r = first_equation(placement.load_node[load_case][k]);
    if (l.force != Vector3{})
      add_record(table, RecordCode::load, r, {l.force[0], l.force[1], l.force[2], 0.0, 0.0, 0.0});
    if (l.moment != Vector3{})
      add_record(table, RecordCode::load, r + 3.0,
                 {l.moment[0], l.moment[1], l.moment[2], 0.0, 0.0, 0.0});
  }
  // A model without records still passes one record, of code 0, which does
  // nothing: the table is never empty.
  if (table.empty()) table.assign(k_record_size, 0.0);
  return table;
}

std::vector<double> build_support_records(const Model& model, const Placement& placement) {
  std::vector<double> table;
  add_support_and_spring_records(table, model, model.supports, placement,
                                 model.frame == FrameKind::plane);
  if (table.empty()) table.assign(k_record_size, 0.0);
  return table;
}

}  // namespace zervola::frame
