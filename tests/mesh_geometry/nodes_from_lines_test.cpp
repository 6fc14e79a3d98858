#include "mesh_geometry/nodes_from_lines.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <memory_resource>
#include <vector>

#include "drawings.hpp"
#include "mesh_geometry/tolerances.hpp"
#include "oracles.hpp"

namespace zervola::mesh_geometry {
namespace {

constexpr HostInt k_untouched = -99;

// The host's arrays for MESHDISKR.
struct Lines {
  std::vector<double> x, y, z;
  std::vector<HostInt> element_nodes;
  HostInt point_count = 0;

  Lines() = default;
  explicit Lines(const test::Cloud& c)
      : x(c.x), y(c.y), z(c.z), element_nodes(c.size(), k_untouched),
        point_count(static_cast<HostInt>(c.size())) {}
  // Lines given as endpoint pairs of (x, y, z).
  Lines(std::initializer_list<std::array<double, 3>> ends) {
    for (const auto& p : ends) {
      x.push_back(p[0]);
      y.push_back(p[1]);
      z.push_back(p[2]);
    }
    element_nodes.assign(x.size(), k_untouched);
    point_count = static_cast<HostInt>(x.size());
  }
  [[nodiscard]] HostInt n_elements() const { return static_cast<HostInt>(x.size() / 2); }

  void run_fast(HostInt n_elements,
                std::pmr::memory_resource* storage = std::pmr::new_delete_resource()) {
    const MutableCoordinates points{{x.data(), static_cast<Index>(x.size())},
                                    {y.data(), static_cast<Index>(y.size())},
                                    {z.data(), static_cast<Index>(z.size())}};
    point_count = nodes_from_line_ends(
        points, Table1<HostInt>(element_nodes.data(), 2, static_cast<Index>(x.size() / 2)),
        point_count, n_elements, storage);
  }
  void run_fast() { run_fast(n_elements()); }
  void run_oracle() { oracle::meshdiskr(x, y, z, element_nodes, point_count, n_elements()); }
};

// Bit-for-bit equality, NaN payloads and signed zeros included.
[[nodiscard]] bool same_bits(const std::vector<double>& a, const std::vector<double>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::bit_cast<std::uint64_t>(a[i]) != std::bit_cast<std::uint64_t>(b[i])) return false;
  return true;
}

void expect_same(const Lines& fast, const Lines& reference) {
  EXPECT_EQ(fast.point_count, reference.point_count);
  EXPECT_EQ(fast.element_nodes, reference.element_nodes);
  EXPECT_TRUE(same_bits(fast.x, reference.x));
  EXPECT_TRUE(same_bits(fast.y, reference.y));
  EXPECT_TRUE(same_bits(fast.z, reference.z));
}

TEST(NodesFromLines, TwoLinesSharingAnEndpoint) {
  Lines l{{0, 0, 0}, {1, 0, 0}, {1, 0, 0}, {1, 2, 0}};
  l.run_fast();
  EXPECT_EQ(l.point_count, 3);
  EXPECT_EQ(l.element_nodes, (std::vector<HostInt>{1, 2, 2, 3}));
  EXPECT_EQ(l.x, (std::vector<double>{0, 1, 1, 1}));  // entry 4 keeps what it held
  EXPECT_EQ(l.y, (std::vector<double>{0, 0, 2, 2}));
}

TEST(NodesFromLines, ClosedTriangleHasThreeNodes) {
  Lines l{{0, 0, 0}, {4, 0, 0}, {4, 0, 0}, {0, 3, 0}, {0, 3, 0}, {0, 0, 0}};
  l.run_fast();
  EXPECT_EQ(l.point_count, 3);
  EXPECT_EQ(l.element_nodes, (std::vector<HostInt>{1, 2, 2, 3, 3, 1}));
}

TEST(NodesFromLines, ToleranceIsStrictInEachCoordinate) {
  // 0.5e-4 apart in every coordinate: merged.
  Lines merged{{0, 0, 0}, {5, 5, 5}, {0.5e-4, 0.5e-4, 0.5e-4}, {9, 9, 9}};
  merged.run_fast();
  EXPECT_EQ(merged.point_count, 3);
  EXPECT_EQ(merged.element_nodes, (std::vector<HostInt>{1, 2, 1, 3}));
  // Exactly 1e-4 apart in one coordinate only: not merged, whichever coordinate.
  for (int axis = 0; axis < 3; ++axis) {
    std::array<double, 3> p{0, 0, 0};
    p[static_cast<std::size_t>(axis)] = 1e-4;
    Lines apart{{0, 0, 0}, p};
    apart.run_fast();
    EXPECT_EQ(apart.point_count, 2) << "axis " << axis;
    // Just inside the tolerance: merged.
    p[static_cast<std::size_t>(axis)] = std::nextafter(1e-4, 0.0);
    Lines inside{{0, 0, 0}, p};
    inside.run_fast();
    EXPECT_EQ(inside.point_count, 1) << "axis " << axis;
    EXPECT_EQ(inside.element_nodes, (std::vector<HostInt>{1, 1}));
  }
}

TEST(NodesFromLines, ChainsMeasureFromTheFirstOccurrence) {
  // 0, 0.6e-4, 1.2e-4: the second merges into the first, the third is a node.
  Lines l{{0, 0, 0}, {0.6e-4, 0, 0}, {1.2e-4, 0, 0}, {7, 0, 0}};
  l.run_fast();
  EXPECT_EQ(l.point_count, 3);
  EXPECT_EQ(l.element_nodes, (std::vector<HostInt>{1, 1, 2, 3}));
  EXPECT_EQ(l.x[1], 1.2e-4);
  // Listed the other way round, the middle point merges into the earlier end.
  Lines r{{1.2e-4, 0, 0}, {0.6e-4, 0, 0}, {0, 0, 0}, {7, 0, 0}};
  r.run_fast();
  EXPECT_EQ(r.element_nodes, (std::vector<HostInt>{1, 1, 2, 3}));
  // A point near two nodes joins the lower-numbered one.
  Lines two{{0, 0, 0}, {1.5e-4, 0, 0}, {0.8e-4, 0, 0}, {9, 0, 0}};
  two.run_fast();
  EXPECT_EQ(two.element_nodes, (std::vector<HostInt>{1, 2, 1, 3}));
}

TEST(NodesFromLines, DistinctEndpointsKeepTheirOrderAndCoordinates) {
  Lines l{{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 1, 2}, {5, 1, 2}};
  const Lines before = l;
  l.run_fast();
  EXPECT_EQ(l.point_count, 6);
  EXPECT_EQ(l.element_nodes, (std::vector<HostInt>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(l.x, before.x);
  EXPECT_EQ(l.y, before.y);
  EXPECT_EQ(l.z, before.z);
}

TEST(NodesFromLines, ZeroLengthLineHasOneNodeAtBothEnds) {
  Lines l{{1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {2, 2, 2}};
  l.run_fast();
  EXPECT_EQ(l.point_count, 2);
  EXPECT_EQ(l.element_nodes, (std::vector<HostInt>{1, 1, 1, 2}));
}

TEST(NodesFromLines, NonFiniteEndpointsAreNodesOfTheirOwn) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  Lines l{{nan, 0, 0}, {nan, 0, 0}, {inf, 0, 0}, {inf, 0, 0}, {0, 0, 0}, {0, 0, 0}};
  l.run_fast();
  EXPECT_EQ(l.point_count, 5);
  EXPECT_EQ(l.element_nodes, (std::vector<HostInt>{1, 2, 3, 4, 5, 5}));
}

TEST(NodesFromLines, RefusedCountsWriteNothing) {
  const Lines before{{0, 0, 0}, {0, 0, 0}, {1, 0, 0}, {1, 0, 0}};
  struct Case {
    HostInt point_count, n_elements;
  };
  for (const Case c : {Case{3, 2}, Case{4, 1}, Case{0, 0}, Case{-2, -1}, Case{-4, 2},
                       Case{std::numeric_limits<HostInt>::min(), 0}}) {
    Lines l = before;
    l.point_count = c.point_count;
    l.run_fast(c.n_elements);
    EXPECT_EQ(l.point_count, 0) << c.point_count << " " << c.n_elements;
    EXPECT_EQ(l.x, before.x);
    EXPECT_EQ(l.element_nodes, before.element_nodes);
  }
  // The transcription agrees on the mended rule.
  Lines o = before;
  o.point_count = 3;
  oracle::meshdiskr(o.x, o.y, o.z, o.element_nodes, o.point_count, 2);
  EXPECT_EQ(o.point_count, 0);
  EXPECT_EQ(o.element_nodes, before.element_nodes);
}

// Grants the first `allowed` allocations, then refuses.
class RationedResource : public std::pmr::memory_resource {
 public:
  explicit RationedResource(int allowed) : allowed_(allowed) {}

 private:
  void* do_allocate(std::size_t bytes, std::size_t align) override {
    if (allowed_-- <= 0) throw std::bad_alloc();
    return std::pmr::new_delete_resource()->allocate(bytes, align);
  }
  void do_deallocate(void* p, std::size_t bytes, std::size_t align) override {
    std::pmr::new_delete_resource()->deallocate(p, bytes, align);
  }
  [[nodiscard]] bool do_is_equal(const memory_resource& other) const noexcept override {
    return this == &other;
  }
  int allowed_;
};

TEST(NodesFromLines, WorkStorageThatCannotBeObtainedWritesNothing) {
  const Lines before{{0, 0, 0}, {0, 0, 0}, {1, 0, 0}, {1, 0, 0}, {2, 0, 0}, {1, 0, 0}};
  // Refuse the first, second, ... allocation until the call gets all it needs.
  for (int allowed = 0;; ++allowed) {
    ASSERT_LT(allowed, 100);
    Lines l = before;
    RationedResource rationed(allowed);
    l.run_fast(l.n_elements(), &rationed);
    if (l.point_count != 0) {
      EXPECT_EQ(l.point_count, 3);
      EXPECT_GT(allowed, 0);
      break;
    }
    EXPECT_EQ(l.x, before.x) << allowed;
    EXPECT_EQ(l.element_nodes, before.element_nodes) << allowed;
  }
}

// Random drawings: the fast routine and the transcription agree exactly.
TEST(NodesFromLines, AgreesWithTheTranscriptionOnRandomDrawings) {
  std::uint64_t merges = 0, points = 0;
  for (test::Scale scale :
       {test::Scale::ordinary, test::Scale::huge, test::Scale::tiny, test::Scale::mixed}) {
    for (std::uint64_t seed = 1; seed <= 60; ++seed) {
      SCOPED_TRACE(testing::Message() << "scale " << static_cast<int>(scale) << " seed " << seed);
      test::DrawingMaker maker(seed * 7919 + static_cast<std::uint64_t>(scale), k_merge_tolerance,
                               scale);
      const std::size_t n_lines = 1 + maker.pick(seed % 10 == 0 ? 1200 : 150);
      test::Cloud c;
      while (c.size() < 2 * n_lines) {
        if (c.size() >= 2 && maker.chance(0.05)) {  // a duplicate line, maybe reversed
          const std::size_t k = 2 * maker.pick(c.size() / 2);
          const bool flip = maker.chance(0.5);
          c.push_copy(flip ? k + 1 : k);
          c.push_copy(flip ? k : k + 1);
          continue;
        }
        maker.add_point(c);
        if (maker.chance(0.05)) c.push_copy(c.size() - 1);  // zero length, or a shared end
      }
      c.x.resize(2 * n_lines);
      c.y.resize(2 * n_lines);
      c.z.resize(2 * n_lines);
      Lines fast(c), reference(c);
      fast.run_fast();
      reference.run_oracle();
      expect_same(fast, reference);
      merges += c.size() - static_cast<std::size_t>(reference.point_count);
      points += c.size();
    }
  }
  // The drawings do exercise the merge.
  EXPECT_GT(merges, points / 10);
  EXPECT_LT(merges, points);
}

}  // namespace
}  // namespace zervola::mesh_geometry
