// The plug-in archives, copied into read-only data by the assembler, with a directory
// that names each one. The build writes EmbeddedArchiveList.inc, one line
// VX_ARCHIVE(index, "name", "path") per archive, and re-assembles this file when an
// archive changes (the compiler does not see .incbin).

#define VX_CAT2(a, b) a##b
#define VX_CAT(a, b) VX_CAT2(a, b)
// C symbols carry a leading underscore on some targets (32-bit Windows, macOS).
#define VX_SYMBOL(name) VX_CAT(__USER_LABEL_PREFIX__, name)

#if defined(__ELF__)
    .section .rodata
#elif defined(_WIN32)
    .section .rdata, "dr"
#elif defined(__APPLE__)
    .const
#endif

// The bytes of archive n between vx_archive_n and vx_archive_end_n, its name (a C string)
// at vx_archive_name_n.
.macro vx_embed index, name, path
    .balign 16
vx_archive_\index:
    .incbin "\path"
vx_archive_end_\index:
vx_archive_name_\index:
    .asciz "\name"
.endm

#define VX_ARCHIVE(index, name, path) vx_embed index, name, path;
#include "EmbeddedArchiveList.inc"
#undef VX_ARCHIVE

// The directory: per archive the offsets of its name and of its bytes from the start of
// the directory, and its size, as three 64-bit words; then a row of zeros. Offsets
// rather than addresses leave nothing for the loader to relocate.
    .balign 8
    .globl VX_SYMBOL(vx_embedded_archives)
#if defined(__ELF__)
    .type VX_SYMBOL(vx_embedded_archives), @object
#endif
VX_SYMBOL(vx_embedded_archives):
#define VX_ARCHIVE(index, name, path) .quad vx_archive_name_##index - VX_SYMBOL(vx_embedded_archives), vx_archive_##index - VX_SYMBOL(vx_embedded_archives), vx_archive_end_##index - vx_archive_##index;
#include "EmbeddedArchiveList.inc"
#undef VX_ARCHIVE
    .quad 0, 0, 0
vx_embedded_archives_end:
#if defined(__ELF__)
    .size VX_SYMBOL(vx_embedded_archives), vx_embedded_archives_end - VX_SYMBOL(vx_embedded_archives)
#endif

#if defined(__ELF__)
    // The data needs no executable stack.
    .section .note.GNU-stack, "", @progbits
#endif
