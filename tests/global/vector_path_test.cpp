// The choice of the vector path from what CPUID and XGETBV report: the
// decision on made-up answers (each requirement missing in turn), and on
// this processor against the compiler's own feature tests.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>

#include "global/vector_path.hpp"

namespace zervola::global {
namespace {

// The bits as the processor manuals place them.
constexpr std::uint32_t k_fma = 1u << 12, k_osxsave = 1u << 27, k_avx = 1u << 28;  // leaf 1 ECX
constexpr std::uint32_t k_avx2 = 1u << 5, k_avx512f = 1u << 16;                    // leaf 7 EBX
constexpr std::uint64_t k_sse_state = 1u << 1, k_ymm_state = 1u << 2, k_opmask_state = 1u << 5,
                        k_zmm_low_state = 1u << 6, k_zmm_high_state = 1u << 7;
// x87 state, always enabled, and an unrelated feature bit of each word, set
// to show that the decision looks at its own bits only.
constexpr std::uint64_t k_x87_state = 1u << 0;
constexpr std::uint32_t k_sse3 = 1u << 0, k_bmi1 = 1u << 3;

ProcessorFeatures everything() {
  ProcessorFeatures f;
  f.leaf1_ecx = k_fma | k_osxsave | k_avx | k_sse3;
  f.leaf7_ebx = k_avx2 | k_avx512f | k_bmi1;
  f.xcr0 = k_x87_state | k_sse_state | k_ymm_state | k_opmask_state | k_zmm_low_state |
           k_zmm_high_state;
  return f;
}

TEST(VectorPath, EverythingOfferedGivesAvx512) {
  EXPECT_EQ(widest_path(everything()), VectorPath::avx512);
}

TEST(VectorPath, NothingOfferedGivesPortable) {
  EXPECT_EQ(widest_path(ProcessorFeatures{}), VectorPath::portable);
}

TEST(VectorPath, AProcessorWithoutAvx512GivesAvx2) {
  ProcessorFeatures f = everything();
  f.leaf7_ebx &= ~k_avx512f;
  EXPECT_EQ(widest_path(f), VectorPath::avx2);
  // An operating system unaware of AVX-512 saves only the lower registers.
  f.xcr0 = k_x87_state | k_sse_state | k_ymm_state;
  EXPECT_EQ(widest_path(f), VectorPath::avx2);
}

// AVX-512 needs every one of the three register states saved.
TEST(VectorPath, EachMissingZmmStateFallsBackToAvx2) {
  for (std::uint64_t state : {k_opmask_state, k_zmm_low_state, k_zmm_high_state}) {
    ProcessorFeatures f = everything();
    f.xcr0 &= ~state;
    EXPECT_EQ(widest_path(f), VectorPath::avx2) << "XCR0 without bit " << state;
  }
}

// Without AVX2's own requirements neither wide path runs, whatever the
// processor says about AVX-512.
TEST(VectorPath, EachMissingAvx2RequirementFallsBackToPortable) {
  struct Removal {
    const char* what;
    std::uint32_t leaf1_ecx;
    std::uint32_t leaf7_ebx;
    std::uint64_t xcr0;
  };
  for (const Removal& r : {Removal{"FMA", k_fma, 0, 0}, Removal{"AVX", k_avx, 0, 0},
                           Removal{"AVX2", 0, k_avx2, 0}, Removal{"SSE state", 0, 0, k_sse_state},
                           Removal{"YMM state", 0, 0, k_ymm_state}}) {
    ProcessorFeatures f = everything();
    f.leaf1_ecx &= ~r.leaf1_ecx;
    f.leaf7_ebx &= ~r.leaf7_ebx;
    f.xcr0 &= ~r.xcr0;
    EXPECT_EQ(widest_path(f), VectorPath::portable) << "without " << r.what;
  }
}

// XCR0 means nothing unless the operating system has enabled XGETBV.
TEST(VectorPath, WithoutOsxsaveTheRegisterStatesDoNotCount) {
  ProcessorFeatures f = everything();
  f.leaf1_ecx &= ~k_osxsave;
  EXPECT_EQ(widest_path(f), VectorPath::portable);
}

TEST(VectorPath, PathsAreAvailableUpToTheWidest) {
  EXPECT_TRUE(path_available(VectorPath::portable));
  EXPECT_TRUE(path_available(best_vector_path()));
  for (VectorPath path : {VectorPath::portable, VectorPath::avx2, VectorPath::avx512})
    EXPECT_EQ(path_available(path), static_cast<int>(path) <= static_cast<int>(best_vector_path()))
        << path_name(path);
#if !ZERVOLA_HAVE_X86_PATHS
  EXPECT_EQ(best_vector_path(), VectorPath::portable);
#endif
}

#if ZERVOLA_HAVE_X86_PATHS
// The compiler's runtime asks the same questions (CPUID and XCR0) its own
// way: both must agree on this processor.
TEST(VectorPath, ThisProcessorAgreesWithTheCompilersFeatureTests) {
  __builtin_cpu_init();
  const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
  const bool avx512 = avx2 && __builtin_cpu_supports("avx512f");
  EXPECT_EQ(path_available(VectorPath::avx2), avx2);
  EXPECT_EQ(path_available(VectorPath::avx512), avx512);
  std::printf("this processor runs the %s path\n", path_name(best_vector_path()));
}
#endif

}  // namespace
}  // namespace zervola::global
