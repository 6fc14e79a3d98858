#include "stack_probe.hpp"

#if defined(ZERVOLA_STACK_PROBE)
// cdecl, callee-saved ebx, esi, edi and ebp preserved. edi keeps the stack
// pointer from before the pushes across the call.
asm(R"(
    .text
    .globl _zervola_stack_probe
_zervola_stack_probe:
    pushl %ebp
    movl  %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl  12(%ebp), %esi
    movl  16(%ebp), %ecx
    movl  %esp, %edi
1:  testl %ecx, %ecx
    jz    2f
    decl  %ecx
    pushl (%esi,%ecx,4)
    jmp   1b
2:  movl  8(%ebp), %eax
    call  *%eax
    movl  %esp, %eax
    subl  %edi, %eax
    movl  %edi, %esp
    popl  %edi
    popl  %esi
    popl  %ebx
    popl  %ebp
    ret
)");
#endif
