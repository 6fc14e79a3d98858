#include "analysis/solution/solver_plan.hpp"

#include <fmt/format.h>

#include <span>

#include "analysis/ordering/nested_dissection.hpp"
#include "analysis/ordering/thread_runner.hpp"
#include "global/supernodal/supernode_partition.hpp"
#include "global/vector_path.hpp"

namespace zervola::frame {

namespace {

// What the skyline costs: its work, sum of h^2 + h over the columns (the
// same count as the supernodal factor's), and its store.
void count_skyline(const SystemShape& shape, SolverSummary& s) {
  const std::vector<std::int32_t>& diag = *shape.diag_address;
  std::int32_t previous = 0;
  for (const std::int32_t d : diag) {
    const auto below = static_cast<double>(d - previous - 1);
    s.skyline_flops += below * below + below;
    previous = d;
  }
  s.skyline_bytes = static_cast<double>(shape.profile_length) * static_cast<double>(sizeof(double));
}

}  // namespace

SupernodalChoice::SupernodalChoice(const SolverPlan* plan)
    : runner_(plan != nullptr ? plan->threads : 1),
      used_(plan != nullptr && plan->summary.used == SolverChoice::supernodal) {
  if (!used_) return;
  setup_.order = plan->order;
  setup_.runner = &runner_;
  setup_.path = global::best_vector_path();
}

std::string factor_store_text(const SolverPlan* plan, std::int32_t profile_length) {
  if (plan != nullptr && plan->summary.used == SolverChoice::supernodal)
    return fmt::format("a supernodal factor of {:.3g} MB", plan->summary.supernodal_bytes / 1.0e6);
  return fmt::format("a skyline store of {} entries", profile_length);
}

SolverPlan plan_solver(const FrameArrays& arrays, const SystemShape& shape, SolverChoice requested,
                       int threads) {
  SolverPlan plan;
  plan.threads = threads > 0 ? threads : available_processors();
  plan.summary.forced = requested != SolverChoice::automatic;
  count_skyline(shape, plan.summary);
  plan.summary.used = SolverChoice::skyline;
  if (requested == SolverChoice::skyline ||
      (requested == SolverChoice::automatic && shape.n_nodes < k_supernodal_least_nodes))
    return plan;
  namespace sn = global::supernodal;
  const sn::NodeGraph graph = sn::node_graph(
      shape.n_nodes, std::span<const std::int32_t>(arrays.element_nodes.data(),
                                                    2 * static_cast<std::size_t>(arrays.n_elements)));
  plan.order = nested_dissection(graph);
  plan.summary.dissected = shape.n_nodes >= k_dissected_nodes && !graph.neighbour.empty();
  const sn::FactorCost cost = sn::factor_cost(sn::partition_supernodes(graph, plan.order));
  plan.summary.supernodal_flops = cost.flops;
  plan.summary.supernodal_bytes = static_cast<double>(cost.entries) * static_cast<double>(sizeof(double));
  // Cheaper in work, and no more memory than the skyline's store.
  const bool cheaper = plan.summary.supernodal_flops <= k_supernodal_work_share * plan.summary.skyline_flops &&
                       plan.summary.supernodal_bytes <= plan.summary.skyline_bytes;
  if (requested == SolverChoice::supernodal || cheaper) {
    plan.summary.used = SolverChoice::supernodal;
  } else {
    plan.order.clear();
  }
  return plan;
}

}  // namespace zervola::frame
