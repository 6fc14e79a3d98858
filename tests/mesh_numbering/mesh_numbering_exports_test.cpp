// KRINUM and NODEEQV as a host calls them: through the public header, with
// arrays the host owns.

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "zervola.h"

namespace {

struct HostMesh {
  std::vector<double> x, y, z;
  std::vector<int32_t> pairs;
  int32_t n_nodes = 0, n_elements = 0;

  HostMesh(int32_t nodes, std::vector<int32_t> element_nodes)
      : pairs(std::move(element_nodes)), n_nodes(nodes),
        n_elements(static_cast<int32_t>(pairs.size() / 2)) {
    for (int32_t k = 1; k <= nodes; ++k) {
      x.push_back(k);
      y.push_back(10.0 * k);
      z.push_back(-k);
    }
  }
  int32_t krinum() {
    int32_t bandwidth = -99;
    KRINUM(x.data(), y.data(), z.data(), pairs.data(), &n_nodes, &n_elements, &bandwidth);
    return bandwidth;
  }
};

TEST(MeshNumberingExports, KrinumRenumbersTheSquare) {
  HostMesh m(4, {1, 2, 2, 3, 3, 4, 4, 1});
  testing::internal::CaptureStderr();
  EXPECT_EQ(m.krinum(), 2);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(m.pairs, (std::vector<int32_t>{1, 2, 2, 4, 4, 3, 3, 1}));
  EXPECT_EQ(m.x, (std::vector<double>{1, 2, 4, 3}));
  EXPECT_EQ(m.y, (std::vector<double>{10, 20, 40, 30}));
  EXPECT_EQ(m.z, (std::vector<double>{-1, -2, -4, -3}));
}

TEST(MeshNumberingExports, KrinumReportsAMeshInPiecesAndReturns) {
  const std::vector<HostMesh> cases{HostMesh(4, {1, 2, 3, 4}), HostMesh(2, {}),
                                    HostMesh(3, {1, 2, 2, 1}),
                                    HostMesh(6, {1, 2, 2, 3, 3, 1, 4, 5, 5, 6, 6, 4})};
  for (const HostMesh& c : cases) {
    HostMesh m = c;
    testing::internal::CaptureStderr();
    EXPECT_EQ(m.krinum(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), " Uncorrect mesh data\n");
    EXPECT_EQ(m.pairs, c.pairs);
    EXPECT_EQ(m.x, c.x);
    EXPECT_EQ(m.y, c.y);
    EXPECT_EQ(m.z, c.z);
  }
}

TEST(MeshNumberingExports, KrinumRefusesNodeNumbersOutsideTheModelSilently) {
  HostMesh m(3, {1, 2, 2, 7});
  const HostMesh before = m;
  testing::internal::CaptureStderr();
  EXPECT_EQ(m.krinum(), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(m.pairs, before.pairs);
  EXPECT_EQ(m.x, before.x);
}

TEST(MeshNumberingExports, KrinumNegativeCountsCountAsZero) {
  HostMesh m(0, {});
  m.n_nodes = -5;
  m.n_elements = -1;
  EXPECT_EQ(m.krinum(), 2);
}

TEST(MeshNumberingExports, NodeeqvOrientsTheBranch) {
  const std::array<double, 5> x{0, 1, 2, 3, 1}, y{0, 0, 0, 0, 1}, z{0, 0, 0, 0, 0};
  std::array<int32_t, 8> pairs{2, 1, 3, 2, 4, 3, 2, 5};
  std::array<int32_t, 4> codes{0, 1, -1, 2};
  std::array<int32_t, 5> counts{};
  counts.fill(-7);
  int32_t max_count = -7, n_nodes = 5, n_elements = 4, mode = 0;
  NODEEQV(x.data(), y.data(), z.data(), pairs.data(), counts.data(), codes.data(), &max_count,
          &n_nodes, &n_elements, &mode);
  EXPECT_EQ(counts, (std::array<int32_t, 5>{1, 3, 2, 1, 1}));
  EXPECT_EQ(max_count, 3);
  EXPECT_EQ(pairs, (std::array<int32_t, 8>{1, 2, 2, 3, 3, 4, 2, 5}));
  EXPECT_EQ(codes, (std::array<int32_t, 4>{0, 2, -2, 2}));
}

TEST(MeshNumberingExports, NodeeqvRefusesNodeNumbersOutsideTheModel) {
  const std::array<double, 2> x{0, 1}, y{0, 0}, z{0, 0};
  std::array<int32_t, 4> pairs{1, 2, 2, 3};
  std::array<int32_t, 2> codes{1, -1};
  std::array<int32_t, 2> counts{5, 5};
  int32_t max_count = 5, n_nodes = 2, n_elements = 2, mode = 0;
  NODEEQV(x.data(), y.data(), z.data(), pairs.data(), counts.data(), codes.data(), &max_count,
          &n_nodes, &n_elements, &mode);
  EXPECT_EQ(max_count, -1);
  EXPECT_EQ(counts, (std::array<int32_t, 2>{0, 0}));
  EXPECT_EQ(pairs, (std::array<int32_t, 4>{1, 2, 2, 3}));
  EXPECT_EQ(codes, (std::array<int32_t, 2>{1, -1}));
}

}  // namespace
