// The analysis's own store: zeroed whatever the memory held before, above
// and below the size from which its pages are mapped in at once.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>

#include "global/zeroed_store.hpp"

namespace zervola::global {
namespace {

TEST(ZeroedStore, EveryEntryIsZeroAndWritableAtAnySize) {
  for (std::size_t count : {std::size_t{1}, std::size_t{1000}, std::size_t{3} << 20}) {
    SCOPED_TRACE("count = " + std::to_string(count));
    {
      // Leave dirty memory behind for the store to be given again.
      const std::unique_ptr<double[]> dirty(new double[count]);
      std::fill(dirty.get(), dirty.get() + count, -1.0);
    }
    const ZeroedStore store(count);
    EXPECT_EQ(std::count(store.data(), store.data() + count, 0.0),
              static_cast<std::ptrdiff_t>(count));
    std::fill(store.data(), store.data() + count, 2.5);
    EXPECT_EQ(store.data()[count - 1], 2.5);
  }
}

}  // namespace
}  // namespace zervola::global
