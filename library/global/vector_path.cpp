#include "global/vector_path.hpp"

#if ZERVOLA_HAVE_X86_PATHS
#include <cpuid.h>
#endif

namespace zervola::global {

namespace {

// CPUID leaf 1, ECX.
constexpr std::uint32_t k_fma_bit = 1u << 12;
constexpr std::uint32_t k_osxsave_bit = 1u << 27;  // the OS has enabled XGETBV
constexpr std::uint32_t k_avx_bit = 1u << 28;
// CPUID leaf 7 subleaf 0, EBX.
constexpr std::uint32_t k_avx2_bit = 1u << 5;
constexpr std::uint32_t k_avx512f_bit = 1u << 16;
// XCR0: the OS saves the SSE (bit 1) and the upper halves of the YMM
// registers (bit 2); for AVX-512 also the opmask registers (bit 5), the
// upper halves of ZMM0-15 (bit 6) and ZMM16-31 (bit 7).
constexpr std::uint64_t k_ymm_state = (1u << 1) | (1u << 2);
constexpr std::uint64_t k_zmm_state = k_ymm_state | (1u << 5) | (1u << 6) | (1u << 7);

constexpr bool has_all(std::uint64_t value, std::uint64_t bits) { return (value & bits) == bits; }

}  // namespace

ProcessorFeatures processor_features() {
  ProcessorFeatures f;
#if ZERVOLA_HAVE_X86_PATHS
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (__get_cpuid(1, &a, &b, &c, &d) != 0) f.leaf1_ecx = c;
  // __get_cpuid_count answers 0 where the processor has no leaf 7.
  if (__get_cpuid_count(7, 0, &a, &b, &c, &d) != 0) f.leaf7_ebx = b;
  // XGETBV faults unless the OS has enabled it, which OSXSAVE reports.
  if (has_all(f.leaf1_ecx, k_osxsave_bit)) {
    std::uint32_t low = 0, high = 0;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0u));
    f.xcr0 = (std::uint64_t{high} << 32) | low;
  }
#endif
  return f;
}

VectorPath widest_path(const ProcessorFeatures& f) {
  const bool osxsave = has_all(f.leaf1_ecx, k_osxsave_bit);
  const bool avx2 = osxsave && has_all(f.leaf1_ecx, k_avx_bit | k_fma_bit) &&
                    has_all(f.leaf7_ebx, k_avx2_bit) && has_all(f.xcr0, k_ymm_state);
  if (!avx2) return VectorPath::portable;
  const bool avx512 = has_all(f.leaf7_ebx, k_avx512f_bit) && has_all(f.xcr0, k_zmm_state);
  return avx512 ? VectorPath::avx512 : VectorPath::avx2;
}

bool path_available(VectorPath path) {
  if (path == VectorPath::portable) return true;
  if (!ZERVOLA_HAVE_X86_PATHS) return false;
  return static_cast<int>(path) <= static_cast<int>(widest_path(processor_features()));
}

VectorPath best_vector_path() {
  return ZERVOLA_HAVE_X86_PATHS ? widest_path(processor_features()) : VectorPath::portable;
}

const char* path_name(VectorPath path) {
  switch (path) {
    case VectorPath::portable:
      return "portable";
    case VectorPath::avx2:
      return "avx2";
    case VectorPath::avx512:
      return "avx512";
  }
  return "?";
}

}  // namespace zervola::global
