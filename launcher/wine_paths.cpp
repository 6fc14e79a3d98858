#include "wine_paths.hpp"

#include <unistd.h>

#include <string>
#include <system_error>

namespace zervola::launcher {
namespace {

constexpr std::string_view k_default_prefix_dir = ".wine";
constexpr std::string_view k_drive_entries_dir = "dosdevices";
constexpr char k_windows_separator = '\\';
constexpr char k_search_path_separator = ':';

bool is_ascii_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

char to_lower_ascii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool is_executable_file(const std::filesystem::path& file) {
  std::error_code error;
  return std::filesystem::is_regular_file(file, error) && ::access(file.c_str(), X_OK) == 0;
}

}  // namespace

std::optional<std::filesystem::path> wine_prefix(const char* wineprefix, const char* home) {
  if (wineprefix != nullptr && *wineprefix != '\0') return std::filesystem::path(wineprefix);
  if (home != nullptr && *home != '\0') return std::filesystem::path(home) / k_default_prefix_dir;
  return std::nullopt;
}

std::optional<std::filesystem::path> map_windows_path(const std::filesystem::path& prefix,
                                                      std::string_view windows_path) {
  if (windows_path.size() < 3 || !is_ascii_letter(windows_path[0]) || windows_path[1] != ':' ||
      windows_path[2] != k_windows_separator) {
    return std::nullopt;
  }
  const std::string drive_entry{to_lower_ascii(windows_path[0]), ':'};
  std::filesystem::path file = prefix / k_drive_entries_dir / drive_entry;
  std::string_view rest = windows_path.substr(3);
  while (!rest.empty()) {
    const std::size_t end = rest.find(k_windows_separator);
    const std::string_view part = rest.substr(0, end);
    if (!part.empty()) file /= part;
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return file;
}

std::optional<std::filesystem::path> find_program(std::string_view search_path,
                                                  std::string_view program) {
  while (true) {
    const std::size_t end = search_path.find(k_search_path_separator);
    const std::string_view dir = search_path.substr(0, end);
    const std::filesystem::path candidate =
        dir.empty() ? std::filesystem::path(program) : std::filesystem::path(dir) / program;
    if (is_executable_file(candidate)) return candidate;
    if (end == std::string_view::npos) return std::nullopt;
    search_path.remove_prefix(end + 1);
  }
}

}  // namespace zervola::launcher
