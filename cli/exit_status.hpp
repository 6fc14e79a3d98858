#pragma once

// zervola-frame's exit statuses, one per kind of failure.

namespace zervola::frame::cli {

enum class ExitStatus : int {
  success = 0,
  usage = 1,     // command line
  input = 2,     // model file: syntax or meaning
  analysis = 3,  // model not in one piece, mechanism, singular system
  output = 4,    // an output file could not be written
  strict = 5,    // --strict: the model gave warnings
};

}  // namespace zervola::frame::cli
