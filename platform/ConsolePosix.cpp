#include "platform/Console.h"

#include <cstdio>

namespace platform
{
namespace
{
void writeTo(std::FILE* stream, const juce::String& text)
{
    const auto utf8 = text.toUTF8();
    std::fwrite(utf8.getAddress(), 1, utf8.sizeInBytes() - 1, stream);
    std::fflush(stream);
}
} // namespace

void writeToStandardOutput(const juce::String& text)
{
    writeTo(stdout, text);
}

void writeToStandardError(const juce::String& text)
{
    writeTo(stderr, text);
}
} // namespace platform
