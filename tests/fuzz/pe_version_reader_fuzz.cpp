// libFuzzer target for the PE version reader: any bytes must give a version or nothing,
// within the module and the read budget.
#include "formats/PeVersionReader.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    formats::PeMemorySource source(data, size);
    const auto version = formats::readPeFileVersion(source);
    if (source.bytesRead() > formats::PeByteSource::readBudget)
        std::abort();
    if (version && formats::formatPeFileVersion(*version).size() > 23)
        std::abort();
    return 0;
}
