#pragma once

// The library starts no threads: work that can run at once is handed to a
// runner that the host gives, which may run the tasks on threads of its
// own. Without one, the tasks run one after the other on the caller's
// thread.

#include <functional>

#include "common/index.hpp"

namespace zervola::global::supernodal {

class TaskRunner {
 public:
  virtual ~TaskRunner() = default;
  // How many tasks can run at once (1 or more).
  [[nodiscard]] virtual Index workers() const = 0;
  // Runs task(0) .. task(count - 1), in any order, possibly at once, and
  // returns when every one has returned. An exception a task throws is
  // thrown again here (one of them, when several throw) after the tasks
  // have finished; whether the others still run is the runner's.
  virtual void run(Index count, const std::function<void(Index)>& task) const = 0;
};

// Every task in turn, on the caller's thread.
class SequentialRunner final : public TaskRunner {
 public:
  [[nodiscard]] Index workers() const override { return 1; }
  void run(Index count, const std::function<void(Index)>& task) const override {
    for (Index t = 0; t < count; ++t) task(t);
  }
};

}  // namespace zervola::global::supernodal
