#include "analysis/ordering/thread_runner.hpp"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace zervola::frame {

ThreadRunner::ThreadRunner(Index threads) : threads_(std::max<Index>(1, threads)) {}

void ThreadRunner::run(Index count, const std::function<void(Index)>& task) const {
  if (threads_ == 1 || count <= 1) {
    for (Index t = 0; t < count; ++t) task(t);
    return;
  }
  std::atomic<Index> next{0};
  std::exception_ptr failure;
  std::mutex guard;
  const auto work = [&] {
    for (Index t = next++; t < count; t = next++) {
      try {
        task(t);
      } catch (...) {
        const std::lock_guard<std::mutex> lock(guard);
        if (!failure) failure = std::current_exception();
      }
    }
  };
  std::vector<std::thread> threads;
  const Index started = std::min(threads_, count) - 1;
  try {
    for (Index w = 0; w < started; ++w) threads.emplace_back(work);
  } catch (const std::system_error&) {
    // Fewer threads than asked: the caller's thread and those started do it.
  }
  work();
  for (std::thread& t : threads) t.join();
  if (failure) std::rethrow_exception(failure);
}

Index available_processors() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
  return std::max<Index>(1, std::thread::hardware_concurrency());
}

}  // namespace zervola::frame
