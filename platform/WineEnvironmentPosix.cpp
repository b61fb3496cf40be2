#include "platform/WineEnvironment.h"

#include "formats/WindowsPathText.h"
#include "platform/SystemText.h"
#include "platform/WinePrefix.h"
#include "platform/WineRegistry.h"

#include <sys/stat.h>

#include <optional>
#include <utility>

namespace platform
{
namespace
{
bool isRegularFile(const juce::File& file)
{
    struct stat info;
    return ::stat(file.getFullPathName().toRawUTF8(), &info) == 0 && S_ISREG(info.st_mode);
}

// A registry string with the few variables the prefix's environment values use expanded;
// nothing when it names another one.
std::optional<juce::String> expandedValue(const WineRegistryValue& value)
{
    if (!value.expandable)
        return value.text;
    auto text = value.text;
    const std::pair<const char*, juce::String> variables[] = {
        {"%USERPROFILE%", userProfilePath()},
        {"%SystemRoot%", "C:\\windows"},
        {"%windir%", "C:\\windows"},
        {"%SystemDrive%", "C:"},
    };
    for (const auto& [name, replacement] : variables)
        text = text.replace(name, replacement, true);
    if (text.containsChar('%'))
        return std::nullopt;
    return text;
}

std::optional<juce::String> registryString(const juce::String& registryText, const juce::String& key,
                                           const juce::String& name)
{
    const auto value = findWineRegistryString(registryText, key, name);
    if (!value)
        return std::nullopt;
    const auto text = expandedValue(*value);
    if (!text || !formats::startsWithDriveLetter(*text))
        return std::nullopt;
    return text;
}

juce::String registryFileText(const char* name)
{
    const auto file = winePrefix().getChildFile(name);
    if (!isRegularFile(file))
        return {};
    juce::MemoryBlock bytes;
    if (!file.loadFileAsData(bytes))
        return {};
    bytes.append("", 1); // the text ends at the first zero byte
    return utf8Text(static_cast<const char*>(bytes.getData())).value_or(juce::String());
}

} // namespace

juce::String windowsTemporaryPath()
{
    const auto user = registryFileText("user.reg");
    const auto machine = registryFileText("system.reg");
    const juce::String machineKey = "System\\CurrentControlSet\\Control\\Session Manager\\Environment";
    for (const auto* name : {"TMP", "TEMP"})
    {
        if (const auto path = registryString(user, "Environment", name))
            return *path;
        if (const auto path = registryString(machine, machineKey, name))
            return *path;
    }
    return userProfilePath() + "\\Temp";
}

std::optional<juce::String> machineRegistryString(const juce::String& keyPath, const juce::String& name)
{
    const auto value = findWineRegistryString(registryFileText("system.reg"), keyPath, name);
    if (!value)
        return std::nullopt;
    return value->text;
}
} // namespace platform
