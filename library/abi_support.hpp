#pragma once

// Helpers shared by the exported routines: nothing may unwind into the host,
// and a failure must never look like a result.

#include <cstddef>
#include <limits>

#include "common/frame_model.hpp"
#include "common/one_based.hpp"

namespace zervola::abi {

inline constexpr double k_failure_value = std::numeric_limits<double>::quiet_NaN();

// Runs body; if it throws, runs on_failure instead of letting the exception
// reach the host.
template <class Body, class OnFailure>
void guarded(Body&& body, OnFailure&& on_failure) noexcept {
  try {
    body();
  } catch (...) {
    try {
      on_failure();
    } catch (...) {
    }
  }
}

// Fills count doubles of host memory with the failure value.
inline void fill_failure(double* host, std::size_t count) noexcept {
  for (std::size_t k = 0; k < count; ++k) host[k] = k_failure_value;
}

// Views of host arrays whose lengths the interface does not pass: only the
// lower bound of an index can be checked.
[[nodiscard]] inline NodeCoordinates node_view(const double* x, const double* y,
                                               const double* z) {
  return {Vector1<const double>(x, k_unknown_extent), Vector1<const double>(y, k_unknown_extent),
          Vector1<const double>(z, k_unknown_extent)};
}

[[nodiscard]] inline OrientationPoints orientation_view(const double* x, const double* y,
                                                        const double* z) {
  return {Vector1<const double>(x, k_unknown_extent), Vector1<const double>(y, k_unknown_extent),
          Vector1<const double>(z, k_unknown_extent)};
}

[[nodiscard]] inline ElementNodes element_nodes_view(const HostInt* element_nodes) {
  return ElementNodes(element_nodes, 2, k_unknown_extent);
}

}  // namespace zervola::abi
