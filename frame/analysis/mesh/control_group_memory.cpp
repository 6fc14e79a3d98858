#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "zervola/frame/store_size.hpp"

namespace zervola::frame {
namespace {

// A cgroup v1 limit at or above this is the kernel's "no limit" (the
// largest page-aligned 64-bit value, about 9.2e18).
constexpr std::uint64_t k_no_v1_limit = std::uint64_t{1} << 62;

// The first word of a file as a number of bytes; nothing when the file is
// missing, unreadable or says "max".
std::optional<std::uint64_t> read_bytes(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::string word;
  if (!(in >> word) || word == "max") return std::nullopt;
  try {
    std::size_t used = 0;
    const unsigned long long value = std::stoull(word, &used);
    if (used != word.size()) return std::nullopt;
    return static_cast<std::uint64_t>(value);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

// The group directory and its ancestors up to the mount point.
std::vector<std::filesystem::path> with_ancestors(const std::filesystem::path& mount,
                                                  const std::string& group) {
  std::vector<std::filesystem::path> out;
  std::filesystem::path relative = std::filesystem::path(group).relative_path();
  while (true) {
    out.push_back(mount / relative);
    if (relative.empty()) break;
    relative = relative.parent_path();
  }
  return out;
}

}  // namespace

std::optional<MemoryBound> control_group_memory(const std::string& cgroup_root,
                                                const std::string& proc_cgroup) {
  std::ifstream membership(proc_cgroup);
  if (!membership) return std::nullopt;
  std::optional<MemoryBound> best;
  const auto consider = [&best](const std::filesystem::path& dir, const char* limit_file,
                                const char* usage_file, std::uint64_t no_limit) {
    const std::optional<std::uint64_t> limit = read_bytes(dir / limit_file);
    if (!limit || *limit >= no_limit) return;
    const std::uint64_t usage = read_bytes(dir / usage_file).value_or(0);
    const std::uint64_t left = *limit > usage ? *limit - usage : 0;
    if (!best || left < best->bytes)
      best = MemoryBound{left, "control group limit " + (dir / limit_file).string()};
  };
  const std::filesystem::path root(cgroup_root);
  std::string line;
  while (std::getline(membership, line)) {
    // id:controllers:path; v2 has id 0 and no controllers.
    const std::size_t first = line.find(':');
    const std::size_t second = first == std::string::npos ? first : line.find(':', first + 1);
    if (second == std::string::npos) continue;
    const std::string controllers = line.substr(first + 1, second - first - 1);
    const std::string group = line.substr(second + 1);
    if (controllers.empty()) {
      for (const std::filesystem::path& mount : {root, root / "unified"})
        for (const std::filesystem::path& dir : with_ancestors(mount, group))
          consider(dir, "memory.max", "memory.current", std::numeric_limits<std::uint64_t>::max());
      continue;
    }
    std::istringstream names(controllers);
    std::string name;
    bool memory = false;
    while (std::getline(names, name, ',')) memory = memory || name == "memory";
    if (!memory) continue;
    // Inside a container the group's own directory is often the mount's root.
    for (const std::filesystem::path& dir : with_ancestors(root / "memory", group))
      consider(dir, "memory.limit_in_bytes", "memory.usage_in_bytes", k_no_v1_limit);
  }
  return best;
}

}  // namespace zervola::frame
