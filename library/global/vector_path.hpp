#pragma once

// The instruction sets the solver's block kernels are written for, and the
// choice among them from what the processor and the operating system offer.
// The choice is made afresh on every call; nothing is cached.

#include <cstdint>

namespace zervola::global {

// Wide paths exist only for x86 processors and compilers that can build a
// function for an instruction set beyond the one the file is compiled for.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define ZERVOLA_HAVE_X86_PATHS 1
#else
#define ZERVOLA_HAVE_X86_PATHS 0
#endif

// Ordered from narrowest to widest: each path needs everything the one
// before it needs.
enum class VectorPath {
  portable,  // plain C++ that the compiler vectorises for the build's target
  avx2,      // 256-bit AVX2 with fused multiply-add
  avx512,    // 512-bit AVX-512 Foundation (fused multiply-add included)
};

// The processor's answers that decide the path, as CPUID and XGETBV give
// them; zero where a leaf does not exist, where the operating system has
// not enabled XGETBV, or on a processor that is not x86.
struct ProcessorFeatures {
  std::uint32_t leaf1_ecx = 0;  // CPUID leaf 1, ECX
  std::uint32_t leaf7_ebx = 0;  // CPUID leaf 7 subleaf 0, EBX
  std::uint64_t xcr0 = 0;       // XCR0: the register states the OS saves
};

// What this processor and its operating system report now.
[[nodiscard]] ProcessorFeatures processor_features();

// The widest path the features allow, whether or not this build holds it.
// A vector instruction set is usable only if the processor has it and the
// operating system saves its registers on a context switch (XCR0).
[[nodiscard]] VectorPath widest_path(const ProcessorFeatures& features);

// Whether this build holds the path and the processor it runs on executes it.
[[nodiscard]] bool path_available(VectorPath path);

// The widest available path.
[[nodiscard]] VectorPath best_vector_path();

// A short lower-case name: "portable", "avx2", "avx512".
[[nodiscard]] const char* path_name(VectorPath path);

}  // namespace zervola::global
