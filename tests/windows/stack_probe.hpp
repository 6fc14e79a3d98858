#pragma once

// Calls a routine that takes only pointer arguments and measures what the
// call did to the stack pointer. On 32-bit x86 a stdcall routine removes its
// arguments itself, so the stack pointer after the call equals the one before
// the arguments were pushed; a routine with the C convention leaves them, and
// the difference is -4 bytes per argument. A compiler calling through a
// correctly typed pointer hides this, so the probe pushes the arguments and
// reads the stack pointer itself.

#include <cstdint>

#if defined(__i386__)
#define ZERVOLA_STACK_PROBE 1

extern "C" {
// Pushes args[count - 1] ... args[0], calls routine, and returns the stack
// pointer after the call minus the stack pointer before the pushes, in bytes.
// The stack pointer is restored either way.
std::int32_t zervola_stack_probe(const void* routine, const void* const* args, std::int32_t count);
}
#endif
