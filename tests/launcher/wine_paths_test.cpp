// Wine prefix, drive mapping and program lookup of the Wine platform layer.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "launcher_test_support.hpp"
#include "wine_paths.hpp"

namespace {

using zervola::launcher::find_program;
using zervola::launcher::map_windows_path;
using zervola::launcher::wine_prefix;
namespace fs = std::filesystem;

TEST(WinePaths, PrefixFromWinePrefixElseHome) {
  EXPECT_EQ(wine_prefix("/opt/prefix", "/home/u"), fs::path("/opt/prefix"));
  EXPECT_EQ(wine_prefix(nullptr, "/home/u"), fs::path("/home/u/.wine"));
  EXPECT_EQ(wine_prefix("", "/home/u"), fs::path("/home/u/.wine"));
  EXPECT_EQ(wine_prefix(nullptr, nullptr), std::nullopt);
  EXPECT_EQ(wine_prefix("", ""), std::nullopt);
}

TEST(WinePaths, DriveLetterGoesThroughItsDosDevicesEntry) {
  const fs::path prefix("/p");
  EXPECT_EQ(map_windows_path(prefix, "D:\\Program Files\\AutoCAD 2003\\acad.exe"),
            fs::path("/p/dosdevices/d:/Program Files/AutoCAD 2003/acad.exe"));
  EXPECT_EQ(map_windows_path(prefix, "c:\\Program Files\\AutoCAD 2000\\acad.exe"),
            fs::path("/p/dosdevices/c:/Program Files/AutoCAD 2000/acad.exe"));
  EXPECT_EQ(map_windows_path(prefix, "Z:\\a\\\\b\\"), fs::path("/p/dosdevices/z:/a/b"));
  EXPECT_EQ(map_windows_path(prefix, "Z:\\"), fs::path("/p/dosdevices/z:"));
}

TEST(WinePaths, PathsWithoutADriveAreNotMapped) {
  const fs::path prefix("/p");
  for (const char* path : {"", "C", "C:", "C:acad.exe", "\\\\server\\share\\acad.exe", "acad.exe",
                           "1:\\acad.exe", ":\\Program Files\\acad.exe", "/usr/bin/acad"}) {
    EXPECT_EQ(map_windows_path(prefix, path), std::nullopt) << path;
  }
}

TEST(WinePaths, ProgramIsFoundOnlyAsAnExecutableFile) {
  zervola::test::TemporaryDirectory tmp;
  const fs::path plain = tmp.path() / "plain";
  const fs::path runnable = tmp.path() / "runnable";
  fs::create_directories(plain);
  fs::create_directories(runnable);
  std::ofstream(plain / "wine") << "not executable\n";
  fs::create_directories(runnable / "wine" / "is-a-directory");
  const std::string dirs = plain.string() + ":" + (runnable / "wine").string();
  EXPECT_EQ(find_program(dirs, "wine"), std::nullopt);

  zervola::test::write_script(runnable / "wine2", "exit 0\n");
  fs::rename(runnable / "wine2", tmp.path() / "wine");
  EXPECT_EQ(find_program(dirs + ":" + tmp.path().string(), "wine"), tmp.path() / "wine");
  EXPECT_EQ(find_program("", "wine"), std::nullopt);
  EXPECT_EQ(find_program("/nonexistent:/also/not", "wine"), std::nullopt);
}

}  // namespace
