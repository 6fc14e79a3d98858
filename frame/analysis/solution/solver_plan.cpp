#include "analysis/solution/solver_plan.hpp"

#include <fmt/format.h>

#include <span>

#include "zervola/frame/errors.hpp"
#include "zervola/frame/store_size.hpp"

#include "analysis/ordering/nested_dissection.hpp"
#include "analysis/ordering/thread_runner.hpp"
#include "global/profile_builder.hpp"
#include "global/supernodal/node_block_matrix.hpp"
#include "global/supernodal/supernodal_factor.hpp"
#include "global/supernodal/supernode_partition.hpp"
#include "global/vector_path.hpp"

namespace zervola::frame {

namespace {

// What the skyline costs: its work, sum of h^2 + h over the columns below
// the diagonals (the same count as the supernodal factor's), and its
// store, counted in 64 bits on the pairs as the profile ordered them.
void count_skyline(const FrameArrays& arrays, const SystemShape& shape, SolverSummary& s) {
  const global::SkylineCount count = global::count_skyline(
      Table1<const HostInt>(arrays.element_nodes.data(), 2, arrays.n_elements), shape.n_nodes);
  s.skyline_flops = count.flops;
  s.skyline_bytes = static_cast<double>(count.entries) * static_cast<double>(sizeof(double));
  s.skyline_addressable = shape.n_equations == 0 || shape.profile_length > 0;
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

void check_chosen_store(const Model& model, const Mesh& mesh, const SolverPlan& plan,
                        const MemoryBound& memory) {
  if (plan.summary.used == SolverChoice::supernodal) {
    const SolverSummary& s = plan.summary;
    check_factor_fits(model, s.supernodal_bytes + plan.working_bytes,
                      fmt::format("the supernodal factor of the stiffness matrix, {:.3g} MB, and "
                                  "its working stores on {} thread{}, {:.3g} MB",
                                  s.supernodal_bytes / 1.0e6, plan.threads, plan.threads == 1 ? "" : "s",
                                  plan.working_bytes / 1.0e6),
                      mesh.n_nodes, memory);
    return;
  }
  if (!plan.summary.skyline_addressable)
    throw AnalysisError(fmt::format(
        "{}: the skyline solver cannot solve this model of {} nodes: its store of {:.0f} entries "
        "would exceed the library's {}; leave the choice of solver automatic or ask for the "
        "supernodal solver, which needs a factor of no such size",
        model.source_file, mesh.n_nodes, plan.summary.skyline_bytes / sizeof(double),
        k_largest_profile));
  check_store_fits(model, mesh.profile_length, mesh.n_nodes, memory);
}

SolverPlan plan_solver(const FrameArrays& arrays, const SystemShape& shape, SolverChoice requested,
                       int threads, const FitsMemory& fits) {
  SolverPlan plan;
  plan.threads = threads > 0 ? threads : available_processors();
  plan.summary.forced = requested != SolverChoice::automatic;
  count_skyline(arrays, shape, plan.summary);
  plan.summary.used = SolverChoice::skyline;
  const bool addressable = plan.summary.skyline_addressable;
  plan.summary.skyline_fits_memory = !fits || fits(plan.summary.skyline_bytes);
  if (requested == SolverChoice::skyline ||
      (requested == SolverChoice::automatic && addressable && plan.summary.skyline_fits_memory &&
       shape.n_nodes < k_supernodal_least_nodes))
    return plan;
  namespace sn = global::supernodal;
  const sn::NodeGraph graph = sn::node_graph(
      shape.n_nodes, std::span<const std::int32_t>(arrays.element_nodes.data(),
                                                    2 * static_cast<std::size_t>(arrays.n_elements)));
  plan.order = nested_dissection(graph);
  plan.summary.dissected = shape.n_nodes >= k_dissected_nodes && !graph.neighbour.empty();
  const sn::SupernodePartition partition = sn::partition_supernodes(graph, plan.order);
  const sn::FactorCost cost = sn::factor_cost(partition);
  plan.summary.supernodal_flops = cost.flops;
  plan.summary.supernodal_bytes = static_cast<double>(cost.entries) * static_cast<double>(sizeof(double));
  // The node blocks: a diagonal block per node and one per pair of nodes
  // an element joins. What is reported is on one thread, so that outputs
  // do not depend on the machine; the memory is checked for the threads
  // that will run.
  const double blocks = static_cast<double>(shape.n_nodes) + static_cast<double>(graph.neighbour.size()) / 2.0;
  const auto working_bytes = [&](Index workers) {
    return (blocks * static_cast<double>(sn::k_block_entries) +
            static_cast<double>(sn::working_entries(partition, workers))) *
           static_cast<double>(sizeof(double));
  };
  plan.summary.supernodal_working_bytes = working_bytes(1);
  plan.working_bytes = working_bytes(plan.threads);
  // Asked for; or cheaper in work, and no more memory than the skyline's
  // store; or the only one of the two that the library can address, or
  // that fits the memory.
  const bool cheaper = plan.summary.supernodal_flops <= k_supernodal_work_share * plan.summary.skyline_flops &&
                       plan.summary.supernodal_bytes <= plan.summary.skyline_bytes;
  const bool only_fitting = !plan.summary.skyline_fits_memory &&
                            (!fits || fits(plan.summary.supernodal_bytes + plan.working_bytes));
  if (requested == SolverChoice::supernodal || cheaper || !addressable || only_fitting) {
    plan.summary.used = SolverChoice::supernodal;
  } else {
    plan.order.clear();
  }
  return plan;
}

}  // namespace zervola::frame
