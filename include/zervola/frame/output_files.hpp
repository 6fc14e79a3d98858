#pragma once

// Output files are written whole or not at all: every file of a run is first
// written under a temporary name beside its target, and only when all of them
// are complete are they renamed into place. Each target's old content is kept
// under a second name until every rename has succeeded: when one rename fails,
// the earlier ones are undone, so that the set is replaced whole or not at
// all. On any failure the temporary files are removed. (A run killed between
// two renames can still leave a mixed set; nothing short of a directory swap
// avoids that.)

#include <string>
#include <vector>

#include "zervola/frame/export.hpp"

namespace zervola::frame {

class ZERVOLA_FRAME_API OutputFiles {
 public:
  OutputFiles() = default;
  OutputFiles(const OutputFiles&) = delete;
  OutputFiles& operator=(const OutputFiles&) = delete;
  // Removes any temporary file a commit left; a set never committed writes
  // nothing.
  ~OutputFiles();

  // Queues path (in: the output file, replaced if it exists) with its whole
  // content (in). Writes nothing yet; throws nothing but std::bad_alloc.
  void add(std::string path, std::string content);

  // Writes every queued file and renames them into place, all or none.
  // Throws OutputError, naming the file and the reason (a target that is a
  // directory or not a regular file, a file that cannot be created, written
  // or renamed), with every target as it was.
  void commit();

 private:
  struct Pending {
    std::string path;
    std::string content;
    std::string temporary;
    std::string backup;    // the old content, while the set is replaced
    bool had_old = false;  // the target existed before
  };
  void remove_temporaries() noexcept;
  std::string undo(std::size_t count) noexcept;

  std::vector<Pending> files_;
};

}  // namespace zervola::frame
