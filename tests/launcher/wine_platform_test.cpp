// The Wine platform layer against a temporary prefix, with a fake `wine` that
// records its arguments, its session and its standard streams.

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "launcher_test_support.hpp"
#include "search.hpp"
#include "wine_platform.hpp"

namespace {

namespace fs = std::filesystem;
using zervola::launcher::WinePlatform;
using zervola::test::wait_for_file;

constexpr auto k_start_timeout = std::chrono::milliseconds(10000);
constexpr auto k_quiet_period = std::chrono::milliseconds(300);
constexpr const char* k_parameter = "C:\\zervola\\autocad\\zervola.dvb";

// prefix/dosdevices/c: and d: point at drive_c and drive_d, as Wine lays them
// out; the fake wine writes its record to record.txt (renamed into place when
// complete).
struct FakeWine {
  zervola::test::TemporaryDirectory tmp;
  fs::path prefix = tmp.path() / "prefix";
  fs::path wine = tmp.path() / "bin" / "wine";
  fs::path record = tmp.path() / "record.txt";

  FakeWine() {
    fs::create_directories(prefix / "dosdevices");
    fs::create_directories(prefix / "drive_c");
    fs::create_directories(prefix / "drive_d");
    fs::create_directory_symlink("../drive_c", prefix / "dosdevices" / "c:");
    fs::create_directory_symlink("../drive_d", prefix / "dosdevices" / "d:");
    fs::create_directories(wine.parent_path());
    zervola::test::write_script(
        wine, "in=$(readlink /proc/$$/fd/0); out=$(readlink /proc/$$/fd/1); "
              "err=$(readlink /proc/$$/fd/2)\n"
              "sid=$(cut -d' ' -f6 /proc/$$/stat)\n"
              "{ for a in \"$@\"; do printf 'arg=%s\\n' \"$a\"; done\n"
              "  printf 'leader=%s\\n' \"$([ \"$sid\" = \"$$\" ] && echo yes || echo no)\"\n"
              "  printf 'streams=%s %s %s\\n' \"$in\" \"$out\" \"$err\"\n"
              "} > '" + record.string() + ".part'\n"
              "mv '" + record.string() + ".part' '" + record.string() + "'\n");
  }

  // Places an acad.exe on drive_dir (drive_c, drive_d, ...) for a release.
  void install(const std::string& drive_dir, int release) const {
    const fs::path dir = prefix / drive_dir / "Program Files" / ("AutoCAD " + std::to_string(release));
    fs::create_directories(dir);
    std::ofstream(dir / "acad.exe") << "MZ";
  }
};

std::string expected_record(const std::string& exe) {
  return "arg=start\narg=/max\narg=" + exe + "\narg=" + k_parameter +
         "\nleader=yes\nstreams=/dev/null /dev/null /dev/null\n";
}

TEST(WinePlatform, SystemDriveIsC) {
  WinePlatform platform(std::nullopt, std::nullopt);
  EXPECT_EQ(platform.system_drive(), 'C');
}

TEST(WinePlatform, PresentCandidateIsStartedDetachedWithExactArguments) {
  FakeWine fake;
  fake.install("drive_d", 2003);
  WinePlatform platform(fake.prefix, fake.wine);
  const std::string exe = "D:\\Program Files\\AutoCAD 2003\\acad.exe";
  EXPECT_TRUE(platform.start_maximised(exe, k_parameter));
  EXPECT_EQ(wait_for_file(fake.record, k_start_timeout), expected_record(exe));
}

TEST(WinePlatform, MissingCandidateIsNotStarted) {
  FakeWine fake;
  fake.install("drive_d", 2003);
  WinePlatform platform(fake.prefix, fake.wine);
  EXPECT_FALSE(platform.start_maximised("D:\\Program Files\\AutoCAD 2004\\acad.exe", k_parameter));
  EXPECT_FALSE(platform.start_maximised("C:\\Program Files\\AutoCAD 2003\\acad.exe", k_parameter));
  // Drive E has no dosdevices entry.
  EXPECT_FALSE(platform.start_maximised("E:\\Program Files\\AutoCAD 2003\\acad.exe", k_parameter));
  EXPECT_EQ(wait_for_file(fake.record, k_quiet_period), "");
}

TEST(WinePlatform, WithoutWineEveryStartFails) {
  FakeWine fake;
  fake.install("drive_c", 2000);
  const std::string exe = "C:\\Program Files\\AutoCAD 2000\\acad.exe";
  EXPECT_FALSE(WinePlatform(fake.prefix, std::nullopt).start_maximised(exe, k_parameter));
  EXPECT_FALSE(WinePlatform(std::nullopt, fake.wine).start_maximised(exe, k_parameter));
  // A wine that cannot be executed is a failed spawn.
  EXPECT_FALSE(WinePlatform(fake.prefix, fake.tmp.path() / "no-such-wine").start_maximised(exe, k_parameter));
  EXPECT_EQ(wait_for_file(fake.record, k_quiet_period), "");
}

TEST(WinePlatform, SearchStartsTheFirstHostOnTheMappedDrives) {
  FakeWine fake;
  fake.install("drive_d", 2008);
  fake.install("drive_d", 2005);
  fake.install("drive_c", 2010);
  WinePlatform platform(fake.prefix, fake.wine);
  const std::string exe = "D:\\Program Files\\AutoCAD 2005\\acad.exe";
  EXPECT_EQ(zervola::launcher::start_first_host(platform), exe);
  EXPECT_EQ(wait_for_file(fake.record, k_start_timeout), expected_record(exe));
}

}  // namespace
