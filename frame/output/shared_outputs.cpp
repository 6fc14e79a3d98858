// refuse_shared_outputs: two outputs of one run must not reach one file,
// whichever spelling or link leads there.

#include <fmt/format.h>

#include <map>

#include "output/commit_file_steps.hpp"
#include "zervola/frame/errors.hpp"
#include "zervola/frame/output_files.hpp"

namespace zervola::frame {

void refuse_shared_outputs(const std::vector<NamedOutput>& outputs) {
  std::map<std::filesystem::path, const NamedOutput*> seen;
  for (const NamedOutput& o : outputs) {
    const std::filesystem::path file = followed_path(o.path);
    const auto [it, fresh] = seen.emplace(file, &o);
    if (!fresh)
      throw OutputError(fmt::format(
          "{} and {} name the same file ({}): give each output its own file; nothing was written",
          it->second->label, o.label, file.string()));
  }
}

}  // namespace zervola::frame
