#pragma once

// Ending a commit from its journal: the one place that decides what an
// interrupted or failed commit leaves, used by the commit itself when a step
// fails and by recovery after a kill.

#include <string>

#include "output/commit_journal.hpp"

namespace zervola::frame {

// Brings the files journal (in) lists to a whole set: in state replace the
// new one (every temporary still present renamed onto its target, then the
// backups removed), in states prepare and restore the old one (a target
// already replaced gets its backup back, or is removed when it did not exist
// before; temporaries and backups removed). Safe to repeat after a kill
// part way. Returns "" when done, else what was left and where (each part
// starting "; "); a file that is the only copy of a content is never
// removed.
[[nodiscard]] std::string settle(const Journal& journal);

// Removes the directories the commit created (innermost first), those that
// are empty only: called once the commit is undone and its journal removed.
void remove_created_directories(const Journal& journal) noexcept;

}  // namespace zervola::frame
