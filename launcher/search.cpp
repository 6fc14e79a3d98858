#include "search.hpp"

#include <cassert>

namespace zervola::launcher {

std::string project_file() {
  std::string file(k_project_dir);
  file += k_project_file_name;
  return file;
}

std::string candidate_exe(char drive_letter, int release_digit) {
  assert(release_digit >= k_first_release_digit && release_digit <= k_last_release_digit);
  std::string exe(1, drive_letter);
  exe += k_candidate_head;
  exe += std::to_string(release_digit);
  exe += k_candidate_tail;
  return exe;
}

std::optional<char> drive_of_turn(int turn_code, std::optional<char> system_drive) {
  if (turn_code == k_first_turn_code) return system_drive;
  return static_cast<char>(turn_code);
}

std::optional<std::string> start_first_host(Platform& platform) {
  const std::optional<char> system_drive = platform.system_drive();
  for (int code = k_first_turn_code; code <= k_last_turn_code; ++code) {
    const std::optional<char> drive = drive_of_turn(code, system_drive);
    if (!drive) continue;
    for (int digit = k_first_release_digit; digit <= k_last_release_digit; ++digit) {
      std::string exe = candidate_exe(*drive, digit);
      if (platform.start_maximised(exe, project_file())) return exe;
    }
  }
  return std::nullopt;
}

}  // namespace zervola::launcher
