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

// What the results of one load set hold: per node its six displacements
// (and, for a load case, the solution vector they come from), per member
// its end forces and end displacements (12 each) and six stresses and
// places.
constexpr double k_result_bytes_per_node = 2 * 6 * sizeof(double);
constexpr double k_result_bytes_per_member = (12 + 12 + 6) * sizeof(double);

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

MemoryBound usable_memory() {
  MemoryBound bound;
  const auto take = [&bound](std::uint64_t bytes, std::string limited_by) {
    if (bytes < bound.bytes) bound = {bytes, std::move(limited_by)};
  };
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long page_size = ::sysconf(_SC_PAGESIZE);
  if (pages > 0 && page_size > 0)
    take(static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(page_size), "physical memory");
  // What the limits leave beside what the process holds already.
  const std::uint64_t in_use = address_space_in_use();
  const auto left = [in_use](std::uint64_t limit) { return limit > in_use ? limit - in_use : 0; };
  if (limit_of(RLIMIT_AS) != std::numeric_limits<std::uint64_t>::max())
    take(left(limit_of(RLIMIT_AS)), "ulimit -v");
  if (limit_of(RLIMIT_DATA) != std::numeric_limits<std::uint64_t>::max())
    take(left(limit_of(RLIMIT_DATA)), "ulimit -d");
  if (const std::optional<MemoryBound> group = control_group_memory()) take(group->bytes, group->limited_by);
  return bound;
}

std::uint64_t usable_memory_bytes() { return usable_memory().bytes; }

namespace {

// What the results of every load set hold (see k_result_bytes_per_node).
double result_bytes(const Model& model, std::int64_t n_nodes) {
  const double sets = static_cast<double>(model.load_cases.size() + model.combinations.size());
  return sets * (static_cast<double>(std::max<std::int64_t>(n_nodes, 0)) * k_result_bytes_per_node +
                 static_cast<double>(model.members.size()) * k_result_bytes_per_member);
}

}  // namespace

bool factor_fits(const Model& model, double factor_bytes, std::int64_t n_nodes,
                 const MemoryBound& available) {
  return std::max(factor_bytes, 0.0) * k_store_headroom + result_bytes(model, n_nodes) <=
         static_cast<double>(available.bytes);
}

void check_factor_fits(const Model& model, double factor_bytes, std::string_view factor,
                       std::int64_t n_nodes, const MemoryBound& available) {
  if (factor_fits(model, factor_bytes, n_nodes, available)) return;
  const double store = std::max(factor_bytes, 0.0);
  const double sets = static_cast<double>(model.load_cases.size() + model.combinations.size());
  const double results = result_bytes(model, n_nodes);
  const double needed = store * k_store_headroom + results;
  const bool results_dominate = results > store * k_store_headroom;
  throw AnalysisError(fmt::format(
      "{}: out of memory: the analysis needs {:.3g} GiB ({}, {:.3g} GiB, a quarter more for the "
      "factorisation's work, and the results of {} load sets, {:.3g} GiB), more than the {:.3g} "
      "GiB this process may use (bounded by {}){}",
      model.source_file, needed / k_bytes_per_gib, factor, store / k_bytes_per_gib, sets,
      results / k_bytes_per_gib, static_cast<double>(available.bytes) / k_bytes_per_gib,
      available.limited_by.empty() ? "what the caller gave" : available.limited_by,
      results_dominate ? "; fewer load cases and combinations would need less" : ""));
}

void check_store_fits(const Model& model, std::int64_t profile_length, std::int64_t n_nodes,
                      const MemoryBound& available) {
  const auto store = static_cast<double>(std::max<std::int64_t>(profile_length, 0)) *
                     static_cast<double>(sizeof(double));
  check_factor_fits(model, store,
                    fmt::format("the skyline store of the stiffness matrix, {} entries of 8 bytes",
                                profile_length),
                    n_nodes, available);
}

void check_store_fits(const Model& model, std::int64_t profile_length, const MemoryBound& available) {
  check_store_fits(model, profile_length, 0, available);
}

void check_store_fits(const Model& model, std::int64_t profile_length, std::uint64_t available_bytes) {
  check_store_fits(model, profile_length, MemoryBound{available_bytes, {}});
}

void check_store_fits(const Model& model, std::int64_t profile_length) {
  check_store_fits(model, profile_length, 0, usable_memory());
}

}  // namespace zervola::frame
