#include "zervola/frame/output_files.hpp"

#include <fcntl.h>
#include <fmt/format.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "zervola/frame/errors.hpp"

namespace zervola::frame {
namespace {

void write_all(const std::string& path, const std::string& content) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) throw OutputError(fmt::format("{}: cannot create: {}", path, std::strerror(errno)));
  std::size_t done = 0;
  while (done < content.size()) {
    const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int err = n < 0 ? errno : EIO;
      ::close(fd);
      throw OutputError(fmt::format("{}: cannot write: {}", path, std::strerror(err)));
    }
    done += static_cast<std::size_t>(n);
  }
  const int synced = ::fsync(fd);
  const int err = errno;
  if (::close(fd) != 0 || synced != 0)
    throw OutputError(fmt::format("{}: cannot write: {}", path, std::strerror(synced != 0 ? err : errno)));
}

std::string hidden_beside(const std::string& path, const char* suffix) {
  const std::filesystem::path target(path);
  return (target.parent_path() /
          fmt::format(".{}.{}.{}", target.filename().string(), ::getpid(), suffix))
      .string();
}

// A target that cannot be replaced by a file is refused before anything is
// written.
void check_target(const std::string& path) {
  std::error_code ec;
  const auto status = std::filesystem::symlink_status(path, ec);
  if (std::filesystem::is_directory(status))
    throw OutputError(fmt::format("{}: cannot replace: it is a directory", path));
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
      !std::filesystem::is_symlink(status))
    throw OutputError(fmt::format("{}: cannot replace: it is not a regular file", path));
}

// Keeps the target's present content under backup, by a second name for the
// same file where the file system allows it, else by a copy. False when the
// target does not exist.
bool keep_old(const std::string& path, const std::string& backup) {
  std::error_code ec;
  if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec))) return false;
  if (::link(path.c_str(), backup.c_str()) == 0) return true;
  std::ifstream in(path, std::ios::binary);
  std::ostringstream old;
  old << in.rdbuf();
  if (!in || in.bad())
    throw OutputError(fmt::format("{}: cannot keep the old file while replacing it", path));
  write_all(backup, old.str());
  return true;
}

}  // namespace

OutputFiles::~OutputFiles() { remove_temporaries(); }

void OutputFiles::add(std::string path, std::string content) {
  files_.push_back({std::move(path), std::move(content), {}, {}, false});
}

void OutputFiles::remove_temporaries() noexcept {
  for (Pending& f : files_) {
    if (!f.temporary.empty()) ::unlink(f.temporary.c_str());
    f.temporary.clear();
    if (!f.backup.empty()) ::unlink(f.backup.c_str());
    f.backup.clear();
  }
}

// Puts back what the first `count` renames replaced. A target whose old
// content cannot be put back keeps it under its backup name, which the
// message gives.
std::string OutputFiles::undo(std::size_t count) noexcept {
  std::string kept;
  for (std::size_t k = 0; k < count; ++k) {
    Pending& f = files_[k];
    if (f.had_old) {
      if (std::rename(f.backup.c_str(), f.path.c_str()) == 0) {
        f.backup.clear();
      } else {
        kept += fmt::format("; the old {} is kept as {}", f.path, f.backup);
        f.backup.clear();  // not removed: it is the only copy
      }
    } else {
      ::unlink(f.path.c_str());
    }
  }
  return kept;
}

void OutputFiles::commit() {
  try {
    for (const Pending& f : files_) check_target(f.path);
    for (Pending& f : files_) {
      f.temporary = hidden_beside(f.path, "tmp");
      write_all(f.temporary, f.content);
    }
    for (Pending& f : files_) {
      f.backup = hidden_beside(f.path, "old");
      f.had_old = keep_old(f.path, f.backup);
      if (!f.had_old) f.backup.clear();
    }
    for (std::size_t k = 0; k < files_.size(); ++k) {
      Pending& f = files_[k];
      if (std::rename(f.temporary.c_str(), f.path.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        const std::string kept = undo(k);
        throw OutputError(fmt::format("{}: cannot replace: {}; no output file was changed{}",
                                      f.path, reason, kept));
      }
      f.temporary.clear();
    }
  } catch (...) {
    remove_temporaries();
    throw;
  }
  remove_temporaries();
  files_.clear();
}

}  // namespace zervola::frame
