#include "model/library_directory.hpp"

#include <dlfcn.h>

namespace zervola::frame {

std::filesystem::path library_directory() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&library_directory), &info) == 0 || info.dli_fname == nullptr)
    return {};
  std::error_code ec;
  const std::filesystem::path file = std::filesystem::canonical(info.dli_fname, ec);
  return ec ? std::filesystem::path(info.dli_fname).parent_path() : file.parent_path();
}

}  // namespace zervola::frame
