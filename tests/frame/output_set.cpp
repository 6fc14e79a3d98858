#include "output_set.hpp"

#include <algorithm>

namespace zervola::frame::test {

std::vector<std::string> output_set_names() {
  return {"r.json",           "r.svg", "csv/nodes.csv", "csv/end forces.csv", "csv/tab\tand%25.csv",
          "csv/line\nbreak.csv"};
}

std::map<std::string, std::string> output_set(const std::string& tag,
                                              const std::vector<std::string>& without) {
  std::map<std::string, std::string> set;
  std::size_t k = 0;
  for (const std::string& name : output_set_names()) {
    ++k;
    if (std::find(without.begin(), without.end(), name) != without.end()) continue;
    std::string content;
    // Lengths differ between files and between tags, so that a file cut
    // short or taken from the other set shows.
    for (std::size_t line = 0; line < k + tag.size(); ++line)
      content += tag + " " + name + " line " + std::to_string(line) + "\n";
    set[name] = content;
  }
  return set;
}

void queue_output_set(OutputFiles& files, const ScratchDirectory& dir,
                      const std::map<std::string, std::string>& set) {
  if (snapshot_of_set(set).contains("csv/")) files.add_directory(dir.path("csv"));
  for (const std::string& name : output_set_names())
    if (set.contains(name)) files.add(dir.path(name), set.at(name));
}

std::map<std::string, std::string> snapshot_of_set(const std::map<std::string, std::string>& set) {
  std::map<std::string, std::string> snapshot = set;
  for (const auto& entry : set)
    if (entry.first.starts_with("csv/")) snapshot["csv/"] = "";
  return snapshot;
}

std::vector<std::string> recover_output_set(const ScratchDirectory& dir) {
  return recover_outputs({dir.path("r.json"), dir.path("csv")});
}

}  // namespace zervola::frame::test
