#include "platform/PeFileSource.h"

namespace platform
{
PeFileSource::PeFileSource(const juce::File& module)
    : formats::PeByteSource(static_cast<std::uint64_t>(juce::jmax(juce::int64{0}, module.getSize()))),
      stream(module)
{
}

bool PeFileSource::readAt(std::uint64_t offset, void* destination, std::size_t count)
{
    if (!stream.openedOk() || !stream.setPosition(static_cast<juce::int64>(offset)))
        return false;
    return stream.read(destination, count) == static_cast<int>(count);
}
} // namespace platform
