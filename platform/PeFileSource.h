#pragma once

#include "formats/PeVersionReader.h"

#include <juce_core/juce_core.h>

namespace platform
{
// A module on disk for the PE version reader: only the ranges the reader asks for are read.
class PeFileSource : public formats::PeByteSource
{
public:
    explicit PeFileSource(const juce::File& module);

    bool openedOk() const { return stream.openedOk(); }

protected:
    bool readAt(std::uint64_t offset, void* destination, std::size_t count) override;

private:
    juce::FileInputStream stream;
};
} // namespace platform
