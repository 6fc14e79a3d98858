#include "global/vector_path.hpp"

namespace zervola::global {

bool path_available(VectorPath path) {
  switch (path) {
    case VectorPath::portable:
      return true;
    case VectorPath::avx2:
#if ZERVOLA_HAVE_X86_PATHS
      __builtin_cpu_init();
      return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
#else
      return false;
#endif
  }
  return false;
}

VectorPath best_vector_path() {
  return path_available(VectorPath::avx2) ? VectorPath::avx2 : VectorPath::portable;
}

}  // namespace zervola::global
