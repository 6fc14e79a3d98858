#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

#include "zervola/frame/seismic.hpp"

namespace zervola::frame {
namespace {

void check_frequency(double omega) {
  if (!(std::isfinite(omega) && omega > 0.0))
    throw std::invalid_argument(
        fmt::format("the circular frequency {} rad/s is not positive and finite", omega));
}

void check_damping(double damping) {
  if (!(damping > 0.0 && damping < 1.0))
    throw std::invalid_argument(fmt::format("the damping {} is not strictly between 0 and 1", damping));
}

// sqrt of a sum that is >= 0 in exact arithmetic: rounding may leave it a
// little below.
double root_of_square_sum(double sum) { return std::sqrt(std::max(sum, 0.0)); }

}  // namespace

double cqc_correlation(double omega_i, double omega_j, double damping) {
  check_frequency(omega_i);
  check_frequency(omega_j);
  check_damping(damping);
  if (omega_i == omega_j) return 1.0;
  // rho(r) = rho(1/r): taking r <= 1 either way round makes rho_ij and
  // rho_ji the same to the last bit.
  const double r = std::min(omega_i, omega_j) / std::max(omega_i, omega_j);
  const double xi2 = damping * damping;
  const double one_minus_r2 = 1.0 - r * r;
  return 8.0 * xi2 * (1.0 + r) * r * std::sqrt(r) /
         (one_minus_r2 * one_minus_r2 + 4.0 * xi2 * r * (1.0 + r) * (1.0 + r));
}

ModalCombiner::ModalCombiner(std::vector<double> omegas, double damping, ModalCombination method)
    : modes_(omegas.size()), method_(method) {
  check_damping(damping);
  for (const double omega : omegas) check_frequency(omega);
  if (method_ != ModalCombination::cqc) return;
  upper_.reserve(modes_ > 1 ? modes_ * (modes_ - 1) / 2 : 0);
  for (std::size_t i = 0; i < modes_; ++i)
    for (std::size_t j = i + 1; j < modes_; ++j)
      upper_.push_back(cqc_correlation(omegas[i], omegas[j], damping));
}

double ModalCombiner::correlation(std::size_t i, std::size_t j) const {
  if (i == j) return 1.0;
  if (method_ != ModalCombination::cqc) return 0.0;
  if (i > j) std::swap(i, j);
  // Rows 0 to i-1 hold (n-1) + (n-2) + ... + (n-i) pairs.
  const std::size_t row_start = i * (2 * modes_ - i - 1) / 2;
  return upper_[row_start + (j - i - 1)];
}

double ModalCombiner::combine(std::span<const double> per_mode) const {
  if (per_mode.size() != modes_)
    throw std::invalid_argument(fmt::format("{} modal values for {} modes", per_mode.size(), modes_));
  double sum = 0.0;
  for (const double value : per_mode) sum += value * value;
  if (method_ == ModalCombination::cqc) {
    // The form is symmetric: each pair i < j counts twice.
    std::size_t pair = 0;
    for (std::size_t i = 0; i < modes_; ++i) {
      double row = 0.0;
      for (std::size_t j = i + 1; j < modes_; ++j) row += upper_[pair++] * per_mode[j];
      sum += 2.0 * per_mode[i] * row;
    }
  }
  return root_of_square_sum(sum);
}

double combine_directions(const std::array<double, 3>& per_direction, DirectionalCombination method) {
  const std::array<double, 3> size = {std::abs(per_direction[0]), std::abs(per_direction[1]),
                                      std::abs(per_direction[2])};
  if (method == DirectionalCombination::srss)
    return std::sqrt(size[0] * size[0] + size[1] * size[1] + size[2] * size[2]);
  double largest = 0.0;
  for (std::size_t d = 0; d < 3; ++d) {
    const double others = size[(d + 1) % 3] + size[(d + 2) % 3];
    largest = std::max(largest, size[d] + k_rule_100_30_share * others);
  }
  return largest;
}

}  // namespace zervola::frame
