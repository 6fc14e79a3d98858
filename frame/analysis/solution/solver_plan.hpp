#pragma once

// Which factorisation solves a model's load cases, decided before either
// runs from what each would cost: the skyline's work is the sum of its
// columns' squared heights and its store the profile; the supernodal
// factor's work and entries follow from the symbolic factorisation of the
// node graph in the nested dissection's order. Both are cheap to count.

#include <cstdint>
#include <functional>
#include <vector>

#include <string>

#include "analysis/ordering/thread_runner.hpp"
#include "analysis/solution/load_case_solver.hpp"
#include "global/supernodal/supernodal_load_cases.hpp"
#include "zervola/frame/results.hpp"
#include "zervola/frame/store_size.hpp"

namespace zervola::frame {

// Below this many nodes the skyline is taken without counting the other
// (the nested dissection's ordering would cost more than it saves), unless
// its store does not fit the memory.
inline constexpr std::int32_t k_supernodal_least_nodes = 1000;
// The supernodal solver is taken when it needs at most this share of the
// skyline's operations, and a factor no larger than the skyline's store: per operation it is the slower of the two (its
// fronts are assembled and passed on; the skyline works in place). On the
// 10 x 10 x 10 building it runs at 33 GFLOP/s against the skyline's 55-60
// (AMD EPYC, AVX-512, one thread): it pays below a share of about 0.6.
inline constexpr double k_supernodal_work_share = 0.55;

struct SolverPlan {
  SolverSummary summary;
  std::vector<Index> order;  // supernodal: the library's nodes (0-based) in elimination order
  Index threads = 1;         // of the supernodal factorisation, at least 1
  // What the supernodal solver holds beside its factor on those threads
  // (the summary gives it on one).
  double working_bytes = 0.0;
};

// The core's supernodal setup of a plan that chose the supernodal solver,
// with the host's threads for it; setup() is nullptr for the skyline (or
// without a plan).
class SupernodalChoice {
 public:
  explicit SupernodalChoice(const SolverPlan* plan);
  [[nodiscard]] const global::supernodal::SupernodalSetup* setup() const {
    return used_ ? &setup_ : nullptr;
  }
  SupernodalChoice(const SupernodalChoice&) = delete;
  SupernodalChoice& operator=(const SupernodalChoice&) = delete;

 private:
  ThreadRunner runner_;
  global::supernodal::SupernodalSetup setup_;
  bool used_ = false;
};

// What the chosen factorisation holds, for a message on memory: "a skyline
// store of N entries" or "a supernodal factor of X MB".
[[nodiscard]] std::string factor_store_text(const SolverPlan* plan, std::int32_t profile_length);

// Throws AnalysisError when the chosen factorisation cannot hold the model:
// the skyline beyond the library's 32-bit addresses (only when forced), or
// its store or the supernodal factor, with the results, beyond the memory
// the process may use (check_factor_fits).
// memory: what the process may use, as the plan was made against it.
void check_chosen_store(const Model& model, const Mesh& mesh, const SolverPlan& plan,
                        const MemoryBound& memory);

// Whether a factorisation that holds this many bytes (its factor or
// store and what it works in beside it) fits the memory the analysis may
// use.
using FitsMemory = std::function<bool(double bytes)>;

// arrays, shape: the mesh's library arrays and skyline, as the solution
// takes them; requested: the options' choice; threads: the options' count
// (0 or less: every processor this process may run on); fits: the memory
// test (empty: everything fits). Chosen automatically, the supernodal
// solver is also taken when the skyline's store does not fit and its own
// factor and working stores do. Throws std::bad_alloc, std::runtime_error
// (the ordering).
[[nodiscard]] SolverPlan plan_solver(const FrameArrays& arrays, const SystemShape& shape,
                                     SolverChoice requested, int threads,
                                     const FitsMemory& fits = {});

}  // namespace zervola::frame
