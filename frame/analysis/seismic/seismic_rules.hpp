#pragma once

// What makes a spectrum's values unusable, and what to say: shared by the
// JSON reader (which names the JSON field) and check_spectrum (which names
// the C++ member), so that both refuse the same values with the same words.
// Inline, so that a reader built outside the library (its tests) needs no
// hidden symbol. Each function returns the problem, or nothing when the
// value is good.

#include <fmt/format.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "zervola/frame/errors.hpp"

namespace zervola::frame::spectrum_rules {

inline constexpr std::size_t k_smallest_table = 2;

inline std::optional<std::string> table_problem(const std::vector<std::array<double, 2>>& table) {
  if (table.size() < k_smallest_table)
    return fmt::format("a table of {} point{}: give at least {} points [period, acceleration], "
                       "periods increasing",
                       table.size(), table.size() == 1 ? "" : "s", k_smallest_table);
  for (std::size_t k = 0; k < table.size(); ++k) {
    const auto [period, acceleration] = table[k];
    if (!std::isfinite(period) || !std::isfinite(acceleration))
      return fmt::format("point {} (table[{}]) is not two finite numbers [period, acceleration]",
                         k + 1, k);
    if (period < 0.0)
      return fmt::format("point {} (table[{}]): the period {} s is negative; periods start at 0 "
                         "or later",
                         k + 1, k, period);
    if (acceleration < 0.0)
      return fmt::format("point {} (table[{}]): the acceleration {} is negative; a spectrum "
                         "gives magnitudes",
                         k + 1, k, acceleration);
    if (k > 0 && !(period > table[k - 1][0]))
      return fmt::format("point {} (table[{}]): the period {} s is not greater than the period "
                         "{} s of point {} (table[{}]); periods must increase strictly: sort the "
                         "points by period and give each period once",
                         k + 1, k, period, table[k - 1][0], k, k - 1);
  }
  return std::nullopt;
}

inline std::optional<std::string> type_problem(double type) {
  if (type == 1.0 || type == 2.0) return std::nullopt;
  return fmt::format("{} is not a spectrum type of EN 1998-1: give 1 (the larger earthquakes, "
                     "surface-wave magnitude above 5.5) or 2",
                     type);
}

inline std::optional<std::string> ground_problem(const std::string& ground) {
  if (ground.size() == 1 && ground[0] >= 'A' && ground[0] <= 'E') return std::nullopt;
  return fmt::format("\"{}\" is not a ground type of EN 1998-1: give one of A, B, C, D, E "
                     "(Table 3.1)",
                     printable_text(ground));
}

inline std::optional<std::string> ag_problem(double ag) {
  if (std::isfinite(ag) && ag > 0.0) return std::nullopt;
  return fmt::format("the design ground acceleration on type A ground must be positive and "
                     "finite, in the model's length per s^2 (2.45 for 0.25 g in m/s^2), is {}",
                     ag);
}

inline std::optional<std::string> behaviour_factor_problem(double q) {
  if (std::isfinite(q) && q >= 1.0) return std::nullopt;
  return fmt::format("the behaviour factor q must be at least 1 (1: no reduction for "
                     "ductility), is {}",
                     q);
}

inline std::optional<std::string> lower_bound_factor_problem(double beta) {
  if (std::isfinite(beta) && beta >= 0.0) return std::nullopt;
  return fmt::format("the lower bound factor beta must be zero or more (EN 1998-1 recommends "
                     "0.2), is {}",
                     beta);
}

inline std::optional<std::string> damping_problem(double damping) {
  if (damping > 0.0 && damping < 1.0) return std::nullopt;
  return fmt::format("the damping must be a ratio of critical strictly between 0 and 1 (0.05 "
                     "for 5 %), is {}",
                     damping);
}

}  // namespace zervola::frame::spectrum_rules
