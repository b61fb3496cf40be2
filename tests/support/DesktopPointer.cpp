#include "support/DesktopPointer.h"

#include <X11/Xlib.h>

namespace testing_support
{
void warpPointer(juce::Point<int> screenPosition)
{
    static Display* const display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return;
    XWarpPointer(display, 0L, DefaultRootWindow(display), 0, 0, 0, 0, screenPosition.x, screenPosition.y);
    XSync(display, False);
}
} // namespace testing_support
