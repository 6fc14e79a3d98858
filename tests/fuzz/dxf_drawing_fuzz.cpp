// Fuzz target: a drawing's text through the DXF reader. Every outcome must be
// a list of members or an InputError.

#include <cstddef>
#include <cstdint>
#include <string>

#include <zervola/frame.hpp>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zervola::frame;
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    static_cast<void>(parse_dxf_members(text, "fuzz.dxf"));
  } catch (const InputError&) {
  }
  return 0;
}
