#pragma once

// The lexical rules of Windows paths, for any text type with length() and operator[]
// (juce::String, std::string). Plain C++, so that the build's archive check shares them.
namespace platform
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
} // namespace platform
