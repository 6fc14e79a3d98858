#pragma once

// Output files are written whole or not at all, and no kill can leave a set
// half replaced.
//
// A commit writes every file of a set under a temporary name beside its
// target, keeps each target's old content under a backup name, and only
// then renames the temporaries into place; when it ends it removes the
// backups. Before its first step it writes a journal in the directory of its
// first target (.zervola-commit.<pid>-<n>.journal) that lists every target
// with its temporary (.<name>.zervola-<pid>-<n>.tmp) and backup
// (.<name>.zervola-<pid>-<n>.old) and the commit's state, synced to disk, and
// it removes the journal last. A journal left behind is settled by the next
// commit into any directory of its outputs, or by recover_outputs: when the
// journal says the temporaries were all complete (a kill at or after the
// first rename), the commit is finished (the remaining temporaries renamed
// into place: the whole new set); before that, it is undone (the old set, as
// it was). Either way its temporaries, backups and journal are removed.
//
// The guarantee: after any kill, the next run (or recover_outputs) leaves
// either the whole old set or the whole new set, and no hidden file.
//
// An output path that is a symbolic link is followed: the file it points to
// is replaced, the link stays. Directories a set asks for (add_directory) and
// that the commit created are removed again when the commit fails.

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "zervola/frame/export.hpp"

namespace zervola::frame {

// Where commit(CommitStop) stops, for tests: the commit ends there as a kill
// would leave it (fail false), or the step there fails as if the file system
// had refused it (fail true).
enum class CommitPhase {
  writing,   // `count` temporaries written (0: right after the journal)
  renaming,  // `count` renames done (0: temporaries complete, none renamed yet)
  cleaning,  // every rename done, `count` backups removed
};
struct CommitStop {
  CommitPhase phase = CommitPhase::writing;
  std::size_t count = 0;
  bool fail = false;  // the next step fails (EIO) instead of the process ending
};

class ZERVOLA_FRAME_API OutputFiles {
 public:
  OutputFiles() = default;
  OutputFiles(const OutputFiles&) = delete;
  OutputFiles& operator=(const OutputFiles&) = delete;
  // Removes nothing a commit could still need: a set never committed writes
  // nothing, a failed commit has cleaned up after itself.
  ~OutputFiles() = default;

  // Queues path (in: the output file, replaced if it exists; a link to it
  // is followed) with its whole content (in). Writes nothing yet; throws
  // nothing but std::bad_alloc.
  void add(std::string path, std::string content);

  // Queues path with a writer (in) that writes its content to a stream
  // when the commit comes to it, piece by piece, so that no output need be
  // held whole in memory. The writer may throw; the commit then fails as
  // for a file it cannot write (running out of memory included), with
  // every target as it was.
  void add(std::string path, std::function<void(std::ostream&)> writer);

  // Asks for the directory path (in) and any missing parents to be created
  // by the commit, before its files are written; those it creates are
  // removed again if the commit fails. Throws nothing but std::bad_alloc.
  void add_directory(std::string path);

  // Settles any journal left in the directories of the set (as
  // recover_outputs does), then writes every queued file and renames them
  // into place, all or none. Throws OutputError, naming the file and the
  // reason (two paths of the set that reach the same file, named both; a
  // target that is a directory or not a regular file; a directory, journal
  // or file that cannot be created, written or renamed; a journal left by an
  // earlier commit that cannot be settled), with every target as it was,
  // every temporary and backup removed, and the directories it created
  // removed. Only when putting back an old file fails is that file kept
  // under its backup name, with the journal, and the message names it.
  // The set is emptied by a successful commit.
  void commit();

  // The same commit, stopped at stop (in) for tests. A kill: returns with
  // the journal, temporaries and backups in place, as if the process had
  // ended there. A failure: behaves as commit() when that step fails. A stop
  // beyond the set's size is not reached.
  void commit(CommitStop stop);

 private:
  struct Pending {
    std::string path;
    std::string content;
    std::function<void(std::ostream&)> writer;  // when set, writes the content
  };
  void run_commit(const CommitStop* stop);

  std::vector<Pending> files_;
  std::vector<std::string> directories_;
};

// Settles every commit journal that an interrupted commit left in the
// directories of outputs (in: output files, whose directory is searched, or
// output directories, searched themselves; links followed; missing ones
// skipped), as described above, then removes the temporaries, backups and
// unfinished journals of earlier commits found there whose process is gone
// (recognised by the names above only; nothing else is touched). A journal
// held by a commit still running is left to it. Returns one sentence per
// thing done (empty when there was nothing to do). Throws OutputError naming
// the journal when one cannot be read or settled; the journal is then kept,
// with the files it names, for a later attempt.
[[nodiscard]] ZERVOLA_FRAME_API std::vector<std::string> recover_outputs(
    const std::vector<std::string>& outputs);

// One output of a run as the user named it: label (how to name it in a
// message, e.g. "--json r.json") and path.
struct NamedOutput {
  std::string label;
  std::string path;
};

// Refuses two outputs (in) that reach the same file, compared after
// following links (the path made absolute, every link resolved). Throws
// OutputError naming both labels and the file; returns otherwise.
ZERVOLA_FRAME_API void refuse_shared_outputs(const std::vector<NamedOutput>& outputs);

}  // namespace zervola::frame
