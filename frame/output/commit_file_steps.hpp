#pragma once

// The file-system steps of an output commit, each one system call or two,
// with their failures turned into OutputError or a result.

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>

namespace zervola::frame {

// Creates path (in: must not exist) with content (in), synced to disk.
// Throws OutputError "<label>: cannot create|cannot write: <reason>", label
// (in) being how the user knows the file; a file created but not fully
// written is left for the caller to remove.
void write_new_file(const std::filesystem::path& path, const std::string& content,
                    const std::string& label);

// The same with the content written by writer (in) to a stream, piece by
// piece: memory for a buffer, not for the file. Running out of memory
// while the writer formats is an OutputError too.
void write_new_file(const std::filesystem::path& path,
                    const std::function<void(std::ostream&)>& writer, const std::string& label);

// Syncs the directory (in) so that the names made or removed in it last;
// failures are ignored (some file systems cannot sync a directory).
void sync_directory(const std::filesystem::path& directory) noexcept;

// The file that writing to path (in) reaches: symbolic links followed (also
// a dangling one, to the file it would create), made absolute and
// normalised. Throws OutputError when the links go round in a loop.
[[nodiscard]] std::filesystem::path followed_path(const std::string& path);

// True when path (in) names something, a dangling link included.
[[nodiscard]] bool present(const std::filesystem::path& path) noexcept;

// Removes the file path (in) if present. False when it is present and could
// not be removed.
bool remove_file(const std::filesystem::path& path) noexcept;

}  // namespace zervola::frame
