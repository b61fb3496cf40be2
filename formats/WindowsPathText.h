#pragma once

#include <algorithm>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

// The lexical rules of Windows paths, for any text type with length() and operator[]
// (juce::String, std::string). Plain C++, so that the build's archive check shares them.
namespace formats
{
// Either slash separates the parts of a Windows path.
template <typename Char> constexpr bool isPathSeparator(Char c)
{
    return c == '\\' || c == '/';
}

// "X:" at the start, X an ASCII letter: the path names a drive.
template <typename Text> bool startsWithDriveLetter(const Text& path)
{
    if (path.length() < 2 || path[1] != ':')
        return false;
    const auto c = path[0];
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Length in UTF-16 code units, which is how Windows counts a name's characters.
inline std::size_t utf16Length(const std::string& utf8)
{
    std::size_t length = 0;
    for (unsigned char c : utf8)
        if ((c >> 6) != 2)
            length += (c >> 3) == 30 ? 2 : 1;
    return length;
}

// Why Windows refuses a name whatever folder it is in.
enum class NameProblemKind
{
    colon,             // read as a drive or a stream
    controlCharacter,  // below U+0020
    reservedCharacter, // one of <>"|?*
    tooLong,           // more than 255 UTF-16 units
    deviceName,        // CON, COM1, LPT¹ and the like, with any extension
};

struct NameProblem
{
    NameProblemKind kind;
    char character = 0; // the reserved character, for `reservedCharacter`
};

// The name rule's own wording, for the build's messages, printed after a name: "has the
// character '<' in its name, which Windows does not allow". The program's users read the
// table of texts instead, which may be translated.
inline std::string describeNameProblem(const NameProblem& problem)
{
    switch (problem.kind)
    {
    case NameProblemKind::colon:
        return "has a ':' in its name, which Windows reads as a drive or a stream";
    case NameProblemKind::controlCharacter:
        return "has a control character in its name, which Windows does not allow";
    case NameProblemKind::reservedCharacter:
        return std::string("has the character '") + problem.character +
               "' in its name, which Windows does not allow";
    case NameProblemKind::tooLong:
        return "has a name part longer than 255 characters, more than Windows allows";
    case NameProblemKind::deviceName:
        break;
    }
    return "has a name Windows takes for a device";
}

// Why Windows refuses a name (one part of a path, UTF-8) whatever folder it is in, or
// nothing: a ':', a control character or one of <>"|?*, more than 255 characters, or a
// device name.
inline std::optional<NameProblem> windowsNameProblem(const std::string& part)
{
    if (part.find(':') != std::string::npos)
        return NameProblem{NameProblemKind::colon};
    for (unsigned char c : part)
        if (c < 0x20)
            return NameProblem{NameProblemKind::controlCharacter};
    const auto reserved = part.find_first_of("<>\"|?*");
    if (reserved != std::string::npos)
        return NameProblem{NameProblemKind::reservedCharacter, part[reserved]};
    if (utf16Length(part) > 255)
        return NameProblem{NameProblemKind::tooLong};

    // Windows takes these for devices, with any extension and trailing spaces.
    auto stem = part.substr(0, part.find('.'));
    for (auto& c : stem)
        if (c >= 'a' && c <= 'z')
            c = (char)(c - 'a' + 'A');
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    static const char* const devices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    bool isDevice = std::find(std::begin(devices), std::end(devices), stem) != std::end(devices);
    if (!isDevice && (stem.rfind("COM", 0) == 0 || stem.rfind("LPT", 0) == 0))
    {
        const auto digit = stem.substr(3);
        // Also the superscript digits one, two and three.
        isDevice = (digit.size() == 1 && digit[0] >= '0' && digit[0] <= '9') || digit == "\xc2\xb9" ||
                   digit == "\xc2\xb2" || digit == "\xc2\xb3";
    }
    if (isDevice)
        return NameProblem{NameProblemKind::deviceName};
    return std::nullopt;
}

// The first part of a path that Windows refuses, and why.
struct PathProblem
{
    std::string part;
    NameProblem problem;
};

// Why Windows can have nothing at this absolute path (UTF-8): the first part below its
// drive or share that Windows refuses. Nothing when every part is a name Windows allows. "\\?\" and "\\.\"
// prefixes are understood; empty, "." and
// ".." parts are left to the path's normalisation.
inline std::optional<PathProblem> windowsPathProblem(std::string path)
{
    for (auto& c : path)
        if (c == '/')
            c = '\\';
    if (path.rfind("\\\\?\\", 0) == 0 || path.rfind("\\\\.\\", 0) == 0)
    {
        path = path.substr(4);
        if (path.size() >= 4 && (path[0] == 'U' || path[0] == 'u') && (path[1] == 'N' || path[1] == 'n') &&
            (path[2] == 'C' || path[2] == 'c') && path[3] == '\\')
            path = "\\" + path.substr(3);
    }
    std::size_t start = 0;
    if (startsWithDriveLetter(path))
        start = 2;
    else if (path.rfind("\\\\", 0) == 0)
    {
        // The server and the share are the root.
        const auto server = path.find('\\', 2);
        const auto share = server == std::string::npos ? server : path.find('\\', server + 1);
        if (share == std::string::npos)
            return std::nullopt;
        start = share;
    }
    while (start < path.size())
    {
        auto end = path.find('\\', start);
        if (end == std::string::npos)
            end = path.size();
        auto part = path.substr(start, end - start);
        start = end + 1;
        // Windows drops the trailing dots and spaces of the last part.
        if (end == path.size())
            while (!part.empty() && (part.back() == '.' || part.back() == ' '))
                part.pop_back();
        if (part.empty() || part == "." || part == "..")
            continue;
        if (const auto problem = windowsNameProblem(part))
            return PathProblem{part, *problem};
    }
    return std::nullopt;
}

// An absolute Windows path (UTF-8) in the one spelling Windows reads it as, so that every
// spelling of a folder names it alike: "X:\..." with an upper-case drive letter or
// "\\server\share\...", backslashes only, no empty, "." or ".." parts, and the
// trailing dots and spaces Windows drops gone. "\\.\" and "//?/" prefixes are normalised
// like the rest; a "\\?\" path is taken verbatim and keeps its prefix where Windows would
// keep a trailing dot or space. Nothing for a "\\?\" path holding "." or ".." parts or a
// slash (Windows refuses it); the path unchanged when it is no drive or share path.
inline std::optional<std::string> normalisedWindowsPath(const std::string& path)
{
    const auto split = [](const std::string& text, bool slashesToo)
    {
        std::vector<std::string> parts;
        std::string part;
        for (const char c : text)
        {
            if (c == '\\' || (slashesToo && c == '/'))
            {
                parts.push_back(part);
                part.clear();
            }
            else
            {
                part += c;
            }
        }
        parts.push_back(part);
        return parts;
    };
    const auto join = [](std::string root, const std::vector<std::string>& parts)
    {
        for (std::size_t i = 0; i < parts.size(); ++i)
            root += (i == 0 ? "" : "\\") + parts[i];
        return root;
    };
    const auto rootOf = [](const std::vector<std::string>& parts,
                           std::size_t& used) -> std::optional<std::string>
    {
        // The drive ("C:") or the server and share, then the parts below.
        used = 0;
        while (used < parts.size() && parts[used].empty())
            ++used;
        if (used == 0 && startsWithDriveLetter(parts[0]) && parts[0].size() == 2)
        {
            used = 1;
            return std::string(1, (char)(parts[0][0] & ~0x20)) + ":\\";
        }
        if (used == 2 && parts.size() >= 4 && !parts[2].empty() && !parts[3].empty())
        {
            used = 4;
            return "\\\\" + parts[2] + "\\" + parts[3] + "\\";
        }
        return std::nullopt;
    };

    if (path.rfind("\\\\?\\", 0) == 0)
    {
        // Verbatim: split at backslashes only, every part as it is.
        auto rest = path.substr(4);
        const bool unc = rest.size() >= 4 && (rest[0] | 0x20) == 'u' && (rest[1] | 0x20) == 'n' &&
                         (rest[2] | 0x20) == 'c' && rest[3] == '\\';
        auto parts = split(unc ? "\\" + rest.substr(3) : rest, false);
        std::size_t used = 0;
        const auto root = rootOf(parts, used);
        if (!root)
            return path;
        std::vector<std::string> below;
        bool keepsPrefix = false;
        for (auto i = used; i < parts.size(); ++i)
        {
            const auto& part = parts[i];
            if (part == "." || part == ".." || part.find('/') != std::string::npos)
                return std::nullopt;
            if (part.empty())
                continue;
            keepsPrefix = keepsPrefix || part.back() == '.' || part.back() == ' ';
            below.push_back(part);
        }
        if (!keepsPrefix)
            return join(*root, below);
        return join(unc ? "\\\\?\\UNC\\" + root->substr(2) : "\\\\?\\" + *root, below);
    }

    auto text = path;
    if (text.size() >= 4 && (text[0] == '\\' || text[0] == '/') && (text[1] == '\\' || text[1] == '/') &&
        (text[2] == '.' || text[2] == '?') && (text[3] == '\\' || text[3] == '/'))
    {
        text = text.substr(4);
        if (text.size() >= 4 && (text[0] | 0x20) == 'u' && (text[1] | 0x20) == 'n' &&
            (text[2] | 0x20) == 'c' && (text[3] == '\\' || text[3] == '/'))
            text = "\\" + text.substr(3);
    }
    const auto parts = split(text, true);
    std::size_t used = 0;
    const auto root = rootOf(parts, used);
    if (!root)
        return path;
    std::vector<std::string> below;
    const bool endsWithSeparator = !text.empty() && (text.back() == '\\' || text.back() == '/');
    for (auto i = used; i < parts.size(); ++i)
    {
        auto part = parts[i];
        if (part.empty() || part == ".")
            continue;
        if (part == "..")
        {
            if (!below.empty())
                below.pop_back();
            continue;
        }
        const bool last = i == parts.size() - 1;
        if (last && !endsWithSeparator)
        {
            while (!part.empty() && (part.back() == '.' || part.back() == ' '))
                part.pop_back();
            if (part.empty())
                continue;
        }
        else if (part.back() == '.')
        {
            part.pop_back();
        }
        below.push_back(part);
    }
    return join(*root, below);
}
} // namespace formats
