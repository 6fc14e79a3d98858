#include "zervola/frame/store_size.hpp"

#include <fmt/format.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

#include "zervola/frame/errors.hpp"

namespace zervola::frame {
namespace {

constexpr double k_bytes_per_gib = 1024.0 * 1024.0 * 1024.0;

// The store is not all that the solve needs: the library's factorisation
// works beside it and the results follow. A store must fit this many times.
constexpr double k_store_headroom = 1.25;

// The address space the process holds now (the first field of
// /proc/self/statm, in pages); 0 when unknown.
std::uint64_t address_space_in_use() {
  std::ifstream statm("/proc/self/statm");
  std::uint64_t pages = 0;
  if (!(statm >> pages)) return 0;
  const long page_size = ::sysconf(_SC_PAGESIZE);
  return page_size > 0 ? pages * static_cast<std::uint64_t>(page_size) : 0;
}

std::uint64_t limit_of(int resource) {
  rlimit l{};
  if (::getrlimit(resource, &l) != 0 || l.rlim_cur == RLIM_INFINITY)
    return std::numeric_limits<std::uint64_t>::max();
  return static_cast<std::uint64_t>(l.rlim_cur);
}

}  // namespace

std::uint64_t usable_memory_bytes() {
  std::uint64_t bytes = std::numeric_limits<std::uint64_t>::max();
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long page_size = ::sysconf(_SC_PAGESIZE);
  if (pages > 0 && page_size > 0)
    bytes = static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(page_size);
  // What the limits leave beside what the process holds already.
  const std::uint64_t in_use = address_space_in_use();
  const auto left = [in_use](std::uint64_t limit) { return limit > in_use ? limit - in_use : 0; };
  return std::min({bytes, left(limit_of(RLIMIT_AS)), left(limit_of(RLIMIT_DATA))});
}

void check_store_fits(const Model& model, std::int64_t profile_length,
                      std::uint64_t available_bytes) {
  const auto needed = static_cast<std::uint64_t>(std::max<std::int64_t>(profile_length, 0)) *
                      sizeof(double);
  if (static_cast<double>(needed) * k_store_headroom <= static_cast<double>(available_bytes))
    return;
  throw AnalysisError(fmt::format(
      "{}: out of memory: the skyline store of the model's stiffness matrix needs {:.3g} GiB "
      "({} entries), more than the {:.3g} GiB this process may use",
      model.source_file, static_cast<double>(needed) / k_bytes_per_gib, profile_length,
      static_cast<double>(available_bytes) / k_bytes_per_gib));
}

void check_store_fits(const Model& model, std::int64_t profile_length) {
  check_store_fits(model, profile_length, usable_memory_bytes());
}

}  // namespace zervola::frame
