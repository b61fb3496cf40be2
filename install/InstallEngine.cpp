#include "install/InstallEngine.h"

namespace install
{
bool processSelectedFormats(std::array<bool, 3>&, bool, const std::array<juce::File, 3>&, const juce::String&)
{
    // The install engine comes with its own change.
    return false;
}

void removeLeftoverScript() {}
} // namespace install
