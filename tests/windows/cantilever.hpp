#pragma once

// A cantilever along +X in two elements, clamped at node 1 and loaded at its
// tip (node 3) by a pull N along X and a force P along Y, analysed through
// zervola.dll as the host does it: ZEBMUK6 for the profile, then MATRIXG.
// Closed form: tip u_x = N L / (E A), u_y = P L^3 / (3 E Iz),
// theta_z = P L^2 / (2 E Iz); at mid-span u_y = 5 P L^3 / (48 E Iz).

#include <array>
#include <vector>

#include "dll_harness.hpp"

namespace zervola::windows_test {

struct Cantilever {
  static constexpr double k_marker = 12345678.0;
  static constexpr double L = 2000.0, N = 5000.0, P = 1000.0;
  static constexpr double E = 200000.0, A = 3000.0, Iz = 9.0e6;

  std::array<double, 3> x{0, L / 2, L}, y{0, 0, 0}, z{0, 0, 0};
  std::array<double, 2> ox{k_marker, k_marker}, oy{k_marker, k_marker}, oz{k_marker, k_marker};
  // Element 1 given as (2, 1) with end code -2: ZEBMUK6 turns it to (1, 2), -1.
  std::array<int32_t, 4> pairs{2, 1, 2, 3};
  std::array<int32_t, 2> sections{1, 1}, end_codes{-2, 0};
  std::array<double, 10> table{E, 80000, A, 4e6, 2.5e7, Iz, 0, 300, 150, 1.2e-5};
  std::array<double, 8> records{116, 1, 0, 0, 0, 0, 0, 0};  // node 1 clamped
  std::array<int32_t, 18> diag{};
  std::array<double, 18> u{};
  int32_t n_nodes = 3, n_elements = 2, n_equations = 18, n_records = 0, space_frame = 0,
          element_frame = 0, profile_length = -1, max_column_height = -1;

  void analyse(const Dll& dll, Report& report) {
    ZERVOLA_CALL_EXPORT(dll, report, ZEBMUK6, pairs.data(), diag.data(), end_codes.data(),
                        &n_nodes, &n_equations, &n_elements, &profile_length, &max_column_height);
    u.fill(0.0);
    u[12] = N;
    u[13] = P;
    ZERVOLA_CALL_EXPORT(dll, report, MATRIXG, u.data(), records.data(), x.data(), y.data(),
                        z.data(), ox.data(), oy.data(), oz.data(), pairs.data(), sections.data(),
                        diag.data(), end_codes.data(), &space_frame, table.data(), &n_nodes,
                        &n_elements, &profile_length, &n_equations, &n_records,
                        &max_column_height, &element_frame);
  }
};

}  // namespace zervola::windows_test
