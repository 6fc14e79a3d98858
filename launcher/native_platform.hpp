#pragma once

// The platform layer of the machine the program is built for: the Windows API
// on Windows, Wine elsewhere. Exactly one implementation is compiled in.

#include <memory>

#include "platform.hpp"

namespace zervola::launcher {

std::unique_ptr<Platform> make_native_platform();

}  // namespace zervola::launcher
