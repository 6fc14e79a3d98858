#include "analysis/solution/result_check.hpp"

#include <fmt/format.h>

#include <cmath>

#include "zervola/frame/errors.hpp"

namespace zervola::frame {
namespace {

// End-force components of one end, in the member's local axes.
constexpr std::array<const char*, 6> k_end_force_names = {"N", "Vy", "Vz", "T", "My", "Mz"};

std::string where(const std::vector<Point3>& nodes, std::int32_t node) {
  const Point3& p = nodes[static_cast<std::size_t>(node - 1)];
  return fmt::format("node {} at [{}, {}, {}]", node, p.x, p.y, p.z);
}

[[noreturn]] void fail(const Model& model, const CaseResult& r, SetKind kind, const std::string& what,
                       double value) {
  throw AnalysisError(fmt::format(
      "{}: {} \"{}\": {} is {}: the results overflow the range of a double (an "
      "enormous load, factor, temperature change or section value, or a mechanism); nothing is "
      "written",
      model.source_file, kind == SetKind::combination ? "combination" : "load case", r.name, what,
      value));
}

}  // namespace

void check_member_results(const Model& model, const std::vector<Point3>& nodes,
                          const std::vector<MemberGeometry>& members, const CaseResult& r,
                          SetKind kind) {
  for (std::size_t n = 0; n < r.displacements.size(); ++n)
    for (std::size_t d = 0; d < 6; ++d)
      if (!std::isfinite(r.displacements[n][d]))
        fail(model, r, kind,
             fmt::format("the displacement {} of {}", k_dof_names[d],
                         where(nodes, static_cast<std::int32_t>(n + 1))),
             r.displacements[n][d]);
  for (std::size_t e = 0; e < r.end_forces.size(); ++e) {
    const Member& m = model.members[e];
    for (std::size_t k = 0; k < 12; ++k) {
      if (std::isfinite(r.end_forces[e][k])) continue;
      const bool start = k < 6;
      fail(model, r, kind,
           fmt::format("the end force {} of {} at its {} {}",
                       k_end_force_names[k % 6], m.origin.place, start ? "start" : "end",
                       where(nodes, start ? members[e].start_node : members[e].end_node)),
           r.end_forces[e][k]);
    }
    for (const double s : {r.stress_max[e], r.stress_min[e]})
      if (!std::isfinite(s))
        fail(model, r, kind, fmt::format("an extreme stress of {}", m.origin.place),
             s);
  }
}

void check_reactions(const Model& model, const std::vector<Point3>& nodes, const CaseResult& r,
                     SetKind kind) {
  for (const Reaction& x : r.reactions)
    for (std::size_t d = 0; d < 6; ++d)
      if (!std::isfinite(x.value[d]))
        fail(model, r, kind, fmt::format("the reaction {} of {}", k_dof_names[d], where(nodes, x.node)),
             x.value[d]);
  const Equilibrium& q = r.equilibrium;
  for (std::size_t d = 0; d < 3; ++d) {
    const std::array<std::pair<const char*, double>, 4> sums = {{
        {"the sum of the applied forces", q.applied_force[d]},
        {"the sum of the applied moments", q.applied_moment[d]},
        {"the sum of the reaction forces", q.reaction_force[d]},
        {"the sum of the reaction moments", q.reaction_moment[d]},
    }};
    for (const auto& [what, value] : sums)
      if (!std::isfinite(value)) fail(model, r, kind, fmt::format("{} along {}", what, "xyz"[d]), value);
  }
  if (!std::isfinite(q.relative_force_residual) || !std::isfinite(q.relative_moment_residual))
    fail(model, r, kind, "the equilibrium residual", q.relative_force_residual);
}

}  // namespace zervola::frame
