// Every reference model analysed as a host analyses it (ZEBMUK6, MATRIXG),
// then taken apart element by element (MATRIXCOS3P, GLOBTOLOC, QE1QE2,
// SILFACT): end forces, reactions and section stresses must match the
// independently computed ones within the model's tolerances.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "dense_solution.hpp"
#include "support/reference_model.hpp"
#include "zervola.h"

namespace zervola::test {
namespace {

// Node-record code that adds p1, p2, p3 to the loads at R, R+1, R+2.
constexpr double k_load_record = 214.0;
constexpr std::size_t k_record_fields = 8;

struct Analysed {
  ReferenceModel model;
  HostFrame frame;            // the model's arrays after ZEBMUK6, with the displacements
  std::vector<double> loads;  // applied nodal loads, 6 per node
};

Analysed analyse(const std::string& path) {
  Analysed a{read_reference_model(path), {}, {}};
  const ReferenceModel& m = a.model;
  HostFrame& f = a.frame;
  f.x = m.node_x;
  f.y = m.node_y;
  f.z = m.node_z;
  f.ox = m.orient_x;
  f.oy = m.orient_y;
  f.oz = m.orient_z;
  f.pairs = m.element_nodes;
  f.section_codes = m.section_codes;
  f.end_codes = m.end_codes;
  f.table = m.section_table;
  std::vector<int32_t> diag(static_cast<std::size_t>(m.n_equations), 0);
  int32_t profile_length = 0, max_column_height = 0;
  ZEBMUK6(f.pairs.data(), diag.data(), f.end_codes.data(), &m.n_nodes, &m.n_equations,
          &m.n_elements, &profile_length, &max_column_height);
  f.displacements = m.load_vector;
  MATRIXG(f.displacements.data(), m.node_records.data(), f.x.data(), f.y.data(), f.z.data(),
          f.ox.data(), f.oy.data(), f.oz.data(), f.pairs.data(), f.section_codes.data(),
          diag.data(), f.end_codes.data(), &m.space_frame, f.table.data(), &m.n_nodes,
          &m.n_elements, &profile_length, &m.n_equations, &m.n_records, &max_column_height,
          &m.element_frame);

  a.loads = m.load_vector;
  for (std::size_t r = 0; r + k_record_fields <= m.node_records.size(); r += k_record_fields) {
    if (m.node_records[r] != k_load_record) continue;
    const std::size_t first = static_cast<std::size_t>(m.node_records[r + 1]) - 1;
    for (std::size_t k = 0; k < 3; ++k) a.loads[first + k] += m.node_records[r + 2 + k];
  }
  return a;
}

struct Recovered {
  std::array<double, 12> end_forces{}, end_forces_global{};
};

Recovered recover(const HostFrame& f, int32_t element) {
  int32_t n_nodes = static_cast<int32_t>(f.n_nodes()),
          n_elements = static_cast<int32_t>(f.n_elements());
  int32_t spare = 0, reverse = 0;
  std::array<double, 144> t{};
  MATRIXCOS3P(t.data(), f.x.data(), f.y.data(), f.z.data(), f.ox.data(), f.oy.data(), f.oz.data(),
              f.pairs.data(), &n_nodes, &n_elements, &element, &reverse);
  Recovered r;
  std::array<double, 12> ed{};
  GLOBTOLOC(t.data(), f.displacements.data(), ed.data(), r.end_forces.data(),
            r.end_forces_global.data(), f.x.data(), f.y.data(), f.z.data(), f.pairs.data(),
            f.section_codes.data(), f.table.data(), &spare, &n_nodes, &n_elements, &element,
            &reverse, &f.end_codes[static_cast<std::size_t>(element - 1)]);
  return r;
}

std::array<double, 12> expected_of(const ReferenceModel& m, int32_t element) {
  for (const auto& e : m.expected.end_forces)
    if (e.element == element) return e.f;
  ADD_FAILURE() << "no expected end forces for element " << element;
  return {};
}

bool is_force(std::size_t k) { return k % 6 < 3; }

TEST(ReferenceModelResults, EveryModelIsRead) { EXPECT_GE(reference_model_paths().size(), 11u); }

TEST(ReferenceModelResults, EndForcesMatch) {
  for (const std::string& path : reference_model_paths()) {
    const Analysed a = analyse(path);
    const ReferenceModel& m = a.model;
    SCOPED_TRACE(m.name);
    if (m.expected.end_forces.empty()) continue;  // truss models: see below
    ASSERT_EQ(m.expected.end_forces.size(), static_cast<std::size_t>(m.n_elements));
    const double force = m.tolerance.bound("end_force"), moment = m.tolerance.bound("end_moment");
    for (int32_t e = 1; e <= m.n_elements; ++e) {
      const Recovered r = recover(a.frame, e);
      const std::array<double, 12> want = expected_of(m, e);
      for (std::size_t k = 0; k < 12; ++k)
        EXPECT_LE(std::fabs(r.end_forces[k] - want[k]), is_force(k) ? force : moment)
            << "element " << e << ", component " << k + 1 << ": " << r.end_forces[k] << " vs "
            << want[k];
    }
  }
}

// Pin-ended bars: the axial force at both ends, nothing else.
TEST(ReferenceModelResults, TrussBarForcesMatch) {
  int trusses = 0;
  for (const std::string& path : reference_model_paths()) {
    const Analysed a = analyse(path);
    const ReferenceModel& m = a.model;
    if (m.expected.axial_forces.empty()) continue;
    SCOPED_TRACE(m.name);
    ++trusses;
    const double bound = m.tolerance.bound("axial_force");
    for (const AxialForce& want : m.expected.axial_forces) {
      const Recovered r = recover(a.frame, want.element);
      EXPECT_LE(std::fabs(r.end_forces[0] - want.N), bound) << "element " << want.element;
      EXPECT_EQ(r.end_forces[6], r.end_forces[0]);
      for (std::size_t k = 0; k < 12; ++k) {
        if (k == 0 || k == 6) continue;
        EXPECT_EQ(r.end_forces[k], 0.0) << "element " << want.element;
      }
    }
  }
  EXPECT_EQ(trusses, 2);
}

// At a node with a support or spring, the forces of its elements minus the
// applied load are the reaction; at every other node they are the load.
TEST(ReferenceModelResults, ReactionsAndFreeNodesBalance) {
  for (const std::string& path : reference_model_paths()) {
    const Analysed a = analyse(path);
    const ReferenceModel& m = a.model;
    SCOPED_TRACE(m.name);
    const std::vector<double> sums = nodal_force_sums(a.frame);
    // Where a model's reactions of one kind are all (nearly) zero, as the
    // moments at pinned supports, the relative rule gives a bound below
    // rounding; the model's end-force bounds then stand.
    auto bound = [&](const char* reaction, const char* end) {
      const double b = m.tolerance.bound(reaction);
      return m.tolerance.has(end) ? std::max(b, m.tolerance.bound(end)) : b;
    };
    const double force = bound("reaction_force", "end_force");
    const double moment = bound("reaction_moment", "end_moment");
    std::vector<bool> supported(static_cast<std::size_t>(m.n_nodes), false);
    ASSERT_FALSE(m.expected.reactions.empty());
    for (const NodeValues& r : m.expected.reactions) {
      supported[static_cast<std::size_t>(r.node - 1)] = true;
      for (std::size_t k = 0; k < 6; ++k) {
        const std::size_t i = static_cast<std::size_t>(6 * (r.node - 1)) + k;
        EXPECT_LE(std::fabs(sums[i] - a.loads[i] - r.values[k]), k < 3 ? force : moment)
            << "node " << r.node << ", component " << k + 1;
      }
    }
    for (int32_t n = 1; n <= m.n_nodes; ++n) {
      if (supported[static_cast<std::size_t>(n - 1)]) continue;
      for (std::size_t k = 0; k < 6; ++k) {
        const std::size_t i = static_cast<std::size_t>(6 * (n - 1)) + k;
        EXPECT_LE(std::fabs(sums[i] - a.loads[i]), k < 3 ? force : moment)
            << "free node " << n << ", component " << k + 1;
      }
    }
  }
}

TEST(ReferenceModelResults, SectionStressesMatch) {
  int models = 0;
  for (const std::string& path : reference_model_paths()) {
    const Analysed a = analyse(path);
    const ReferenceModel& m = a.model;
    if (m.expected.section_stresses.empty()) continue;
    SCOPED_TRACE(m.name);
    ++models;
    const double force = m.tolerance.bound("end_force"), moment = m.tolerance.bound("end_moment");
    for (const SectionStresses& want : m.expected.section_stresses) {
      const Recovered r = recover(a.frame, want.element);
      const std::size_t column = static_cast<std::size_t>(
          std::abs(a.frame.section_codes[static_cast<std::size_t>(want.element - 1)]));
      const double* section = &a.frame.table[10 * (column - 1)];
      double smax = 0.0, smin = 0.0, temperature = m.expected.temperature_change;
      SILFACT(r.end_forces.data(), section, &temperature, &smax, &smin);
      // The end-force tolerances carried through the stress formula.
      const double bound =
          (force / section[2] + moment * 0.5 * section[7] / section[4] +
           moment * 0.5 * section[8] / section[5]) *
              1.0E-6 +
          1.0e-12 * std::max(std::fabs(want.stress_max), std::fabs(want.stress_min));
      EXPECT_LE(std::fabs(smax - want.stress_max), bound) << "element " << want.element;
      EXPECT_LE(std::fabs(smin - want.stress_min), bound) << "element " << want.element;
    }
  }
  EXPECT_GE(models, 9);
}

// QE1QE2 gives the same component as GLOBTOLOC, and across a hinge the
// component of the lowest-numbered other element at the other node.
TEST(ReferenceModelResults, ElementAndNeighbourComponents) {
  int neighbours = 0;
  for (const std::string& path : reference_model_paths()) {
    const Analysed a = analyse(path);
    const ReferenceModel& m = a.model;
    if (m.expected.end_forces.empty()) continue;
    SCOPED_TRACE(m.name);
    const HostFrame& f = a.frame;
    const double force = m.tolerance.bound("end_force"), moment = m.tolerance.bound("end_moment");
    int32_t spare = 0, n_nodes = m.n_nodes, n_elements = m.n_elements;
    for (int32_t e = 1; e <= m.n_elements; ++e) {
      const std::size_t ei = static_cast<std::size_t>(e - 1);
      const int32_t h = std::abs(f.end_codes[ei]);
      int32_t neighbour = 0;
      if (h == 1 || h == 2) {
        const int32_t node = f.pairs[2 * ei + (h == 1 ? 1 : 0)];
        for (int32_t i = 1; i <= m.n_elements && neighbour == 0; ++i) {
          const std::size_t ii = static_cast<std::size_t>(i - 1);
          if (i != e && (f.pairs[2 * ii] == node || f.pairs[2 * ii + 1] == node)) neighbour = i;
        }
      }
      for (int32_t component = 1; component <= 12; ++component) {
        const std::size_t k = static_cast<std::size_t>(component - 1);
        const double preset = -12345.5;
        double fe = preset, fn = preset;
        QE1QE2(f.displacements.data(), f.x.data(), f.y.data(), f.z.data(), f.ox.data(), f.oy.data(),
               f.oz.data(), f.pairs.data(), f.section_codes.data(), f.table.data(),
               f.end_codes.data(), &fe, &fn, &spare, &component, &n_nodes, &n_elements, &e);
        EXPECT_EQ(fe, recover(f, e).end_forces[k]);
        EXPECT_LE(std::fabs(fe - expected_of(m, e)[k]), is_force(k) ? force : moment);
        if (neighbour == 0) {
          EXPECT_EQ(fn, preset);
        } else {
          ++neighbours;
          EXPECT_LE(std::fabs(fn - expected_of(m, neighbour)[k]), is_force(k) ? force : moment)
              << "element " << e << ", neighbour " << neighbour;
        }
      }
    }
  }
  EXPECT_GT(neighbours, 0);
}

}  // namespace
}  // namespace zervola::test
