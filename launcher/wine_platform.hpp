#pragma once

// The platform layer where the CAD host runs under Wine: drive C is the
// system drive, and a candidate counts as started when its file exists in the
// Wine prefix and `wine start /max <exe> <parameter>` was spawned.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform.hpp"

namespace zervola::launcher {

// The system drive that the Wine layer reports.
inline constexpr char k_wine_system_drive = 'C';

class WinePlatform final : public Platform {
 public:
  // prefix: the Wine prefix whose dosdevices entries map drive letters;
  // wine: the wine command. Without either every start fails.
  WinePlatform(std::optional<std::filesystem::path> prefix,
               std::optional<std::filesystem::path> wine);

  // Prefix from WINEPREFIX (or ~/.wine), wine looked up on PATH.
  static WinePlatform from_environment();

  std::optional<char> system_drive() override;
  bool start_maximised(const std::string& executable, const std::string& parameter) override;

 private:
  std::optional<std::filesystem::path> prefix_;
  std::optional<std::filesystem::path> wine_;
};

// Spawns program with arguments (argument 0 included) in a new session, its
// standard streams on /dev/null, and does not wait for it. True when the
// program was executed.
bool spawn_detached(const std::filesystem::path& program, const std::vector<std::string>& arguments);

}  // namespace zervola::launcher
