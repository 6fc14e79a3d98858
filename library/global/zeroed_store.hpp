#pragma once

// The skyline store that a whole analysis obtains for itself: zeroed
// doubles, released with the object. A large store's pages are mapped in
// at once where the system offers it (Linux): a page fault per 4 KiB costs
// several per cent of the factorisation's time, and more in a virtual
// machine (see map_in_pages).

#include <cstddef>
#include <memory>

namespace zervola::global {

// A hint to the system: the pages wholly inside [data, data + bytes) are
// mapped in at once rather than one fault at a time as they are first
// written (Linux 5.14 on), and in a region of 32 MiB or more as huge pages
// where whole ones fit (a request that older kernels keep too). Elsewhere,
// or refused, nothing happens. Only regions of `at_least` bytes or more
// are worth the call.
inline constexpr std::size_t k_map_in_bytes = std::size_t{16} << 20;
void map_in_pages(void* data, std::size_t bytes, std::size_t at_least = k_map_in_bytes);

class ZeroedStore {
 public:
  // Throws std::bad_alloc when the memory cannot be obtained.
  explicit ZeroedStore(std::size_t count);

  [[nodiscard]] double* data() const { return data_.get(); }

 private:
  // Obtained from the global operator new, as a standard container would,
  // so that a program's own allocation functions see the request.
  struct Release {
    void operator()(double* p) const noexcept { ::operator delete(p); }
  };
  std::unique_ptr<double, Release> data_;
};

}  // namespace zervola::global
