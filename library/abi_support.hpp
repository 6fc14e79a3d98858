#pragma once

// Helpers shared by the exported routines: nothing may unwind into the host,
// and a failure must never look like a result.

#include <cstddef>
#include <limits>

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

}  // namespace zervola::abi
