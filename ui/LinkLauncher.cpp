#include "ui/LinkLauncher.h"

#include <utility>

namespace ui
{
namespace
{
LinkLauncher& currentLauncher()
{
    static LinkLauncher launcher;
    return launcher;
}
} // namespace

bool launchLink(const juce::URL& url)
{
    if (const auto& launcher = currentLauncher())
        return launcher(url);
    return url.launchInDefaultBrowser();
}

LinkLauncher setLinkLauncher(LinkLauncher launcher)
{
    return std::exchange(currentLauncher(), std::move(launcher));
}
} // namespace ui
