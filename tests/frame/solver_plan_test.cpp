// The choice of factorisation when the skyline's store is beyond the
// library's 32-bit addresses: the supernodal solver is taken at any size,
// the skyline's cost is still counted, and forcing the skyline is an error
// that names the limit, before anything is factorised.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/solution/solver_plan.hpp"
#include "zervola/frame/store_size.hpp"
#include "zervola/frame/errors.hpp"

namespace zervola::frame {
namespace solver_plan_test {

// A chain of n nodes, pairs ascending as the profile step leaves them.
FrameArrays chain(std::int32_t n) {
  FrameArrays a;
  for (std::int32_t k = 1; k < n; ++k) a.element_nodes.insert(a.element_nodes.end(), {k, k + 1});
  a.n_elements = n - 1;
  return a;
}

// The mesh's skyline as ZEBMUK6 leaves it for a chain: node heights 2 but
// the first, so columns of 7 .. 12 (node 1: 1 .. 6).
struct ChainShape {
  std::int32_t n;
  std::vector<std::int32_t> diag;
  std::int32_t profile = 0;
  explicit ChainShape(std::int32_t nodes, bool addressable) : n(nodes), diag(6 * static_cast<std::size_t>(nodes), 0) {
    std::int32_t address = 0;
    for (std::int32_t j = 1; j <= 6 * n; ++j) {
      address += j <= 6 ? j : 7 + (j - 1) % 6;
      if (addressable) diag[static_cast<std::size_t>(j - 1)] = address;
    }
    profile = addressable ? address : 0;
  }
  [[nodiscard]] SystemShape shape() const { return {n, 6 * n, &diag, profile, profile > 0 ? 12 : 0}; }
};

TEST(SolverPlan, ASkylineBeyondTheAddressesGoesToTheSupernodalSolverAtAnySize) {
  const FrameArrays a = chain(20);
  const ChainShape fits(20, true), beyond(20, false);
  // Below 1,000 nodes the skyline is taken uncounted when it fits...
  const SolverPlan small = plan_solver(a, fits.shape(), SolverChoice::automatic, 1);
  EXPECT_EQ(small.summary.used, SolverChoice::skyline);
  EXPECT_TRUE(small.summary.skyline_addressable);
  EXPECT_EQ(small.summary.skyline_bytes, 8.0 * fits.profile);
  // ...and the supernodal solver when it does not, with the same count of
  // the skyline's store, which no address table gave.
  const SolverPlan large = plan_solver(a, beyond.shape(), SolverChoice::automatic, 1);
  EXPECT_EQ(large.summary.used, SolverChoice::supernodal);
  EXPECT_FALSE(large.summary.forced);
  EXPECT_FALSE(large.summary.skyline_addressable);
  EXPECT_EQ(large.summary.skyline_bytes, small.summary.skyline_bytes);
  EXPECT_EQ(large.summary.skyline_flops, small.summary.skyline_flops);
  EXPECT_GT(large.summary.supernodal_bytes, 0.0);
  ASSERT_EQ(large.order.size(), 20U);
}

TEST(SolverPlan, ForcingTheSkylineBeyondItsAddressesIsRefusedBeforeFactorising) {
  const FrameArrays a = chain(20);
  const ChainShape beyond(20, false);
  Model model;
  model.source_file = "tower.json";
  Mesh mesh;
  mesh.n_nodes = 20;
  mesh.n_equations = 120;
  const SolverPlan forced = plan_solver(a, beyond.shape(), SolverChoice::skyline, 1);
  EXPECT_EQ(forced.summary.used, SolverChoice::skyline);
  EXPECT_TRUE(forced.summary.forced);
  try {
    check_chosen_store(model, mesh, forced, usable_memory());
    FAIL() << "a skyline beyond the library's addresses was accepted";
  } catch (const AnalysisError& e) {
    const std::string text = e.what();
    EXPECT_NE(text.find("tower.json: the skyline solver cannot solve this model of 20 nodes"), std::string::npos) << text;
    EXPECT_NE(text.find("2147483647"), std::string::npos) << text;
    EXPECT_NE(text.find("supernodal"), std::string::npos) << text;
  }
  // The supernodal plan of the same frame fits any machine.
  EXPECT_NO_THROW(check_chosen_store(model, mesh, plan_solver(a, beyond.shape(), SolverChoice::automatic, 1), usable_memory()));
}

TEST(SolverPlan, ASkylineStoreBeyondTheMemoryGoesToTheSupernodalSolverWhereItFits) {
  const FrameArrays a = chain(20);
  const ChainShape fits(20, true);
  const SolverPlan roomy = plan_solver(a, fits.shape(), SolverChoice::automatic, 1,
                                       [](double) { return true; });
  EXPECT_EQ(roomy.summary.used, SolverChoice::skyline);
  EXPECT_TRUE(roomy.summary.skyline_fits_memory);
  // A memory that holds anything but the skyline's store: the supernodal
  // solver is counted and taken, below 1,000 nodes and whatever its work.
  const double skyline = roomy.summary.skyline_bytes;
  std::vector<double> asked;
  const SolverPlan tight = plan_solver(a, fits.shape(), SolverChoice::automatic, 1, [&](double bytes) {
    asked.push_back(bytes);
    return bytes != skyline;
  });
  EXPECT_EQ(tight.summary.used, SolverChoice::supernodal);
  EXPECT_FALSE(tight.summary.skyline_fits_memory);
  EXPECT_TRUE(tight.summary.skyline_addressable);
  EXPECT_FALSE(tight.summary.forced);
  ASSERT_EQ(asked.size(), 2U);
  EXPECT_EQ(asked[0], skyline);
  // The supernodal solver's whole need: its factor and what it works in.
  EXPECT_EQ(asked[1], tight.summary.supernodal_bytes + tight.working_bytes);
  EXPECT_GT(tight.working_bytes, 0.0);
  // When neither fits, the skyline stays, for its own message...
  const SolverPlan none = plan_solver(a, fits.shape(), SolverChoice::automatic, 1,
                                      [](double) { return false; });
  EXPECT_EQ(none.summary.used, SolverChoice::skyline);
  EXPECT_FALSE(none.summary.skyline_fits_memory);
  EXPECT_TRUE(none.order.empty());
  // ...and a forced skyline is kept as asked.
  const SolverPlan forced = plan_solver(a, fits.shape(), SolverChoice::skyline, 1,
                                        [&](double bytes) { return bytes != skyline; });
  EXPECT_EQ(forced.summary.used, SolverChoice::skyline);
  EXPECT_TRUE(forced.summary.forced);
}

TEST(SolverPlan, FactorFitsIsTheTestOfTheOutOfMemoryCheck) {
  Model model;
  model.source_file = "block.json";
  const MemoryBound memory{1000, "ulimit -v"};
  // A quarter more than the factor must fit: 800 bytes exactly does.
  EXPECT_TRUE(factor_fits(model, 800.0, 0, memory));
  EXPECT_NO_THROW(check_factor_fits(model, 800.0, "a factor", 0, memory));
  EXPECT_FALSE(factor_fits(model, 800.5, 0, memory));
  EXPECT_THROW(check_factor_fits(model, 800.5, "a factor", 0, memory), AnalysisError);
}

}  // namespace solver_plan_test
}  // namespace zervola::frame
