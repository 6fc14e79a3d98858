#pragma once

// The host's threads for the core's tasks (the core starts none): a runner
// that starts its threads for each batch of tasks and joins them before it
// returns, so that nothing outlives the call.

#include "global/supernodal/task_runner.hpp"

namespace zervola::frame {

class ThreadRunner final : public global::supernodal::TaskRunner {
 public:
  // threads >= 1; 1 runs every task on the caller's thread.
  explicit ThreadRunner(Index threads);
  [[nodiscard]] Index workers() const override { return threads_; }
  void run(Index count, const std::function<void(Index)>& task) const override;

 private:
  Index threads_;
};

// The processors this process may run on (at least 1).
[[nodiscard]] Index available_processors();

}  // namespace zervola::frame
