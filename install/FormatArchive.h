#pragma once

#include <cstddef>

namespace install
{
// The bytes of a format's embedded zip archive. Empty (nullptr, 0) for an index out of range.
struct ArchiveData
{
    const void* data = nullptr;
    std::size_t size = 0;
};

ArchiveData getFormatArchive(int formatIndex);
} // namespace install
