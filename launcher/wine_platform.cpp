#include "wine_platform.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>
#include <utility>

#include "native_platform.hpp"
#include "wine_paths.hpp"

namespace zervola::launcher {
namespace {

constexpr const char* k_null_device = "/dev/null";
constexpr std::string_view k_wine_program = "wine";

// Owners of the spawn attribute objects, released on every path.
struct SpawnActions {
  posix_spawn_file_actions_t actions{};
  bool ready = posix_spawn_file_actions_init(&actions) == 0;
  SpawnActions() = default;
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
  ~SpawnActions() {
    if (ready) posix_spawn_file_actions_destroy(&actions);
  }
};

struct SpawnAttributes {
  posix_spawnattr_t attributes{};
  bool ready = posix_spawnattr_init(&attributes) == 0;
  SpawnAttributes() = default;
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;
  ~SpawnAttributes() {
    if (ready) posix_spawnattr_destroy(&attributes);
  }
};

}  // namespace

bool spawn_detached(const std::filesystem::path& program,
                    const std::vector<std::string>& arguments) {
  SpawnActions files;
  SpawnAttributes attributes;
  if (!files.ready || !attributes.ready) return false;
  if (posix_spawn_file_actions_addopen(&files.actions, STDIN_FILENO, k_null_device, O_RDONLY, 0) != 0 ||
      posix_spawn_file_actions_addopen(&files.actions, STDOUT_FILENO, k_null_device, O_WRONLY, 0) != 0 ||
      posix_spawn_file_actions_addopen(&files.actions, STDERR_FILENO, k_null_device, O_WRONLY, 0) != 0 ||
      posix_spawnattr_setflags(&attributes.attributes, POSIX_SPAWN_SETSID) != 0) {
    return false;
  }
  std::vector<std::string> storage(arguments);
  std::vector<char*> argv;
  argv.reserve(storage.size() + 1);
  for (std::string& argument : storage) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  return posix_spawn(&child, program.c_str(), &files.actions, &attributes.attributes, argv.data(),
                     environ) == 0;
}

WinePlatform::WinePlatform(std::optional<std::filesystem::path> prefix,
                           std::optional<std::filesystem::path> wine)
    : prefix_(std::move(prefix)), wine_(std::move(wine)) {}

WinePlatform WinePlatform::from_environment() {
  const char* search_path = std::getenv("PATH");
  return WinePlatform(wine_prefix(std::getenv("WINEPREFIX"), std::getenv("HOME")),
                      search_path == nullptr ? std::nullopt
                                             : find_program(search_path, k_wine_program));
}

std::optional<char> WinePlatform::system_drive() { return k_wine_system_drive; }

bool WinePlatform::start_maximised(const std::string& executable, const std::string& parameter) {
  if (!prefix_ || !wine_) return false;
  const std::optional<std::filesystem::path> file = map_windows_path(*prefix_, executable);
  std::error_code error;
  if (!file || !std::filesystem::is_regular_file(*file, error)) return false;
  return spawn_detached(*wine_, {std::string(k_wine_program), "start", "/max", executable, parameter});
}

std::unique_ptr<Platform> make_native_platform() {
  return std::make_unique<WinePlatform>(WinePlatform::from_environment());
}

}  // namespace zervola::launcher
