#include "install/FormatArchive.h"

#include "catalogue/Formats.h"
#include "resources/EmbeddedArchives.h"

namespace install
{
ArchiveData getFormatArchive(int formatIndex)
{
    switch (formatIndex)
    {
    case catalogue::vst3Format:
        return {BinaryData::vst3_zip, static_cast<std::size_t>(BinaryData::vst3_zipSize)};
    case catalogue::clapFormat:
        return {BinaryData::clap_zip, static_cast<std::size_t>(BinaryData::clap_zipSize)};
    case catalogue::aaxFormat:
        return {BinaryData::aax_zip, static_cast<std::size_t>(BinaryData::aax_zipSize)};
    default:
        return {};
    }
}
} // namespace install
