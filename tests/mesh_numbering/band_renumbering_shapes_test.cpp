// The band renumbering against the plain transcription on the shapes whose
// trials the level screen decides: long chains and ladders (levels of two
// nodes), plane and space grids (levels that grow, several groups of
// starts, a bound that falls while the loop runs), meshes in pieces, and
// symmetric meshes whose equal starts must leave the lowest one the winner.

#include <gtest/gtest.h>

#include <iostream>

#include "band_shapes.hpp"
#include "renumber_check.hpp"

namespace zervola::mesh_numbering {
namespace {

using test::BandShape;
using test::BandShapeMaker;
using test::expect_same_as_oracle;

constexpr int k_shapes = static_cast<int>(BandShape::count);

// Sizes past one group of the level screen (256 starts), small enough that
// the transcription, which clears its arrays for every start, stays quick.
constexpr int k_largest_mixed = 700;

TEST(BandRenumberingShapes, AgreesWithPlainTranscriptionOnEveryShape) {
  constexpr int k_rounds = 300;
  for (const unsigned seed : {11u, 2027u, 90210u}) {
    std::cout << "seed " << seed << "\n";
    BandShapeMaker maker(seed);
    for (int round = 0; round < k_rounds; ++round) {
      const auto shape = static_cast<BandShape>(round % k_shapes);
      const oracle::Mesh model = maker.make(shape, maker.uniform(2, k_largest_mixed));
      SCOPED_TRACE(testing::Message() << "seed " << seed << " round " << round);
      expect_same_as_oracle(model);
    }
  }
}

// `rounds` models of sizes smallest .. largest, shapes even and odd in turn.
void expect_agreement_alternating(unsigned seed, BandShape even, BandShape odd, int rounds,
                                  int smallest, int largest) {
  BandShapeMaker maker(seed);
  std::cout << "seed " << seed << "\n";
  for (int round = 0; round < rounds; ++round) {
    const oracle::Mesh model =
        maker.make(round % 2 == 0 ? even : odd, maker.uniform(smallest, largest));
    SCOPED_TRACE(testing::Message() << "seed " << seed << " round " << round);
    expect_same_as_oracle(model);
  }
}

TEST(BandRenumberingShapes, AgreesOnLongChainsAndLadders) {
  // Thousands of starts: the level screen sweeps many groups, and a chain's
  // far end is a start that no sweep can mark.
  expect_agreement_alternating(424242, BandShape::long_chain, BandShape::ladder, 20, 1500, 3000);
}

TEST(BandRenumberingShapes, AgreesOnLargerGridsNumberedAnyWay) {
  expect_agreement_alternating(1789, BandShape::plane_grid, BandShape::space_grid, 20, 800, 2000);
}

TEST(BandRenumberingShapes, TiedStartsAndPiecesAgree) {
  BandShapeMaker maker(8128);
  std::cout << "seed 8128\n";
  int refused = 0;
  for (int round = 0; round < 400; ++round) {
    const BandShape shape = round % 2 == 0 ? BandShape::tied : BandShape::pieces;
    const oracle::Mesh model = maker.make(shape, maker.uniform(2, 400));
    SCOPED_TRACE(round);
    refused += oracle::in_one_piece(model) ? 0 : 1;
    expect_same_as_oracle(model);
  }
  // Every model in pieces is refused; every tied one is accepted.
  EXPECT_EQ(refused, 200);
}

}  // namespace
}  // namespace zervola::mesh_numbering
