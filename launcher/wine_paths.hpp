#pragma once

// Where Wine keeps the drives of its Windows side, and where the wine command
// is. Pure functions of their arguments; the caller reads the environment.

#include <filesystem>
#include <optional>
#include <string_view>

namespace zervola::launcher {

// The Wine prefix: wineprefix when it is set and not empty, else home/.wine;
// nothing when neither is known. Either argument may be null.
std::optional<std::filesystem::path> wine_prefix(const char* wineprefix, const char* home);

// The host file behind the Windows path "X:\a\b" in prefix:
// prefix/dosdevices/x:/a/b (the drive letter in lower case, as Wine names its
// drive entries). Nothing when windows_path does not start with a drive
// letter, a colon and a backslash.
std::optional<std::filesystem::path> map_windows_path(const std::filesystem::path& prefix,
                                                      std::string_view windows_path);

// The first regular, executable file named program in the directories of
// search_path (colon-separated, as PATH; an empty entry is the current
// directory). Nothing when there is none.
std::optional<std::filesystem::path> find_program(std::string_view search_path,
                                                  std::string_view program);

}  // namespace zervola::launcher
