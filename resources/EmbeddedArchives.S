// The three plug-in archives, copied into read-only data by the assembler. The build
// passes each archive's path as VX_VST3_ARCHIVE, VX_CLAP_ARCHIVE and VX_AAX_ARCHIVE and
// re-assembles this file when an archive changes (the compiler does not see .incbin).

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

// symbol: the archive's bytes; size_symbol: its size in bytes as a 32-bit int.
.macro vx_embed symbol, size_symbol, path
    .globl \symbol
    .globl \size_symbol
#if defined(__ELF__)
    .type \symbol, @object
    .type \size_symbol, @object
#endif
    .balign 16
\symbol:
    .incbin "\path"
1:
#if defined(__ELF__)
    .size \symbol, 1b - \symbol
    .size \size_symbol, 4
#endif
    .balign 4
\size_symbol:
    .long 1b - \symbol
.endm

    vx_embed VX_SYMBOL(vst3_zip), VX_SYMBOL(vst3_zipSize), VX_VST3_ARCHIVE
    vx_embed VX_SYMBOL(clap_zip), VX_SYMBOL(clap_zipSize), VX_CLAP_ARCHIVE
    vx_embed VX_SYMBOL(aax_zip), VX_SYMBOL(aax_zipSize), VX_AAX_ARCHIVE

#if defined(__ELF__)
    // The data needs no executable stack.
    .section .note.GNU-stack, "", @progbits
#endif
