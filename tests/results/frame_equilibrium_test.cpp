// A space frame of a hundred nodes solved, then taken apart again element by
// element through the exports: at every free node the end forces of the
// elements that meet there, turned into global axes, balance the applied
// load; at the supports they balance load and reaction, and the reactions
// balance the loads of the whole frame.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <random>
#include <vector>

#include "dense_solution.hpp"
#include "zervola.h"

namespace zervola::test {
namespace {

constexpr unsigned k_seed = 77031;

// Storeys of columns along Z, beams along X and Y, pin-ended braces in some
// bays, hinged beam ends, orientation points on some members, fixed and
// pinned bases; nodes numbered in a shuffled order, pairs in either order.
struct SpaceFrame {
  HostFrame f;
  std::vector<bool> base;     // per node
  std::vector<double> loads;  // 6 per node

  SpaceFrame() {
    std::mt19937 rng(k_seed);
    constexpr int nx = 4, ny = 3, nz = 4;
    constexpr double bay_x = 6000.0, bay_y = 5000.0, storey = 3500.0;
    const int n_nodes = (nx + 1) * (ny + 1) * (nz + 1);
    std::vector<int> number(static_cast<std::size_t>(n_nodes));
    std::iota(number.begin(), number.end(), 1);
    std::shuffle(number.begin(), number.end(), rng);
    std::vector<Point3> at(static_cast<std::size_t>(n_nodes));
    auto id = [&](int i, int j, int k) {
      return number[static_cast<std::size_t>((k * (ny + 1) + j) * (nx + 1) + i)];
    };
    std::uniform_real_distribution<double> jitter(-150.0, 150.0);
    for (int k = 0; k <= nz; ++k)
      for (int j = 0; j <= ny; ++j)
        for (int i = 0; i <= nx; ++i) {
          // Upper floors slightly out of line, so that columns lean a little.
          const double dx = k == 0 ? 0.0 : jitter(rng), dy = k == 0 ? 0.0 : jitter(rng);
          at[static_cast<std::size_t>(id(i, j, k) - 1)] = {i * bay_x + dx, j * bay_y + dy,
                                                           k * storey};
        }
    for (const Point3& p : at) f.add_node(p);
    base.assign(static_cast<std::size_t>(n_nodes), false);
    for (int j = 0; j <= ny; ++j)
      for (int i = 0; i <= nx; ++i) base[static_cast<std::size_t>(id(i, j, 0) - 1)] = true;

    Section column, beam, brace;
    column.A = 12000.0, column.Iy = 2.2e8, column.Iz = 1.1e8, column.It = 3.0e6;
    beam.A = 8000.0, beam.Iy = 3.0e8, beam.Iz = 2.0e7, beam.It = 1.0e6;
    brace.A = 2500.0, brace.Iy = 5.0e6, brace.Iz = 5.0e6, brace.It = 1.0e5;
    const HostInt s_column = static_cast<HostInt>(f.add_section(column));
    const HostInt s_beam = static_cast<HostInt>(f.add_section(beam));
    const HostInt s_brace = static_cast<HostInt>(f.add_section(brace));

    std::uniform_int_distribution<int> coin(0, 1), die(0, 5);
    auto member = [&](int a, int b, HostInt section, HostInt code, bool oriented) {
      const Point3 pa = at[static_cast<std::size_t>(a - 1)],
                   pb = at[static_cast<std::size_t>(b - 1)];
      Point3 o{k_marker, k_marker, k_marker};
      if (oriented)
        o = {0.5 * (pa.x + pb.x) + 1000.0, 0.5 * (pa.y + pb.y) - 700.0,
             0.5 * (pa.z + pb.z) + 2000.0};
      // Either order of the pair; a hinge code follows its node.
      if (coin(rng) == 1)
        f.add_element(b, a, section, element_swap(code), o);
      else
        f.add_element(a, b, section, code, o);
    };
    for (int k = 0; k < nz; ++k)
      for (int j = 0; j <= ny; ++j)
        for (int i = 0; i <= nx; ++i)
          member(id(i, j, k), id(i, j, k + 1), s_column, 0, die(rng) == 0);
    for (int k = 1; k <= nz; ++k) {
      for (int j = 0; j <= ny; ++j)
        for (int i = 0; i < nx; ++i) {
          const int roll = die(rng);
          const HostInt code = roll == 0 ? 1 : roll == 1 ? 2 : roll == 2 ? -1 : 0;
          member(id(i, j, k), id(i + 1, j, k), s_beam, code, die(rng) == 0);
        }
      for (int j = 0; j < ny; ++j)
        for (int i = 0; i <= nx; ++i) {
          const int roll = die(rng);
          const HostInt code = roll == 0 ? 2 : roll == 1 ? -2 : 0;
          member(id(i, j, k), id(i, j + 1, k), s_beam, code, die(rng) == 0);
        }
      // Braces in the end bays of the long sides, crossing storey k - 1 .. k.
      for (int j : {0, ny}) {
        member(id(0, j, k - 1), id(1, j, k), s_brace, 3, false);
        member(id(nx, j, k - 1), id(nx - 1, j, k), s_brace, 3, false);
      }
    }

    loads.assign(static_cast<std::size_t>(6 * n_nodes), 0.0);
    std::uniform_real_distribution<double> force(-2.0e4, 2.0e4), moment(-2.0e7, 2.0e7);
    for (int n = 0; n < n_nodes; ++n) {
      if (base[static_cast<std::size_t>(n)] || die(rng) > 2) continue;
      for (int c = 0; c < 6; ++c)
        loads[static_cast<std::size_t>(6 * n + c)] = c < 3 ? force(rng) : moment(rng);
    }
  }

  static HostInt element_swap(HostInt code) {
    if (code == 1) return 2;
    if (code == 2) return 1;
    if (code == -1) return -2;
    if (code == -2) return -1;
    return code;
  }

  // Fixed bases on even-numbered nodes, pinned (translations only) on odd ones.
  [[nodiscard]] std::vector<int> held_equations() const {
    std::vector<int> held;
    for (int n = 0; n < static_cast<int>(base.size()); ++n) {
      if (!base[static_cast<std::size_t>(n)]) continue;
      const int count = (n + 1) % 2 == 0 ? 6 : 3;
      for (int c = 0; c < count; ++c) held.push_back(6 * n + c + 1);
    }
    return held;
  }
};

// Largest applied force and moment of the frame; the tolerances are in
// their units.
constexpr double k_force_scale = 2.0e4;
constexpr double k_moment_scale = 2.0e7;
constexpr double k_relative = 1.0e-7;

void expect_equilibrium(const SpaceFrame& m, const HostFrame& f) {
  const std::vector<double> sums = nodal_force_sums(f);
  const std::vector<int> held = m.held_equations();
  for (Index eq = 1; eq <= 6 * f.n_nodes(); ++eq) {
    if (std::find(held.begin(), held.end(), static_cast<int>(eq)) != held.end()) continue;
    const std::size_t k = static_cast<std::size_t>(eq - 1);
    const double tol = k_relative * ((eq - 1) % 6 < 3 ? k_force_scale : k_moment_scale);
    EXPECT_NEAR(sums[k], m.loads[k], tol)
        << "node " << (eq - 1) / 6 + 1 << " dof " << (eq - 1) % 6 + 1;
  }

  // The element forces are in equilibrium with the real lever arms: over
  // all nodes their sum, moments about the origin included, vanishes, so the
  // reactions (sums minus loads at the bases) balance the applied loads.
  std::array<double, 6> total{};
  for (Index n = 1; n <= f.n_nodes(); ++n) {
    const std::size_t o = static_cast<std::size_t>(6 * (n - 1)),
                      i = static_cast<std::size_t>(n - 1);
    const double* r = &sums[o];
    total[0] += r[0];
    total[1] += r[1];
    total[2] += r[2];
    total[3] += r[3] + f.y[i] * r[2] - f.z[i] * r[1];
    total[4] += r[4] + f.z[i] * r[0] - f.x[i] * r[2];
    total[5] += r[5] + f.x[i] * r[1] - f.y[i] * r[0];
  }
  for (std::size_t c = 0; c < 3; ++c) EXPECT_NEAR(total[c], 0.0, k_relative * k_force_scale) << c;
  for (std::size_t c = 3; c < 6; ++c) EXPECT_NEAR(total[c], 0.0, k_relative * k_moment_scale) << c;
}

// The node records of the frame: fixed bases (116) and pinned ones (113),
// then the loads (214, forces and moments as two records).
std::vector<double> node_records(const SpaceFrame& m) {
  std::vector<double> records;
  auto add = [&](double code, Index first, const double* p) {
    records.push_back(code);
    records.push_back(static_cast<double>(first));
    for (int k = 0; k < 6; ++k) records.push_back(p == nullptr ? 0.0 : (k < 3 ? p[k] : 0.0));
  };
  const Index n_nodes = m.f.n_nodes();
  for (Index n = 1; n <= n_nodes; ++n) {
    if (!m.base[static_cast<std::size_t>(n - 1)]) continue;
    add(n % 2 == 0 ? 116.0 : 113.0, 6 * n - 5, nullptr);
  }
  for (Index n = 1; n <= n_nodes; ++n) {
    const double* p = &m.loads[static_cast<std::size_t>(6 * (n - 1))];
    add(214.0, 6 * n - 5, p);
    add(214.0, 6 * n - 2, p + 3);
  }
  return records;
}

TEST(FrameEquilibrium, EndForcesBalanceEveryNodeOfADenseSolution) {
  SCOPED_TRACE(::testing::Message() << "seed " << k_seed);
  SpaceFrame m;
  HostFrame& f = m.f;
  ASSERT_EQ(f.n_nodes(), 100);
  f.displacements = dense_solution(f, m.loads, m.held_equations());
  expect_equilibrium(m, f);
}

// The same frame as a host analyses it: ZEBMUK6 orders the pairs (and the
// hinge codes follow), MATRIXG solves; the recovery then works on the
// ordered arrays.
TEST(FrameEquilibrium, EndForcesBalanceEveryNodeOfTheGlobalAnalysis) {
  SCOPED_TRACE(::testing::Message() << "seed " << k_seed);
  SpaceFrame m;
  HostFrame& f = m.f;
  const std::vector<double> dense = dense_solution(f, m.loads, m.held_equations());
  const std::vector<double> records = node_records(m);
  int32_t n_nodes = static_cast<int32_t>(f.n_nodes()),
          n_elements = static_cast<int32_t>(f.n_elements());
  int32_t n_equations = 6 * n_nodes, n_records = static_cast<int32_t>(records.size() / 8) - 1;
  int32_t space_frame = 1, element_frame = 0, profile_length = 0, max_column_height = 0;
  std::vector<int32_t> diag(static_cast<std::size_t>(n_equations), 0);
  ZEBMUK6(f.pairs.data(), diag.data(), f.end_codes.data(), &n_nodes, &n_equations, &n_elements,
          &profile_length, &max_column_height);
  ASSERT_GT(profile_length, 0);
  f.displacements.assign(static_cast<std::size_t>(n_equations), 0.0);
  MATRIXG(f.displacements.data(), records.data(), f.x.data(), f.y.data(), f.z.data(), f.ox.data(),
          f.oy.data(), f.oz.data(), f.pairs.data(), f.section_codes.data(), diag.data(),
          f.end_codes.data(), &space_frame, f.table.data(), &n_nodes, &n_elements, &profile_length,
          &n_equations, &n_records, &max_column_height, &element_frame);
  double scale = 0.0;
  for (double v : dense) scale = std::max(scale, std::fabs(v));
  for (std::size_t k = 0; k < dense.size(); ++k)
    ASSERT_NEAR(f.displacements[k], dense[k], 1.0e-9 * scale) << "equation " << k + 1;
  expect_equilibrium(m, f);
}

}  // namespace
}  // namespace zervola::test
