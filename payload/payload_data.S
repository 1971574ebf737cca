// The payload archive as a byte-set constant (word 1, length, bytes) in the
// read-only data, with the program's empty byte set right behind it.
#if defined(__i386__)
#define SYMBOL(name) _##name
#else
#define SYMBOL(name) name
#endif

    .section .rdata,"dr"
    .balign 4
    .globl SYMBOL(qv_payload_archive)
SYMBOL(qv_payload_archive):
    .long 1
    .long 2f - 1f
1:  .incbin QV_PAYLOAD_FILE
2:
    .balign 4
    .globl SYMBOL(qv_empty_byte_set)
SYMBOL(qv_empty_byte_set):
    .long 1, 0
