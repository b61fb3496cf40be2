#pragma once

#include <juce_core/juce_core.h>

#include <vector>

namespace testing_support
{
// The PE modules written at build time into the build folder (tests/fixtures).
inline juce::File peFixture(const char* name)
{
    return juce::File(VX_PE_FIXTURE_DIR).getChildFile(name);
}

inline std::vector<unsigned char> peFixtureBytes(const char* name)
{
    juce::MemoryBlock block;
    peFixture(name).loadFileAsData(block);
    const auto* data = static_cast<const unsigned char*>(block.getData());
    return std::vector<unsigned char>(data, data + block.getSize());
}
} // namespace testing_support
