#pragma once

// The three kinds of failure of reading, analysing and writing a model. Every
// message names the file and, where there is one, the item, the field and
// the value at fault, and says what to do.

#include <stdexcept>
#include <string>
#include <vector>

#include "zervola/frame/model.hpp"

#include "zervola/frame/export.hpp"

namespace zervola::frame {

// A fault of the model file: its syntax (with file, line and column) or its
// meaning (with the item and field).
class ZERVOLA_FRAME_API InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The model is well formed but cannot be analysed: not in one piece, a
// mechanism, a singular system, a store larger than the memory. warnings:
// what analyse had found before it failed (the model's own first), which
// often explains the failure.
class ZERVOLA_FRAME_API AnalysisError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  std::vector<Warning> warnings;
};

// An output (a file, its directory, standard output) could not be written.
class ZERVOLA_FRAME_API OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace zervola::frame
