#pragma once

// Six outputs in two folders, committed whole, killed or failed part way, to
// test that a set of output files is always replaced whole or not at all.

#include <zervola/frame/output_files.hpp>

#include <map>
#include <string>
#include <vector>

#include "run_program.hpp"

namespace zervola::frame::test {

// The outputs' paths relative to the scratch directory: two beside each
// other, four in the folder csv/, two of them with the characters the commit
// journal must escape.
inline constexpr std::size_t k_set_size = 6;

// The set tagged tag (in: "old", "new", ...): path relative to the scratch
// directory -> content, each content different for each tag and of a
// different length. without (in): paths left out of the set (an output that
// did not exist before).
[[nodiscard]] std::map<std::string, std::string> output_set(
    const std::string& tag, const std::vector<std::string>& without = {});

// The names of the set, in the order they are committed.
[[nodiscard]] std::vector<std::string> output_set_names();

// Queues set (in) into files (in,out) under dir (in), with the folder csv/
// asked for when the set has a file there.
void queue_output_set(OutputFiles& files, const ScratchDirectory& dir,
                      const std::map<std::string, std::string>& set);

// What directory_snapshot shows of dir once set (in) is in place, and
// nothing else: the files, and the folder csv/ when the set has a file in it.
[[nodiscard]] std::map<std::string, std::string> snapshot_of_set(
    const std::map<std::string, std::string>& set);

// recover_outputs on the set's outputs under dir (in).
std::vector<std::string> recover_output_set(const ScratchDirectory& dir);

}  // namespace zervola::frame::test
