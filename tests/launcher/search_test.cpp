// The search order, the texts of the candidates and the parameter, with a
// platform that records every attempt and starts only what is "installed".

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "search.hpp"

namespace {

using zervola::launcher::Platform;
using zervola::launcher::start_first_host;

constexpr const char* k_expected_parameter = "C:\\zervola\\autocad\\zervola.dvb";

class RecordingPlatform final : public Platform {
 public:
  RecordingPlatform(std::optional<char> drive, std::set<std::string> installed)
      : drive_(drive), installed_(std::move(installed)) {}

  std::optional<char> system_drive() override {
    ++drive_queries;
    return drive_;
  }
  bool start_maximised(const std::string& executable, const std::string& parameter) override {
    attempts.push_back(executable);
    parameters.push_back(parameter);
    return installed_.count(executable) != 0;
  }

  std::vector<std::string> attempts;
  std::vector<std::string> parameters;
  int drive_queries = 0;

 private:
  std::optional<char> drive_;
  std::set<std::string> installed_;
};

// The order written out plainly: the system drive, then C to Z, each with the
// releases 2000 to 2009.
std::vector<std::string> expected_order(std::optional<char> system_drive) {
  std::vector<char> drives;
  if (system_drive) drives.push_back(*system_drive);
  for (char d = 'C'; d <= 'Z'; ++d) drives.push_back(d);
  std::vector<std::string> order;
  for (char d : drives) {
    for (int release = 2000; release <= 2009; ++release) {
      order.push_back(std::string(1, d) + ":\\Program Files\\AutoCAD " + std::to_string(release) +
                      "\\acad.exe");
    }
  }
  return order;
}

std::string acad(char drive, int release) {
  return std::string(1, drive) + ":\\Program Files\\AutoCAD " + std::to_string(release) +
         "\\acad.exe";
}

TEST(LauncherTexts, CandidateAndProjectFileAreExact) {
  EXPECT_EQ(zervola::launcher::candidate_exe('C', 4), "C:\\Program Files\\AutoCAD 2004\\acad.exe");
  EXPECT_EQ(zervola::launcher::candidate_exe('Z', 0), "Z:\\Program Files\\AutoCAD 2000\\acad.exe");
  EXPECT_EQ(zervola::launcher::candidate_exe('D', 9), "D:\\Program Files\\AutoCAD 2009\\acad.exe");
  EXPECT_EQ(zervola::launcher::project_file(), k_expected_parameter);
}

TEST(LauncherSearch, NothingInstalledTriesAllTwoHundredFiftyInOrder) {
  for (char system_drive : {'C', 'E', 'Z'}) {
    RecordingPlatform platform(system_drive, {});
    EXPECT_EQ(start_first_host(platform), std::nullopt);
    EXPECT_EQ(platform.drive_queries, 1);
    ASSERT_EQ(platform.attempts.size(), 250u) << "system drive " << system_drive;
    EXPECT_EQ(platform.attempts, expected_order(system_drive));
    // The system drive twice (its first turn and its own), drive B never.
    const auto on_drive = [&](char d) {
      return std::count_if(platform.attempts.begin(), platform.attempts.end(),
                           [d](const std::string& a) { return a[0] == d; });
    };
    EXPECT_EQ(on_drive(system_drive), 20);
    EXPECT_EQ(on_drive('B'), 0);
    EXPECT_EQ(on_drive('D' == system_drive ? 'F' : 'D'), 10);
    for (const std::string& p : platform.parameters) EXPECT_EQ(p, k_expected_parameter);
  }
}

TEST(LauncherSearch, SystemDriveOutsideCToZIsTriedOnlyFirst) {
  RecordingPlatform platform('B', {});
  start_first_host(platform);
  ASSERT_EQ(platform.attempts.size(), 250u);
  EXPECT_EQ(platform.attempts.front(), "B:\\Program Files\\AutoCAD 2000\\acad.exe");
  EXPECT_EQ(platform.attempts[10], "C:\\Program Files\\AutoCAD 2000\\acad.exe");
}

TEST(LauncherSearch, UnreadableSystemDriveSkipsOnlyItsTurn) {
  RecordingPlatform platform(std::nullopt, {});
  EXPECT_EQ(start_first_host(platform), std::nullopt);
  EXPECT_EQ(platform.attempts, expected_order(std::nullopt));
  EXPECT_EQ(platform.attempts.size(), 240u);
}

TEST(LauncherSearch, OldestReleaseOnTheSystemDriveWins) {
  RecordingPlatform platform('C', {acad('C', 2004), acad('C', 2006)});
  EXPECT_EQ(start_first_host(platform), acad('C', 2004));
  ASSERT_EQ(platform.attempts.size(), 5u);
  EXPECT_EQ(platform.attempts.back(), acad('C', 2004));
}

TEST(LauncherSearch, EarlierDriveWinsOverNewerRelease) {
  RecordingPlatform platform('C', {acad('D', 2008), acad('E', 2002)});
  EXPECT_EQ(start_first_host(platform), acad('D', 2008));
  // C twice (20), then D 2000 to 2008.
  EXPECT_EQ(platform.attempts.size(), 29u);
  for (const std::string& p : platform.parameters) EXPECT_EQ(p, k_expected_parameter);
}

TEST(LauncherSearch, SystemDriveWinsOverEveryOtherDrive) {
  RecordingPlatform platform('F', {acad('C', 2000), acad('F', 2009)});
  EXPECT_EQ(start_first_host(platform), acad('F', 2009));
  EXPECT_EQ(platform.attempts.size(), 10u);
}

TEST(LauncherSearch, ProjectFileNamesDriveCWhereverTheHostIs) {
  RecordingPlatform platform('Q', {acad('X', 2001)});
  EXPECT_EQ(start_first_host(platform), acad('X', 2001));
  EXPECT_EQ(platform.parameters.back(), k_expected_parameter);
}

TEST(LauncherSearch, OtherInstallationsAreNeverFound) {
  RecordingPlatform platform(
      'C', {"C:\\Program Files\\AutoCAD 2010\\acad.exe", "C:\\Program Files\\AutoCAD 1999\\acad.exe",
            "C:\\Programme\\AutoCAD 2004\\acad.exe", "C:\\Program Files (x86)\\AutoCAD 2004\\acad.exe",
            "C:\\Program Files\\AutoCAD 2004\\ACAD.EXE", "C:\\Program Files\\AutoCAD  2004\\acad.exe",
            "B:\\Program Files\\AutoCAD 2004\\acad.exe"});
  EXPECT_EQ(start_first_host(platform), std::nullopt);
  EXPECT_EQ(platform.attempts.size(), 250u);
}

TEST(LauncherSearch, StopsAtTheFirstSuccessInEveryPosition) {
  for (char system_drive : {'C', 'K'}) {
    const std::vector<std::string> order = expected_order(system_drive);
    for (std::size_t k = 0; k < order.size(); ++k) {
      RecordingPlatform platform(system_drive, {order[k]});
      const std::optional<std::string> started = start_first_host(platform);
      ASSERT_EQ(started, order[k]);
      // The system drive's second turn is never reached when it has a host.
      const std::size_t first = static_cast<std::size_t>(
          std::find(order.begin(), order.end(), order[k]) - order.begin());
      ASSERT_EQ(platform.attempts.size(), first + 1) << order[k];
      ASSERT_TRUE(std::equal(platform.attempts.begin(), platform.attempts.end(), order.begin()));
    }
  }
}

}  // namespace
