#include "model_validation.hpp"

#include <fmt/format.h>

#include <cmath>
#include <set>

#include "errors.hpp"
#include "member_loads.hpp"

namespace zervola::host {
namespace {

// An orientation point this close to the member's line (relative to the
// member's length) leaves its local axes undefined.
constexpr double k_orientation_relative_tolerance = 1.0e-9;

[[noreturn]] void fail(const Origin& o, const std::string& field, const std::string& problem) {
  fail_item(o, field, problem);
}

bool same_point(const Point3& a, const Point3& b) {
  return std::abs(a.z - b.z) < k_node_tolerance && std::abs(a.x - b.x) < k_node_tolerance &&
         std::abs(a.y - b.y) < k_node_tolerance;
}

void check_positive(const Origin& o, const char* field, double value) {
  if (!(value > 0.0)) fail(o, field, fmt::format("must be positive, is {}", value));
}

void validate_sections(const Model& model) {
  std::set<std::string> names;
  for (std::size_t k = 0; k < model.sections.size(); ++k) {
    const Section& s = model.sections[k];
    const Origin o{model.source_file, fmt::format("section \"{}\" (sections[{}])", s.name, k)};
    if (s.name.empty()) fail(o, "name", "is empty");
    if (!names.insert(s.name).second) fail(o, "name", "another section has this name");
    check_positive(o, "E", s.elastic_modulus);
    check_positive(o, "G", s.shear_modulus);
    check_positive(o, "A", s.area);
    check_positive(o, "It", s.torsion_constant);
    check_positive(o, "Iy", s.inertia_y);
    check_positive(o, "Iz", s.inertia_z);
    check_positive(o, "extent_z", s.extent_z);
    check_positive(o, "extent_y", s.extent_y);
  }
}

void validate_members(const Model& model) {
  if (model.members.empty())
    throw InputError(fmt::format("{}: the model has no members", model.source_file));
  std::set<std::string> sections;
  for (const Section& s : model.sections) sections.insert(s.name);
  std::set<std::string> names;
  const double plane_z = model.members.front().from.z;
  for (const Member& m : model.members) {
    if (!names.insert(m.name).second) fail(m.origin, "name", "another member has this name");
    if (!sections.contains(m.section))
      fail(m.origin, "section", fmt::format("unknown section \"{}\"", m.section));
    if (same_point(m.from, m.to))
      fail(m.origin, "to", "the member has zero length (its two points coincide)");
    if (model.frame == FrameKind::plane) {
      const auto check_plane = [&](const Point3& p, const char* field) {
        if (std::abs(p.z - plane_z) >= k_node_tolerance)
          fail(m.origin, field,
               fmt::format("a plane frame lies in one x-y plane (z = {}), this point has z = {}",
                           plane_z, p.z));
      };
      check_plane(m.from, "from");
      check_plane(m.to, "to");
    }
    if (m.orientation_point) {
      const Point3& p = *m.orientation_point;
      const double dx = m.to.x - m.from.x, dy = m.to.y - m.from.y, dz = m.to.z - m.from.z;
      const double px = p.x - m.from.x, py = p.y - m.from.y, pz = p.z - m.from.z;
      const double cx = dy * pz - dz * py, cy = dz * px - dx * pz, cz = dx * py - dy * px;
      const double cross = std::sqrt(cx * cx + cy * cy + cz * cz);
      const double length = std::sqrt(dx * dx + dy * dy + dz * dz);
      const double reach = std::sqrt(px * px + py * py + pz * pz);
      if (!(cross > k_orientation_relative_tolerance * length * std::max(reach, length)))
        fail(m.origin, "orientation_point", "lies on the member's line, so it fixes no axes");
    }
  }
}

void validate_supports(const Model& model) {
  std::set<std::string> names;
  for (const Support& s : model.supports)
    if (!names.insert(s.name).second) fail(s.origin, "name", "another support has this name");
  names.clear();
  for (const Spring& s : model.springs)
    if (!names.insert(s.name).second) fail(s.origin, "name", "another spring has this name");
}

void validate_load_cases(const Model& model) {
  if (model.load_cases.empty())
    throw InputError(fmt::format("{}: field \"load_cases\": the model has no load case",
                                 model.source_file));
  std::set<std::string> names;
  for (const LoadCase& c : model.load_cases) {
    if (!names.insert(c.name).second) fail(c.origin, "name", "another load case has this name");
    if (model.frame != FrameKind::plane) continue;
    for (const NodalLoad& l : c.loads) {
      if (l.force[2] != 0.0)
        fail(l.origin, "force", "a plane frame carries no force along z");
      if (l.moment[0] != 0.0 || l.moment[1] != 0.0)
        fail(l.origin, "moment", "a plane frame carries moments about z only");
    }
  }
}

}  // namespace

void fail_item(const Origin& o, const std::string& field, const std::string& problem) {
  if (field.empty()) throw InputError(fmt::format("{}: {}: {}", o.file, o.place, problem));
  throw InputError(fmt::format("{}: {}: field \"{}\": {}", o.file, o.place, field, problem));
}

void validate_model(const Model& model) {
  validate_sections(model);
  validate_members(model);
  validate_supports(model);
  validate_load_cases(model);
  validate_member_loads(model);
}

}  // namespace zervola::host
