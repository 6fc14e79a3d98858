#pragma once

// Sets of start nodes of one group of the level screen: bit k % 64 of word
// k / 64 stands for the k-th start, all words in one machine vector (the
// compiler's vector extension; two 128-bit halves where the processor has no
// 256-bit vectors).

#include <cstddef>
#include <cstdint>

namespace zervola::mesh_numbering {

using StartWord = std::uint64_t;
inline constexpr std::size_t k_start_words = 4;
inline constexpr std::size_t k_starts_per_set = 64 * k_start_words;

using StartSet = StartWord __attribute__((vector_size(8 * k_start_words)));

// A set in storage, aligned to its size (the vector type alone is aligned
// less where the compiler targets no 256-bit vectors).
struct alignas(8 * k_start_words) StartSetSlot {
  StartSet bits{};
};

}  // namespace zervola::mesh_numbering
