// Does the two things a window manager would do for the end-to-end runs, which have none:
//   wm_stand_in prepare       creates the atoms WM_PROTOCOLS and WM_DELETE_WINDOW. The
//                             framework only looks them up; without a window manager that
//                             made them, its windows never learn of close requests. Run it
//                             before the program starts, on a server started with -noreset.
//   wm_stand_in close <id>    asks the window to close, as a window manager's close button
//                             does, with a WM_DELETE_WINDOW client message.
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
int usage()
{
    std::fprintf(stderr, "usage: wm_stand_in prepare | wm_stand_in close <window id>\n");
    return 2;
}

bool sendCloseRequest(Display* display, Window window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    return XSendEvent(display, window, False, NoEventMask, &event) != 0;
}
} // namespace

int main(int argc, char** argv)
{
    const bool prepare = argc == 2 && std::strcmp(argv[1], "prepare") == 0;
    const bool close = argc == 3 && std::strcmp(argv[1], "close") == 0;
    if (!prepare && !close)
        return usage();

    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
    {
        std::fprintf(stderr, "wm_stand_in: cannot open the display\n");
        return 1;
    }

    bool ok = true;
    if (prepare)
    {
        ok = XInternAtom(display, "WM_PROTOCOLS", False) != 0 &&
             XInternAtom(display, "WM_DELETE_WINDOW", False) != 0;
    }
    else
    {
        const auto window = static_cast<Window>(std::strtoul(argv[2], nullptr, 0));
        ok = window != 0 && sendCloseRequest(display, window);
    }

    XSync(display, False);
    XCloseDisplay(display);
    return ok ? 0 : 1;
}
