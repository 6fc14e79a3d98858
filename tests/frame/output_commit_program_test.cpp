// The commit of zervola-frame's outputs as a user meets it: --recover and the
// next run after a killed one, two options naming one file, a link as an
// output, and a failed run that leaves no folder it made.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <zervola/frame/output_files.hpp>

#include <filesystem>

#include "directory_snapshot.hpp"
#include "output_set.hpp"
#include "run_program.hpp"

namespace zervola::frame::test {
namespace output_commit_program_test {

namespace fs = std::filesystem;
using Set = std::map<std::string, std::string>;

std::string portal() { return examples_dir() + "/loaded_portal.json"; }

// A model that cannot be analysed (exit status 3): an error about the
// outputs instead shows that they were checked before the analysis.
std::string unanalysable_model() {
  return host_data_dir() + "/../frame-command-line/unconnected.json";
}

bool has_hidden_file(const Set& snapshot) {
  for (const auto& entry : snapshot)
    if (entry.first.starts_with('.') || entry.first.find("/.") != std::string::npos) return true;
  return false;
}

// Leaves a commit of the new set under dir stopped after three renames, as a
// kill there leaves it.
void interrupted_commit(const ScratchDirectory& dir) {
  OutputFiles old_files;
  queue_output_set(old_files, dir, output_set("old"));
  old_files.commit();
  OutputFiles files;
  queue_output_set(files, dir, output_set("new"));
  files.commit({CommitPhase::renaming, 3});
}

TEST(OutputCommitProgram, RecoverFinishesAnInterruptedCommitWithoutAModel) {
  const ScratchDirectory dir;
  interrupted_commit(dir);
  const RunResult r = run_frame({"--recover", dir.path("r.json"), dir.path("csv")});
  EXPECT_EQ(r.exit_status, static_cast<int>(ExitStatus::success)) << r.err;
  EXPECT_NE(r.err.find("the new files are in place"), std::string::npos) << r.err;
  EXPECT_EQ(directory_snapshot(dir.root()), snapshot_of_set(output_set("new")));
  const RunResult again = run_frame({"--recover", dir.path("r.json"), dir.path("csv")});
  EXPECT_EQ(again.exit_status, static_cast<int>(ExitStatus::success));
  EXPECT_EQ(again.err, "");
}

TEST(OutputCommitProgram, NextRunSettlesAnInterruptedCommitBeforeItsOwn) {
  const ScratchDirectory dir;
  interrupted_commit(dir);
  const RunResult r = run_frame({portal(), "-q", "--json", dir.path("r.json"), "--csv",
                                 dir.path("csv"), "--svg", dir.path("r.svg")});
  ASSERT_EQ(r.exit_status, static_cast<int>(ExitStatus::success)) << r.err;
  EXPECT_NE(r.err.find("interrupted output commit"), std::string::npos) << r.err;
  const Set after = directory_snapshot(dir.root());
  EXPECT_FALSE(has_hidden_file(after));
  // The run's own outputs, beside the earlier set's files it does not write.
  EXPECT_TRUE(read_json(dir.path("r.json")).contains("load_cases"));
  EXPECT_EQ(after.at("csv/nodes.csv").rfind("node,x,y,z\n", 0), 0u);
  EXPECT_EQ(after.at("csv/end forces.csv"), output_set("new").at("csv/end forces.csv"));
}

TEST(OutputCommitProgram, OneFileNamedByTwoOptionsIsRefusedBeforeTheAnalysis) {
  const ScratchDirectory dir;
  fs::create_symlink("drawing.svg", dir.path("link.json"));
  struct Case {
    std::vector<std::string> options;
    std::string first, second;
  };
  const std::vector<Case> cases = {
      {{"--json", dir.path("reactions.csv"), "--csv", dir.path(".")},
       "--json " + dir.path("reactions.csv"),
       "--csv " + dir.path(".") + " (its table reactions.csv)"},
      {{"--json", dir.path("out"), "--svg", dir.path("out")},
       "--json " + dir.path("out"),
       "--svg " + dir.path("out")},
      {{"--json", dir.path("link.json"), "--svg", dir.path("drawing.svg")},
       "--json " + dir.path("link.json"),
       "--svg " + dir.path("drawing.svg")}};
  const Set before = directory_snapshot(dir.root());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.first);
    std::vector<std::string> arguments = {unanalysable_model(), "-q"};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    const RunResult r = run_frame(arguments);
    EXPECT_EQ(r.exit_status, static_cast<int>(ExitStatus::output)) << r.err;
    EXPECT_NE(r.err.find(c.first + " and " + c.second + " name the same file"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(directory_snapshot(dir.root()), before);
  }
}

TEST(OutputCommitProgram, LinkAsAnOutputStaysAndItsFileIsWritten) {
  const ScratchDirectory dir;
  fs::create_directories(dir.path("results"));
  static_cast<void>(dir.write("results/portal.json", "old"));
  fs::create_symlink("results/portal.json", dir.path("latest.json"));
  const RunResult r = run_frame({portal(), "-q", "--json", dir.path("latest.json")});
  ASSERT_EQ(r.exit_status, static_cast<int>(ExitStatus::success)) << r.err;
  EXPECT_TRUE(fs::is_symlink(dir.path("latest.json")));
  EXPECT_TRUE(read_json(dir.path("results/portal.json")).contains("load_cases"));
  EXPECT_EQ(directory_snapshot(dir.root()).size(), 3u);  // results/, its file, the link
}

// Lowers the largest file this process and its children may write (as a
// full disk stops a write), and restores it when it ends.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit lowered = saved_;
    lowered.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &lowered);
  }
  ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &saved_); }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
};

TEST(OutputCommitProgram, FailedRunRemovesTheFoldersItCreated) {
  // A file too large to be written: the JSON (more than 100 kB) past a
  // limit that the CSV tables and the commit journal stay under.
  constexpr rlim_t k_limit_bytes = 16384;
  {
    const ScratchDirectory dir;
    RunResult r;
    {
      const FileSizeLimit limit(k_limit_bytes);
      r = run_frame(
          {portal(), "-q", "--csv", dir.path("tables/csv"), "--json", dir.path("r.json")});
    }
    EXPECT_EQ(r.exit_status, static_cast<int>(ExitStatus::output)) << r.err;
    EXPECT_NE(r.err.find("r.json: cannot write"), std::string::npos) << r.err;
    EXPECT_EQ(directory_snapshot(dir.root()), Set());
  }
  {
    // An output under a file, as if it were a folder.
    const ScratchDirectory dir;
    static_cast<void>(dir.write("file.txt", "text"));
    const RunResult r = run_frame(
        {portal(), "-q", "--csv", dir.path("tables/csv"), "--svg", dir.path("file.txt/r.svg")});
    EXPECT_EQ(r.exit_status, static_cast<int>(ExitStatus::output)) << r.err;
    EXPECT_EQ(directory_snapshot(dir.root()), (Set{{"file.txt", "text"}}));
  }
}

}  // namespace output_commit_program_test
}  // namespace zervola::frame::test
