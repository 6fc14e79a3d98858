#pragma once

// Runs the recovery of many independent load sets on every processor.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <functional>
#include <system_error>
#include <thread>
#include <vector>

#include "zervola/frame/progress.hpp"
#include "zervola/frame/results.hpp"

namespace zervola::frame {

// recover(c, progress) for c = 0 .. count - 1, on as many threads as the
// processor runs at once: the cases are independent, and the library keeps
// no state between calls. Only the calling thread reports progress. An
// exception of a case is thrown again after all have finished, that of the
// first such case in case order, as a loop over the cases would throw it.
template <class Recover>
inline std::vector<CaseResult> for_every_case(std::size_t count, Progress& progress, Recover recover) {
  std::vector<CaseResult> results(count);
  std::vector<std::exception_ptr> failures(count);
  std::atomic<std::size_t> next{0};
  const auto work = [&](Progress& reporting) {
    for (std::size_t c = next++; c < count; c = next++) {
      try {
        results[c] = recover(c, reporting);
      } catch (...) {
        failures[c] = std::current_exception();
      }
    }
  };
  const std::size_t helpers =
      std::min<std::size_t>(std::max(1U, std::thread::hardware_concurrency()), count) - (count > 0);
  // The base class reports nothing and holds nothing: one serves every helper.
  Progress silent;
  std::vector<std::thread> threads;
  threads.reserve(helpers);  // so that starting a thread never reallocates
  try {
    for (std::size_t t = 0; t < helpers; ++t) threads.emplace_back(work, std::ref(silent));
  } catch (const std::system_error&) {
    // Fewer threads than asked for: the calling thread takes the rest.
  }
  work(progress);
  for (std::thread& t : threads) t.join();
  for (const std::exception_ptr& failure : failures)
    if (failure) std::rethrow_exception(failure);
  return results;
}

}  // namespace zervola::frame
