#pragma once

// Output files are written whole or not at all: every file of a run is first
// written under a temporary name beside its target, and only when all of them
// are complete are they renamed into place. On any failure the temporary
// files are removed and no target is touched.

#include <string>
#include <vector>

namespace zervola::host {

class OutputFiles {
 public:
  OutputFiles() = default;
  OutputFiles(const OutputFiles&) = delete;
  OutputFiles& operator=(const OutputFiles&) = delete;
  ~OutputFiles();

  // Queues path with its whole content.
  void add(std::string path, std::string content);

  // Writes every queued file and renames them into place. Throws OutputError.
  void commit();

 private:
  struct Pending {
    std::string path;
    std::string content;
    std::string temporary;
  };
  void remove_temporaries() noexcept;

  std::vector<Pending> files_;
};

}  // namespace zervola::host
