#pragma once

// The three kinds of failure the program reports, each with its exit status.

#include <stdexcept>
#include <string>

namespace zervola::host {

enum class ExitStatus : int {
  success = 0,
  usage = 1,     // command line
  input = 2,     // model file: syntax or meaning
  analysis = 3,  // model not in one piece, mechanism, singular system
  output = 4,    // an output file could not be written
};

// A fault of the model file: its syntax (with file, line and column) or its
// meaning (with the item and field).
class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The model is well formed but cannot be analysed.
class AnalysisError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace zervola::host
