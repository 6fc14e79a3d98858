#include "model/nearest_names.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <numeric>

namespace zervola::frame {

std::size_t edit_distance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  std::iota(row.begin(), row.end(), std::size_t{0});
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::vector<std::string> nearest_names(std::string_view key, const std::vector<std::string>& keys,
                                       const std::vector<std::string>& names, std::size_t count) {
  std::vector<std::pair<std::size_t, std::size_t>> ranked;  // distance, index
  ranked.reserve(keys.size());
  for (std::size_t k = 0; k < keys.size(); ++k) ranked.emplace_back(edit_distance(key, keys[k]), k);
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const auto& x, const auto& y) { return x.first < y.first; });
  std::vector<std::string> out;
  for (std::size_t k = 0; k < ranked.size() && out.size() < count; ++k)
    out.push_back(names[ranked[k].second]);
  return out;
}

std::string nearest_text(const std::vector<std::string>& names) {
  if (names.empty()) return "";
  std::string out = "; nearest: ";
  for (std::size_t k = 0; k < names.size(); ++k)
    out += fmt::format("{}\"{}\"", k == 0 ? "" : ", ", names[k]);
  return out;
}

}  // namespace zervola::frame
