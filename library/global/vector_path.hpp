#pragma once

// The instruction sets the solver's block kernels are written for, and the
// choice among them from what the processor offers. The choice is made
// afresh on every call; nothing is cached.

namespace zervola::global {

// Wide paths exist only for x86 processors and compilers that can build a
// function for an instruction set beyond the one the file is compiled for.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define ZERVOLA_HAVE_X86_PATHS 1
#else
#define ZERVOLA_HAVE_X86_PATHS 0
#endif

enum class VectorPath {
  portable,  // plain C++ that the compiler vectorises for the build's target
  avx2,      // 256-bit AVX2 with fused multiply-add
};

// Whether this build holds the path and the processor it runs on executes it.
[[nodiscard]] bool path_available(VectorPath path);

// The widest available path.
[[nodiscard]] VectorPath best_vector_path();

}  // namespace zervola::global
