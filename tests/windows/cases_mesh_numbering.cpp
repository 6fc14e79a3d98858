// The mesh-numbering exports called through zervola.dll, on the cases of the
// Linux tests (tests/mesh_numbering/mesh_numbering_exports_test.cpp).

#include <array>

#include "dll_harness.hpp"

namespace zervola::windows_test {
namespace {

void band_renumbering(const Dll& dll, Report& report) {
  // The square 1-2-3-4-1, coordinates tagging each node: numbered from node
  // 1 breadth-first, nodes 3 and 4 exchange their numbers.
  std::array<double, 4> x{1, 2, 3, 4}, y{10, 20, 30, 40}, z{-1, -2, -3, -4};
  std::array<int32_t, 8> pairs{1, 2, 2, 3, 3, 4, 4, 1};
  int32_t n_nodes = 4, n_elements = 4, bandwidth = -99;
  ZERVOLA_CALL_EXPORT(dll, report, KRINUM, x.data(), y.data(), z.data(), pairs.data(), &n_nodes,
                      &n_elements, &bandwidth);
  report.check(bandwidth == 2, "KRINUM square: node bandwidth 2");
  report.check(pairs == std::array<int32_t, 8>{1, 2, 2, 4, 4, 3, 3, 1}, "KRINUM square: pairs");
  report.check(x == std::array<double, 4>{1, 2, 4, 3} &&
                   y == std::array<double, 4>{10, 20, 40, 30} &&
                   z == std::array<double, 4>{-1, -2, -4, -3},
               "KRINUM square: coordinates moved with their nodes");

  // A node number outside the model: refused silently, nothing changed.
  std::array<int32_t, 4> outside{1, 2, 2, 7};
  n_nodes = 3;
  n_elements = 2;
  bandwidth = -99;
  ZERVOLA_CALL_EXPORT(dll, report, KRINUM, x.data(), y.data(), z.data(), outside.data(), &n_nodes,
                      &n_elements, &bandwidth);
  report.check(bandwidth == 0 && outside == std::array<int32_t, 4>{1, 2, 2, 7} &&
                   x == std::array<double, 4>{1, 2, 4, 3},
               "KRINUM refuses node 7 of 3");
}

void end_counts(const Dll& dll, Report& report) {
  // A chain 1-2-3-4 with a branch 2-5, given against the walk in places.
  const std::array<double, 5> x{0, 1, 2, 3, 1}, y{0, 0, 0, 0, 1}, z{0, 0, 0, 0, 0};
  std::array<int32_t, 8> pairs{2, 1, 3, 2, 4, 3, 2, 5};
  std::array<int32_t, 4> codes{0, 1, -1, 2};
  std::array<int32_t, 5> counts{-7, -7, -7, -7, -7};
  int32_t max_count = -7, n_nodes = 5, n_elements = 4, mode = 0;
  ZERVOLA_CALL_EXPORT(dll, report, NODEEQV, x.data(), y.data(), z.data(), pairs.data(),
                      counts.data(), codes.data(), &max_count, &n_nodes, &n_elements, &mode);
  report.check(counts == std::array<int32_t, 5>{1, 3, 2, 1, 1} && max_count == 3,
               "NODEEQV end counts");
  report.check(pairs == std::array<int32_t, 8>{1, 2, 2, 3, 3, 4, 2, 5} &&
                   codes == std::array<int32_t, 4>{0, 2, -2, 2},
               "NODEEQV orients the chains, end codes following");

  std::array<int32_t, 4> outside{1, 2, 2, 9};
  n_nodes = 2;
  n_elements = 2;
  ZERVOLA_CALL_EXPORT(dll, report, NODEEQV, x.data(), y.data(), z.data(), outside.data(),
                      counts.data(), codes.data(), &max_count, &n_nodes, &n_elements, &mode);
  report.check(max_count == -1 && counts[0] == 0 && counts[1] == 0 && counts[2] == 2 &&
                   outside == std::array<int32_t, 4>{1, 2, 2, 9},
               "NODEEQV refuses node 9 of 2");
}

}  // namespace

void mesh_numbering_cases(const Dll& dll, Report& report) {
  band_renumbering(dll, report);
  end_counts(dll, report);
}

}  // namespace zervola::windows_test
