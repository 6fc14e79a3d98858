#pragma once

// Progress of a long analysis on standard error: shown only when standard
// error is a terminal and the analysis has run for more than a moment, and
// erased when it ends.

#include <zervola/frame/progress.hpp>

#include <chrono>
#include <string>

namespace zervola::frame::cli {

class TerminalProgress final : public Progress {
 public:
  // enabled: false suppresses all output (--quiet, or no terminal).
  explicit TerminalProgress(bool enabled);
  ~TerminalProgress() override;

  void stage(const std::string& text) override;
  void step(std::size_t done, std::size_t total) override;
  // Erases the line.
  void finish() override;

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

}  // namespace zervola::frame::cli
