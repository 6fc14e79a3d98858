#pragma once

// Progress of a long analysis on standard error: shown only when standard
// error is a terminal and the analysis has run for more than a moment, and
// erased when it ends.

#include <chrono>
#include <string>

namespace zervola::host {

class Progress {
 public:
  // enabled: false suppresses all output (--quiet, or no terminal).
  explicit Progress(bool enabled);
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;
  ~Progress();

  // A new stage of the analysis ("solving load case 2 of 3").
  void stage(const std::string& text);
  // done of total steps of the current stage.
  void step(std::size_t done, std::size_t total);
  // Erases the line.
  void finish();

  // True when standard error is a terminal.
  [[nodiscard]] static bool stderr_is_terminal();

 private:
  void show(const std::string& line);

  bool enabled_;
  bool shown_ = false;
  std::string stage_;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point last_;
};

}  // namespace zervola::host
