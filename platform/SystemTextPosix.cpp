#include "platform/SystemText.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <limits>
#include <map>
#include <mutex>

namespace platform
{
std::optional<juce::String> utf8Text(const char* bytes)
{
    if (bytes == nullptr)
        return std::nullopt;
    const auto length = std::strlen(bytes);
    if (length > (size_t)std::numeric_limits<int>::max() ||
        !juce::CharPointer_UTF8::isValidString(bytes, (int)length))
        return std::nullopt;
    return juce::String::fromUTF8(bytes, (int)length);
}

juce::File folderFromSystemPath(const std::string& bytes)
{
    if (const auto text = utf8Text(bytes.c_str()))
        return juce::File(*text);
    static std::mutex mutex;
    static std::map<std::string, int> opened;
    const std::lock_guard<std::mutex> lock(mutex);
    auto found = opened.find(bytes);
    if (found == opened.end())
        found = opened.emplace(bytes, ::open(bytes.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)).first;
    if (found->second < 0)
        return juce::File("/proc/self/fd/unreachable-folder");
    return juce::File("/proc/self/fd/" + juce::String(found->second));
}
} // namespace platform
