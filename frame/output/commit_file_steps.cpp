#include "output/commit_file_steps.hpp"

#include <fcntl.h>
#include <fmt/format.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <streambuf>
#include <vector>

#include "zervola/frame/errors.hpp"

namespace zervola::frame {
namespace {

namespace fs = std::filesystem;

// Links followed before a chain is taken for a loop: the limit Linux itself
// applies to a path (MAXSYMLINKS).
constexpr int k_max_link_hops = 40;

// Writes all of data to fd; 0, or the errno of the failure.
int write_all(int fd, const char* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : EIO;
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

// A stream buffer over a file descriptor that keeps the first failure.
class DescriptorBuffer : public std::streambuf {
 public:
  explicit DescriptorBuffer(int fd) : fd_(fd), buffer_(k_buffer_size) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
  }
  [[nodiscard]] int error() const { return error_; }

 protected:
  int_type overflow(int_type c) override {
    if (sync() != 0) return traits_type::eof();
    if (c != traits_type::eof()) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override {
    if (error_ == 0) error_ = write_all(fd_, pbase(), static_cast<std::size_t>(pptr() - pbase()));
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return error_ == 0 ? 0 : -1;
  }

 private:
  static constexpr std::size_t k_buffer_size = std::size_t{1} << 20;
  int fd_;
  std::vector<char> buffer_;
  int error_ = 0;
};

int create_new(const fs::path& path, const std::string& label) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0)
    throw OutputError(fmt::format("{}: cannot create: {}", label, std::strerror(errno)));
  return fd;
}

// Syncs and closes fd after a write that ended with write_error (0: none).
void finish(int fd, int write_error, const std::string& label) {
  if (write_error != 0) {
    ::close(fd);
    throw OutputError(fmt::format("{}: cannot write: {}", label, std::strerror(write_error)));
  }
  const int synced = ::fsync(fd);
  const int err = errno;
  if (::close(fd) != 0 || synced != 0)
    throw OutputError(
        fmt::format("{}: cannot write: {}", label, std::strerror(synced != 0 ? err : errno)));
}

}  // namespace

void write_new_file(const fs::path& path, const std::string& content, const std::string& label) {
  const int fd = create_new(path, label);
  finish(fd, write_all(fd, content.data(), content.size()), label);
}

void write_new_file(const fs::path& path, const std::function<void(std::ostream&)>& writer,
                    const std::string& label) {
  const int fd = create_new(path, label);
  DescriptorBuffer buffer(fd);
  std::ostream out(&buffer);
  try {
    writer(out);
  } catch (const std::bad_alloc&) {
    ::close(fd);
    throw OutputError(fmt::format("{}: out of memory while writing it; fewer load sets or "
                                  "members, or fewer outputs, would need less",
                                  label));
  } catch (...) {
    ::close(fd);
    throw;
  }
  out.flush();
  finish(fd, buffer.error(), label);
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
