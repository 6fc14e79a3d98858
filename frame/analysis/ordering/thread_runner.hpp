#pragma once

// The host's threads for the core's tasks (the core starts none): a pool
// started with the runner and joined when it is destroyed, so that a
// factorisation's thousands of batches (one per block of a large front)
// start no thread each, and nothing outlives the runner.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "global/supernodal/task_runner.hpp"

namespace zervola::frame {

class ThreadRunner final : public global::supernodal::TaskRunner {
 public:
  // threads: the workers, the caller's thread included; below 1 is taken as
  // 1 (every task on the caller's thread). When the system refuses a
  // thread, the runner works with those it has.
  explicit ThreadRunner(Index threads);
  ~ThreadRunner() override;
  ThreadRunner(const ThreadRunner&) = delete;
  ThreadRunner& operator=(const ThreadRunner&) = delete;

  [[nodiscard]] Index workers() const override { return threads_; }
  // Every task once, on the pool and the caller's thread; one batch at a
  // time (a batch that a task starts, or that another thread starts while
  // one runs, runs on its caller's thread alone). The first exception a
  // task throws is thrown again after every task has finished.
  void run(Index count, const std::function<void(Index)>& task) const override;

 private:
  struct Batch {
    Index count = 0;
    const std::function<void(Index)>* task = nullptr;
    std::atomic<Index> next{0};
    int working = 0;  // pool threads inside the batch (under guard_)
    std::exception_ptr failure;
  };
  void serve() const;
  void work_on(Batch& b) const;

  Index threads_;
  std::vector<std::thread> pool_;
  mutable std::mutex guard_;
  mutable std::mutex running_;
  mutable std::condition_variable wake_, done_;
  mutable Batch* batch_ = nullptr;
  mutable std::uint64_t generation_ = 0;
  bool stopping_ = false;
};

// The processors this process may run on (at least 1).
[[nodiscard]] Index available_processors();

}  // namespace zervola::frame
