#pragma once

// Runs zervola-frame as a user would, and a scratch directory per test.

#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace zervola::frame::test {

// zervola-frame's exit statuses, as its --help and README state them: a
// contract with the scripts that run it, so written out here rather than
// taken from the program's source.
enum class ExitStatus : int { success = 0, usage = 1, input = 2, analysis = 3, output = 4, strict = 5 };

struct RunResult {
  int exit_status = -1;
  std::string out;
  std::string err;
};

// Runs the program with these arguments (each quoted for the shell).
[[nodiscard]] RunResult run_frame(const std::vector<std::string>& arguments);

// A fresh directory, removed at the end of the test.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;
  [[nodiscard]] std::string path(const std::string& name) const;
  [[nodiscard]] const std::filesystem::path& root() const { return root_; }
  // Writes text to name and returns its path.
  std::string write(const std::string& name, const std::string& text) const;

 private:
  std::filesystem::path root_;
};

[[nodiscard]] std::string read_text(const std::string& path);
[[nodiscard]] nlohmann::json read_json(const std::string& path);

// The number the program's JSON output gives the node at p ([x, y, z]):
// nodes is the output's "nodes" list; 0 when no node lies within the node
// tolerance of p in every coordinate.
[[nodiscard]] int node_at(const nlohmann::json& nodes, const nlohmann::json& p);

[[nodiscard]] std::string examples_dir();
[[nodiscard]] std::string host_data_dir();

}  // namespace zervola::frame::test
