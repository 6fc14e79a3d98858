#pragma once

// ZERVOLA_FRAME_API marks what the analysis library exports: everything
// declared in the headers of include/zervola/frame/ and include/zervola/frame.hpp
// that is not inline. The library is built with hidden visibility, so that
// nothing else of it (its stages, the solver core it links) is visible to a
// program that uses it.

#if defined(_WIN32)
#define ZERVOLA_FRAME_API
#else
#define ZERVOLA_FRAME_API __attribute__((visibility("default")))
#endif
