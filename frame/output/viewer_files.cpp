#include "output/viewer_files.hpp"

#include <fmt/format.h>

#include <fstream>
#include <sstream>

#include "model/library_directory.hpp"
#include "zervola/frame.hpp"
#include "zervola/frame/errors.hpp"

namespace zervola::frame {

std::filesystem::path viewer_directory() {
  const std::filesystem::path directory =
      (library_directory() / ZERVOLA_VIEWER_FROM_LIBRARY).lexically_normal();
  std::error_code ec;
  if (!std::filesystem::is_regular_file(directory / "viewer.html", ec))
    throw OutputError(fmt::format("the 3D view's files are not installed: {} holds no viewer.html; "
                                  "reinstall zervola",
                                  directory.string()));
  if (!std::filesystem::is_regular_file(directory / k_three_js_file, ec) ||
      !std::filesystem::is_regular_file(directory / k_three_licence_file, ec))
    throw OutputError(fmt::format(
        "the 3D view needs three.js, which was not found when zervola was built ({} holds no {} "
        "and its licence): install Debian's libjs-three (apt-get install libjs-three, which "
        "gives /usr/share/javascript/three/three.min.js), then configure and build zervola "
        "again",
        directory.string(), k_three_js_file));
  return directory;
}

std::string read_viewer_file(const std::filesystem::path& directory, const std::string& name) {
  const std::filesystem::path path = directory / name;
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  if (!in || !text)
    throw OutputError(fmt::format("{}: cannot read this file of the 3D view; reinstall zervola",
                                  path.string()));
  return std::move(text).str();
}

std::string html_view_directory() { return viewer_directory().string(); }

}  // namespace zervola::frame
