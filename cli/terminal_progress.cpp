#include "terminal_progress.hpp"

#include <fmt/format.h>
#include <unistd.h>

#include <cstdio>

namespace zervola::frame::cli {
namespace {

// Nothing is shown before the analysis has run this long, nor more often.
constexpr auto k_quiet_start = std::chrono::milliseconds(500);
constexpr auto k_refresh = std::chrono::milliseconds(100);

}  // namespace

TerminalProgress::TerminalProgress(bool enabled)
    : enabled_(enabled), start_(std::chrono::steady_clock::now()), last_(start_) {}

TerminalProgress::~TerminalProgress() { TerminalProgress::finish(); }

bool TerminalProgress::stderr_is_terminal() { return isatty(STDERR_FILENO) == 1; }

void TerminalProgress::stage(const std::string& text) {
  stage_ = text;
  show(text);
}

void TerminalProgress::step(std::size_t done, std::size_t total) {
  if (!enabled_) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - last_ < k_refresh) return;
  show(fmt::format("{} {}/{}", stage_, done, total));
}

void TerminalProgress::show(const std::string& line) {
  if (!enabled_) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - start_ < k_quiet_start) return;
  last_ = now;
  fmt::print(stderr, "\r\033[K{}", line);
  std::fflush(stderr);
  shown_ = true;
}

void TerminalProgress::finish() {
  if (!shown_) return;
  fmt::print(stderr, "\r\033[K");
  std::fflush(stderr);
  shown_ = false;
}

}  // namespace zervola::frame::cli
