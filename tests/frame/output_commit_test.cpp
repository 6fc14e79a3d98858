// A commit of six output files killed (in a child process, by SIGKILL) or
// failed at every step, then recovered: the outputs are always the whole old
// set or the whole new set, byte for byte, and nothing else is left.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <zervola/frame/errors.hpp>

#include <filesystem>
#include <fstream>

#include "directory_snapshot.hpp"
#include "output_set.hpp"

namespace zervola::frame::test {
namespace output_commit_test {

namespace fs = std::filesystem;
using Set = std::map<std::string, std::string>;

// Commits set under dir in a child process that stops at stop and is killed
// there by SIGKILL, as a user or the system would kill a run.
void commit_killed_at(const ScratchDirectory& dir, const Set& set, CommitStop stop) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    try {
      OutputFiles files;
      queue_output_set(files, dir, set);
      files.commit(stop);
    } catch (...) {
      ::_exit(1);
    }
    ::kill(::getpid(), SIGKILL);
    ::_exit(2);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
      << "the commit ended before its stop, status " << status;
}

void commit(const ScratchDirectory& dir, const Set& set) {
  OutputFiles files;
  queue_output_set(files, dir, set);
  files.commit();
}

// The snapshot without hidden files: the outputs as a user sees them.
Set visible(const Set& snapshot) {
  Set shown;
  for (const auto& [name, content] : snapshot)
    if (!name.starts_with('.') && name.find("/.") == std::string::npos) shown[name] = content;
  return shown;
}

std::string describe(CommitStop stop) {
  const char* phases[] = {"writing", "renaming", "cleaning"};
  return std::string(phases[static_cast<int>(stop.phase)]) + " " + std::to_string(stop.count);
}

TEST(OutputCommit, KilledAtEveryStepThenRecoveredGivesTheWholeOldOrNewSet) {
  ASSERT_EQ(output_set_names().size(), k_set_size);
  const Set old_set = output_set("old");
  const Set new_set = output_set("new");
  struct Case {
    CommitStop stop;
    const Set* expected;
  };
  std::vector<Case> cases;
  // Before the temporaries are complete the commit is undone; from then on,
  // first rename or not, it is finished.
  for (std::size_t k = 0; k <= k_set_size; ++k)
    cases.push_back({{CommitPhase::writing, k}, &old_set});
  for (std::size_t k = 0; k <= k_set_size; ++k)
    cases.push_back({{CommitPhase::renaming, k}, &new_set});
  for (std::size_t k = 1; k <= k_set_size; ++k)
    cases.push_back({{CommitPhase::cleaning, k}, &new_set});
  for (const Case& c : cases) {
    SCOPED_TRACE(describe(c.stop));
    const ScratchDirectory dir;
    commit(dir, old_set);
    commit_killed_at(dir, new_set, c.stop);
    const Set killed = directory_snapshot(dir.root());
    EXPECT_NE(killed, snapshot_of_set(*c.expected)) << "the kill left nothing to recover";
    if (c.stop.phase == CommitPhase::renaming && c.stop.count > 0 && c.stop.count < k_set_size) {
      // What recovery is for: the kill left a mixed set.
      EXPECT_NE(visible(killed), snapshot_of_set(old_set));
      EXPECT_NE(visible(killed), snapshot_of_set(new_set));
    }
    EXPECT_FALSE(recover_output_set(dir).empty());
    EXPECT_EQ(directory_snapshot(dir.root()), snapshot_of_set(*c.expected));
    EXPECT_TRUE(recover_output_set(dir).empty()) << "recovery left work for a second one";
  }
}

TEST(OutputCommit, FirstCommitKilledBeforeItsRenamesLeavesNothingNotEvenItsFolder) {
  for (std::size_t k = 0; k <= k_set_size; ++k) {
    SCOPED_TRACE(k);
    const ScratchDirectory dir;
    commit_killed_at(dir, output_set("new"), {CommitPhase::writing, k});
    static_cast<void>(recover_output_set(dir));
    EXPECT_EQ(directory_snapshot(dir.root()), Set());
  }
}

TEST(OutputCommit, NextCommitSettlesAKilledOneFirst) {
  const ScratchDirectory dir;
  commit(dir, output_set("old"));
  commit_killed_at(dir, output_set("new"), {CommitPhase::renaming, 3});
  commit(dir, output_set("next"));
  EXPECT_EQ(directory_snapshot(dir.root()), snapshot_of_set(output_set("next")));
}

TEST(OutputCommit, FailureAtEveryStepLeavesTheOldSetAndNothingElse) {
  // Old sets that lack some outputs: an output new to the set is removed
  // again, and the folder csv/ too when the commit created it.
  const std::vector<Set> old_sets = {output_set("old", {"r.svg", "csv/line\nbreak.csv"}),
                                     output_set("old", {"r.svg", "csv/nodes.csv",
                                                        "csv/end forces.csv", "csv/tab\tand%25.csv",
                                                        "csv/line\nbreak.csv"})};
  for (const Set& old_set : old_sets) {
    for (const CommitPhase phase : {CommitPhase::writing, CommitPhase::renaming}) {
      for (std::size_t k = 0; k < k_set_size; ++k) {
        const CommitStop stop{phase, k, true};
        SCOPED_TRACE(describe(stop) + " of a set of " + std::to_string(old_set.size()));
        const ScratchDirectory dir;
        commit(dir, old_set);
        OutputFiles files;
        queue_output_set(files, dir, output_set("new"));
        try {
          files.commit(stop);
          ADD_FAILURE() << "the commit did not fail";
        } catch (const OutputError& e) {
          const std::string what = e.what();
          EXPECT_NE(what.find(output_set_names()[k]), std::string::npos) << what;
          EXPECT_NE(what.find("no output file was changed"), std::string::npos) << what;
        }
        EXPECT_EQ(directory_snapshot(dir.root()), snapshot_of_set(old_set));
      }
    }
  }
}

TEST(OutputCommit, BackupThatCannotBeRemovedIsRemovedByTheNextRecovery) {
  const ScratchDirectory dir;
  commit(dir, output_set("old"));
  OutputFiles files;
  queue_output_set(files, dir, output_set("new"));
  EXPECT_THROW(files.commit({CommitPhase::cleaning, 2, true}), OutputError);
  EXPECT_EQ(visible(directory_snapshot(dir.root())), snapshot_of_set(output_set("new")));
  EXPECT_FALSE(recover_output_set(dir).empty());
  EXPECT_EQ(directory_snapshot(dir.root()), snapshot_of_set(output_set("new")));
}

TEST(OutputCommit, RecoveryThatCannotFinishKeepsItsJournalForTheNextAttempt) {
  const ScratchDirectory dir;
  commit(dir, output_set("old"));
  commit_killed_at(dir, output_set("new"), {CommitPhase::renaming, 2});
  // A folder where the commit has yet to put a file: the rename fails.
  const std::string blocked = dir.path(output_set_names()[4]);
  fs::remove(blocked);
  fs::create_directory(blocked);
  EXPECT_THROW(static_cast<void>(recover_output_set(dir)), OutputError);
  bool journal_kept = false;
  for (const auto& [name, content] : directory_snapshot(dir.root()))
    journal_kept = journal_kept || name.ends_with(".journal");
  EXPECT_TRUE(journal_kept);
  fs::remove(blocked);
  EXPECT_FALSE(recover_output_set(dir).empty());
  EXPECT_EQ(directory_snapshot(dir.root()), snapshot_of_set(output_set("new")));
}

TEST(OutputCommit, JournalHeldByARunningCommitIsLeftToIt) {
  const ScratchDirectory dir;
  commit(dir, output_set("old"));
  commit_killed_at(dir, output_set("new"), {CommitPhase::renaming, 2});
  fs::path journal;
  for (const auto& e : fs::directory_iterator(dir.root()))
    if (e.path().extension() == ".journal") journal = e.path();
  ASSERT_FALSE(journal.empty());
  const Set before = directory_snapshot(dir.root());
  {
    // This process holds the journal as its commit would while it runs.
    const int fd = ::open(journal.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    EXPECT_TRUE(recover_output_set(dir).empty());
    EXPECT_EQ(directory_snapshot(dir.root()), before);
    ::close(fd);
  }
  EXPECT_FALSE(recover_output_set(dir).empty());
  EXPECT_EQ(directory_snapshot(dir.root()), snapshot_of_set(output_set("new")));
}

TEST(OutputCommit, DamagedJournalIsReportedAndKept) {
  const ScratchDirectory dir;
  const std::string name = ".zervola-commit.1-0.journal";
  const std::string journal = dir.write(name, "zervola-commit-journal 1\nstate");
  try {
    static_cast<void>(recover_outputs({dir.path("r.json")}));
    ADD_FAILURE() << "a damaged journal was not reported";
  } catch (const OutputError& e) {
    EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
  }
  EXPECT_TRUE(fs::exists(journal));
}

// The process number of a process that has ended.
pid_t gone_process() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  int status = 0;
  ::waitpid(child, &status, 0);
  return child;
}

TEST(OutputCommit, LeftoversOfAnEndedProcessAreRemovedAndNothingElse) {
  const ScratchDirectory dir;
  const std::string gone = std::to_string(gone_process());
  const std::string running = std::to_string(::getppid());
  const std::vector<std::string> leftovers = {".r.json.zervola-" + gone + "-0.tmp",
                                              ".r.svg.zervola-" + gone + "-3.old",
                                              ".zervola-commit." + gone + "-0.part",
                                              "csv/.nodes.csv.zervola-" + gone + "-0.tmp"};
  const std::vector<std::string> others = {
      "r.json",  ".r.json." + gone + ".tmp",  ".r.json.zervola-" + running + "-0.tmp",
      ".zervola-" + gone + "-0.tmp", ".notes.zervola-x1-0.old", ".zervola-commit.journal",
      "keep.old", "csv/.zervola-commit." + gone + ".part"};
  fs::create_directory(dir.path("csv"));
  for (const std::string& name : leftovers) static_cast<void>(dir.write(name, "leftover"));
  Set kept = {{"csv/", ""}};
  for (const std::string& name : others) {
    static_cast<void>(dir.write(name, name));
    kept[name] = name;
  }
  const std::vector<std::string> notes = recover_output_set(dir);
  EXPECT_EQ(notes.size(), 2u);
  EXPECT_EQ(directory_snapshot(dir.root()), kept);
}

TEST(OutputCommit, LinkedOutputReplacesWhatItPointsToAndStays) {
  const ScratchDirectory dir;
  fs::create_directories(dir.path("data"));
  fs::create_directories(dir.path("out"));
  static_cast<void>(dir.write("data/real.json", "old"));
  // Relative links, read from the link's own folder.
  fs::create_symlink("../data/real.json", dir.path("out/link.json"));
  fs::create_symlink("../data/drawing.svg", dir.path("out/dangling.svg"));
  fs::create_symlink("link.json", dir.path("out/second.json"));
  OutputFiles files;
  files.add(dir.path("out/second.json"), "new");
  files.add(dir.path("out/dangling.svg"), "drawing");
  files.commit();
  const Set expected = {{"data/", ""},
                        {"data/real.json", "new"},
                        {"data/drawing.svg", "drawing"},
                        {"out/", ""},
                        {"out/link.json -> ../data/real.json", ""},
                        {"out/dangling.svg -> ../data/drawing.svg", ""},
                        {"out/second.json -> link.json", ""}};
  EXPECT_EQ(directory_snapshot(dir.root()), expected);
}

TEST(OutputCommit, TwoPathsToOneFileAreRefusedBeforeAnythingIsWritten) {
  const ScratchDirectory dir;
  fs::create_directories(dir.path("sub"));
  fs::create_symlink("a.json", dir.path("link.json"));
  const std::vector<std::pair<std::string, std::string>> pairs = {
      {dir.path("a.json"), dir.path("a.json")},
      {dir.path("a.json"), dir.path("sub/../a.json")},
      {dir.path("link.json"), dir.path("a.json")}};
  for (const auto& [first, second] : pairs) {
    SCOPED_TRACE(second);
    OutputFiles files;
    files.add(dir.path("b.json"), "b");
    files.add(first, "first");
    files.add(second, "second");
    try {
      files.commit();
      ADD_FAILURE() << "not refused";
    } catch (const OutputError& e) {
      const std::string what = e.what();
      EXPECT_NE(what.find(first + " and " + second + " name the same file"), std::string::npos)
          << what;
    }
    EXPECT_EQ(directory_snapshot(dir.root()),
              (Set{{"sub/", ""}, {"link.json -> a.json", ""}}));
  }
}

}  // namespace output_commit_test
}  // namespace zervola::frame::test

namespace zervola::frame::test {
namespace output_commit_test {

TEST(OutputCommit, StreamedOutputsAreWrittenAndAWriterOutOfMemoryChangesNothing) {
  const ScratchDirectory dir;
  commit(dir, {{"a.json", "old a"}, {"b.csv", "old b"}});
  const auto before = directory_snapshot(dir.root());
  {
    OutputFiles files;
    files.add(dir.path("a.json"), [](std::ostream& out) { out << "new " << 'a'; });
    files.add(dir.path("b.csv"), [](std::ostream&) { throw std::bad_alloc(); });
    try {
      files.commit();
      ADD_FAILURE() << "a writer out of memory committed";
    } catch (const OutputError& e) {
      const std::string what = e.what();
      EXPECT_NE(what.find("b.csv: out of memory while writing it"), std::string::npos) << what;
    }
  }
  EXPECT_EQ(directory_snapshot(dir.root()), before);
  // A writer's own failure keeps its kind and leaves nothing either.
  {
    OutputFiles files;
    files.add(dir.path("a.json"), [](std::ostream& out) { out << "new a"; });
    files.add(dir.path("csv/b.csv"), [](std::ostream&) { throw InputError("no load set \"X\""); });
    files.add_directory(dir.path("csv"));
    EXPECT_THROW(files.commit(), InputError);
  }
  EXPECT_EQ(directory_snapshot(dir.root()), before);
  // A streamed content larger than the writer's buffer arrives whole.
  std::string large(3'000'000, 'x');
  for (std::size_t k = 0; k < large.size(); k += 997) large[k] = static_cast<char>('a' + k % 26);
  OutputFiles files;
  files.add(dir.path("a.json"), [&](std::ostream& out) {
    for (std::size_t k = 0; k < large.size(); k += 4096) out << large.substr(k, 4096);
  });
  files.commit();
  EXPECT_EQ(read_text(dir.path("a.json")), large);
}

}  // namespace output_commit_test
}  // namespace zervola::frame::test
