#include "mesh_numbering/end_count_check.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>
#include <limits>
#include <vector>

#include "host_model.hpp"
#include "mesh_numbering/end_counts.hpp"
#include "mesh_numbering/kink_clearing.hpp"
#include "mesh_numbering/mesh_errors.hpp"
#include "oracles.hpp"
#include "random_models.hpp"

namespace zervola::mesh_numbering {
namespace {

using oracle::Mesh;

constexpr double k_pi = 3.14159265358979323846;

struct Checked {
  HostInt max_end_count = 0;
  std::vector<HostInt> end_count;
};

Checked check(Mesh& m, HostInt mode) {
  Checked out;
  out.end_count.assign(m.x.size(), -99);
  const Index n = m.n_nodes();
  const NodeCoordinates nodes{{m.x.data(), n}, {m.y.data(), n}, {m.z.data(), n}};
  out.max_end_count = check_end_counts(
      nodes, test::element_nodes_of(m), Vector1<HostInt>(m.end_codes.data(), m.n_elements()),
      Vector1<HostInt>(out.end_count.data(), n), chain_mode(mode));
  return out;
}

Mesh model(std::vector<std::vector<double>> points, std::vector<HostInt> pairs,
           std::vector<HostInt> codes) {
  Mesh m;
  for (const auto& p : points) {
    m.x.push_back(p[0]);
    m.y.push_back(p[1]);
    m.z.push_back(p[2]);
  }
  m.element_nodes = std::move(pairs);
  m.end_codes = std::move(codes);
  return m;
}

TEST(EndCounts, BranchIsOrientedFromFreeEndsAndBranchPoint) {
  Mesh m = model({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {1, 1, 0}},
                 {2, 1, 3, 2, 4, 3, 2, 5}, {0, 1, -1, 2});
  const Checked c = check(m, 0);
  EXPECT_EQ(c.end_count, (std::vector<HostInt>{1, 3, 2, 1, 1}));
  EXPECT_EQ(c.max_end_count, 3);
  EXPECT_EQ(m.element_nodes, (std::vector<HostInt>{1, 2, 2, 3, 3, 4, 2, 5}));
  EXPECT_EQ(m.end_codes, (std::vector<HostInt>{0, 2, -2, 2}));
}

TEST(EndCounts, RingWithoutFreeEndReportsThreeAndKeepsOrientation) {
  Mesh m = model({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {1, 2, 2, 3, 3, 1}, {1, 2, -1});
  const Mesh before = m;
  const Checked c = check(m, 0);
  EXPECT_EQ(c.end_count, (std::vector<HostInt>{2, 2, 2}));
  EXPECT_EQ(c.max_end_count, 3);
  EXPECT_TRUE(test::same_mesh(m, before));
}

TEST(EndCounts, SingleElementPointsAwayFromItsLowerEnd) {
  Mesh m = model({{0, 0, 0}, {1, 0, 0}}, {2, 1}, {1});
  const Checked c = check(m, 0);
  EXPECT_EQ(c.end_count, (std::vector<HostInt>{1, 1}));
  EXPECT_EQ(c.max_end_count, 1);
  EXPECT_EQ(m.element_nodes, (std::vector<HostInt>{1, 2}));
  EXPECT_EQ(m.end_codes, (std::vector<HostInt>{2}));
}

TEST(EndCounts, CoincidentNodesShareOneCount) {
  Mesh m = model({{0, 0, 0}, {1, 0, 0}, {1, 0, 0}, {2, 0, 0}}, {1, 2, 3, 4}, {0, 0});
  const Checked c = check(m, 0);
  EXPECT_EQ(c.end_count, (std::vector<HostInt>{1, 2, 2, 1}));
  EXPECT_EQ(c.max_end_count, 2);
  EXPECT_EQ(m.element_nodes, (std::vector<HostInt>{1, 2, 4, 3}));
}

TEST(EndCounts, LoopAtABranchPoint) {
  Mesh m = model({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {-1, 0, 0}},
                 {1, 2, 3, 2, 3, 4, 1, 4, 5, 1}, {1, 1, 1, 1, 1});
  const Checked c = check(m, 0);
  EXPECT_EQ(c.end_count, (std::vector<HostInt>{3, 2, 2, 2, 1}));
  EXPECT_EQ(m.element_nodes, (std::vector<HostInt>{1, 2, 2, 3, 3, 4, 4, 1, 1, 5}));
  EXPECT_EQ(m.end_codes, (std::vector<HostInt>{1, 2, 1, 2, 2}));
}

TEST(EndCounts, ElementFromANodeToItself) {
  // Node 1 has its two ends of the loop and one of (1, 2): count 3.
  Mesh m = model({{0, 0, 0}, {1, 0, 0}}, {2, 1, 1, 1}, {-1, 1});
  const Checked c = check(m, 0);
  EXPECT_EQ(c.end_count, (std::vector<HostInt>{3, 1}));
  EXPECT_EQ(m.element_nodes, (std::vector<HostInt>{1, 2, 1, 1}));
  EXPECT_EQ(m.end_codes, (std::vector<HostInt>{-2, 1}));
}

TEST(EndCounts, EmptyModelsAndOtherModes) {
  {
    Mesh m = model({{0, 0, 0}, {1, 0, 0}}, {}, {});
    const Checked c = check(m, 0);
    EXPECT_EQ(c.end_count, (std::vector<HostInt>{0, 0}));
    EXPECT_EQ(c.max_end_count, 0);
  }
  {
    Mesh m = model({}, {}, {});
    EXPECT_EQ(check(m, 1).max_end_count, -1);
  }
  for (const HostInt mode : {2, -1, 99}) {
    Mesh m = model({{0, 0, 0}, {1, 0, 0}, {2, 0.01, 0}}, {2, 1, 2, 3}, {-1, -2});
    const Mesh before = m;
    const Checked c = check(m, mode);
    EXPECT_EQ(c.end_count, (std::vector<HostInt>{1, 2, 1}));
    EXPECT_EQ(c.max_end_count, 2);
    EXPECT_TRUE(test::same_mesh(m, before));
  }
}

TEST(EndCounts, ExactPositionsWithSignedZeroAndNaN) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  // Nodes 1 and 2 coincide (0.0 == -0.0); node 3 has a NaN and equals
  // nothing, not even itself.
  Mesh m = model({{0, 0, 0}, {0, -0.0, 0}, {1, nan, 0}, {2, 0, 0}}, {1, 4, 2, 3, 3, 4}, {0, 0, 0});
  const Checked c = check(m, 2);
  EXPECT_EQ(c.end_count, (std::vector<HostInt>{2, 2, 0, 2}));
  EXPECT_EQ(c.max_end_count, 3);
}

// Nodes 1 (0,0,0), 2 (1,0,0) and 3 one unit beyond node 2 at a kink of the
// given angle; elements (1, 2) and (2, 3).
Mesh kink(double degrees, HostInt code1, HostInt code2) {
  const double a = degrees * k_pi / 180.0;
  return model({{0, 0, 0}, {1, 0, 0}, {1 + std::cos(a), std::sin(a), 0}}, {1, 2, 2, 3},
               {code1, code2});
}

TEST(KinkClearing, SlightKinkWithNegativeCodesIsCleared) {
  Mesh m = kink(5.0, -1, -2);
  EXPECT_NEAR(kink_cosine({1, 0, 0}, {0, 0, 0}, {m.x[2], m.y[2], m.z[2]}), 0.99619, 1e-5);
  static_cast<void>(check(m, 1));
  EXPECT_EQ(m.end_codes, (std::vector<HostInt>{0, 0}));
}

TEST(KinkClearing, StraightSharpOrNonNegativeCodesStay) {
  const struct {
    double degrees;
    HostInt code1, code2;
  } cases[] = {{0.1, -1, -2}, {10.0, -1, -2}, {0.0, -1, -1}, {5.0, 0, -2}, {5.0, -1, 1},
               {5.0, 2, -2}};
  for (const auto& k : cases) {
    Mesh m = kink(k.degrees, k.code1, k.code2);
    static_cast<void>(check(m, 1));
    EXPECT_EQ(m.end_codes, (std::vector<HostInt>{k.code1, k.code2})) << k.degrees;
  }
}

TEST(KinkClearing, FoldsAndZeroLengthsChangeNothing) {
  // A fold back onto the first element gives -1; a zero-length element NaN.
  EXPECT_EQ(kink_cosine({0, 0, 0}, {1, 0, 0}, {2, 0, 0}), -1.0);
  EXPECT_TRUE(std::isnan(kink_cosine({0, 0, 0}, {0, 0, 0}, {1, 0, 0})));
  Mesh m = model({{0, 0, 0}, {0, 0, 0}, {1, 0, 0}}, {1, 2, 2, 3}, {-1, -1});
  static_cast<void>(check(m, 1));
  EXPECT_EQ(m.end_codes, (std::vector<HostInt>{-1, -1}));
}

TEST(KinkClearing, NodeNamedByFewerThanTwoElementsIsSkipped) {
  // Two distinct nodes at one position, each the end of one element.
  Mesh m = model({{0, 0, 0}, {1, 0, 0}, {1, 0, 0}, {2, 0.05, 0}}, {1, 2, 3, 4}, {-1, -1});
  static_cast<void>(check(m, 1));
  EXPECT_EQ(m.end_codes, (std::vector<HostInt>{-1, -1}));
  // An element from a node to itself gives that node count 2.
  Mesh loop = model({{0, 0, 0}}, {1, 1}, {-1});
  EXPECT_EQ(check(loop, 1).end_count, (std::vector<HostInt>{2}));
  EXPECT_EQ(loop.end_codes, (std::vector<HostInt>{-1}));
}

TEST(EndCounts, ReversedElementKeepsCodesThatNameNoEnd) {
  Mesh m = model({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}},
                 {2, 1, 3, 2, 4, 3, 5, 4}, {3, 0, 7, -5});
  static_cast<void>(check(m, 0));
  EXPECT_EQ(m.element_nodes, (std::vector<HostInt>{1, 2, 2, 3, 3, 4, 4, 5}));
  EXPECT_EQ(m.end_codes, (std::vector<HostInt>{3, 0, 7, -5}));
}

TEST(EndCounts, NodeNumbersOutOfRangeAreRefusedUnchanged) {
  for (const std::vector<HostInt>& pairs :
       {std::vector<HostInt>{1, 3}, std::vector<HostInt>{0, 1}, std::vector<HostInt>{-2, 1}}) {
    Mesh m = model({{0, 0, 0}, {1, 0, 0}}, pairs, {1});
    const Mesh before = m;
    EXPECT_THROW(static_cast<void>(check(m, 0)), NodeNumberOutOfRange);
    EXPECT_TRUE(test::same_mesh(m, before));
  }
}

TEST(EndCounts, AgreesWithPlainTranscriptionOnRandomModels) {
  for (const unsigned seed : {3u, 1234u, 987654u}) {
    std::cout << "seed " << seed << "\n";
    test::ModelMaker maker(seed);
    for (int round = 0; round < 1500; ++round) {
      const auto shape = static_cast<test::Shape>(round % static_cast<int>(test::Shape::count));
      const Mesh model_in = maker.make(shape, maker.uniform(1, 50));
      for (const HostInt mode : {0, 1, 2}) {
        SCOPED_TRACE(testing::Message() << "seed " << seed << " round " << round << " mode " << mode);
        Mesh fast = model_in;
        Mesh slow = model_in;
        std::vector<HostInt> expected_count;
        const HostInt expected_max = oracle::count_ends(slow, expected_count, mode);
        const Checked c = check(fast, mode);
        EXPECT_EQ(c.max_end_count, expected_max);
        EXPECT_EQ(c.end_count, expected_count);
        EXPECT_TRUE(test::same_mesh(fast, slow));
      }
    }
  }
}

}  // namespace
}  // namespace zervola::mesh_numbering
