#pragma once

// The two operations that the search needs from the machine it runs on.

#include <optional>
#include <string>

namespace zervola::launcher {

class Platform {
 public:
  virtual ~Platform() = default;

  // The system drive letter: the first character of the system directory, or
  // nothing when the system directory cannot be read.
  virtual std::optional<char> system_drive() = 0;

  // Starts executable with parameter as its single command-line parameter, in
  // a maximised window, without waiting for it. True when it was started;
  // false for every failure, a missing file included.
  virtual bool start_maximised(const std::string& executable, const std::string& parameter) = 0;

 protected:
  Platform() = default;
  Platform(const Platform&) = default;
  Platform& operator=(const Platform&) = default;
};

}  // namespace zervola::launcher
