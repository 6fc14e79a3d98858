#include "global/skyline_profile.hpp"

#include <algorithm>

namespace zervola::global {

Index SkylineProfile::max_column_height() const {
  Index highest = 0;
  for (Index j = 1; j <= n_equations(); ++j) highest = std::max(highest, height(j));
  return highest;
}

double SkylineProfile::sum_of_squared_heights() const {
  double sum = 0.0;
  for (Index j = 1; j <= n_equations(); ++j) {
    const auto h = static_cast<double>(height(j));
    sum += h * h;
  }
  return sum;
}

bool column_is_valid(Vector1<const HostInt> diag, Index j, Index profile_length) {
  if (j < 1 || j > diag.size()) return false;
  const Index address = diag(j);
  if (address > profile_length) return false;
  if (j == 1) return address == 1;
  const Index previous = diag(j - 1);
  const Index height = address - previous;
  return previous >= 1 && height >= 2 && height <= j;
}

Status profile_status(Vector1<const HostInt> diag, Index profile_length) {
  const Index n = diag.size();
  for (Index j = 1; j <= n; ++j)
    if (!column_is_valid(diag, j, profile_length)) return failure(Outcome::bad_profile, j);
  // A store longer than the profile is valid: its tail is never touched.
  const Index length = n == 0 ? 0 : diag(n);
  if (length > profile_length) return failure(Outcome::bad_profile, n + 1);
  return {};
}

}  // namespace zervola::global
