#include "zervola/frame/output_files.hpp"

#include <fmt/format.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>

#include "output/commit_file_steps.hpp"
#include "output/commit_journal.hpp"
#include "output/commit_settle.hpp"
#include "zervola/frame/errors.hpp"

namespace zervola::frame {
namespace {

namespace fs = std::filesystem;

// Mode of the directories a commit creates, before the umask.
constexpr mode_t k_directory_mode = 0777;

// A target that cannot be replaced by a file is refused before anything is
// written. target is the file the path reaches, links followed.
void check_target(const std::string& path, const fs::path& target) {
  std::error_code ec;
  const auto status = fs::symlink_status(target, ec);
  if (fs::is_directory(status))
    throw OutputError(fmt::format("{}: cannot replace: it is a directory", path));
  if (fs::exists(status) && !fs::is_regular_file(status))
    throw OutputError(fmt::format("{}: cannot replace: it is not a regular file", path));
}

// Creates directory (in, as the user named it) and its missing parents;
// appends those it created, outermost first, to created (in,out).
void create_directories(const std::string& directory, std::vector<fs::path>& created) {
  std::vector<fs::path> missing;
  for (fs::path d = followed_path(directory); !d.empty(); d = d.parent_path()) {
    std::error_code ec;
    const auto status = fs::status(d, ec);
    if (fs::exists(status)) {
      if (!fs::is_directory(status))
        throw OutputError(fmt::format("{}: cannot create the directory: {}", directory,
                                      std::strerror(ENOTDIR)));
      break;
    }
    missing.push_back(d);
    if (d == d.parent_path()) break;
  }
  for (auto d = missing.rbegin(); d != missing.rend(); ++d) {
    if (::mkdir(d->c_str(), k_directory_mode) != 0) {
      if (errno == EEXIST) continue;
      throw OutputError(
          fmt::format("{}: cannot create the directory: {}", directory, std::strerror(errno)));
    }
    created.push_back(*d);
  }
}

// Keeps the target's present content under backup, by a second name for the
// same file where the file system allows it, else by a copy.
void keep_old(const std::string& path, const JournalEntry& e) {
  if (::link(e.target.c_str(), e.backup.c_str()) == 0) return;
  std::ifstream in(e.target, std::ios::binary);
  std::ostringstream old;
  old << in.rdbuf();
  if (!in || in.bad())
    throw OutputError(fmt::format("{}: cannot keep the old file while replacing it", path));
  write_new_file(e.backup, old.str(), e.backup.string());
}

// What a test asks of the commit at step `count` of phase.
enum class AtStep { go, kill, fail };
AtStep at_step(const CommitStop* stop, CommitPhase phase, std::size_t count) {
  if (stop == nullptr || stop->phase != phase || stop->count != count) return AtStep::go;
  return stop->fail ? AtStep::fail : AtStep::kill;
}

}  // namespace

void OutputFiles::add(std::string path, std::string content) {
  files_.push_back({std::move(path), std::move(content), {}});
}

void OutputFiles::add(std::string path, std::function<void(std::ostream&)> writer) {
  files_.push_back({std::move(path), {}, std::move(writer)});
}

void OutputFiles::add_directory(std::string path) { directories_.push_back(std::move(path)); }

void OutputFiles::commit() { run_commit(nullptr); }

void OutputFiles::commit(CommitStop stop) { run_commit(&stop); }

void OutputFiles::run_commit(const CommitStop* stop) {
  std::vector<NamedOutput> named;
  for (const Pending& f : files_) named.push_back({f.path, f.path});
  refuse_shared_outputs(named);
  std::vector<std::string> places = directories_;
  for (const Pending& f : files_) places.push_back(f.path);
  static_cast<void>(recover_outputs(places));
  std::vector<fs::path> targets;
  for (const Pending& f : files_) {
    targets.push_back(followed_path(f.path));
    check_target(f.path, targets.back());
  }
  if (files_.empty()) return;

  std::vector<fs::path> created;
  try {
    for (const std::string& d : directories_) create_directories(d, created);
  } catch (...) {
    remove_created_directories({CommitState::prepare, created, {}});
    throw;
  }
  std::optional<JournalFile> journal;
  try {
    journal.emplace(targets.front().parent_path(), [&](const std::string& tag) {
      Journal plan{CommitState::prepare, created, {}};
      for (const fs::path& t : targets)
        plan.entries.push_back({t, leftover_name(t, tag, "tmp"), leftover_name(t, tag, "old"),
                                present(t)});
      return plan;
    });
  } catch (...) {
    remove_created_directories({CommitState::prepare, created, {}});
    throw;
  }
  const std::vector<JournalEntry>& entries = journal->journal().entries;

  // Ends a commit that failed at step `what`: settles it from the journal,
  // whose state says whether any target was replaced yet.
  const auto fail = [&](const std::string& what) {
    const std::string left = settle(journal->journal());
    if (!left.empty())
      throw OutputError(fmt::format("{}; no output file was changed{}; the commit journal is kept "
                                    "for the next run",
                                    what, left));
    journal->remove();
    remove_created_directories(journal->journal());
    throw OutputError(fmt::format("{}; no output file was changed", what));
  };
  try {
    for (std::size_t k = 0; k <= entries.size(); ++k) {
      const AtStep step = at_step(stop, CommitPhase::writing, k);
      if (step == AtStep::kill) return;
      if (k == entries.size()) break;
      if (step == AtStep::fail)
        throw OutputError(fmt::format("{}: cannot write: {}", files_[k].path, std::strerror(EIO)));
      if (files_[k].writer)
        write_new_file(entries[k].temporary, files_[k].writer, files_[k].path);
      else
        write_new_file(entries[k].temporary, files_[k].content, files_[k].path);
    }
    for (std::size_t k = 0; k < entries.size(); ++k)
      if (entries[k].had_old) keep_old(files_[k].path, entries[k]);
    std::set<fs::path> directories;
    for (const JournalEntry& e : entries) directories.insert(e.target.parent_path());
    for (const fs::path& d : directories) sync_directory(d);
    journal->set_state(CommitState::replace);
  } catch (const OutputError& e) {
    fail(e.what());
  } catch (...) {
    // A writer's own failure (a load set to draw that does not exist, say)
    // leaves the set as it was too, and keeps its kind and message.
    if (settle(journal->journal()).empty()) {
      journal->remove();
      remove_created_directories(journal->journal());
    }
    throw;
  }
  for (std::size_t k = 0; k <= entries.size(); ++k) {
    const AtStep step = at_step(stop, CommitPhase::renaming, k);
    if (step == AtStep::kill) return;
    if (k == entries.size()) break;
    if (step == AtStep::fail) errno = EIO;
    if (step == AtStep::fail ||
        std::rename(entries[k].temporary.c_str(), entries[k].target.c_str()) != 0) {
      const std::string what =
          fmt::format("{}: cannot replace: {}", files_[k].path, std::strerror(errno));
      try {
        journal->set_state(CommitState::restore);
      } catch (const OutputError& e) {
        throw OutputError(fmt::format("{}; {}; the commit journal is kept for the next run", what,
                                      e.what()));
      }
      fail(what);
    }
  }
  std::string left;
  for (std::size_t k = 0; k <= entries.size(); ++k) {
    const AtStep step = at_step(stop, CommitPhase::cleaning, k);
    if (step == AtStep::kill) return;
    if (k == entries.size()) break;
    if (step == AtStep::fail) errno = EIO;
    if (step == AtStep::fail || !remove_file(entries[k].backup))
      left += fmt::format("; {}: cannot remove: {}", entries[k].backup.string(),
                          std::strerror(errno));
  }
  if (left.empty() && !journal->remove())
    left = "; the commit journal could not be removed";
  files_.clear();
  directories_.clear();
  if (!left.empty())
    throw OutputError(fmt::format("every output file was written{}", left));
}

}  // namespace zervola::frame
