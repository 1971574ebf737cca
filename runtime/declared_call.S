// uintptr_t qv_call_checked(void* function, const uintptr_t* args, int argc, intptr_t* stackDelta)
//
// Pushes argc arguments last first, calls function and stores in *stackDelta
// how far the stack pointer ended from where it was before the pushes (0 when
// the callee removed exactly its arguments, as stdcall does).
#if defined(__i386__)
    .text
    .globl _qv_call_checked
_qv_call_checked:
    pushl %ebp
    movl %esp, %ebp
    pushl %esi
    pushl %edi
    pushl %ebx
    movl 16(%ebp), %ecx
    movl 12(%ebp), %esi
    movl %esp, %edi
1:  testl %ecx, %ecx
    jz 2f
    decl %ecx
    pushl (%esi,%ecx,4)
    jmp 1b
2:  call *8(%ebp)
    movl %esp, %ecx
    subl %edi, %ecx
    movl %edi, %esp
    movl 20(%ebp), %edx
    movl %ecx, (%edx)
    popl %ebx
    popl %edi
    popl %esi
    popl %ebp
    ret
#elif defined(__x86_64__)
// One calling convention on x64: the callee never removes arguments.
    .text
    .globl qv_call_checked
qv_call_checked:
    pushq %rbx
    subq $48, %rsp
    movq %rcx, %rax
    movq %r9, %rbx
    movq $0, (%rbx)
    movq %rdx, %r10
    xorl %ecx, %ecx
    xorl %edx, %edx
    xorl %r9d, %r9d
    testl %r8d, %r8d
    jz 3f
    movq (%r10), %rcx
    cmpl $2, %r8d
    jb 3f
    movq 8(%r10), %rdx
    cmpl $4, %r8d
    jb 4f
    movq 24(%r10), %r9
4:  cmpl $3, %r8d
    movl $0, %r8d
    jb 3f
    movq 16(%r10), %r8
3:  call *%rax
    addq $48, %rsp
    popq %rbx
    ret
#endif
