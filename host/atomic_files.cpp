#include "atomic_files.hpp"

#include <fcntl.h>
#include <fmt/format.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "errors.hpp"

namespace zervola::host {
namespace {

void write_all(const std::string& path, const std::string& content) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) throw OutputError(fmt::format("{}: cannot create: {}", path, std::strerror(errno)));
  std::size_t done = 0;
  while (done < content.size()) {
    const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int err = errno;
      ::close(fd);
      throw OutputError(fmt::format("{}: cannot write: {}", path, std::strerror(err)));
    }
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0 || ::close(fd) != 0)
    throw OutputError(fmt::format("{}: cannot write: {}", path, std::strerror(errno)));
}

}  // namespace

OutputFiles::~OutputFiles() { remove_temporaries(); }

void OutputFiles::add(std::string path, std::string content) {
  files_.push_back({std::move(path), std::move(content), {}});
}

void OutputFiles::remove_temporaries() noexcept {
  for (Pending& f : files_) {
    if (!f.temporary.empty()) ::unlink(f.temporary.c_str());
    f.temporary.clear();
  }
}

void OutputFiles::commit() {
  try {
    for (Pending& f : files_) {
      const std::filesystem::path target(f.path);
      f.temporary = (target.parent_path() / fmt::format(".{}.{}.tmp", target.filename().string(),
                                                        ::getpid()))
                        .string();
      write_all(f.temporary, f.content);
    }
    for (Pending& f : files_) {
      if (std::rename(f.temporary.c_str(), f.path.c_str()) != 0)
        throw OutputError(fmt::format("{}: cannot replace: {}", f.path, std::strerror(errno)));
      f.temporary.clear();
    }
  } catch (...) {
    remove_temporaries();
    throw;
  }
  files_.clear();
}

}  // namespace zervola::host
