#pragma once

// Where the library's installed data lies: the section catalogue and the 3D
// view's files are found at a fixed place relative to the shared library,
// the same in the build tree as when installed.

#include <filesystem>

namespace zervola::frame {

// The directory of the shared object (or program) this code is part of,
// links resolved; empty when the loader cannot say. Throws nothing but
// std::bad_alloc.
[[nodiscard]] std::filesystem::path library_directory();

}  // namespace zervola::frame
