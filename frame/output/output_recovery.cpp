// recover_outputs: finds the journals and leftovers of interrupted commits in
// the directories of a run's outputs and settles them.

#include <fcntl.h>
#include <fmt/format.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <utility>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "output/commit_file_steps.hpp"
#include "output/commit_journal.hpp"
#include "output/commit_settle.hpp"
#include "zervola/frame/errors.hpp"
#include "zervola/frame/output_files.hpp"

namespace zervola::frame {
namespace {

namespace fs = std::filesystem;

// The directories where the outputs' commits keep their files, each once.
std::vector<fs::path> output_directories(const std::vector<std::string>& outputs) {
  std::vector<fs::path> directories;
  for (const std::string& o : outputs) {
    const fs::path p = followed_path(o);
    std::error_code ec;
    fs::path d = fs::is_directory(p, ec) ? p : p.parent_path();
    if (fs::is_directory(d, ec) && std::find(directories.begin(), directories.end(), d) ==
                                       directories.end())
      directories.push_back(std::move(d));
  }
  return directories;
}

// The commit files of kind (in) in directory (in), sorted so that journals
// are settled in a fixed order.
std::vector<std::pair<fs::path, CommitFileName>> commit_files(const fs::path& directory,
                                                              CommitFileKind kind) {
  std::vector<std::pair<fs::path, CommitFileName>> found;
  std::error_code ec;
  for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
    CommitFileName name = classify_commit_file(it->path().filename().string());
    if (name.kind == kind) found.emplace_back(it->path(), std::move(name));
  }
  std::sort(found.begin(), found.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  return found;
}

// Whether the process that made a commit file may still be running it: this
// process, or any process of that number (perhaps another one by now, which
// errs on the side of keeping the file).
bool maybe_running(pid_t pid) {
  return pid == ::getpid() || ::kill(pid, 0) == 0 || errno != ESRCH;
}

// An open journal, closed (its lock let go) when this ends.
class HeldFile {
 public:
  explicit HeldFile(const fs::path& path) : fd_(::open(path.c_str(), O_RDWR | O_CLOEXEC)) {}
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;
  ~HeldFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  [[nodiscard]] int fd() const { return fd_; }

 private:
  int fd_;
};

// Settles the journal at path (in); returns what was done, or "" when the
// journal is not for this run to settle (gone meanwhile, or held by a commit
// still running).
std::string settle_journal(const fs::path& path) {
  const HeldFile file(path);
  if (file.fd() < 0) {
    if (errno == ENOENT) return {};
    throw OutputError(fmt::format("{}: cannot open the commit journal: {}", path.string(),
                                  std::strerror(errno)));
  }
  if (::flock(file.fd(), LOCK_EX | LOCK_NB) != 0) return {};
  // The journal may have been settled and removed between the open and the
  // lock; then this one is no longer under its name.
  struct stat held {};
  struct stat named {};
  if (::fstat(file.fd(), &held) != 0 || ::stat(path.c_str(), &named) != 0 ||
      held.st_ino != named.st_ino || held.st_dev != named.st_dev)
    return {};
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  const std::optional<Journal> journal = parse_journal(text.str());
  if (!journal)
    throw OutputError(fmt::format(
        "{}: not a whole commit journal: check the output files it names and remove it",
        path.string()));
  const bool forward = journal->state == CommitState::replace;
  const std::string left = settle(*journal);
  if (!left.empty())
    throw OutputError(fmt::format("{}: an interrupted output commit could not be {}{}; the "
                                  "journal is kept for the next run",
                                  path.string(), forward ? "finished" : "undone", left));
  remove_file(path);
  sync_directory(path.parent_path());
  if (!forward) remove_created_directories(*journal);
  return fmt::format("{}: an interrupted output commit of {} file{} was {}", path.string(),
                     journal->entries.size(), journal->entries.size() == 1 ? "" : "s",
                     forward ? "finished: the new files are in place"
                             : "undone: the earlier files are in place");
}

}  // namespace

std::vector<std::string> recover_outputs(const std::vector<std::string>& outputs) {
  std::vector<std::string> done;
  const std::vector<fs::path> directories = output_directories(outputs);
  for (const fs::path& d : directories)
    for (const auto& journal : commit_files(d, CommitFileKind::journal))
      if (std::string note = settle_journal(journal.first); !note.empty())
        done.push_back(std::move(note));
  // A journal still here belongs to a commit still running: its files are
  // its own.
  std::set<std::string> running;
  for (const fs::path& d : directories)
    for (const auto& journal : commit_files(d, CommitFileKind::journal))
      running.insert(journal.second.tag);
  // What remains of a commit that is over is named in no journal: an
  // unfinished journal, or the files of a journal removed by hand.
  for (const fs::path& d : directories) {
    std::size_t removed = 0;
    for (const CommitFileKind kind : {CommitFileKind::partial_journal, CommitFileKind::leftover})
      for (const auto& [path, name] : commit_files(d, kind))
        if (!running.contains(name.tag) && !maybe_running(name.pid) && remove_file(path))
          ++removed;
    if (removed > 0) {
      sync_directory(d);
      done.push_back(fmt::format("{}: removed {} temporary file{} of an interrupted output commit",
                                 d.string(), removed, removed == 1 ? "" : "s"));
    }
  }
  return done;
}

}  // namespace zervola::frame
