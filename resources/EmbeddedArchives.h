#pragma once

// The three plug-in archives, embedded by the assembler (EmbeddedArchives.S) beside the
// small resources of the framework-generated BinaryData.h. The bytes are read-only and
// valid for the whole run. C linkage keeps the symbol names plain for the assembler.
namespace BinaryData
{
extern "C"
{
    extern const char vst3_zip[];
    extern const int vst3_zipSize;

    extern const char clap_zip[];
    extern const int clap_zipSize;

    extern const char aax_zip[];
    extern const int aax_zipSize;
}
} // namespace BinaryData
