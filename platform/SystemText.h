#pragma once

#include <juce_core/juce_core.h>

#include <optional>
#include <string>

// Bytes the system hands over (environment values, names in folders, link targets) as the
// framework's text. Not on Windows, where the system speaks UTF-16.
namespace platform
{
// Text the system hands over (an environment value, a name in a folder, a link's target),
// only when it is valid UTF-8. The framework's strings step through UTF-8 by lead bytes
// alone: other bytes in a path make, for one, its walk up the parent folders endless.
std::optional<juce::String> utf8Text(const char* bytes);

// A folder named by bytes from the system. A name that is not UTF-8 cannot be held in the
// framework's strings, so such a folder is reached through a descriptor of it, kept open
// for the life of the process, as /proc/self/fd/<n>: the same folder, under a name that is
// text. Where it cannot be opened, a path below /proc, where nothing can be made, stands
// for it: whatever the program then looks for there is missing.
juce::File folderFromSystemPath(const std::string& bytes);
} // namespace platform
