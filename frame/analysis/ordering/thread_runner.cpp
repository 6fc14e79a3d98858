#include "analysis/ordering/thread_runner.hpp"

#include <sched.h>

#include <algorithm>
#include <exception>
#include <thread>

namespace zervola::frame {

ThreadRunner::ThreadRunner(Index threads) : threads_(std::max<Index>(1, threads)) {
  try {
    for (Index w = 1; w < threads_; ++w) pool_.emplace_back([this] { serve(); });
  } catch (...) {
    // Fewer threads than asked: the caller's thread and those started do
    // the work.
  }
}

ThreadRunner::~ThreadRunner() {
  {
    const std::lock_guard<std::mutex> lock(guard_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (std::thread& t : pool_) t.join();
}

void ThreadRunner::work_on(Batch& b) const {
  for (Index t = b.next++; t < b.count; t = b.next++) {
    try {
      (*b.task)(t);
    } catch (...) {
      const std::lock_guard<std::mutex> lock(guard_);
      if (!b.failure) b.failure = std::current_exception();
    }
  }
}

void ThreadRunner::serve() const {
  std::uint64_t seen = 0;
  while (true) {
    Batch* b = nullptr;
    {
      std::unique_lock<std::mutex> lock(guard_);
      wake_.wait(lock, [&] { return stopping_ || (batch_ != nullptr && generation_ != seen); });
      if (stopping_) return;
      seen = generation_;
      b = batch_;
      ++b->working;
    }
    work_on(*b);
    {
      const std::lock_guard<std::mutex> lock(guard_);
      --b->working;
    }
    done_.notify_all();
  }
}

void ThreadRunner::run(Index count, const std::function<void(Index)>& task) const {
  Batch b;
  b.count = count;
  b.task = &task;
  // One batch at a time on the pool: a batch that a task starts, or that
  // another thread starts meanwhile, runs on its caller's thread alone.
  std::unique_lock<std::mutex> one(running_, std::try_to_lock);
  if (pool_.empty() || count <= 1 || !one.owns_lock()) {
    work_on(b);
    if (b.failure) std::rethrow_exception(b.failure);
    return;
  }
  {
    const std::lock_guard<std::mutex> lock(guard_);
    batch_ = &b;
    ++generation_;
  }
  wake_.notify_all();
  work_on(b);
  {
    std::unique_lock<std::mutex> lock(guard_);
    // Every task is taken; wait for those still running, then close the
    // batch so that no thread joins it late.
    batch_ = nullptr;
    done_.wait(lock, [&] { return b.working == 0; });
  }
  if (b.failure) std::rethrow_exception(b.failure);
}

Index available_processors() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
  return std::max<Index>(1, std::thread::hardware_concurrency());
}

}  // namespace zervola::frame
