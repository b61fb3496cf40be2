// libFuzzer target for the PE version reader: any bytes must give a version or nothing,
// within the module and the read budget.
#include "platform/PeVersionReader.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    platform::PeMemorySource source(data, size);
    const auto version = platform::readPeFileVersion(source);
    if (source.bytesRead() > platform::PeByteSource::readBudget)
        std::abort();
    if (version && platform::formatPeFileVersion(*version).size() > 23)
        std::abort();
    return 0;
}
