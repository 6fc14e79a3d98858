// The mesh-geometry exports called through zervola.dll, on the cases of the
// Linux tests (tests/mesh_geometry/exports_test.cpp).

#include <array>

#include "dll_harness.hpp"

namespace zervola::windows_test {
namespace {

void lines_to_mesh(const Dll& dll, Report& report) {
  // Lines (0,0)-(1,0) and (1,0)-(1,2) share an end; (5,5)-(6,5) lies apart.
  std::array<double, 6> x{0, 1, 1, 1, 5, 6}, y{0, 0, 0, 2, 5, 5}, z{};
  std::array<int32_t, 6> element_nodes{-9, -9, -9, -9, -9, -9};
  int32_t point_count = 6;
  const int32_t n_lines = 3, spare = 0;
  ZERVOLA_CALL_EXPORT(dll, report, MESHDISKR, x.data(), y.data(), z.data(), element_nodes.data(),
                      &point_count, &n_lines);
  report.check(point_count == 5, "MESHDISKR: 6 endpoints give 5 nodes");
  report.check(element_nodes == std::array<int32_t, 6>{1, 2, 2, 3, 4, 5}, "MESHDISKR elements");
  report.check(x == std::array<double, 6>{0, 1, 1, 5, 6, 6} &&
                   y == std::array<double, 6>{0, 0, 2, 5, 5, 5},
               "MESHDISKR node coordinates, the rest kept");

  int32_t free_line = -9;
  ZERVOLA_CALL_EXPORT(dll, report, FREELINE, x.data(), y.data(), z.data(), element_nodes.data(),
                      &free_line, &spare, &n_lines);
  report.check(free_line == 3 && element_nodes == std::array<int32_t, 6>{1, 2, 2, 3, 4, 5},
               "FREELINE finds line 3 apart");

  std::array<double, 3> bx{0, 0, 1}, by{}, bz{};
  std::array<int32_t, 4> untouched{-9, -9, -9, -9};
  point_count = 3;
  const int32_t two_lines = 2;
  ZERVOLA_CALL_EXPORT(dll, report, MESHDISKR, bx.data(), by.data(), bz.data(), untouched.data(),
                      &point_count, &two_lines);
  report.check(point_count == 0 && untouched == std::array<int32_t, 4>{-9, -9, -9, -9},
               "MESHDISKR refuses 3 endpoints for 2 lines");
}

void picked_points(const Dll& dll, Report& report) {
  const std::array<double, 2> x{1, 0}, y{2, 0}, z{3, 0};
  const std::array<int32_t, 4> pairs{1, 2, 2, 1};
  std::array<int32_t, 2> codes{0, 2};
  std::array<double, 3> point{1000, 2000, 3000};
  int32_t node_found = -9;
  const int32_t spare = 0, n_elements = 2;
  ZERVOLA_CALL_EXPORT(dll, report, POINTINNODE, x.data(), y.data(), z.data(), pairs.data(),
                      codes.data(), point.data(), &spare, &n_elements, &node_found);
  report.check(node_found == 1 && codes == std::array<int32_t, 2>{-1, 2},
               "POINTINNODE finds node 1, marks the free end code");
  report.check(point == std::array<double, 3>{1, 2, 3}, "POINTINNODE converts the point");
  ZERVOLA_CALL_EXPORT(dll, report, POINTINNODE, x.data(), y.data(), z.data(), pairs.data(),
                      codes.data(), point.data(), &spare, &n_elements, &node_found);
  report.check(node_found == 0 && point == std::array<double, 3>{0.001, 0.002, 0.003},
               "POINTINNODE divides again and finds nothing");

  // A point a quarter along a bar of length 12 lies at its first end.
  const std::array<double, 2> lx{0, 12}, ly{0, 0}, lz{0, 0};
  const std::array<int32_t, 2> bar{1, 2};
  const std::array<double, 3> near_start{3, 0, 0};
  std::array<int32_t, 1> marks{0};
  int32_t made = -9;
  const int32_t one = 1;
  ZERVOLA_CALL_EXPORT(dll, report, POINT_IN_LINE, lx.data(), ly.data(), lz.data(), bar.data(),
                      near_start.data(), marks.data(), &spare, &one, &made);
  report.check(made == 1 && marks[0] == 10, "POINT_IN_LINE marks the first end");
  ZERVOLA_CALL_EXPORT(dll, report, POINT_IN_LINE, lx.data(), ly.data(), lz.data(), bar.data(),
                      near_start.data(), marks.data(), &spare, &one, &made);
  report.check(made == 0 && marks[0] == 10, "POINT_IN_LINE does not mark an end twice");
  const std::array<int32_t, 2> bad{0, 2};
  ZERVOLA_CALL_EXPORT(dll, report, POINT_IN_LINE, lx.data(), ly.data(), lz.data(), bad.data(),
                      near_start.data(), marks.data(), &spare, &one, &made);
  report.check(made == -1 && marks[0] == 10, "POINT_IN_LINE refuses node 0");
}

}  // namespace

void mesh_geometry_cases(const Dll& dll, Report& report) {
  lines_to_mesh(dll, report);
  picked_points(dll, report);
}

}  // namespace zervola::windows_test
