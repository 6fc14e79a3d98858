#include "analysis/loads/member_loads.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "analysis/loads/fixed_end_forces.hpp"
#include "reading/member_load_checks.hpp"
#include "zervola/frame.hpp"
#include "zervola/frame/errors.hpp"

namespace zervola::frame {
namespace {

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

// The depth over which a temperature difference acts: the section's own, or
// its extent when it gives none.
double thermal_depth(double depth, double extent) { return depth > 0.0 ? depth : extent; }

}  // namespace

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
        out.thermal_curvature_v -= alpha * l.difference_y / thermal_depth(s.thermal_depth_y, s.extent_y);
        out.thermal_curvature_w -= alpha * l.difference_z / thermal_depth(s.thermal_depth_z, s.extent_z);
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

}  // namespace zervola::frame
