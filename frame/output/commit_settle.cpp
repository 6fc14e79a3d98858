#include "output/commit_settle.hpp"

#include <fmt/format.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>

#include "output/commit_file_steps.hpp"

namespace zervola::frame {
namespace {

namespace fs = std::filesystem;

std::string roll_forward(const Journal& journal) {
  std::string left;
  // A temporary is present exactly while its rename has not happened: every
  // temporary was complete before the journal said replace.
  for (const JournalEntry& e : journal.entries)
    if (present(e.temporary) && std::rename(e.temporary.c_str(), e.target.c_str()) != 0)
      left += fmt::format("; {}: cannot replace: {}; the new file is kept as {}", e.target.string(),
                          std::strerror(errno), e.temporary.string());
  // The old contents are dropped only once the new set is whole.
  if (!left.empty()) return left;
  for (const JournalEntry& e : journal.entries)
    if (!remove_file(e.backup))
      left += fmt::format("; {}: cannot remove: {}", e.backup.string(), std::strerror(errno));
  return left;
}

std::string roll_back(const Journal& journal) {
  std::string left;
  for (const JournalEntry& e : journal.entries) {
    const bool replaced = journal.state == CommitState::restore && !present(e.temporary);
    if (!replaced) {
      // The target is untouched: its backup is a second name or a copy of it.
      remove_file(e.temporary);
      remove_file(e.backup);
    } else if (present(e.backup)) {
      if (std::rename(e.backup.c_str(), e.target.c_str()) == 0) {
        // Where the backup and the target were one file by two names (a
        // target whose rename never came), rename leaves both names.
        remove_file(e.backup);
      } else {
        left += fmt::format("; the old {} is kept as {}", e.target.string(), e.backup.string());
      }
    } else if (!e.had_old) {
      remove_file(e.target);
    }
  }
  return left;
}

}  // namespace

std::string settle(const Journal& journal) {
  std::string left =
      journal.state == CommitState::replace ? roll_forward(journal) : roll_back(journal);
  std::set<fs::path> directories;
  for (const JournalEntry& e : journal.entries) directories.insert(e.target.parent_path());
  for (const fs::path& d : directories) sync_directory(d);
  return left;
}

void remove_created_directories(const Journal& journal) noexcept {
  for (auto d = journal.created_directories.rbegin(); d != journal.created_directories.rend(); ++d)
    ::rmdir(d->c_str());
}

}  // namespace zervola::frame
