#pragma once

// The 3D view's files, data installed beside the library as the section
// catalogue is: share/zervola/viewer holds the page's template, style and
// scripts, and three.js with its licence when the build found them.

#include <filesystem>
#include <string>

namespace zervola::frame {

// The file names of three.js and of its licence in the viewer's directory.
inline constexpr const char* k_three_js_file = "three.min.js";
inline constexpr const char* k_three_licence_file = "three-copyright.txt";

// The viewer's directory, checked: the template there, and three.js with
// its licence. Throws OutputError saying what is missing and what to do
// (three.js: install Debian's libjs-three and build zervola again).
[[nodiscard]] std::filesystem::path viewer_directory();

// The text of the viewer's file `name` (in) in directory (in). Throws
// OutputError when it cannot be read.
[[nodiscard]] std::string read_viewer_file(const std::filesystem::path& directory,
                                           const std::string& name);

}  // namespace zervola::frame
