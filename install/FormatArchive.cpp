#include "install/FormatArchive.h"

#include "catalogue/FormatTable.h"
#include "resources/EmbeddedArchives.h"

#include <cstring>

namespace install
{
ArchiveData getFormatArchive(int formatIndex)
{
    if (formatIndex < 0 || formatIndex >= catalogue::numFormats)
        return {};
    const char* wanted = catalogue::formatTable[static_cast<std::size_t>(formatIndex)].archive;
    const auto* directory = reinterpret_cast<const char*>(BinaryData::vx_embedded_archives);
    for (const auto* row = BinaryData::vx_embedded_archives; row->size != 0 || row->nameOffset != 0; ++row)
        if (std::strcmp(directory + row->nameOffset, wanted) == 0)
            return {directory + row->dataOffset, static_cast<std::size_t>(row->size)};
    return {};
}
} // namespace install
