#pragma once

// What a directory holds, every file and folder, hidden ones too: to compare
// an output set byte for byte and to see that nothing else was left.

#include <filesystem>
#include <map>
#include <string>

namespace zervola::frame::test {

// Every entry under root (in), by its path relative to root: a file maps to
// its content, a directory (its path ending in '/') to "", a symbolic link
// (its path ending in " -> <target>") to "". Empty when root is missing.
[[nodiscard]] std::map<std::string, std::string> directory_snapshot(
    const std::filesystem::path& root);

}  // namespace zervola::frame::test
