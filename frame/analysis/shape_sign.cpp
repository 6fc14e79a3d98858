#include "analysis/shape_sign.hpp"

#include <algorithm>
#include <cmath>

namespace zervola::frame {

void orient_shape(double* phi, std::size_t n) {
  double largest = 0.0;
  for (std::size_t i = 0; i < n; ++i)
    if (i % 6 < 3) largest = std::max(largest, std::fabs(phi[i]));
  for (std::size_t i = 0; i < n; ++i) {
    if (i % 6 >= 3 || std::fabs(phi[i]) < k_shape_sign_share * largest) continue;
    if (phi[i] < 0.0)
      for (std::size_t j = 0; j < n; ++j) phi[j] = -phi[j];
    return;
  }
}

}  // namespace zervola::frame
