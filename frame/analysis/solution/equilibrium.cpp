#include "analysis/solution/equilibrium.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/solution/result_check.hpp"
#include "zervola/frame/errors.hpp"

namespace zervola::frame {
namespace {

Vector3 cross(const Vector3& a, const Vector3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double norm(const Vector3& a) { return std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]); }
Vector3 position(const Point3& p) { return {p.x, p.y, p.z}; }

}  // namespace

void balance_reactions(const Model& model, const std::vector<Point3>& nodes, const LoadCase& c,
                       const NodeBalance& b, CaseResult& r) {
  const std::size_t n = nodes.size();
  Equilibrium& q = r.equilibrium;
  double force_scale = 0.0, moment_scale = 0.0;
  for (std::size_t node = 0; node < n; ++node) {
    const Vector3 x = position(nodes[node]);
    const Vector3 f{b.applied[node][0], b.applied[node][1], b.applied[node][2]};
    const Vector3 m{b.applied[node][3], b.applied[node][4], b.applied[node][5]};
    const Vector3 xf = cross(x, f);
    for (std::size_t d = 0; d < 3; ++d) {
      q.applied_force[d] += f[d];
      q.applied_moment[d] += m[d] + xf[d];
    }
    force_scale += norm(f);
    moment_scale += norm(m) + norm(x) * norm(f);
    if (!b.supported[node]) continue;
    Reaction reaction{static_cast<std::int32_t>(node) + 1, {}, {}};
    for (std::size_t d = 0; d < 6; ++d) reaction.value[d] = b.member_sum[node][d] - b.applied[node][d];
    Vector3 rf{}, rm{};
    for (std::size_t d = 0; d < 3; ++d) {
      rf[d] = b.held[node][d] ? reaction.value[d] : 0.0;
      rm[d] = b.held[node][d + 3] ? reaction.value[d + 3] : 0.0;
    }
    const Vector3 xr = cross(x, rf);
    for (std::size_t d = 0; d < 3; ++d) {
      q.reaction_force[d] += rf[d];
      q.reaction_moment[d] += rm[d] + xr[d];
    }
    force_scale += norm(rf);
    moment_scale += norm(rm) + norm(x) * norm(rf);
    r.reactions.push_back(reaction);
  }
  for (std::size_t d = 0; d < 3; ++d) q.applied_moment[d] += b.p_delta_moment[d];
  moment_scale += norm(b.p_delta_moment);
  for (std::size_t d = 0; d < 3; ++d) {
    q.force_residual[d] = q.applied_force[d] + q.reaction_force[d];
    q.moment_residual[d] = q.applied_moment[d] + q.reaction_moment[d];
  }
  q.relative_force_residual = force_scale > 0.0 ? norm(q.force_residual) / force_scale : 0.0;
  q.relative_moment_residual = moment_scale > 0.0 ? norm(q.moment_residual) / moment_scale : 0.0;
  check_reactions(model, nodes, r);

  // A load in a free direction that the members do not carry: a mechanism
  // whose equations the assembly gave a unit pivot, or a near-singular system.
  double worst = 0.0;
  std::size_t worst_node = 0, worst_dof = 0;
  for (std::size_t node = 0; node < n; ++node)
    for (std::size_t d = 0; d < 6; ++d) {
      if (b.held[node][d]) continue;
      const double scale = d < 3 ? force_scale : moment_scale;
      const double relative = std::abs(b.member_sum[node][d] - b.applied[node][d]) / std::max(scale, 1e-300);
      // An overflowed sum is the worst there is, and the first one is named.
      if (relative > worst || (!std::isfinite(relative) && std::isfinite(worst))) {
        worst = std::isfinite(relative) ? relative : std::numeric_limits<double>::infinity();
        worst_node = node;
        worst_dof = d;
      }
    }
  if (worst > k_equilibrium_tolerance) {
    const Point3& p = nodes[worst_node];
    throw AnalysisError(fmt::format(
        "{}: load case \"{}\": the frame is a mechanism or its system is singular: node {} at "
        "[{}, {}, {}] is not in equilibrium in direction {} (the members carry {:.6g} of the "
        "applied {:.6g}); check supports and releases there",
        model.source_file, c.name, worst_node + 1, p.x, p.y, p.z, k_dof_names[worst_dof],
        b.member_sum[worst_node][worst_dof], b.applied[worst_node][worst_dof]),
        static_cast<std::int32_t>(worst_node + 1));
  }
  if (q.relative_force_residual > k_equilibrium_tolerance ||
      q.relative_moment_residual > k_equilibrium_tolerance)
    throw AnalysisError(fmt::format(
        "{}: load case \"{}\": the reactions do not balance the loads (relative residual {:.3g} "
        "in forces, {:.3g} in moments): the system is singular or ill-conditioned",
        model.source_file, c.name, q.relative_force_residual, q.relative_moment_residual));
}

}  // namespace zervola::frame
