// Every reference model through the exports, as a host runs an analysis:
// ZEBMUK6, then MATRIXG; the displacements must match the independently
// computed ones within the model's tolerances.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "element/end_codes.hpp"
#include "support/reference_model.hpp"
#include "zervola.h"

namespace {

using zervola::test::ReferenceModel;

struct Analysis {
  std::vector<int32_t> pairs, codes, diag;
  std::vector<double> u;
  int32_t profile_length = -1, max_column_height = -1;
};

Analysis analyse(const ReferenceModel& m, std::vector<int32_t> pairs, std::vector<int32_t> codes) {
  Analysis a;
  a.pairs = std::move(pairs);
  a.codes = std::move(codes);
  a.diag.assign(static_cast<std::size_t>(m.n_equations), -1);
  ZEBMUK6(a.pairs.data(), a.diag.data(), a.codes.data(), &m.n_nodes, &m.n_equations, &m.n_elements,
          &a.profile_length, &a.max_column_height);
  a.u = m.load_vector;
  MATRIXG(a.u.data(), m.node_records.data(), m.node_x.data(), m.node_y.data(), m.node_z.data(),
          m.orient_x.data(), m.orient_y.data(), m.orient_z.data(), a.pairs.data(),
          m.section_codes.data(), a.diag.data(), a.codes.data(), &m.space_frame,
          m.section_table.data(), &m.n_nodes, &m.n_elements, &a.profile_length, &m.n_equations,
          &m.n_records, &a.max_column_height, &m.element_frame);
  return a;
}

TEST(ReferenceModels, AllModelsAreFound) {
  EXPECT_GE(zervola::test::reference_model_paths().size(), 11u);
}

TEST(ReferenceModels, DisplacementsMatchWithinTolerance) {
  for (const std::string& path : zervola::test::reference_model_paths()) {
    const ReferenceModel m = zervola::test::read_reference_model(path);
    SCOPED_TRACE(m.name);
    const Analysis a = analyse(m, m.element_nodes, m.end_codes);
    ASSERT_GT(a.profile_length, 0);
    const double translation = m.tolerance.bound("translation");
    const double rotation = m.tolerance.bound("rotation");
    ASSERT_EQ(m.expected.displacements.size(), static_cast<std::size_t>(m.n_nodes));
    for (const auto& node : m.expected.displacements)
      for (std::size_t k = 0; k < 6; ++k) {
        const double got = a.u[static_cast<std::size_t>(6 * (node.node - 1)) + k];
        EXPECT_LE(std::fabs(got - node.values[k]), k < 3 ? translation : rotation)
            << "node " << node.node << ", component " << k + 1 << ": " << got << " vs "
            << node.values[k];
      }
  }
}

// Giving every element with its ends exchanged (and its end code following
// them) changes nothing: the profile builder restores the same arrays.
TEST(ReferenceModels, ReversedPairsGiveTheSameAnalysis) {
  for (const std::string& path : zervola::test::reference_model_paths()) {
    const ReferenceModel m = zervola::test::read_reference_model(path);
    SCOPED_TRACE(m.name);
    std::vector<int32_t> pairs = m.element_nodes, codes = m.end_codes;
    for (std::size_t e = 0; e < codes.size(); ++e) {
      std::swap(pairs[2 * e], pairs[2 * e + 1]);
      codes[e] = zervola::element::swapped_end_code(codes[e]);
    }
    const Analysis given = analyse(m, m.element_nodes, m.end_codes);
    const Analysis reversed = analyse(m, pairs, codes);
    EXPECT_EQ(reversed.pairs, given.pairs);
    EXPECT_EQ(reversed.codes, given.codes);
    EXPECT_EQ(reversed.diag, given.diag);
    EXPECT_EQ(reversed.u, given.u);
  }
}

}  // namespace
