#pragma once

// Progress of a long analysis, reported to whoever runs it. The analysis
// calls stage() as each stage begins and step() as it advances; this base
// class ignores both (a silent analysis). A front end derives from it: the
// command line shows a line on a terminal, a script might log.
//
// The analysis reports progress from the thread that called it only (it may
// recover load cases on other threads too), so an implementation needs no
// locking of its own.

#include <cstddef>
#include <string>

#include "zervola/frame/export.hpp"

namespace zervola::frame {

class ZERVOLA_FRAME_API Progress {
 public:
  Progress() = default;
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;
  virtual ~Progress();

  // A new stage of the analysis begins; text names it ("load case 2 of 3:
  // end forces").
  virtual void stage(const std::string& text);
  // done of total steps of the current stage are complete (done <= total).
  virtual void step(std::size_t done, std::size_t total);
  // The analysis has ended (normally; after an exception it is not called).
  virtual void finish();
};

}  // namespace zervola::frame
