#pragma once

// The journal of an output commit: what a commit is about to do, kept on
// disk beside the outputs so that a later run can finish or undo a commit
// that a kill interrupted. Its text, one record a line, fields separated by
// tabs, '%', tab, CR and LF in paths written as %XX:
//
//   zervola-commit-journal 1
//   state prepare|replace|restore      (fixed width: rewritten in place)
//   directory <path>                   (a directory the commit created)
//   file <0|1: the target existed> <target> <temporary> <backup>
//   end
//
// Every path is absolute, links followed. The file is named
// .zervola-commit.<tag>.journal, where <tag> is <pid>-<serial>; the same tag
// names the commit's temporaries (.<name>.zervola-<tag>.tmp) and backups
// (.<name>.zervola-<tag>.old). It is written whole under
// .zervola-commit.<tag>.part and linked to its name, so that a journal found
// under its name is always complete. The committing process holds an
// exclusive flock on it until the commit ends: a journal nobody holds
// belongs to a commit that was interrupted.

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zervola::frame {

enum class CommitState {
  prepare,  // temporaries and backups being made: no target touched yet
  replace,  // temporaries complete: targets being replaced by them
  restore,  // a rename failed: targets being given back their old content
};

struct JournalEntry {
  std::filesystem::path target;
  std::filesystem::path temporary;
  std::filesystem::path backup;
  bool had_old = false;  // the target existed when the commit began
};

struct Journal {
  CommitState state = CommitState::prepare;
  std::vector<std::filesystem::path> created_directories;  // outermost first
  std::vector<JournalEntry> entries;
};

// The text of journal (in), as described above.
[[nodiscard]] std::string encode_journal(const Journal& journal);

// Reads the text of a journal (in). Returns nothing when text is not a
// whole journal of this format (a foreign or damaged file).
[[nodiscard]] std::optional<Journal> parse_journal(std::string_view text);

// The hidden name beside target (in) for the commit tagged tag (in) of the
// kind ("tmp" or "old", in).
[[nodiscard]] std::filesystem::path leftover_name(const std::filesystem::path& target,
                                                  const std::string& tag, std::string_view kind);

// What a hidden file name (in, without directory) is to the commit journal.
enum class CommitFileKind { other, journal, partial_journal, leftover };
struct CommitFileName {
  CommitFileKind kind = CommitFileKind::other;
  std::string tag;  // the commit's tag, for every kind but other
  pid_t pid = 0;    // the process that made it (the tag's first part)
};
[[nodiscard]] CommitFileName classify_commit_file(std::string_view name);

// A journal on disk, held (flock) by this process while it lives.
class JournalFile {
 public:
  // Writes the journal that plan (in) gives for a tag into directory (in),
  // under the first tag no other journal there has, synced with its
  // directory, and holds it. Throws OutputError naming the journal when it
  // cannot be written; nothing is then left.
  JournalFile(const std::filesystem::path& directory,
              const std::function<Journal(const std::string& tag)>& plan);
  JournalFile(const JournalFile&) = delete;
  JournalFile& operator=(const JournalFile&) = delete;
  // Lets go of the journal without removing it, as a kill would.
  ~JournalFile();

  [[nodiscard]] const Journal& journal() const { return journal_; }
  [[nodiscard]] const std::string& tag() const { return tag_; }

  // Records state (in) on disk before anything it allows is done. Throws
  // OutputError when the journal cannot be rewritten.
  void set_state(CommitState state);

  // Removes the journal (the commit is over) and syncs its directory.
  // Returns false when it could not be removed.
  bool remove() noexcept;

 private:
  std::filesystem::path path_;
  std::string tag_;
  Journal journal_;
  int fd_ = -1;
};

}  // namespace zervola::frame
