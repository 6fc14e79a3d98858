#pragma once

// The search for an installed CAD host of the releases 2000 to 2009.
//
// Candidates are tried in the order (system drive, C, D, ..., Z) x (2000,
// 2001, ..., 2009): the turn of character code 'B' goes to the system drive,
// so drive B is never tried and the system drive is tried first and, when it
// is one of C to Z, once more in its alphabetical turn. The first candidate
// that starts ends the search; 25 x 10 = 250 attempts when none does.

#include <optional>
#include <string>
#include <string_view>

#include "platform.hpp"

namespace zervola::launcher {

// Directory of the host project file: drive C, whatever drive the host is on.
inline constexpr std::string_view k_project_dir = "C:\\zervola\\autocad\\";
inline constexpr std::string_view k_project_file_name = "zervola.dvb";

// candidate = drive letter + k_candidate_head + release digit + k_candidate_tail
inline constexpr std::string_view k_candidate_head = ":\\Program Files\\AutoCAD 200";
inline constexpr std::string_view k_candidate_tail = "\\acad.exe";

// The drive turns run over these character codes; the first turn is the
// system drive's.
inline constexpr int k_first_turn_code = 'B';
inline constexpr int k_last_turn_code = 'Z';

// Release digits: 0 for release 2000 up to 9 for release 2009.
inline constexpr int k_first_release_digit = 0;
inline constexpr int k_last_release_digit = 9;

// C:\zervola\autocad\zervola.dvb, the single parameter handed to the host.
std::string project_file();

// drive_letter:\Program Files\AutoCAD 200<digit>\acad.exe, the digit written
// without a leading blank. Requires k_first_release_digit <= release_digit <=
// k_last_release_digit.
std::string candidate_exe(char drive_letter, int release_digit);

// The drive tried in the turn of turn_code: the system drive for the first
// turn (nothing when it is unknown), the character turn_code otherwise.
std::optional<char> drive_of_turn(int turn_code, std::optional<char> system_drive);

// Runs the whole search through platform. Returns the candidate that was
// started, or nothing when every attempt failed.
std::optional<std::string> start_first_host(Platform& platform);

}  // namespace zervola::launcher
