#include "analysis/stability/second_order.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>

#include "analysis/loads/member_loads.hpp"
#include "analysis/solution/case_recovery.hpp"
#include "analysis/solution/load_case_solver.hpp"
#include "analysis/stability/linear_buckling.hpp"
#include "zervola/frame/errors.hpp"
#include "zervola/frame/placement.hpp"

namespace zervola::frame {

namespace {

using Size = std::size_t;

Size vertical_axis(const Model& model) { return model.frame == FrameKind::space ? 2 : 1; }

bool same_point(const Point3& a, const Point3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

void add_scaled(LoadCase& to, const LoadCase& from, double factor) {
  for (NodalLoad l : from.loads) {
    for (double& v : l.force) v *= factor;
    for (double& v : l.moment) v *= factor;
    to.loads.push_back(std::move(l));
  }
  for (MemberLoad l : from.member_loads) {
    for (double& v : l.start_value) v *= factor;
    for (double& v : l.end_value) v *= factor;
    l.uniform_change *= factor;
    l.difference_y *= factor;
    l.difference_z *= factor;
    to.member_loads.push_back(std::move(l));
  }
  if (from.gravity) {
    Vector3 g = to.gravity.value_or(Vector3{});
    for (Size d = 0; d < 3; ++d) g[d] += factor * (*from.gravity)[d];
    to.gravity = g;
  }
}

// The prescribed values of the supports under the combination: per
// support and restrained direction, the factors times each case's value (its
// settlement there, else the support's own value); a settlement wherever
// that differs from the support's own value.
void combine_settlements(const Model& model, const Combination& k, LoadCase& to) {
  for (const Support& s : model.supports) {
    SupportDisplacement combined;
    combined.at = s.at;
    combined.origin = k.origin;
    bool differs = false;
    for (Size d = 0; d < 6; ++d) {
      if (!s.restrained[d]) continue;
      double value = 0.0;
      for (const auto& [name, factor] : k.factors) {
        // A lambda may not capture a structured binding before C++20's
        // compilers all allow it: name it first.
        const std::string& case_name = name;
        const LoadCase& c = *std::find_if(model.load_cases.begin(), model.load_cases.end(),
                                          [&](const LoadCase& x) { return x.name == case_name; });
        double v = s.prescribed[d];
        for (const SupportDisplacement& sd : c.support_displacements)
          if (same_point(sd.at, s.at) && sd.given[d]) v = sd.value[d];
        value += factor * v;
      }
      if (value != s.prescribed[d]) {
        combined.given[d] = true;
        combined.value[d] = value;
        differs = true;
      }
    }
    if (differs) to.support_displacements.push_back(combined);
  }
}

double largest_translation(const CaseResult& r, int& node) {
  double largest = -1.0;
  for (Size n = 0; n < r.displacements.size(); ++n) {
    const auto& u = r.displacements[n];
    const double t = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
    if (t > largest) {
      largest = t;
      node = static_cast<int>(n + 1);
    }
  }
  return std::max(largest, 0.0);
}

struct SetState {
  std::vector<double> u;
  CaseResult result;
  std::vector<double> axial;
};

}  // namespace

LoadCase combined_case(const Model& model, const Mesh& mesh,
                       const std::vector<MemberGeometry>& members, const std::string& set,
                       double& imperfection_force) {
  LoadCase c;
  std::optional<SwayImperfection> imperfection;
  const auto found = std::find_if(model.load_cases.begin(), model.load_cases.end(),
                                  [&](const LoadCase& x) { return x.name == set; });
  if (found != model.load_cases.end()) {
    c = *found;
    imperfection = found->imperfection;
  } else {
    const Combination& k = *std::find_if(model.combinations.begin(), model.combinations.end(),
                                         [&](const Combination& x) { return x.name == set; });
    c.name = k.name;
    c.origin = k.origin;
    c.second_order = true;
    imperfection = k.imperfection;
    for (const auto& [name, factor] : k.factors) {
      const std::string& case_name = name;
      add_scaled(c, *std::find_if(model.load_cases.begin(), model.load_cases.end(),
                                  [&](const LoadCase& x) { return x.name == case_name; }),
                 factor);
    }
    combine_settlements(model, k, c);
  }
  c.self_weight = false;
  imperfection_force = 0.0;
  if (!imperfection) return c;
  // phi times the vertical load at each loaded node: nodal loads, and the
  // member loads (self-weight included) as their equivalent nodal loads.
  Model one = model;
  one.load_cases = {c};
  const MemberLoading loading = prepare_member_loads(one, members, mesh.nodes.size());
  const Size down = vertical_axis(model);
  std::vector<double> vertical_load(mesh.nodes.size(), 0.0);
  for (Size n = 0; n < mesh.nodes.size(); ++n) vertical_load[n] = -loading.nodal[0][n][down];
  std::vector<NodalLoad> horizontal;
  for (const NodalLoad& l : c.loads) {
    NodalLoad h;
    h.at = l.at;
    h.force[static_cast<Size>(imperfection->direction)] = imperfection->phi * -l.force[down];
    h.origin = imperfection->origin;
    if (h.force != Vector3{}) horizontal.push_back(h);
  }
  for (Size n = 0; n < mesh.nodes.size(); ++n) {
    if (vertical_load[n] == 0.0) continue;
    NodalLoad h;
    h.at = mesh.nodes[n];
    h.force[static_cast<Size>(imperfection->direction)] = imperfection->phi * vertical_load[n];
    h.origin = imperfection->origin;
    horizontal.push_back(h);
  }
  for (NodalLoad& h : horizontal) {
    imperfection_force += h.force[static_cast<Size>(imperfection->direction)];
    c.loads.push_back(std::move(h));
  }
  return c;
}

std::vector<SecondOrderSet> second_order(const Model& model, const Mesh& mesh,
                                         const std::vector<Transform>& transforms,
                                         AnalysisResult& result, Progress& progress,
                                         const SolverPlan* plan) {
  std::vector<std::pair<std::string, bool>> sets;
  for (const LoadCase& c : model.load_cases)
    if (c.second_order) sets.emplace_back(c.name, false);
  for (const Combination& c : model.combinations)
    if (c.second_order) sets.emplace_back(c.name, true);
  std::vector<SecondOrderSet> out;
  std::vector<CaseResult> replaced;
  const SystemShape shape{mesh.n_nodes, mesh.n_equations, &mesh.diag_address, mesh.profile_length,
                          mesh.max_column_height};
  for (const auto& [set_name, is_combination] : sets) {
    const std::string& name = set_name;  // captured by the lambdas below
    progress.stage(fmt::format("second-order analysis of \"{}\"", name));
    SecondOrderSet s;
    s.set = name;
    s.combination = is_combination;
    Model one = model;
    one.load_cases = {combined_case(model, mesh, result.members, name, s.imperfection_force)};
    one.combinations.clear();
    one.envelopes.clear();
    const Placement placement = place_on_nodes(one, mesh.nodes, mesh.library_node);
    MemberLoading loading = prepare_member_loads(one, result.members, mesh.nodes.size());
    const std::vector<std::vector<double>> records = case_records(one, mesh, placement, loading);
    Progress silent;
    const auto solve = [&](const std::vector<double>* axial) {
      LoadCaseSolution solution = axial == nullptr
                                      ? solve_load_cases(mesh.arrays, shape, records, plan)
                                      : solve_load_cases(mesh.arrays, shape, records, *axial, plan);
      if (solution.outcome == SolveOutcome::out_of_memory)
        throw AnalysisError(fmt::format("{}: out of memory for the second-order analysis of \"{}\"",
                                        model.source_file, printable_text(name)));
      if (solution.outcome == SolveOutcome::refused)
        throw AnalysisError(fmt::format("{}: second-order analysis of \"{}\": the library refused "
                                        "the system: {}",
                                        model.source_file, printable_text(name), solution.reason));
      if (axial != nullptr)
        for (Size j = 0; j < solution.pivot.size(); ++j)
          if (!solution.prescribed[j] && !(solution.pivot[j] > 0.0))
            throw AnalysisError(fmt::format(
                "{}: second-order analysis of \"{}\": the tangent stiffness K + Kg(N) is no longer "
                "positive definite: the frame buckles under these loads",
                model.source_file, printable_text(name)));
      SetState state;
      state.u = std::move(solution.displacements);
      state.result = recover_case(one, mesh, placement, 0, loading, result.members, transforms,
                                  state.u, silent, axial);
      state.axial = member_axial_forces(state.result);
      return state;
    };
    SetState previous = solve(nullptr);
    int first_node = 0;
    s.first_order_displacement = largest_translation(previous.result, first_node);
    const Vector3 plain_moment = previous.result.equilibrium.applied_moment;
    const global::BucklingResult b = critical_factors(one, mesh, placement, previous.axial, 1, name, plan);
    s.compression = b.outcome == global::BucklingOutcome::solved && !b.alphas.empty();
    s.critical_factor = s.compression ? b.alphas.front() : 0.0;
    if (s.compression && s.critical_factor <= 1.0)
      throw AnalysisError(fmt::format(
          "{}: second-order analysis of \"{}\": its critical load factor alpha_cr = {:.4g} is not "
          "above 1: the frame buckles under these loads; nothing to analyse in second order",
          model.source_file, printable_text(name), s.critical_factor));
    bool settled = false;
    for (int iteration = 1; iteration <= k_second_order_iterations; ++iteration) {
      SetState next = solve(&previous.axial);
      double largest = 0.0, change = 0.0;
      for (Size i = 0; i < next.u.size(); ++i) {
        largest = std::max(largest, std::fabs(next.u[i]));
        change = std::max(change, std::fabs(next.u[i] - previous.u[i]));
      }
      s.iterations = iteration;
      s.change = largest > 0.0 ? change / largest : 0.0;
      previous = std::move(next);
      if (s.change < k_second_order_tolerance) {
        settled = true;
        break;
      }
    }
    if (!settled)
      throw AnalysisError(fmt::format(
          "{}: second-order analysis of \"{}\": the displacements still change by {:.3g} "
          "(relative) after {} iterations, above {:.0e}: the set is close to buckling (alpha_cr "
          "{:.4g}) or the iteration diverges",
          model.source_file, printable_text(name), s.change, k_second_order_iterations,
          k_second_order_tolerance, s.critical_factor));
    s.second_order_displacement = largest_translation(previous.result, s.node);
    s.amplification = s.first_order_displacement > 0.0
                          ? s.second_order_displacement / s.first_order_displacement
                          : 1.0;
    const auto& imperfection = one.load_cases.front().imperfection;
    if (is_combination) {
      const auto k = std::find_if(model.combinations.begin(), model.combinations.end(),
                                  [&](const Combination& x) { return x.name == name; });
      if (k->imperfection) {
        s.imperfection = true;
        s.imperfection_direction = k->imperfection->direction;
        s.imperfection_phi = k->imperfection->phi;
      }
    } else if (imperfection) {
      s.imperfection = true;
      s.imperfection_direction = imperfection->direction;
      s.imperfection_phi = imperfection->phi;
    }
    std::vector<CaseResult> named = {std::move(previous.result)};
    name_supports(one, mesh, placement, named);
    for (Size d = 0; d < 3; ++d)
      s.p_delta_moment[d] = named.front().equilibrium.applied_moment[d] - plain_moment[d];
    replaced.push_back(std::move(named.front()));
    out.push_back(std::move(s));
  }
  for (Size k = 0; k < out.size(); ++k) {
    std::vector<CaseResult>& list = out[k].combination ? result.combinations : result.cases;
    for (CaseResult& r : list)
      if (r.name == out[k].set) r = std::move(replaced[k]);
  }
  return out;
}

}  // namespace zervola::frame
