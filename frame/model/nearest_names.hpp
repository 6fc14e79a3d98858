#pragma once

// Suggestions for a name that is not found: the known names nearest to it,
// by the number of characters to insert, delete or change.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zervola::frame {

// The number of single-character insertions, deletions and substitutions
// that turn a into b.
[[nodiscard]] std::size_t edit_distance(std::string_view a, std::string_view b);

// Up to count of the candidates nearest to name (the comparison keys are
// compared, the names returned), the nearest first, the candidates' order
// on a tie. keys[k] is the key of names[k].
[[nodiscard]] std::vector<std::string> nearest_names(std::string_view key,
                                                     const std::vector<std::string>& keys,
                                                     const std::vector<std::string>& names,
                                                     std::size_t count);

// "; nearest: "IPE 300", "IPE 330"" or "" when there is none.
[[nodiscard]] std::string nearest_text(const std::vector<std::string>& names);

}  // namespace zervola::frame
