#include "platform/WineRegistry.h"

namespace platform
{
namespace
{
// A quoted string of the registry file starting at `p` (just past the opening quote), with
// Wine's escapes undone: \\ \" \n \r \t \0 and \xHHHH. Nothing when it does not end.
std::optional<juce::String> readQuoted(juce::String::CharPointerType& p)
{
    juce::String text;
    while (!p.isEmpty())
    {
        auto c = p.getAndAdvance();
        if (c == '"')
            return text;
        if (c == '\\')
        {
            if (p.isEmpty())
                return std::nullopt;
            c = p.getAndAdvance();
            switch (c)
            {
            case 'n':
                c = '\n';
                break;
            case 'r':
                c = '\r';
                break;
            case 't':
                c = '\t';
                break;
            case '0':
                c = 0;
                break;
            case 'x':
            {
                juce::juce_wchar code = 0;
                for (int digits = 0; digits < 4 && juce::CharacterFunctions::getHexDigitValue(*p) >= 0;
                     ++digits)
                    code = code * 16 + static_cast<juce::juce_wchar>(
                                           juce::CharacterFunctions::getHexDigitValue(p.getAndAdvance()));
                c = code;
                break;
            }
            default:
                break; // \\ and \" stand for themselves
            }
        }
        text += juce::String::charToString(c);
    }
    return std::nullopt;
}
} // namespace

std::optional<WineRegistryValue> findWineRegistryString(const juce::String& registryText,
                                                        const juce::String& keyPath, const juce::String& name)
{
    // Key lines read "[Path\\With\\Escapes] timestamp"; value lines "name"=... below them.
    const auto wantedKey = keyPath.replace("\\", "\\\\");
    bool inKey = false;
    for (const auto& line : juce::StringArray::fromLines(registryText))
    {
        if (line.startsWithChar('['))
        {
            const auto end = line.indexOfChar(']');
            inKey = end > 0 && line.substring(1, end).equalsIgnoreCase(wantedKey);
            continue;
        }
        if (!inKey || !line.startsWithChar('"'))
            continue;

        auto p = line.getCharPointer();
        ++p;
        const auto valueName = readQuoted(p);
        if (!valueName || !valueName->equalsIgnoreCase(name) || *p != '=')
            continue;
        ++p;
        WineRegistryValue value;
        const juce::String rest(p);
        if (rest.startsWith("str(2):\""))
        {
            value.expandable = true;
            p += 8;
        }
        else if (rest.startsWithChar('"'))
        {
            ++p;
        }
        else
        {
            return std::nullopt;
        }
        const auto text = readQuoted(p);
        if (!text)
            return std::nullopt;
        value.text = *text;
        return value;
    }
    return std::nullopt;
}
} // namespace platform
