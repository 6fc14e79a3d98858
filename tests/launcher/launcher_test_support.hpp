#pragma once

// Temporary folders, small scripts and waiting for files, for the tests of
// the Wine platform layer.

#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>

namespace zervola::test {

// A fresh folder under the system's temporary folder, removed with its
// contents at the end of the scope.
class TemporaryDirectory {
 public:
  TemporaryDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zervola-launcher-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TemporaryDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Writes an executable /bin/sh script with body.
inline void write_script(const std::filesystem::path& file, const std::string& body) {
  std::ofstream(file) << "#!/bin/sh\n" << body;
  std::filesystem::permissions(file, std::filesystem::perms::owner_all |
                                         std::filesystem::perms::group_read |
                                         std::filesystem::perms::group_exec);
}

// The contents of file once it exists, waiting up to timeout; empty when it
// never appears.
inline std::string wait_for_file(const std::filesystem::path& file,
                                 std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!std::filesystem::exists(file)) {
    if (std::chrono::steady_clock::now() > deadline) return {};
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::ostringstream text;
  text << std::ifstream(file).rdbuf();
  return text.str();
}

}  // namespace zervola::test
