#pragma once

#include <cstdint>

namespace zervola {

// The one index type of the core. Host numbers (nodes, elements, equations)
// arrive as 32-bit integers and are widened to this type on entry, so that
// address arithmetic on large models never overflows.
using Index = std::int64_t;

// The host's integer type: every integer that crosses the C boundary.
using HostInt = std::int32_t;

}  // namespace zervola
