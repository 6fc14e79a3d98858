#pragma once

// The processor's name as the kernel reports it, for the benchmarks' tables:
// figures from different machines are not comparable.

#include <fstream>
#include <string>

namespace bench {

inline std::string processor_name() {
  std::ifstream in("/proc/cpuinfo");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("model name", 0) == 0) return line.substr(line.find(':') + 2);
  return "unknown processor";
}

}  // namespace bench
