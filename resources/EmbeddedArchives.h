#pragma once

#include <cstdint>

// The plug-in archives, embedded by the assembler (EmbeddedArchives.S) beside the small
// resources of the framework-generated BinaryData.h: a directory of rows, ended by a row
// of zeros, each giving an archive's file name and bytes as offsets from the directory's
// start. The bytes are read-only and valid for the whole run. C linkage keeps the symbol
// name plain for the assembler.
namespace BinaryData
{
struct EmbeddedArchiveRow
{
    std::int64_t nameOffset; // of the archive's file name, a C string ("vst3.zip")
    std::int64_t dataOffset;
    std::int64_t size;
};

extern "C"
{
    extern const EmbeddedArchiveRow vx_embedded_archives[];
}
} // namespace BinaryData
