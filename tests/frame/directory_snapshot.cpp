#include "directory_snapshot.hpp"

#include "run_program.hpp"

namespace zervola::frame::test {

std::map<std::string, std::string> directory_snapshot(const std::filesystem::path& root) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> entries;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().lexically_relative(root).string();
    if (it->is_symlink())
      entries[name + " -> " + fs::read_symlink(it->path()).string()] = "";
    else if (it->is_directory())
      entries[name + "/"] = "";
    else
      entries[name] = read_text(it->path().string());
  }
  return entries;
}

}  // namespace zervola::frame::test
