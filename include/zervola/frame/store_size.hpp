#pragma once

// The skyline store that the library obtains for one load case grows with
// the profile, which can outgrow the machine long before the model file is
// large. It is checked against the memory the process may use before the
// library is asked for it, so that a huge model ends in a clear message.

#include <cstdint>
#include <limits>
#include <string>

#include "zervola/frame/export.hpp"
#include "zervola/frame/model.hpp"

namespace zervola::frame {

// The longest profile the library's 32-bit integers can address.
inline constexpr std::int64_t k_largest_profile = std::numeric_limits<std::int32_t>::max();

// Bytes this process may still obtain: the smaller of the machine's physical
// memory and what the address-space and data-segment limits (ulimit -v, -d)
// leave beside the address space it holds already. Throws nothing; the
// largest std::uint64_t when nothing limits it.
[[nodiscard]] ZERVOLA_FRAME_API std::uint64_t usable_memory_bytes();

// Throws AnalysisError (out of memory) when a store of profile_length doubles,
// with room for the solve beside it, does not fit into available_bytes.
ZERVOLA_FRAME_API void check_store_fits(const Model& model, std::int64_t profile_length,
                                        std::uint64_t available_bytes);

// The same against usable_memory_bytes().
ZERVOLA_FRAME_API void check_store_fits(const Model& model, std::int64_t profile_length);

}  // namespace zervola::frame
