#pragma once

// The skyline store that the library obtains for one load case grows with
// the profile, which can outgrow the machine long before the model file is
// large. It is checked against the memory the process may use before the
// library is asked for it, so that a huge model ends in a clear message.

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "zervola/frame/export.hpp"
#include "zervola/frame/model.hpp"

namespace zervola::frame {

// The longest profile the library's 32-bit integers can address.
inline constexpr std::int64_t k_largest_profile = std::numeric_limits<std::int32_t>::max();

// How much memory this process may still obtain, and what sets that bound
// ("physical memory", "ulimit -v", "ulimit -d", or the control group file
// that does, such as "control group limit /sys/fs/cgroup/app/memory.max").
struct MemoryBound {
  std::uint64_t bytes = std::numeric_limits<std::uint64_t>::max();
  std::string limited_by;
};

// The smallest of: the machine's physical memory; what the address-space
// and data-segment limits (ulimit -v, -d) leave beside the address space the
// process holds already; what the control groups it belongs to leave
// (control_group_memory). Throws nothing but bad_alloc.
[[nodiscard]] ZERVOLA_FRAME_API MemoryBound usable_memory();

// usable_memory().bytes. Throws nothing; the largest std::uint64_t when
// nothing limits it.
[[nodiscard]] ZERVOLA_FRAME_API std::uint64_t usable_memory_bytes();

// What the memory limits of the process's control groups leave: for each
// group of /proc/self/cgroup and each of its ancestors, the limit (cgroup
// v2 memory.max, v1 memory/memory.limit_in_bytes) less the group's usage
// (memory.current, memory.usage_in_bytes); the smallest, naming its file.
//   cgroup_root: in, where the groups are mounted ("/sys/fs/cgroup");
//   proc_cgroup: in, the process's membership file ("/proc/self/cgroup").
// Returns nothing when no group sets a limit or the files cannot be read.
// Throws nothing but bad_alloc.
[[nodiscard]] ZERVOLA_FRAME_API std::optional<MemoryBound> control_group_memory(
    const std::string& cgroup_root = "/sys/fs/cgroup",
    const std::string& proc_cgroup = "/proc/self/cgroup");

// Whether a factor of factor_bytes, with a quarter more for the
// factorisation's work beside it, and the results of every load set of the
// model (n_nodes nodes; 0 leaves out their part) fit into available: the
// test of check_factor_fits. Throws nothing.
[[nodiscard]] ZERVOLA_FRAME_API bool factor_fits(const Model& model, double factor_bytes,
                                                 std::int64_t n_nodes, const MemoryBound& available);

// Throws AnalysisError (out of memory) when a factor of factor_bytes (named
// by factor in the message, such as "the supernodal factor of the stiffness
// matrix"), with a quarter more for the factorisation's work beside it, and
// the results of every load set of the model (n_nodes nodes; 0 leaves out
// their part) do not fit into available; the message as check_store_fits'.
ZERVOLA_FRAME_API void check_factor_fits(const Model& model, double factor_bytes,
                                         std::string_view factor, std::int64_t n_nodes,
                                         const MemoryBound& available);

// Throws AnalysisError (out of memory) when a store of profile_length doubles,
// with room for the solve beside it, and the results of every load set of
// the model (n_nodes nodes; 0 leaves out their part) do not fit into
// available; the message gives the need as one figure and what it is made
// of, what bounds the memory, and, when the results weigh most, that fewer
// sets would need less. Outputs are written piece by piece and need no
// share of their own.
ZERVOLA_FRAME_API void check_store_fits(const Model& model, std::int64_t profile_length,
                                        std::int64_t n_nodes, const MemoryBound& available);
ZERVOLA_FRAME_API void check_store_fits(const Model& model, std::int64_t profile_length,
                                        const MemoryBound& available);
ZERVOLA_FRAME_API void check_store_fits(const Model& model, std::int64_t profile_length,
                                        std::uint64_t available_bytes);

// The same against usable_memory().
ZERVOLA_FRAME_API void check_store_fits(const Model& model, std::int64_t profile_length);

}  // namespace zervola::frame
