#include "analysis/stability/linear_buckling.hpp"

#include "analysis/solution/solver_plan.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "analysis/shape_sign.hpp"
#include "analysis/solution/load_case_solver.hpp"
#include "analysis/solution/mechanism_check.hpp"
#include "zervola/frame/errors.hpp"
#include "zervola/frame/library_arrays.hpp"

namespace zervola::frame {

namespace {

using Size = std::size_t;

const CaseResult& set_result(const Model& model, const AnalysisResult& result,
                             const std::string& name, bool& combination) {
  for (Size c = 0; c < model.load_cases.size(); ++c)
    if (model.load_cases[c].name == name) {
      combination = false;
      return result.cases[c];
    }
  for (Size c = 0; c < model.combinations.size(); ++c)
    if (model.combinations[c].name == name) {
      combination = true;
      return result.combinations[c];
    }
  throw InputError(fmt::format("{}: buckling: field \"sets\": no load case or combination is "
                               "named \"{}\"",
                               model.source_file, printable_text(name)));
}

}  // namespace

std::vector<double> member_axial_forces(const CaseResult& set) {
  std::vector<double> n;
  n.reserve(set.end_forces.size());
  for (const auto& f : set.end_forces) n.push_back(0.5 * (f[0] + f[6]));
  return n;
}

global::BucklingResult critical_factors(const Model& model, const Mesh& mesh,
                                        const Placement& placement,
                                        const std::vector<double>& axial_force, int modes,
                                        const std::string& set, const SolverPlan* plan) {
  const std::vector<double> records = build_support_records(model, placement);
  const global::NodeRecordTable table(records.data(),
                                      static_cast<Index>(records.size() / k_record_size) - 1);
  const SystemShape shape{mesh.n_nodes, mesh.n_equations, &mesh.diag_address, mesh.profile_length,
                          mesh.max_column_height};
  const global::FrameAnalysis frame = frame_analysis(mesh.arrays, shape, table);
  global::BucklingRequest request;
  request.modes = modes;
  request.small_pivot_share = k_mechanism_pivot_share;
  request.most_shapes = k_mechanism_shapes;
  global::BucklingResult b;
  const SupernodalChoice choice(plan);
  const global::Status status = global::linear_buckling(
      frame, Vector1<const double>(axial_force.data(), static_cast<Index>(axial_force.size())),
      request, b, choice.setup());
  if (status.outcome == global::Outcome::out_of_memory)
    throw AnalysisError(fmt::format("{}: out of memory for the buckling of \"{}\": {} and the "
                                    "eigensolver's vectors",
                                    model.source_file, printable_text(set),
                                    factor_store_text(plan, mesh.profile_length)));
  if (!status.ok())
    throw AnalysisError(fmt::format("{}: the library refused the buckling of \"{}\" (outcome {}, "
                                    "at {})",
                                    model.source_file, printable_text(set),
                                    static_cast<int>(status.outcome), status.where));
  switch (b.outcome) {
    case global::BucklingOutcome::solved:
    case global::BucklingOutcome::no_compression:
      return b;
    case global::BucklingOutcome::mechanism: {
      const std::vector<Mechanism> found =
          find_mechanisms(b.pivots.without_stiffness, b.pivots.prescribed, b.pivots.diagonal,
                          b.pivots.pivot, b.pivots.shapes, mesh.drawing_node);
      if (!found.empty())
        throw AnalysisError(fmt::format("{} (for the buckling of \"{}\")",
                                        mechanism_message(model, mesh.nodes, found),
                                        printable_text(set)),
                            found.front().node);
      throw AnalysisError(fmt::format("{}: buckling of \"{}\": the frame can move without strain",
                                      model.source_file, printable_text(set)));
    }
    case global::BucklingOutcome::not_converged:
      throw AnalysisError(fmt::format(
          "{}: buckling of \"{}\": the eigensolver did not converge on the {} lowest critical "
          "factors within a basis of {} vectors: ask for fewer, or report this model",
          model.source_file, printable_text(set), modes, b.basis_size));
    case global::BucklingOutcome::modes_missed:
      throw AnalysisError(fmt::format(
          "{}: buckling of \"{}\": the Sturm check counts {} critical factors below {} and the "
          "eigensolver found {} after {} searches: the factors are not trusted; report this model",
          model.source_file, printable_text(set), b.sturm_count, b.sturm_shift,
          b.found_below_sturm_shift, b.searches));
  }
  throw AnalysisError(fmt::format("{}: buckling of \"{}\" failed", model.source_file,
                                  printable_text(set)));
}

std::vector<BucklingSet> linear_buckling(const Model& model, const Mesh& mesh,
                                         const Placement& placement, const AnalysisResult& result,
                                         const SolverPlan* plan) {
  std::vector<BucklingSet> sets;
  if (!model.buckling) return sets;
  const auto n = static_cast<Size>(mesh.n_equations);
  for (const std::string& name : model.buckling->sets) {
    const auto start = std::chrono::steady_clock::now();
    BucklingSet s;
    s.set = name;
    const CaseResult& first_order = set_result(model, result, name, s.combination);
    const std::vector<double> axial = member_axial_forces(first_order);
    global::BucklingResult b =
        critical_factors(model, mesh, placement, axial, model.buckling->modes, name, plan);
    s.compression = b.outcome == global::BucklingOutcome::solved && !b.alphas.empty();
    s.sturm_shift = b.sturm_shift;
    s.sturm_count = static_cast<int>(b.sturm_count);
    s.found_below = static_cast<int>(b.found_below_sturm_shift);
    s.basis_size = static_cast<int>(b.basis_size);
    s.factorisations = static_cast<int>(b.factorisations);
    for (Size k = 0; k < b.alphas.size(); ++k) {
      BucklingMode mode;
      mode.number = static_cast<int>(k + 1);
      mode.factor = b.alphas[k];
      double* phi = b.shapes.data() + k * n;
      orient_shape(phi, n);
      mode.shape.reserve(mesh.nodes.size());
      double largest = 0.0;
      for (Size node = 0; node < mesh.nodes.size(); ++node) {
        const auto first = static_cast<Size>(6 * (mesh.library_node[node] - 1));
        std::array<double, 6> u{};
        for (Size q = 0; q < 6; ++q) u[q] = phi[first + q];
        largest = std::max(largest, std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]));
        mode.shape.push_back(u);
      }
      mode.drawing_scale = largest > 0.0 ? 1.0 / largest : 1.0;
      s.modes.push_back(std::move(mode));
    }
    for (Size e = 0; e < axial.size(); ++e) {
      const int code = mesh.arrays.section_codes[e];
      if (!(axial[e] > 0.0) || code <= 0) continue;
      const Section& section = model.sections[static_cast<Size>(code - 1)];
      BucklingMember m;
      m.member = e;
      m.name = model.members[e].name;
      m.axial_force = axial[e];
      if (!s.modes.empty()) {
        m.critical_force = s.modes.front().factor * axial[e];
        m.buckling_length_y =
            std::numbers::pi * std::sqrt(section.elastic_modulus * section.inertia_y / m.critical_force);
        m.buckling_length_z =
            std::numbers::pi * std::sqrt(section.elastic_modulus * section.inertia_z / m.critical_force);
      }
      s.members.push_back(std::move(m));
    }
    s.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    sets.push_back(std::move(s));
  }
  return sets;
}

}  // namespace zervola::frame
