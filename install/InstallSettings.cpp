#include "install/InstallSettings.h"

namespace install
{
void loadInstallSettings(const juce::File&, std::array<juce::File, 3>&)
{
    // The settings file comes with the install-locations work; until then the defaults hold.
}
} // namespace install
