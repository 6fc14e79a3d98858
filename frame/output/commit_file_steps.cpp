#include "output/commit_file_steps.hpp"

#include <fcntl.h>
#include <fmt/format.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "zervola/frame/errors.hpp"

namespace zervola::frame {
namespace {

namespace fs = std::filesystem;

// Links followed before a chain is taken for a loop: the limit Linux itself
// applies to a path (MAXSYMLINKS).
constexpr int k_max_link_hops = 40;

}  // namespace

void write_new_file(const fs::path& path, const std::string& content, const std::string& label) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0)
    throw OutputError(fmt::format("{}: cannot create: {}", label, std::strerror(errno)));
  std::size_t done = 0;
  while (done < content.size()) {
    const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int err = n < 0 ? errno : EIO;
      ::close(fd);
      throw OutputError(fmt::format("{}: cannot write: {}", label, std::strerror(err)));
    }
    done += static_cast<std::size_t>(n);
  }
  const int synced = ::fsync(fd);
  const int err = errno;
  if (::close(fd) != 0 || synced != 0)
    throw OutputError(
        fmt::format("{}: cannot write: {}", label, std::strerror(synced != 0 ? err : errno)));
}

void sync_directory(const fs::path& directory) noexcept {
  const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  static_cast<void>(::fsync(fd));
  ::close(fd);
}

fs::path followed_path(const std::string& path) {
  std::error_code ec;
  fs::path p = fs::absolute(path, ec);
  if (ec) p = path;
  for (int hops = 0; fs::is_symlink(fs::symlink_status(p, ec)); ++hops) {
    if (hops == k_max_link_hops)
      throw OutputError(fmt::format("{}: cannot replace: too many levels of symbolic links", path));
    const fs::path to = fs::read_symlink(p, ec);
    if (ec) break;
    p = to.is_absolute() ? to : p.parent_path() / to;
  }
  // Links among the directories are resolved too, so that two spellings of
  // one file compare equal.
  const fs::path canonical = fs::weakly_canonical(p, ec);
  return ec ? p.lexically_normal() : canonical;
}

bool present(const fs::path& path) noexcept {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

bool remove_file(const fs::path& path) noexcept {
  return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

}  // namespace zervola::frame
