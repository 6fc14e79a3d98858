// A store that cannot be obtained is a failure that the host sees as quiet
// NaN, never an exception. This program's allocation functions refuse every
// request above a limit, so a large but valid profile cannot be obtained.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

#include "global/assembly.hpp"
#include "zervola.h"

namespace {

// Largest single allocation this program grants, in bytes.
constexpr std::size_t k_allocation_limit = std::size_t{1} << 27;

}  // namespace

void* operator new(std::size_t size) {
  if (size > k_allocation_limit) throw std::bad_alloc();
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

// No elements, 7200 equations, every column full: 25.9 million entries
// (207 MB) in the store, more than the limit grants.
struct FullProfile {
  int32_t n_nodes = 1200, n_equations = 7200, n_elements = 0, n_records = -1;
  int32_t space_frame = 1, element_frame = 0, profile_length = 0, max_column_height = 7200;
  std::vector<int32_t> diag;
  std::vector<double> u;

  FullProfile() : u(7200, 1.0) {
    int32_t address = 0;
    for (int32_t j = 1; j <= n_equations; ++j) diag.push_back(address += j);
    profile_length = address;
  }
};

TEST(OutOfMemory, StoreThatCannotBeObtainedGivesNaN) {
  FullProfile m;
  ASSERT_GT(static_cast<std::size_t>(m.profile_length) * sizeof(double), k_allocation_limit);
  const double none = 0.0;
  const int32_t no_int = 0;
  MATRIXG(m.u.data(), &none, &none, &none, &none, &none, &none, &none, &no_int, &no_int,
          m.diag.data(), &no_int, &m.space_frame, &none, &m.n_nodes, &m.n_elements,
          &m.profile_length, &m.n_equations, &m.n_records, &m.max_column_height, &m.element_frame);
  for (double v : m.u) ASSERT_TRUE(std::isnan(v));
}

TEST(OutOfMemory, CoreReportsTheMissingStore) {
  FullProfile m;
  const double none = 0.0;
  const zervola::global::FrameAnalysis analysis{
      {},
      {},
      zervola::Vector1<const zervola::HostInt>(m.diag.data(), m.n_equations),
      m.profile_length,
      m.n_nodes,
      m.n_equations,
      zervola::global::Supports{zervola::global::NodeRecordTable(&none, -1), m.max_column_height,
                                zervola::global::FrameMode::space},
      0};
  const zervola::global::Status s =
      zervola::global::analyse(analysis, zervola::Vector1<double>(m.u.data(), m.n_equations));
  EXPECT_EQ(s.outcome, zervola::global::Outcome::out_of_memory);
  EXPECT_EQ(m.u, std::vector<double>(7200, 1.0));
}

}  // namespace
