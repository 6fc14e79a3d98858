#include "member_loads.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>

#include "errors.hpp"
#include "fixed_end_forces.hpp"
#include "model_validation.hpp"

namespace zervola::host {
namespace {

// A load position may overshoot the member's ends by this fraction of its
// length (rounding in the model's numbers) and is then taken at the end.
constexpr double k_position_tolerance = 1.0e-9;

[[noreturn]] void fail(const Origin& o, const std::string& field, const std::string& problem) {
  fail_item(o, field, problem);
}

double member_length(const Member& m) {
  const double dx = m.to.x - m.from.x, dy = m.to.y - m.from.y, dz = m.to.z - m.from.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

const Section& section_of(const Model& model, const Member& m) {
  for (const Section& s : model.sections)
    if (s.name == m.section) return s;
  throw InputError(fmt::format("{}: {}: field \"section\": unknown section \"{}\"", m.origin.file,
                               m.origin.place, m.section));
}

using MemberIndex = std::map<std::string, std::size_t>;

MemberIndex member_index(const Model& model) {
  MemberIndex index;
  for (std::size_t e = 0; e < model.members.size(); ++e) index.emplace(model.members[e].name, e);
  return index;
}

std::size_t member_of(const MemberIndex& index, const MemberLoad& l) {
  const auto found = index.find(l.member);
  if (found == index.end()) fail(l.origin, "member", fmt::format("unknown member \"{}\"", l.member));
  return found->second;
}

// A position on the member, checked: distance from its start.
double place_on(const MemberLoad& l, const char* field, double value, double L) {
  const double x = l.relative ? value * L : value;
  const double slack = k_position_tolerance * L;
  if (!(x >= -slack && x <= L + slack))
    fail(l.origin, field,
         l.relative ? fmt::format("{} lies outside the member (relative positions run from 0 to 1)",
                                  value)
                    : fmt::format("{} lies outside the member \"{}\" (length {})", value, l.member, L));
  return std::clamp(x, 0.0, L);
}

struct Span {
  double start = 0.0;
  double end = 0.0;
};

Span distributed_span(const MemberLoad& l, double L) {
  Span s{l.start ? place_on(l, "start", *l.start, L) : 0.0,
         l.end ? place_on(l, "end", *l.end, L) : L};
  if (!(s.end > s.start))
    fail(l.origin, "end", fmt::format("the load must end after it starts (start {}, end {})",
                                      s.start, s.end));
  return s;
}

Vector3 to_local(const MemberGeometry& g, const Vector3& v) {
  Vector3 out{};
  for (std::size_t r = 0; r < 3; ++r)
    out[r] = g.axes[r][0] * v[0] + g.axes[r][1] * v[1] + g.axes[r][2] * v[2];
  return out;
}

Vector3 to_global(const MemberGeometry& g, const double* v) {
  Vector3 out{};
  for (std::size_t k = 0; k < 3; ++k)
    out[k] = g.axes[0][k] * v[0] + g.axes[1][k] * v[1] + g.axes[2][k] * v[2];
  return out;
}

// A global load per unit projected length, per unit true length: each
// component scaled by the sine of the member's angle with its axis.
Vector3 per_true_length(const MemberGeometry& g, const Vector3& v) {
  Vector3 out{};
  for (std::size_t k = 0; k < 3; ++k) {
    const double c = g.axes[0][k];
    out[k] = v[k] * std::sqrt(std::max(0.0, 1.0 - c * c));
  }
  return out;
}

Vector3 in_local_axes(const MemberGeometry& g, LoadAxes axes, const Vector3& v) {
  switch (axes) {
    case LoadAxes::local: return v;
    case LoadAxes::global: return to_local(g, v);
    case LoadAxes::global_projected: return to_local(g, per_true_length(g, v));
  }
  return v;
}

void check_plane_load(const MemberLoad& l) {
  const Vector3& a = l.start_value;
  const Vector3& b = l.end_value;
  switch (l.kind) {
    case MemberLoadKind::distributed:
      if (a[2] != 0.0 || b[2] != 0.0)
        fail(l.origin, "value", "a plane frame carries no load along z");
      break;
    case MemberLoadKind::force:
      if (a[2] != 0.0) fail(l.origin, "value", "a plane frame carries no force along z");
      break;
    case MemberLoadKind::moment:
      if (a[0] != 0.0 || a[1] != 0.0)
        fail(l.origin, "value", "a plane frame carries moments about z only");
      break;
    case MemberLoadKind::temperature:
      if (l.difference_z != 0.0)
        fail(l.origin, "difference_z", "a plane frame bends about local z only");
      break;
  }
}

void check_load(const Model& model, const MemberIndex& index, const MemberLoad& l) {
  const std::size_t e = member_of(index, l);
  const Member& m = model.members[e];
  const double L = member_length(m);
  switch (l.kind) {
    case MemberLoadKind::distributed: (void)distributed_span(l, L); break;
    case MemberLoadKind::force: (void)place_on(l, "position", l.position, L); break;
    case MemberLoadKind::moment: {
      (void)place_on(l, "position", l.position, L);
      if (m.release == Release::pinned) {
        // The torque about the member's axis, in whichever axes it is given.
        double torque = l.start_value[0];
        if (l.axes != LoadAxes::local)
          torque = ((m.to.x - m.from.x) * l.start_value[0] + (m.to.y - m.from.y) * l.start_value[1] +
                    (m.to.z - m.from.z) * l.start_value[2]) / L;
        if (std::abs(torque) > k_position_tolerance * (std::abs(l.start_value[0]) +
                                                      std::abs(l.start_value[1]) +
                                                      std::abs(l.start_value[2])))
          fail(l.origin, "value",
               fmt::format("member \"{}\" is pin-ended and carries no torque about its axis "
                           "(this moment has {})",
                           m.name, torque));
      }
      break;
    }
    case MemberLoadKind::temperature:
      if (section_of(model, m).thermal_coefficient == 0.0)
        fail(l.origin, "",
             fmt::format("a temperature load on member \"{}\" needs its section \"{}\" to have a "
                         "thermal_coefficient",
                         m.name, m.section));
      break;
  }
  if (model.frame == FrameKind::plane) check_plane_load(l);
}

}  // namespace

void validate_member_loads(const Model& model) {
  std::set<std::string> cases;
  const MemberIndex index = member_index(model);
  for (const LoadCase& c : model.load_cases) {
    cases.insert(c.name);
    for (const MemberLoad& l : c.member_loads) check_load(model, index, l);
    if (!c.gravity) continue;
    if (model.frame == FrameKind::plane && (*c.gravity)[2] != 0.0)
      fail(c.origin, "gravity", "a plane frame carries no load along z");
    for (const Member& m : model.members)
      if (!section_of(model, m).density)
        fail(c.origin, "gravity",
             fmt::format("self-weight needs a density: section \"{}\" (of member \"{}\") has none",
                         m.section, m.name));
  }
  std::set<std::string> combinations;
  for (const Combination& c : model.combinations) {
    if (cases.contains(c.name))
      fail(c.origin, "name", "a load case has this name");
    if (!combinations.insert(c.name).second)
      fail(c.origin, "name", "another combination has this name");
    for (const auto& [name, factor] : c.factors)
      if (!cases.contains(name)) fail(c.origin, "factors", fmt::format("unknown load case \"{}\"", name));
  }
  std::set<std::string> envelopes;
  for (const Envelope& v : model.envelopes) {
    if (!envelopes.insert(v.name).second) fail(v.origin, "name", "another envelope has this name");
    for (const std::string& name : v.combinations)
      if (!combinations.contains(name) && !cases.contains(name))
        fail(v.origin, "combinations",
             fmt::format("unknown combination or load case \"{}\"", name));
  }
}

BeamProperties beam_properties(const Model& model, std::size_t member, double length) {
  const Member& m = model.members[member];
  const Section& s = section_of(model, m);
  return {s.elastic_modulus, s.shear_modulus, s.area, s.torsion_constant, s.inertia_y,
          s.inertia_z, length, m.release};
}

LocalMemberLoads local_loads(const Model& model, std::size_t load_case, std::size_t member,
                             const MemberGeometry& g, const std::vector<const MemberLoad*>& on_member) {
  LocalMemberLoads out;
  const LoadCase& c = model.load_cases[load_case];
  const Member& m = model.members[member];
  const double L = g.length;
  if (c.gravity) {
    const Section& s = section_of(model, m);
    const double weight = *s.density * s.area;
    const Vector3 q = to_local(g, {weight * (*c.gravity)[0], weight * (*c.gravity)[1],
                                   weight * (*c.gravity)[2]});
    out.distributed.push_back({0.0, L, q, q});
  }
  for (const MemberLoad* given : on_member) {
    const MemberLoad& l = *given;
    switch (l.kind) {
      case MemberLoadKind::distributed: {
        const Span s = distributed_span(l, L);
        out.distributed.push_back({s.start, s.end, in_local_axes(g, l.axes, l.start_value),
                                   in_local_axes(g, l.axes, l.end_value)});
        break;
      }
      case MemberLoadKind::force:
        out.concentrated.push_back(
            {place_on(l, "position", l.position, L), in_local_axes(g, l.axes, l.start_value), {}});
        break;
      case MemberLoadKind::moment:
        out.concentrated.push_back(
            {place_on(l, "position", l.position, L), {}, in_local_axes(g, l.axes, l.start_value)});
        break;
      case MemberLoadKind::temperature: {
        const Section& s = section_of(model, m);
        const double alpha = s.thermal_coefficient;
        out.thermal_strain += alpha * l.uniform_change;
        // The hotter +y face lengthens: v'' = -alpha dTy / depth.
        out.thermal_curvature_v -= alpha * l.difference_y / s.extent_y;
        out.thermal_curvature_w -= alpha * l.difference_z / s.extent_z;
        break;
      }
    }
  }
  return out;
}

MemberLoading prepare_member_loads(const Model& model, const std::vector<MemberGeometry>& members,
                                   std::size_t n_nodes) {
  MemberLoading out;
  const std::size_t n_cases = model.load_cases.size();
  out.loads.resize(n_cases);
  out.correction.resize(n_cases);
  out.nodal.resize(n_cases);
  const MemberIndex index = member_index(model);
  for (std::size_t c = 0; c < n_cases; ++c) {
    std::vector<std::vector<const MemberLoad*>> on_member(members.size());
    for (const MemberLoad& l : model.load_cases[c].member_loads)
      on_member[member_of(index, l)].push_back(&l);
    out.loads[c].reserve(members.size());
    out.correction[c].assign(members.size(), Vector12{});
    out.nodal[c].assign(n_nodes, std::array<double, 6>{});
    for (std::size_t e = 0; e < members.size(); ++e) {
      const MemberGeometry& g = members[e];
      out.loads[c].push_back(local_loads(model, c, e, g, on_member[e]));
      const LocalMemberLoads& l = out.loads[c].back();
      if (l.empty()) continue;
      const BeamProperties b = beam_properties(model, e, g.length);
      const Vector12 f = equivalent_end_loads(l, b);
      Vector12 fixed_end = f;
      for (double& v : fixed_end) v = -v;
      out.correction[c][e] = to_end_force_convention(fixed_end);
      auto& start = out.nodal[c][static_cast<std::size_t>(g.start_node - 1)];
      auto& end = out.nodal[c][static_cast<std::size_t>(g.end_node - 1)];
      for (std::size_t block = 0; block < 4; ++block) {
        const Vector3 v = to_global(g, &f[3 * block]);
        auto& node = block < 2 ? start : end;
        for (std::size_t k = 0; k < 3; ++k) node[3 * (block % 2) + k] += v[k];
      }
    }
  }
  return out;
}

}  // namespace zervola::host
