// Linked into the tests that run on an X server. The framework installs its own X error
// handler, which ignores the errors, only inside a real application object; without it,
// Xlib's default handler ends the test process at the first request the server rejects
// (a window-manager property when there is no window manager). Installed before main, as
// the application would have it from the start.
#include <X11/Xlib.h>

namespace
{
int ignoreXError(Display*, XErrorEvent*)
{
    return 0;
}

const bool installed = (XSetErrorHandler(ignoreXError), true);
} // namespace
