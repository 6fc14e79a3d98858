#include "zervola/frame.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <set>

#include "model/item_fault.hpp"
#include "zervola/frame/errors.hpp"
#include "model/nearest_names.hpp"
#include "reading/member_load_checks.hpp"
#include "zervola/frame/errors.hpp"
#include "zervola/frame/library_arrays.hpp"

namespace zervola::frame {
namespace {

// An orientation point this close to the member's line (relative to the
// member's length) leaves its local axes undefined.
constexpr double k_orientation_relative_tolerance = 1.0e-9;

// Every stiffness term of a member (E A / L, G It / L, 12 E I / L^3, ...) lies
// within these bounds, about the square roots of the largest and of the
// smallest normal double, so that the assembly and the factorisation, which
// form products of two terms, neither overflow nor fall into subnormal
// numbers. Outside them a section value is absurd for the member's length.
constexpr double k_largest_stiffness_term = 1.0e154;
constexpr double k_smallest_stiffness_term = 1.0e-154;

bool same_point(const Point3& a, const Point3& b) {
  return std::abs(a.z - b.z) < k_node_tolerance && std::abs(a.x - b.x) < k_node_tolerance &&
         std::abs(a.y - b.y) < k_node_tolerance;
}

void check_positive(const Origin& o, const char* field, double value) {
  if (!(value > 0.0)) fail_item(o, field, fmt::format("must be positive, is {}", value));
}

// Names, units and the title reach terminals, reports and drawings: a
// control character there would act instead of being read (ESC moves the
// cursor; a NUL makes an SVG drawing ill-formed).
void check_printable(const Origin& o, const char* field, const std::string& text) {
  if (has_control_character(text))
    fail_item(o, field,
         fmt::format("\"{}\" holds a control character: names, units and the title must be "
                     "printable text",
                     printable_text(text)));
}

void validate_texts(const Model& model) {
  const Origin top{model.source_file, "model"};
  check_printable(top, "title", model.title);
  check_printable({model.source_file, "units"}, "force", model.units.force);
  check_printable({model.source_file, "units"}, "length", model.units.length);
  check_printable(top, "material", model.material);
  for (const Section& s : model.sections) {
    check_printable(s.origin, "name", s.name);
    check_printable(s.origin, "material", s.material);
  }
  for (const Member& m : model.members) {
    check_printable(m.origin, "name", m.name);
    check_printable(m.origin, "section", m.section);
  }
  for (const Support& s : model.supports) check_printable(s.origin, "name", s.name);
  for (const Spring& s : model.springs) check_printable(s.origin, "name", s.name);
  for (const LoadCase& c : model.load_cases) {
    check_printable(c.origin, "name", c.name);
    for (const NodalLoad& l : c.loads) check_printable(l.origin, "name", l.name);
    for (const MemberLoad& l : c.member_loads) check_printable(l.origin, "member", l.member);
  }
  for (const Combination& c : model.combinations) {
    check_printable(c.origin, "name", c.name);
    for (const auto& [name, factor] : c.factors) check_printable(c.origin, "factors", name);
  }
  for (const Envelope& v : model.envelopes) {
    check_printable(v.origin, "name", v.name);
    for (const std::string& name : v.combinations) check_printable(v.origin, "combinations", name);
  }
}

void validate_sections(const Model& model) {
  std::set<std::string> names;
  for (std::size_t k = 0; k < model.sections.size(); ++k) {
    const Section& s = model.sections[k];
    const Origin o{model.source_file, fmt::format("section \"{}\" (sections[{}])", s.name, k)};
    if (s.name.empty()) fail_item(o, "name", "is empty");
    if (!names.insert(s.name).second) fail_item(o, "name", "another section has this name");
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

// The member's stiffness terms, computed from its section, must lie within the
// bounds above.
void check_stiffness_terms(const Member& m, const Section& s) {
  const double dx = m.to.x - m.from.x, dy = m.to.y - m.from.y, dz = m.to.z - m.from.z;
  const double L = std::sqrt(dx * dx + dy * dy + dz * dz);
  const double E = s.elastic_modulus, G = s.shear_modulus;
  const std::array<std::pair<const char*, double>, 7> terms = {{
      {"E A / L", E * s.area / L},
      {"G It / L", G * s.torsion_constant / L},
      {"12 E Iy / L^3", 12.0 * E * s.inertia_y / (L * L * L)},
      {"12 E Iz / L^3", 12.0 * E * s.inertia_z / (L * L * L)},
      {"6 E Iy / L^2", 6.0 * E * s.inertia_y / (L * L)},
      {"6 E Iz / L^2", 6.0 * E * s.inertia_z / (L * L)},
      {"4 E I / L", 4.0 * E * std::max(s.inertia_y, s.inertia_z) / L},
  }};
  for (const auto& [name, value] : terms)
    if (!(value >= k_smallest_stiffness_term && value <= k_largest_stiffness_term))
      fail_item(m.origin, "section",
           fmt::format("section \"{}\" (E = {}, G = {}, A = {}, It = {}, Iy = {}, Iz = {}) gives "
                       "this member of length {} the stiffness term {} = {}, outside [{}, {}]: "
                       "a section value is absurd, check it and its units",
                       s.name, E, G, s.area, s.torsion_constant, s.inertia_y, s.inertia_z, L,
                       name, value, k_smallest_stiffness_term, k_largest_stiffness_term));
}

void validate_members(const Model& model) {
  if (model.members.empty())
    throw InputError(fmt::format("{}: the model has no members", model.source_file));
  std::map<std::string, const Section*> sections;
  for (const Section& s : model.sections) sections.emplace(s.name, &s);
  std::set<std::string> names;
  const double plane_z = model.members.front().from.z;
  for (const Member& m : model.members) {
    if (!names.insert(m.name).second) fail_item(m.origin, "name", "another member has this name");
    if (!sections.contains(m.section))
      fail_item(m.origin, "section", fmt::format("unknown section \"{}\"", m.section));
    if (same_point(m.from, m.to))
      fail_item(m.origin, "to", "the member has zero length (its two points coincide)");
    check_stiffness_terms(m, *sections.at(m.section));
    if (model.frame == FrameKind::plane) {
      const auto check_plane = [&](const Point3& p, const char* field) {
        if (std::abs(p.z - plane_z) >= k_node_tolerance)
          fail_item(m.origin, field,
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
        fail_item(m.origin, "orientation_point", "lies on the member's line, so it fixes no axes");
    }
  }
}

// A prescribed displacement held by a stiff spring becomes the load
// k_penalty_stiffness times the displacement, which must stay a double.
void check_prescribed(const Origin& o, const std::array<double, 6>& values) {
  for (std::size_t d = 0; d < 6; ++d)
    if (!(std::abs(values[d]) * k_penalty_stiffness <= std::numeric_limits<double>::max()))
      fail_item(o, "displacement",
           fmt::format("{} = {} is absurd: as the load of a stiff spring it is beyond the range "
                       "of a double",
                       k_dof_names[d], values[d]));
}

void validate_supports(const Model& model) {
  std::set<std::string> names;
  for (const Support& s : model.supports) {
    if (!names.insert(s.name).second) fail_item(s.origin, "name", "another support has this name");
    check_prescribed(s.origin, s.prescribed);
  }
  names.clear();
  for (const Spring& s : model.springs)
    if (!names.insert(s.name).second) fail_item(s.origin, "name", "another spring has this name");
}

// The library adds the loads of a node together; so that no node's sum can
// overflow, the sum of their magnitudes over the whole case must not.
void check_load_sums(const LoadCase& c) {
  std::array<double, 6> magnitude{};
  for (const NodalLoad& l : c.loads)
    for (std::size_t d = 0; d < 6; ++d) {
      magnitude[d] += std::abs(d < 3 ? l.force[d] : l.moment[d - 3]);
      if (!std::isfinite(magnitude[d]))
        fail_item(l.origin, d < 3 ? "force" : "moment",
             fmt::format("with the loads before it in this case, the {} {} exceed the range of "
                         "a double",
                         d < 3 ? "forces along" : "moments about", "xyz"[d % 3]));
    }
}

void validate_load_cases(const Model& model) {
  if (model.load_cases.empty() && !model.modal)
    throw InputError(fmt::format("{}: field \"load_cases\": the model has no load case",
                                 model.source_file));
  std::set<std::string> names;
  for (const LoadCase& c : model.load_cases) {
    if (!names.insert(c.name).second) fail_item(c.origin, "name", "another load case has this name");
    check_load_sums(c);
    for (const SupportDisplacement& d : c.support_displacements) check_prescribed(d.origin, d.value);
    if (model.frame != FrameKind::plane) continue;
    for (const NodalLoad& l : c.loads) {
      if (l.force[2] != 0.0)
        fail_item(l.origin, "force", "a plane frame carries no force along z");
      if (l.moment[0] != 0.0 || l.moment[1] != 0.0)
        fail_item(l.origin, "moment", "a plane frame carries moments about z only");
    }
  }
}

bool has_mass(const Model& model) {
  for (const Section& s : model.sections)
    if (s.density && *s.density > 0.0) return true;
  for (const PointMass& m : model.masses)
    if (m.mass > 0.0 || m.rotary_inertia != Vector3{}) return true;
  return !model.mass_from_loads.empty();
}

void validate_dynamics(const Model& model) {
  for (const PointMass& m : model.masses) {
    if (!(std::isfinite(m.mass) && m.mass >= 0.0))
      fail_item(m.origin, "mass", fmt::format("must be a finite number from 0 on, is {}", m.mass));
    for (double v : m.rotary_inertia)
      if (!(std::isfinite(v) && v >= 0.0))
        fail_item(m.origin, "rotary_inertia", fmt::format("must be finite numbers from 0 on, one is {}", v));
    if (model.frame == FrameKind::plane && (m.rotary_inertia[0] != 0.0 || m.rotary_inertia[1] != 0.0))
      fail_item(m.origin, "rotary_inertia", "a plane frame turns about z only: give [0, 0, Iz]");
  }
  std::vector<std::string> case_names;
  for (const LoadCase& c : model.load_cases) case_names.push_back(c.name);
  for (const MassFromLoads& m : model.mass_from_loads) {
    if (std::find(case_names.begin(), case_names.end(), m.load_case) == case_names.end())
      fail_item(m.origin, "case",
           fmt::format("no load case is named \"{}\"{}", printable_text(m.load_case),
                       nearest_text(nearest_names(m.load_case, case_names, case_names, 3))));
    if (!(std::isfinite(m.factor) && m.factor > 0.0))
      fail_item(m.origin, "factor", fmt::format("must be a positive finite number, is {}", m.factor));
    if (!model.gravity)
      fail_item(m.origin, "case",
           "turning loads into mass needs the acceleration of gravity: give the model's "
           "\"gravity\" (in its length unit per s^2)");
  }
  if (model.spectrum) {
    const SpectrumRequest& s = *model.spectrum;
    if (!model.modal)
      fail_item(s.origin, "", "a response spectrum combines the natural modes: give \"modal\" with the "
                         "number of modes to combine");
    check_spectrum(s.spectrum, s.origin.place);
    if (std::find(case_names.begin(), case_names.end(), s.name) != case_names.end())
      fail_item(s.origin, "name", fmt::format("\"{}\" is the name of a load case too: name the spectrum "
                                         "otherwise", printable_text(s.name)));
    for (const Combination& c : model.combinations)
      if (c.name == s.name)
        fail_item(s.origin, "name", fmt::format("\"{}\" is the name of a combination too: name the "
                                           "spectrum otherwise", printable_text(s.name)));
  }
  if (model.modal) {
    if (model.modal->modes < 1)
      fail_item(model.modal->origin, "modes", fmt::format("expected at least 1, found {}", model.modal->modes));
    if (!has_mass(model))
      fail_item(model.modal->origin, "",
           "the model has no mass: give its sections a \"density\", or add \"masses\" or "
           "\"mass_from_loads\"");
  }
}

void check_imperfection(const Model& model, const std::optional<SwayImperfection>& imperfection) {
  if (!imperfection) return;
  const SwayImperfection& i = *imperfection;
  if (i.direction != 0 && i.direction != 1)
    fail_item(i.origin, "direction", "give \"X\" or \"Y\"");
  if (model.frame == FrameKind::plane && i.direction == 1)
    fail_item(i.origin, "direction", "a plane frame's vertical is Y: its sway is along \"X\"");
  if (!(std::isfinite(i.phi) && i.phi > 0.0 && i.phi < 1.0))
    fail_item(i.origin, "phi", fmt::format("expected a positive inclination below 1, found {}", i.phi));
}

void validate_stability(const Model& model) {
  for (const LoadCase& c : model.load_cases) check_imperfection(model, c.imperfection);
  for (const Combination& c : model.combinations) check_imperfection(model, c.imperfection);
  if (!model.buckling) return;
  const BucklingRequest& b = *model.buckling;
  if (b.modes < 1) fail_item(b.origin, "modes", fmt::format("expected at least 1, found {}", b.modes));
  if (b.sets.empty())
    fail_item(b.origin, "sets", "name one or more load cases or combinations to buckle");
  std::vector<std::string> names;
  for (const LoadCase& c : model.load_cases) names.push_back(c.name);
  for (const Combination& c : model.combinations) names.push_back(c.name);
  std::set<std::string> seen;
  for (const std::string& set : b.sets) {
    if (std::find(names.begin(), names.end(), set) == names.end())
      fail_item(b.origin, "sets",
           fmt::format("no load case or combination is named \"{}\"{}", printable_text(set),
                       nearest_text(nearest_names(set, names, names, 3))));
    if (!seen.insert(set).second)
      fail_item(b.origin, "sets", fmt::format("\"{}\" is named twice", printable_text(set)));
  }
}

}  // namespace

void validate_model(const Model& model) {
  validate_texts(model);
  validate_sections(model);
  validate_members(model);
  validate_supports(model);
  validate_load_cases(model);
  validate_member_loads(model);
  validate_dynamics(model);
  validate_stability(model);
}

}  // namespace zervola::frame
