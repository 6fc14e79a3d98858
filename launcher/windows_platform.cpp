// The platform layer on Windows: the system directory and ShellExecuteA, with
// 8-bit ANSI strings.

#include <windows.h>

#include <shellapi.h>

#include "native_platform.hpp"

namespace zervola::launcher {
namespace {

// Size of the buffer that receives the system directory, in characters.
constexpr UINT k_system_dir_capacity = 255;
// ShellExecuteA reports failure with a value of 32 or less, success above it.
constexpr INT_PTR k_shell_execute_last_error = 32;

class WindowsPlatform final : public Platform {
 public:
  std::optional<char> system_drive() override {
    std::string system_dir(k_system_dir_capacity, ' ');
    const UINT length = GetSystemDirectoryA(system_dir.data(), k_system_dir_capacity);
    // 0 is a failure; a value of the capacity or more is the size that a
    // buffer would need, and nothing was written.
    if (length == 0 || length >= k_system_dir_capacity) return std::nullopt;
    system_dir.resize(length);
    return system_dir.front();
  }

  bool start_maximised(const std::string& executable, const std::string& parameter) override {
    const HINSTANCE result = ShellExecuteA(nullptr, nullptr, executable.c_str(), parameter.c_str(),
                                           nullptr, SW_SHOWMAXIMIZED);
    return reinterpret_cast<INT_PTR>(result) > k_shell_execute_last_error;
  }
};

}  // namespace

std::unique_ptr<Platform> make_native_platform() { return std::make_unique<WindowsPlatform>(); }

}  // namespace zervola::launcher
