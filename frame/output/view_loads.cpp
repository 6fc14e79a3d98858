#include "output/view_loads.hpp"

#include <algorithm>
#include <cmath>

#include "reading/member_load_checks.hpp"

namespace zervola::frame {
namespace {

// v in local axes of member geometry g, in global components.
Vector3 to_global(const MemberGeometry& g, const Vector3& v) {
  Vector3 out{};
  for (std::size_t k = 0; k < 3; ++k)
    out[k] = g.axes[0][k] * v[0] + g.axes[1][k] * v[1] + g.axes[2][k] * v[2];
  return out;
}

// A member load's value in global components per unit length of the
// member: a projected load scaled by the sine of the member's angle with
// each axis, as the analysis takes it.
Vector3 global_value(const MemberGeometry& g, LoadAxes axes, const Vector3& v) {
  switch (axes) {
    case LoadAxes::local: return to_global(g, v);
    case LoadAxes::global: return v;
    case LoadAxes::global_projected: {
      Vector3 out{};
      for (std::size_t k = 0; k < 3; ++k) {
        const double c = g.axes[0][k];
        out[k] = v[k] * std::sqrt(std::max(0.0, 1.0 - c * c));
      }
      return out;
    }
  }
  return v;
}

void append(std::vector<double>& to, std::initializer_list<double> values) {
  to.insert(to.end(), values.begin(), values.end());
}

void add_distributed(ViewLoads& out, std::size_t member, double x1, double x2, const Vector3& q1,
                     const Vector3& q2) {
  append(out.distributed, {static_cast<double>(member), x1, x2, q1[0], q1[1], q1[2], q2[0], q2[1], q2[2]});
}

// Load case c's loads, each value times factor.
void add_case(ViewLoads& out, const Model& model, const AnalysisResult& r, const LoadCase& c,
              const MemberIndex& index, double factor) {
  const auto scaled = [&](const Vector3& v) { return Vector3{factor * v[0], factor * v[1], factor * v[2]}; };
  for (const NodalLoad& l : c.loads) {
    const Vector3 f = scaled(l.force), m = scaled(l.moment);
    if (l.force != Vector3{}) append(out.forces, {l.at.x, l.at.y, l.at.z, f[0], f[1], f[2]});
    if (l.moment != Vector3{}) append(out.moments, {l.at.x, l.at.y, l.at.z, m[0], m[1], m[2]});
  }
  for (const MemberLoad& l : c.member_loads) {
    const std::size_t e = member_of(index, l);
    const MemberGeometry& g = r.members[e];
    switch (l.kind) {
      case MemberLoadKind::distributed: {
        const Span s = distributed_span(l, g.length);
        if (s.end > s.start)
          add_distributed(out, e, s.start, s.end, scaled(global_value(g, l.axes, l.start_value)),
                          scaled(global_value(g, l.axes, l.end_value)));
        break;
      }
      case MemberLoadKind::force:
      case MemberLoadKind::moment: {
        const double x = place_on(l, "position", l.position, g.length);
        const Point3& start = r.nodes[static_cast<std::size_t>(g.start_node - 1)];
        const Vector3 v = scaled(global_value(g, l.axes, l.start_value));
        append(l.kind == MemberLoadKind::force ? out.forces : out.moments,
               {start.x + x * g.axes[0][0], start.y + x * g.axes[0][1], start.z + x * g.axes[0][2],
                v[0], v[1], v[2]});
        break;
      }
      case MemberLoadKind::temperature: break;  // not drawn
    }
  }
  if (c.gravity) {
    const Vector3 g = scaled(*c.gravity);
    for (std::size_t e = 0; e < model.members.size(); ++e) {
      const Section& s = section_of(model, model.members[e]);
      const double weight = s.density.value_or(0.0) * s.area;
      if (weight == 0.0) continue;
      const Vector3 q{weight * g[0], weight * g[1], weight * g[2]};
      add_distributed(out, e, 0.0, r.members[e].length, q, q);
    }
  }
}

}  // namespace

ViewLoads set_view_loads(const Model& model, const AnalysisResult& r, const LoadSet& set) {
  ViewLoads out;
  // Names looked up only where a case has member loads: a large model's
  // index costs more than its few loads.
  const bool member_loads = std::any_of(set.factors.begin(), set.factors.end(), [&](const auto& f) {
    return !model.load_cases[f.first].member_loads.empty();
  });
  const MemberIndex index = member_loads ? member_index(model) : MemberIndex{};
  for (const auto& [load_case, factor] : set.factors)
    add_case(out, model, r, model.load_cases[load_case], index, factor);
  return out;
}

}  // namespace zervola::frame
