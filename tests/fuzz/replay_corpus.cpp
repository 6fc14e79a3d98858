// Runs a fuzz target over every file of the given directories, without the
// fuzzer: the ordinary builds (and the sanitizer build) replay the kept
// corpus as a regression test.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  std::size_t replayed = 0;
  for (int k = 1; k < argc; ++k) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(argv[k])) {
      if (!entry.is_regular_file()) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      std::ostringstream read;
      read << in.rdbuf();
      const std::string bytes = read.str();
      static_cast<void>(LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                               bytes.size()));
      ++replayed;
    }
  }
  std::printf("replayed %zu inputs\n", replayed);
  return replayed > 0 ? 0 : 1;
}
