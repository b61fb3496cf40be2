#include "install/FormatArchive.h"

namespace install
{
ArchiveData getFormatArchive(int)
{
    // The embedded archives come with the payload build step.
    return {};
}
} // namespace install
